// Small pieces the application's dialogs share.
#pragma once

#include <QString>

class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace corvane::app {

QPushButton* MakeButton(QWidget* parent, const char* objectName, const QString& caption);
// A line edit of at most maxLength characters.
QLineEdit* MakeEdit(QWidget* parent, const char* objectName, int maxLength);
// Enter in the edit moves to the next field instead of ending the dialog.
void EnterMovesToNextField(QLineEdit* edit);
// AcceptButton (default, ends with OK) and CancelButton ("Cance&l"), then
// HelpButton ("&Help") for the topic when it is not 0. More buttons may be
// added to the row.
QHBoxLayout* AcceptCancelRow(QDialog* dialog, const QString& acceptCaption, int helpTopic = 0);
// Creates (if needed), centres with CentreForm and runs the dialog modally
// through the prompts, so tests can answer it.
int RunCentred(QDialog& dialog);

}  // namespace corvane::app
