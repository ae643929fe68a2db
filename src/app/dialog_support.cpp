#include "dialog_support.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "platform/help_window.h"
#include "platform/prompts.h"
#include "window_placement.h"

namespace corvane::app {

namespace {

class EnterToNextField : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        auto* edit = static_cast<QWidget*>(watched);
        for (QWidget* next = edit->nextInFocusChain(); next != edit;
             next = next->nextInFocusChain()) {
            if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
                next->isVisibleTo(edit->window())) {
                next->setFocus(Qt::TabFocusReason);
                break;
            }
        }
        return true;
    }
};

}  // namespace

QPushButton* MakeButton(QWidget* parent, const char* objectName, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* objectName, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setMaxLength(maxLength);
    return edit;
}

QHBoxLayout* AcceptCancelRow(QDialog* dialog, const QString& acceptCaption, int helpTopic) {
    QPushButton* accept = MakeButton(dialog, "AcceptButton", acceptCaption);
    QPushButton* cancel = MakeButton(dialog, "CancelButton", QStringLiteral("Cance&l"));
    accept->setDefault(true);
    QObject::connect(accept, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(accept);
    row->addWidget(cancel);
    if (helpTopic != 0) {
        QPushButton* help = MakeButton(dialog, "HelpButton", QStringLiteral("&Help"));
        QObject::connect(help, &QPushButton::clicked, dialog,
                         [helpTopic] { platform::ShowHelpTopic(helpTopic); });
        row->addWidget(help);
    }
    return row;
}

void EnterMovesToNextField(QLineEdit* edit) {
    edit->installEventFilter(new EnterToNextField(edit));
}

int RunCentred(QDialog& dialog) {
    dialog.adjustSize();
    CentreForm(dialog);
    return platform::CurrentPrompts().Run(dialog);
}

}  // namespace corvane::app
