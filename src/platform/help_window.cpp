#include "help_window.h"

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane::platform {

namespace {

QString& HelpPages() {
    static QString pattern = QStringLiteral("qrc:/help/%1.html");
    return pattern;
}

}  // namespace

HelpWindow::HelpWindow(QString pagePattern, QWidget* parent)
    : QWidget(parent, Qt::Window),
      pagePattern_(std::move(pagePattern)),
      browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Corvane Help"));
    browser_->setOpenLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(560, 480);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(QStringLiteral("Corvane Help - ") + browser_->documentTitle());
    });
}

void HelpWindow::ShowTopic(int topic) {
    browser_->setSource(QUrl(pagePattern_.arg(topic)));
}

QString HelpWindow::CurrentSource() const {
    return browser_->source().toString();
}

void SetHelpPages(const QString& pagePattern) {
    HelpPages() = pagePattern;
}

HelpWindow* ShowHelpTopic(int topic) {
    static QPointer<HelpWindow> window;
    if (!window) {
        window = new HelpWindow(HelpPages());
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->ShowTopic(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace corvane::platform
