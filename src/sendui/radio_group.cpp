#include "radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace corvane::sendui {

RadioGroup::RadioGroup(const char* objectName, const QString& caption, const QStringList& items,
                       int columns, QWidget* parent)
    : QGroupBox(caption, parent),
      buttons_(new QButtonGroup(this)),
      grid_(new QGridLayout(this)),
      rows_((static_cast<int>(items.size()) + columns - 1) / columns) {
    setObjectName(QString::fromLatin1(objectName));
    buttons_->setExclusive(true);
    grid_->setHorizontalSpacing(12);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QString::fromLatin1(objectName) + QString::number(i));
        buttons_->addButton(button, i);
        grid_->addWidget(button, i % rows_, (i / rows_) * 2);
    }
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::ItemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group never lets the last checked button go by itself.
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons()) button->setChecked(false);
    buttons_->setExclusive(true);
}

int RadioGroup::Count() const {
    return static_cast<int>(buttons_->buttons().size());
}

QRadioButton* RadioGroup::Item(int index) const {
    return static_cast<QRadioButton*>(buttons_->button(index));
}

}  // namespace corvane::sendui
