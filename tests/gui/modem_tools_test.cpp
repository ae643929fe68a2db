// Find Modem and Check Fax Class on pseudo-terminals and the simulated
// modem, through the send dialog and Preferences, with the questions that
// apply what they found.
#include <QLabel>
#include <QPushButton>

#include "../platform/pty_modem.h"
#include "app/fax_settings.h"
#include "gui_support.h"
#include "sendui/check_fax_class_form.h"
#include "sendui/find_modem_form.h"
#include "sendui/port_group.h"
#include "sendui/preferences.h"
#include "sendui/radio_group.h"
#include "sendui/send_fax_form.h"
#include "sendui/serial_devices.h"

namespace corvane::testing {
namespace {

using platform::PtyModem;

class ModemToolsTest : public ProgramDirectoryFixture {
  protected:
    // Only the devices the test makes are present.
    ModemToolsTest() { sendui::SetSerialDeviceRoots(home() + "dev", home() + "sys"); }
    ~ModemToolsTest() override { sendui::SetSerialDeviceRoots("/dev", "/sys/class/tty"); }
    void MapPorts(const app::PortDevices& devices) {
        app::SavePortDevices(app::SettingsPath(), devices);
    }
    // Runs each tool's work as showing it would, and remembers its lines.
    void RunTools() {
        prompts.dialogHandler = [this](QDialog& dialog) {
            if (auto* find = dynamic_cast<sendui::FindModemForm*>(&dialog)) {
                find->RunSearch();
                EXPECT_TRUE(find->OkButton->isVisible() || !find->OkButton->isHidden());
                lines.clear();
                for (QLabel* label : find->PortLabels) lines.push_back(label->text());
                summary = find->Label7->text();
                title = find->windowTitle();
            } else if (auto* check = dynamic_cast<sendui::CheckFaxClassForm*>(&dialog)) {
                check->CheckTheFaxClasses();
                lines = {check->Label1->text(), check->Label2->text(), check->Label3->text()};
                summary = check->Status->text();
                title = check->windowTitle();
                bold = check->Label3->font().bold();
            }
            return int(QDialog::Accepted);
        };
    }

    std::vector<QString> lines;
    QString summary;
    QString title;
    bool bold = false;
};

TEST_F(ModemToolsTest, FindModemReportsEveryPortAndOffersTheOneThatAnswers) {
    PtyModem silent, modem;
    modem.Answer("AT", "\r\nOK\r\n");
    MapPorts({silent.SlavePath(), "/dev/corvane-none-1", modem.SlavePath(), "/dev/corvane-none-2",
              "/dev/corvane-none-3", "/dev/corvane-none-4"});
    RunTools();
    prompts.answers = {true};
    sendui::SendFaxForm form;
    form.FindModemButton->click();
    EXPECT_EQ(lines,
              (std::vector<QString>{"Com 1: Unknown", "Com 2: Port does not exist", "Com 3: MODEM",
                                    "Com 4: Port does not exist", "Com 5: Port does not exist",
                                    "Com 6: Port does not exist"}));
    EXPECT_EQ(summary, "A modem was found on Com Port 3. We suggest setting the Port as Com 3.");
    EXPECT_EQ(title, "Find Modem");
    EXPECT_EQ(prompts.questions, std::vector<QString>{"Com Port: Set Com Port to Com 3"});
    EXPECT_EQ(form.ComPort->ItemIndex(), 2);
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_FALSE(form.CvComPort1().IsOpen());
    EXPECT_EQ(form.CvComPort1().ComNumber(), 1);  // back on the port chosen before

    // Found on the port already chosen: nothing is asked.
    prompts.questions.clear();
    form.FindModemButton->click();
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(ModemToolsTest, AModemOnADeviceNoPortStandsForIsGivenAFreePort) {
    PtyModem silent, modem;
    modem.Answer("AT", "\r\nOK\r\n");
    std::filesystem::create_directories(home() + "dev");
    std::filesystem::create_symlink(modem.SlavePath(), home() + "dev/ttyUSB0");
    MapPorts({silent.SlavePath(), "/dev/corvane-none-1", "/dev/corvane-none-2",
              "/dev/corvane-none-3", "/dev/corvane-none-4", "/dev/corvane-none-5"});
    RunTools();
    prompts.answers = {true};
    sendui::Preferences preferences;
    preferences.FindModemButton->click();
    const std::string device = home() + "dev/ttyUSB0";
    EXPECT_EQ(summary, QString::fromStdString("A modem was found on " + device +
                                              ", which no Com port stands for yet."));
    EXPECT_EQ(prompts.questions, std::vector<QString>{QString::fromStdString(
                                     "Com Port: Let Com 2 stand for " + device + "?")});
    EXPECT_EQ(app::LoadPortDevices(app::SettingsPath())[1], device);
    EXPECT_EQ(preferences.ComPort->ItemIndex(), 1);
    EXPECT_EQ(preferences.ComPort->deviceLabels[1]->toolTip(), QString::fromStdString(device));
}

TEST_F(ModemToolsTest, APortInUseGivesTheLongerNoModemText) {
    PtyModem held;
    MapPorts({"/dev/corvane-none-1", held.SlavePath(), "/dev/corvane-none-2", "/dev/corvane-none-3",
              "/dev/corvane-none-4", "/dev/corvane-none-5"});
    sendui::DialogPort other;
    other.SetComNumber(2);
    ASSERT_EQ(other.Open(), 0);
    RunTools();
    sendui::Preferences preferences;
    preferences.FindModemButton->click();
    EXPECT_EQ(lines[1], "Com 2: Port is already open (could be modem)");
    EXPECT_TRUE(
        summary.startsWith("No modem found. Please make sure that all communication "
                           "programs"));
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(ModemToolsTest, CheckFaxClassRecommendsTheHighestClassAndOffersIt) {
    struct Case {
        const char* classes;  // the modem's answer to AT+FCLASS=?
        std::vector<QString> lines;
        bool bold;
        const char* question;
        int index;
    } cases[] = {
        {"0,1,2",
         {"Class 1   : Supported", "Class 2   : Supported (recommended)",
          "Class 2.0 : Not Supported"},
         false,
         "Fax Class: Set fax class as Class 2 ?",
         2},
        {"(0,1,2,2.0)",
         {"Class 1   : Supported", "Class 2   : Supported", "Class 2.0 : Supported"},
         true,
         "Fax Class: Set fax class as Class 2.0 ?",
         3},
        {"0,1",
         {"Class 1   : Supported (recommended)", "Class 2   : Not Supported",
          "Class 2.0 : Not Supported"},
         false,
         "Fax Class: Set fax class as Class 1 ?",
         1},
    };
    for (const Case& c : cases) {
        PtyModem modem;
        modem.Answer("AT&F", "\r\nOK\r\n");
        modem.Answer("AT+FCLASS=?", std::string("\r\n") + c.classes + "\r\n\r\nOK\r\n");
        MapPorts({modem.SlavePath(), "", "", "", "", ""});
        RunTools();
        prompts.questions.clear();
        prompts.answers = {true};
        sendui::Preferences preferences;
        preferences.CheckFaxClassButton->click();
        EXPECT_EQ(lines, c.lines) << c.classes;
        EXPECT_EQ(bold, c.bold);
        EXPECT_EQ(title, "Check Fax Class");
        EXPECT_TRUE(summary.startsWith("Try using the recommended Fax Class ("));
        EXPECT_EQ(prompts.questions, std::vector<QString>{c.question});
        EXPECT_EQ(preferences.FaxClass->ItemIndex(), c.index);
    }
}

TEST_F(ModemToolsTest, CheckFaxClassWithoutAnAnswerOrAPortAsksNothing) {
    PtyModem mute;  // answers ERROR to everything
    MapPorts({mute.SlavePath(), "/dev/corvane-none", "", "", "", ""});
    RunTools();
    const std::vector<QString> unknown = {"Class 1   : unknown", "Class 2   : unknown",
                                          "Class 2.0 : unknown"};
    sendui::SendFaxForm form;
    form.CheckFaxClassButton->click();
    EXPECT_EQ(lines, unknown);
    EXPECT_EQ(summary, "Unable to determine Fax Class support from modem on Com 1");
    form.ComPort->SetItemIndex(1);
    form.CheckFaxClassButton->click();
    EXPECT_EQ(lines, unknown);
    EXPECT_EQ(summary, "Unable to open the specified communications port ( Com2 )");
    EXPECT_TRUE(prompts.questions.empty());
    // The send dialog traces the test into its own files.
    EXPECT_TRUE(Exists(home() + "CVSEND.TRC"));
}

TEST_F(ModemToolsTest, TheSimulatedModemAnswersBothTools) {
    MapPorts({"/dev/corvane-none", "sim", "", "", "", ""});
    RunTools();
    prompts.answers = {true, true};
    sendui::SendFaxForm form;
    form.FindModemButton->click();
    EXPECT_EQ(lines[1], "Com 2: MODEM");
    EXPECT_EQ(form.ComPort->ItemIndex(), 1);
    form.CheckFaxClassButton->click();
    EXPECT_TRUE(bold);
    EXPECT_EQ(form.sfFaxClass->ItemIndex(), 3);
}

}  // namespace
}  // namespace corvane::testing
