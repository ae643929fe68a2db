// Moving setting values in and out of the dialogs' edit boxes.
#pragma once

#include <QLineEdit>
#include <string>

namespace corvane::sendui {

inline void SetText(QLineEdit* edit, const std::string& text) {
    edit->setText(QString::fromStdString(text));
}
inline void SetNumber(QLineEdit* edit, int value) {
    edit->setText(QString::number(value));
}
inline std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}
// The box's decimal integer; a text that is not one leaves value as it was.
inline void ReadNumber(const QLineEdit* edit, int& value) {
    bool ok = false;
    const int number = edit->text().toInt(&ok, 10);
    if (ok)
        value = number;
}

}  // namespace corvane::sendui
