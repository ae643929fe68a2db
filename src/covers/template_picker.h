// "Select Fax Cover Template": the templates in the covers directory, the
// preview picture of the selected one scaled to fit, and its description.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QListWidget;
class QPushButton;

namespace corvane::covers {

// The templates ("*.FCT" in any letter case) of a directory, sorted by name.
QStringList TemplateNames(const QString& directory);
// The companion of a template: its name with the extension replaced,
// found without regard to letter case.
QString Companion(const QString& directory, const QString& templateName, const QString& extension);

class PreviewQuickFaxForms : public QDialog {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "TPreviewQuickFaxForms";

    PreviewQuickFaxForms(const QString& directory, const QString& current,
                         QWidget* parent = nullptr);

    // The selected template's file name.
    const QString& Chosen() const { return chosen_; }
    void OkButtonClick();

    QListWidget* FileListBox1;
    QLabel* Image1;
    QLabel* DescriptionPanel;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

  private:
    void ShowPreview();
    void FitPreview();

    QString directory_;
    QString current_;
    QString chosen_;
    QPixmap preview_;
};

}  // namespace corvane::covers
