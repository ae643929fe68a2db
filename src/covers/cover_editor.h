// "Fax Cover Sheet" editor: recipient, regarding, message, importance
// flags, notes and codes of one cover, and the template it is drawn from.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/fax_settings.h"
#include "covers/files/cover_values.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace corvane::covers {

// Which field a failed check puts the focus on.
enum class CoverField { None, Recipient, RecipientFax, Regarding };
struct CoverCheck {
    CoverField field = CoverField::None;
    QString message;
};
// The checks Save runs, in order; texts are not trimmed.
CoverCheck CheckCover(const QString& recipient, const QString& recipientFax,
                      const QString& regarding, bool messageEmpty);

// Name, Company, Fax and Voice on four lines (stored with "\r" breaks).
QString SenderHint(const app::FaxSettings& settings);

class CreateEditQuickFax : public QDialog {
    Q_OBJECT
  public:
    // settings are the main window's; Change Sender Info updates and saves them.
    explicit CreateEditQuickFax(app::FaxSettings& settings, QWidget* parent = nullptr);

    void SetTemplateName(const QString& name);
    const QString& TemplateName() const { return templateName_; }
    void SetFlags(const CoverValues& values);
    void ReadFlags(CoverValues& values) const;
    void SetMessageLines(const std::vector<std::string>& lines);
    std::vector<std::string> MessageLines() const;

    void OkButtonClick();
    void AddressButtonClick();
    void ExplorerButton1Click();
    void ChangeSenderInfoButtonClick();

    QLineEdit* Recipient;
    QLineEdit* RecipientFax;
    QLineEdit* Regarding;
    QPlainTextEdit* FaxMessage;
    QLineEdit* Notes;
    QLineEdit* Codes;
    QCheckBox* cUrgent;
    QCheckBox* cForReview;
    QCheckBox* cPleaseComment;
    QCheckBox* cPleaseReply;
    QCheckBox* cPleaseRecycle;
    QLabel* CurrentQFileLabel;
    QPushButton* OkButton;
    QPushButton* Cancelbutton;
    QPushButton* AddressButton;
    QPushButton* ExplorerButton1;
    QPushButton* ChangeSenderInfoButton;
    QPushButton* Helpbutton;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QCheckBox* FlagBox(std::size_t index) const;

    app::FaxSettings& settings_;
    QString templateName_;
};

}  // namespace corvane::covers
