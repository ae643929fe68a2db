#include "check_fax_class_form.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_port.h"
#include "faxengine/fax_components.h"
#include "modem_probe.h"

namespace corvane::sendui {

namespace {

constexpr unsigned kClass1Bit = 4;
constexpr unsigned kClass2Bit = 8;
constexpr unsigned kClass20Bit = 16;

QString Supported(const char* caption, bool supported) {
    return QString::fromLatin1(caption) +
           (supported ? QStringLiteral("Supported") : QStringLiteral("Not Supported"));
}

}  // namespace

ClassRecommendation Recommend(const ClassSupport& support) {
    if (support.class20)
        return {2, "Class 2.0"};
    if (support.class2)
        return {1, "Class 2"};
    if (support.class1)
        return {0, "Class 1"};
    return {};
}

CheckFaxClassForm::CheckFaxClassForm(DialogPort& testPort, int portNumber, QWidget* parent)
    : ToolDialog("CheckFaxClassForm", QStringLiteral("Finding Fax Class...Please wait"), parent),
      TestPort(testPort),
      PortNumber(portNumber) {
    auto label = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Label8 = label("Label8", "Fax Classes:");
    Label1 = label("Label1", "Class 1 :");
    Label2 = label("Label2", "Class 2 :");
    Label3 = label("Label3", "Class 2.0 :");
    Status = MakeText("Status", QStringLiteral("Testing Fax Classes...please wait."), {308, 88});
    auto* column = new QVBoxLayout(this);
    column->addWidget(Label8);
    for (QLabel* line : {Label1, Label2, Label3}) {
        line->setIndent(12);
        // The blanks of the texts line the colons up.
        line->setFont(QFont(QStringLiteral("Liberation Mono"), font().pointSize()));
        column->addWidget(line);
    }
    column->addWidget(Status);
    column->addWidget(OkButton, 0, Qt::AlignHCenter);
}

void CheckFaxClassForm::ShowUnknown() {
    Label1->setText(QStringLiteral("Class 1   : unknown"));
    Label2->setText(QStringLiteral("Class 2   : unknown"));
    Label3->setText(QStringLiteral("Class 2.0 : unknown"));
}

bool CheckFaxClassForm::QueryClasses() {
    Support = {};
    try {
        engine::CvCustomSendFax fax(TestPort.Clock(), TestPort.Platform());
        fax.SetComPort(TestPort.Port());
        const unsigned classes = fax.SupportedFaxClasses();
        Support = {(classes & kClass1Bit) != 0, (classes & kClass2Bit) != 0,
                   (classes & kClass20Bit) != 0};
    } catch (const std::exception&) {
        Support = {};
        return false;
    }
    return Support.class1 || Support.class2 || Support.class20;
}

void CheckFaxClassForm::CheckTheFaxClasses() {
    if (!BeginWork())
        return;
    RecommendedClass = -1;
    RecommendedClassName.clear();
    Status->setText(QStringLiteral("Opening Com Port...please wait"));
    QApplication::processEvents();
    TestPort.SetComNumber(PortNumber);
    QString message;
    if (!TestPort.OpenReporting(message)) {
        Status->setText(message);
        ShowUnknown();
    } else {
        ResetModem(*TestPort.Port(), TestPort.Clock(), TestPort.Platform());
        Status->setText(QStringLiteral("Querying modem Fax Class support..."));
        QApplication::processEvents();
        const bool answered = QueryClasses();
        Status->clear();
        QApplication::processEvents();
        if (!answered) {
            Status->setText(
                QStringLiteral("Unable to determine Fax Class support from modem on Com %1")
                    .arg(PortNumber));
            ShowUnknown();
        } else {
            Label3->setText(Supported("Class 2.0 : ", Support.class20));
            Label2->setText(Supported("Class 2   : ", Support.class2));
            Label1->setText(Supported("Class 1   : ", Support.class1));
            const ClassRecommendation r = Recommend(Support);
            RecommendedClass = r.recommendedClass;
            RecommendedClassName = r.name;
            if (RecommendedClass == 2) {
                QFont bold = Label3->font();
                bold.setBold(true);
                Label3->setFont(bold);
            } else {
                QLabel* line = RecommendedClass == 1 ? Label2 : Label1;
                line->setText(line->text() + QStringLiteral(" (recommended)"));
            }
            QApplication::processEvents();
            Status->setText(QStringLiteral("Try using the recommended Fax Class (") +
                            QString::fromStdString(RecommendedClassName) +
                            QStringLiteral(") or auto detect. ") +
                            QStringLiteral("If you experience problems, try Class 1.") +
                            QStringLiteral("\n\n(note: US Robotics users should read the help "
                                           "section on troubleshooting)"));
        }
    }
    TestPort.Close();
    QApplication::processEvents();
    EndWork(QStringLiteral("Check Fax Class"));
}

}  // namespace corvane::sendui
