#include "tool_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "platform/prompts.h"

namespace corvane::sendui {

ToolDialog::ToolDialog(const char* objectName, const QString& busyCaption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(busyCaption);
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->hide();
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
}

QLabel* ToolDialog::MakeText(const char* objectName, const QString& text, QSize least) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setWordWrap(true);
    label->setMinimumSize(least);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

bool ToolDialog::BeginWork() {
    if (started_)
        return false;
    started_ = true;
    OkButton->hide();
    return true;
}

void ToolDialog::EndWork(const QString& caption) {
    OkButton->show();
    OkButton->setDefault(true);
    setWindowTitle(caption);
    done_ = true;
    platform::CurrentPrompts().Beep();
}

void ToolDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_)
        QTimer::singleShot(0, this, [this] { Work(); });
}

void ToolDialog::reject() {
    if (done_)
        QDialog::reject();
}

}  // namespace corvane::sendui
