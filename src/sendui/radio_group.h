// A captioned group of radio buttons in columns with one item index, as
// the dialogs' "Port", "Fax class" and "Tone or Pulse" groups are.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace corvane::sendui {

class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const char* objectName, const QString& caption, const QStringList& items,
               int columns, QWidget* parent = nullptr);

    // -1 when no item is checked; an index outside the items unchecks all.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int Count() const;
    QRadioButton* Item(int index) const;
    // Items fill the grid column by column, two cells per item so that a
    // note can stand beside each one.
    QGridLayout* Grid() const { return grid_; }
    int Rows() const { return rows_; }

  signals:
    void itemIndexChanged(int index);

  private:
    QButtonGroup* buttons_;
    QGridLayout* grid_;
    int rows_;
};

}  // namespace corvane::sendui
