#include "small_dialogs.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialog_support.h"
#include "help_topics.h"

namespace corvane::app {

EditReceiveNotes::EditReceiveNotes(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditReceiveNotes"));
    setWindowTitle(QStringLiteral("Received Fax Notes"));
    Descript = new QLabel(this);
    Descript->setObjectName(QStringLiteral("Descript"));
    Notes = MakeEdit(this, "Notes", 60);
    Notes->setMinimumWidth(420);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Descript);
    layout->addWidget(Notes);
    layout->addLayout(AcceptCancelRow(this, QStringLiteral("&Accept")));
}

DeleteWhat::DeleteWhat(QWidget* parent) : QDialog(parent), WhatToDelete(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("DeleteWhat"));
    setWindowTitle(QStringLiteral("Delete Fax"));
    WhatToDelete->setObjectName(QStringLiteral("WhatToDelete"));
    auto* box = new QGroupBox(this);
    auto* choices = new QVBoxLayout(box);
    const QString captions[] = {QStringLiteral("Delete Fax Cover"),
                                QStringLiteral("Delete Fax Body"),
                                QStringLiteral("Delete Both Fax Cover && Fax Body")};
    for (int id = 0; id < 3; ++id) {
        // Radio buttons take "&" as a mnemonic: "&&" shows one ampersand.
        auto* radio = new QRadioButton(captions[id], box);
        radio->setObjectName(QStringLiteral("WhatToDelete%1").arg(id));
        WhatToDelete->addButton(radio, id);
        choices->addWidget(radio);
    }
    SetChoice(DeleteBoth);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addLayout(AcceptCancelRow(this, QStringLiteral("&Ok"), kHelpDeleteFax));
}

int DeleteWhat::Choice() const {
    return WhatToDelete->checkedId();
}

void DeleteWhat::SetChoice(int choice) {
    if (QAbstractButton* button = WhatToDelete->button(choice))
        button->setChecked(true);
}

}  // namespace corvane::app
