// The help viewer: HTML pages, one per numbered topic, shown in one
// window that stays open beside the program.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace corvane::platform {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    // pagePattern holds "%1" for the topic number, e.g. "qrc:/help/%1.html".
    explicit HelpWindow(QString pagePattern, QWidget* parent = nullptr);

    void ShowTopic(int topic);
    QString CurrentSource() const;

  private:
    QString pagePattern_;
    QTextBrowser* browser_;
};

// Opens the topic in the program's help window, creating the window on
// first use. SetHelpPages names where the pages are.
void SetHelpPages(const QString& pagePattern);
HelpWindow* ShowHelpTopic(int topic);

}  // namespace corvane::platform
