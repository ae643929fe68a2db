// "Phone Book Browser" over the phone book table, in browse mode (from the
// menu) or picker mode (from an editor, returning the accepted entry), and
// "Phone Book Editor" for one entry.
#pragma once

#include <QDialog>
#include <optional>

#include "tables/table.h"

class QLineEdit;
class QPushButton;

namespace corvane::app {

class FaxGrid;
class TableModel;

struct PhoneBookEntry {
    QString name, number;
};

class PhoneBookEditor : public QDialog {
    Q_OBJECT
  public:
    explicit PhoneBookEditor(const PhoneBookEntry& entry, QWidget* parent = nullptr);
    PhoneBookEntry Entry() const;

    QLineEdit* Name;
    QLineEdit* Number;
};

class PhoneBook : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { Browse, Picker };

    // The table must be open; the dialog does not own it.
    PhoneBook(tables::Table& table, Mode mode, QWidget* parent = nullptr);
    ~PhoneBook() override;

    // The entry accepted in picker mode.
    std::optional<PhoneBookEntry> Accepted() const { return accepted_; }

    void AddbuttonClick();
    void ModifybuttonClick();
    void DeletebuttonClick();
    void OKButtonClick();
    // Edit, Delete and Accept are enabled exactly when the book has rows.
    void SetButtonState();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Refresh();

    tables::Table& table_;
    TableModel* model_;
    FaxGrid* grid_;
    QPushButton* modify_;
    QPushButton* delete_;
    QPushButton* ok_;
    std::optional<PhoneBookEntry> accepted_;
};

// Open the phone book on its own shared handle; nothing happens (or no
// entry is returned) when the table cannot be opened.
void BrowsePhoneBook(QWidget* parent);
std::optional<PhoneBookEntry> PickFromPhoneBook(QWidget* parent);

}  // namespace corvane::app
