#include "shared_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/dialog_support.h"
#include "app/transfer_rates.h"
#include "platform/prompts.h"
#include "radio_group.h"

namespace corvane::sendui {

QLineEdit* MakeHintedEdit(QWidget* parent, const char* objectName, int maxLength,
                          const char* hint) {
    QLineEdit* edit = app::MakeEdit(parent, objectName, maxLength);
    if (hint != nullptr)
        edit->setToolTip(platform::WithLineBreaks(QString::fromUtf8(hint)));
    app::EnterMovesToNextField(edit);
    return edit;
}

QCheckBox* MakeHintedCheckBox(QWidget* parent, const char* objectName, const QString& caption,
                              const char* hint) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setToolTip(platform::WithLineBreaks(QString::fromUtf8(hint)));
    return box;
}

QComboBox* MakeTransferRateList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("TransferRate"));
    for (const int rate : app::kTransferRates) list->addItem(QString::number(rate));
    list->setCurrentIndex(-1);
    list->setToolTip(platform::WithLineBreaks(QString::fromUtf8(kTransferRateHint)));
    return list;
}

RadioGroup* MakeFaxClassGroup(const char* objectName, QWidget* parent) {
    auto* group = new RadioGroup(objectName, QStringLiteral("Fax &class"),
                                 {QStringLiteral("auto detect"), QStringLiteral("class 1"),
                                  QStringLiteral("class 2"), QStringLiteral("class 2.0")},
                                 1, parent);
    group->setToolTip(platform::WithLineBreaks(QString::fromUtf8(kFaxClassHint)));
    group->SetItemIndex(0);
    return group;
}

RadioGroup* MakeToneOrPulseGroup(const char* objectName, QWidget* parent) {
    auto* group = new RadioGroup(objectName, QStringLiteral("Tone or Pulse"),
                                 {QStringLiteral("Tone"), QStringLiteral("Pulse")}, 2, parent);
    group->SetItemIndex(0);
    return group;
}

}  // namespace corvane::sendui
