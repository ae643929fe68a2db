// "Fax Information Editor": recipient, fax number, subject, notes and codes
// of an outgoing fax, with a phone book picker for the first two.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace corvane::app {

struct FaxInformation {
    QString recipient, faxNumber, subject, notes, codes;
};

class FaxEditor : public QDialog {
    Q_OBJECT
  public:
    explicit FaxEditor(QWidget* parent = nullptr);

    void SetValues(const FaxInformation& values);
    FaxInformation Values() const;

    QLineEdit* Recipient;
    QLineEdit* FaxNumber;
    QLineEdit* Subject;
    QLineEdit* Notes;
    QLineEdit* Codes;

  private:
    void PhonebookButtonClick();
};

}  // namespace corvane::app
