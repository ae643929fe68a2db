#include "prompts.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace corvane::platform {

namespace {

Prompts*& InstalledPrompts() {
    static DesktopPrompts desktop;
    static Prompts* current = &desktop;
    return current;
}

bool Ask(const QString& text, const QString& title, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, title, WithLineBreaks(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(defaultButton);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

QString WithLineBreaks(const QString& stored) {
    QString text = stored;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool DesktopPrompts::AskYesNo(const QString& text, const QString& title) {
    return Ask(text, title, QMessageBox::Yes);
}

bool DesktopPrompts::AskYesNoDefaultNo(const QString& text, const QString& title) {
    return Ask(text, title, QMessageBox::No);
}

void DesktopPrompts::ShowInformation(const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), WithLineBreaks(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void DesktopPrompts::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), WithLineBreaks(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void DesktopPrompts::Beep() {
    QApplication::beep();
}

int DesktopPrompts::Run(QDialog& dialog) {
    return dialog.exec();
}

Prompts& CurrentPrompts() {
    return *InstalledPrompts();
}

ScopedPrompts::ScopedPrompts(Prompts& prompts) : previous_(InstalledPrompts()) {
    InstalledPrompts() = &prompts;
}

ScopedPrompts::~ScopedPrompts() {
    InstalledPrompts() = previous_;
}

}  // namespace corvane::platform
