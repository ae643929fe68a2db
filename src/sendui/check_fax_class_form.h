// "Check Fax Class": asks the modem on the chosen port which fax classes it
// supports and recommends the highest: class 2.0, then 2, then 1.
#pragma once

#include <string>

#include "tool_dialog.h"

class QLabel;

namespace corvane::sendui {

class DialogPort;

struct ClassSupport {
    bool class1 = false;
    bool class2 = false;
    bool class20 = false;
};

struct ClassRecommendation {
    int recommendedClass = -1;  // 0 class 1, 1 class 2, 2 class 2.0, -1 none
    std::string name;           // "Class 1", "Class 2", "Class 2.0" or empty
};

ClassRecommendation Recommend(const ClassSupport& support);

class CheckFaxClassForm : public ToolDialog {
    Q_OBJECT
  public:
    CheckFaxClassForm(DialogPort& testPort, int portNumber, QWidget* parent = nullptr);

    // The test; runs once, when the dialog is first shown.
    void CheckTheFaxClasses();

    DialogPort& TestPort;
    int PortNumber;
    ClassSupport Support;
    int RecommendedClass = -1;
    std::string RecommendedClassName;

    QLabel* Label8;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Status;

  private:
    void Work() override { CheckTheFaxClasses(); }
    void ShowUnknown();
    // The modem's answer to its class inquiry; nothing when it gave none.
    bool QueryClasses();
};

}  // namespace corvane::sendui
