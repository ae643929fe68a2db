// What the two modem tools' dialogs share: the work runs once, when the
// dialog is first shown; the "Ok" button stays hidden and there is no way
// out until it has ended; the end is marked by a beep and the final
// caption.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane::sendui {

class ToolDialog : public QDialog {
    Q_OBJECT
  public:
    QPushButton* OkButton;

  protected:
    ToolDialog(const char* objectName, const QString& busyCaption, QWidget* parent);

    // A word-wrapped text of at least the given size.
    QLabel* MakeText(const char* objectName, const QString& text, QSize least);
    // False when the work has run already.
    bool BeginWork();
    void EndWork(const QString& caption);
    virtual void Work() = 0;

    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    bool started_ = false;
    bool done_ = false;
};

}  // namespace corvane::sendui
