// Sending from the desktop through the simulated modem and through
// pseudo-terminals: the dialog's controls and settings, a send ending
// "Sent" or with the error text, the status window, ports that cannot be
// opened, and the Send command recording the outcome in its row.
#include <unistd.h>

#include <cerrno>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <map>
#include <set>

#include "../platform/pty_modem.h"
#include "../support/fax_pages.h"
#include "app/fax_settings.h"
#include "app/main_screen.h"
#include "faxengine/fax_components.h"
#include "faxengine/fax_progress.h"
#include "gui_support.h"
#include "platform/fax_port.h"
#include "platform/wall_clock_driver.h"
#include "sendui/fax_status_window.h"
#include "sendui/port_group.h"
#include "sendui/radio_group.h"
#include "sendui/send_fax_form.h"
#include "sendui/send_form_settings.h"
#include "tables/fax_tables.h"

namespace corvane::testing {
namespace {

using platform::PtyModem;
using sendui::SendFaxForm;

class SendFaxTest : public ProgramDirectoryFixture {
  protected:
    void MapPorts(std::initializer_list<std::pair<int, std::string>> ports) {
        app::PortDevices devices = app::DefaultPortDevices();
        for (const auto& [com, device] : ports) devices[com - 1] = device;
        app::SavePortDevices(app::SettingsPath(), devices);
    }
    std::string TwoPageFax(const std::string& name) {
        const std::string path = home() + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFax(path, {BarPage(1728, 200, 10), BarPage(1728, 200, 100)});
        return path;
    }
    // Runs the simulated line at full speed until the send has finished.
    static bool RunSimulatedSend(SendFaxForm& form) {
        auto* sim = dynamic_cast<platform::SimulatedFaxPort*>(form.CvComPort1().Opened());
        if (sim == nullptr)
            return !form.Sending();
        return sim->Driver().FastForward([&form] { return !form.Sending(); },
                                         sim->Scheduler().Now() + engine::Seconds(600));
    }
    // A form as the Send command hands it over, on Com1.
    std::unique_ptr<SendFaxForm> Form(const std::string& number, const std::string& file) {
        auto form = std::make_unique<SendFaxForm>();
        app::FaxSettings settings;
        settings.ComPort = 0;
        settings.Name = "Ann Lee";
        settings.Fax = "555 0100";
        settings.DialAttempts = 1;
        sendui::FillSendForm(*form, settings);
        form->FaxFileName = file;
        form->RecipientNumber = number;
        form->show();
        return form;
    }
};

TEST_F(SendFaxTest, ControlsComeFromTheSettingsAndGoBackUnlessNotANumber) {
    SendFaxForm form;
    EXPECT_EQ(form.SendResult, "Cancelled");
    EXPECT_EQ(form.TransferRate->currentIndex(), -1);
    EXPECT_EQ(form.sfDialAttempts->text(), "3");
    EXPECT_EQ(form.sfusername->maxLength(), 20);
    EXPECT_EQ(form.sfStationID->maxLength(), 20);
    EXPECT_EQ(form.ComPort->Count(), 6);
    EXPECT_EQ(form.ComPort->Item(5)->text(), "Com6");
    EXPECT_TRUE(form.SendFaxButton->isDefault());
    EXPECT_TRUE(form.sfModemInit->toolTip().contains("('ATE0Q0V1X4S0=0')"));

    app::FaxSettings settings;
    settings.ComPort = 3;
    settings.Name = "Ann Lee";
    settings.Fax = "555 0100";
    settings.DialPrefix = "9,";
    settings.InitString = "S7=60";
    settings.DialAttempts = 4;
    settings.RetryWait = 20;
    settings.Timeout = 50;
    settings.FaxClass = 2;
    settings.ToneOrPulse = 1;
    settings.BlindDial = true;
    settings.MaximumBPS = 13000;  // not a rate of the list: shows and goes back as 9600
    sendui::FillSendForm(form, settings);
    EXPECT_EQ(form.ComPort->ItemIndex(), 3);
    EXPECT_EQ(form.CvComPort1().ComNumber(), 4);
    EXPECT_EQ(form.sfRetryWait->text(), "20");
    EXPECT_EQ(form.sfFaxClass->ItemIndex(), 2);
    EXPECT_EQ(form.TransferRate->currentText(), "9600");

    form.sfDialAttempts->setText("x");
    form.sfRetryWait->setText("25");
    form.sfTimeOut->setText("");
    form.CheckIgnoreBusy->setChecked(true);
    app::FaxSettings back = settings;
    sendui::ReadSendForm(form, back);
    EXPECT_EQ(back.DialAttempts, 4);
    EXPECT_EQ(back.RetryWait, 25);
    EXPECT_EQ(back.Timeout, 50);
    EXPECT_TRUE(back.IgnoreBusy);
    EXPECT_EQ(back.MaximumBPS, 9600);
    EXPECT_EQ(back.InitString, "S7=60");
}

TEST_F(SendFaxTest, SendsThroughTheSimulatedModemWithTheStatusWindowRunning) {
    MapPorts({{1, "sim"}});
    auto form = Form("555 0188", TwoPageFax("WORK.APF"));
    EXPECT_EQ(form->sfPhoneNumber->text(), "555 0188");
    form->sfModemInit->setText("S7=60");
    form->sfDialAttempts->setText("2");
    form->sfRetryWait->setText("x");  // it and the time-out after it keep their values
    form->sfTimeOut->setText("30");
    form->TransferRate->setCurrentIndex(-1);
    form->SendFaxButton->click();
    ASSERT_TRUE(form->Sending());
    sendui::StandardFaxDisplay* status = form->CvFaxStatus1().Display();
    // Pressing Send again or Close while the session runs only beeps.
    form->SendFaxButton->click();
    form->CloseButton->click();
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(form->isVisible());

    std::map<std::string, int> seen;
    auto* fax = form->CvSendFax1();
    fax->onFaxStatus = [&](engine::CvCustomAbstractFax&, bool, bool) {
        if (status->isVisible())
            ++seen[status->fsStatusMsg->text().toStdString()];
    };
    ASSERT_TRUE(RunSimulatedSend(*form));
    EXPECT_EQ(form->SendResult, "Sent");
    EXPECT_EQ(prompts.informations, std::vector<QString>{"Fax sent successfully"});
    EXPECT_TRUE(seen.count("Dialing")) << seen.size();
    EXPECT_TRUE(seen.count("Sending page data"));
    EXPECT_FALSE(status->isVisible());
    EXPECT_EQ(status->fsTotalPages->text(), "2");
    EXPECT_EQ(status->fsPhoneNumber->text(), "555 0188");
    EXPECT_EQ(fax->modemInit, "ATS7=60");
    EXPECT_EQ(fax->dialAttempts, 2);
    EXPECT_EQ(fax->DialRetryWait(), 60u);
    EXPECT_EQ(fax->DialWait(), 60u);
    EXPECT_EQ(fax->desiredBPS, 9600);
    EXPECT_TRUE(fax->headerLine.starts_with("Page $P of $N, Sent by Ann Lee, $I  on "));
    EXPECT_FALSE(form->CvComPort1().IsOpen());
    EXPECT_TRUE(Exists(home() + "CVSEND.TRC"));
    EXPECT_TRUE(Exists(home() + "CVSEND.LOG"));
    // Idle again: Close closes.
    form->CloseButton->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SendFaxTest, ABusyNumberEndsWithItsErrorTextAndTheLastFinishCounts) {
    MapPorts({{1, "sim"}});
    auto form = Form("555 0001", TwoPageFax("WORK.APF"));
    form->sfDialAttempts->setText("2");
    form->SendFaxButton->click();
    sendui::StandardFaxDisplay* status = form->CvFaxStatus1().Display();
    std::vector<QString> waits;
    form->CvSendFax1()->onFaxStatus = [&](engine::CvCustomAbstractFax&, bool, bool) {
        if (status->fsStatusMsg->text().startsWith("Busy"))
            waits.push_back(status->fsStatusMsg->text());
    };
    ASSERT_TRUE(RunSimulatedSend(*form));
    // Between the two attempts the countdown runs down from the retry wait.
    ASSERT_GE(waits.size(), 2u);
    EXPECT_EQ(waits.front(), "Busy, waiting until redial...  1:00");
    EXPECT_TRUE(waits.back().endsWith("  0:00") || waits.back().endsWith("  0:01"))
        << waits.back().toStdString();
    EXPECT_EQ(form->SendResult, "Called fax number was busy");
    EXPECT_EQ(prompts.informations,
              std::vector<QString>{"Fax was not sent. Called fax number was busy"});
    // A second attempt to another number succeeds and is what counts.
    form->sfPhoneNumber->setText("555 0177");
    form->SendFaxButton->click();
    ASSERT_TRUE(RunSimulatedSend(*form));
    EXPECT_EQ(form->SendResult, "Sent");
}

TEST_F(SendFaxTest, APortThatCannotBeOpenedIsReportedAndNothingStarts) {
    PtyModem modem;
    MapPorts({{1, "/dev/corvane-no-such-device"}, {2, modem.SlavePath()}});
    struct Case {
        int com;
        const char* message;
    } cases[] = {
        {1, "Unable to open the specified communications port ( Com1 )"},
        {2,
         "The communications port is in use ( Com 2 )\r\rPlease make sure that all "
         "communication programs (internet, AOL, etc) are closed, and then try again."},
    };
    // Com2's device is held by another port of this program.
    sendui::DialogPort holder;
    holder.SetComNumber(2);
    ASSERT_EQ(holder.Open(), 0);
    for (const Case& c : cases) {
        prompts.informations.clear();
        auto form = Form("555 0188", TwoPageFax("WORK.APF"));
        form->ComPort->SetItemIndex(c.com - 1);
        form->SendFaxButton->click();
        EXPECT_FALSE(form->Sending());
        EXPECT_EQ(prompts.informations, std::vector<QString>{c.message});
        EXPECT_EQ(form->SendResult, "Cancelled");
    }
}

TEST_F(SendFaxTest, ADeviceTheUserMayNotOpenNamesTheDialoutGroup) {
    // A serial or console device of this machine that this user may not open.
    std::string device;
    for (const char* candidate : {"/dev/ttyS0", "/dev/ttyS1", "/dev/tty1", "/dev/tty2"}) {
        if (::access(candidate, F_OK) == 0 && ::access(candidate, R_OK | W_OK) != 0 &&
            errno == EACCES) {
            device = candidate;
            break;
        }
    }
    if (device.empty())
        GTEST_SKIP() << "every device here opens for this user";
    MapPorts({{1, device}});
    auto form = Form("555 0188", TwoPageFax("WORK.APF"));
    form->SendFaxButton->click();
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].startsWith(
        "Unable to open the specified communications port ( Com1 )"));
    EXPECT_TRUE(prompts.informations[0].contains("sudo usermod -aG dialout $USER"))
        << prompts.informations[0].toStdString();
}

TEST_F(SendFaxTest, ACoverSentAheadShowsAsTheCoverPage) {
    MapPorts({{1, "sim"}});
    auto form = Form("555 0188", TwoPageFax("WORK.APF"));
    form->CoverFileName = TwoPageFax("COVER.APF");
    form->SendFaxButton->click();
    sendui::StandardFaxDisplay* status = form->CvFaxStatus1().Display();
    std::set<QString> pages;
    form->CvSendFax1()->onFaxStatus = [&](engine::CvCustomAbstractFax&, bool, bool) {
        pages.insert(status->fsCurrentPage->text());
    };
    ASSERT_TRUE(RunSimulatedSend(*form));
    EXPECT_EQ(form->SendResult, "Sent");
    EXPECT_TRUE(pages.count("<cover page>"));
    EXPECT_TRUE(pages.count("2"));
}

TEST_F(SendFaxTest, CancelInTheStatusWindowEndsTheSendAsAFailure) {
    MapPorts({{1, "sim"}});
    auto form = Form("555 0188", TwoPageFax("WORK.APF"));
    form->SendFaxButton->click();
    sendui::StandardFaxDisplay* status = form->CvFaxStatus1().Display();
    form->CvSendFax1()->onFaxStatus = [&](engine::CvCustomAbstractFax& fax, bool, bool) {
        if (fax.FaxProgress() == engine::kProgressSendingPage && status->isVisible())
            status->fsCancel->click();
    };
    ASSERT_TRUE(RunSimulatedSend(*form));
    EXPECT_EQ(form->SendResult, "Cancel requested");
    EXPECT_EQ(prompts.informations, std::vector<QString>{"Fax was not sent. Cancel requested"});
    EXPECT_FALSE(status->isVisible());
}

class SendCommandTest : public SendFaxTest {
  protected:
    void SeedRow(const std::string& phone, const std::string& faxDoc) {
        tables::Table table;
        ASSERT_TRUE(tables::OpenOutgoingTable(table, home(), ""));
        table.Append();
        table.SetText("SUBJECT", "Prices");
        table.SetText("RECIPIENT", "Harbour Supplies");
        table.SetText("PHONE", phone);
        table.SetText("FAXDOC", faxDoc);
        table.SetDate("DATESENT", {2026, 1, 2});
        table.SetText("TIMESENT", "08:15");
        table.Post();
    }
    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(home())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("FAX") && name.ends_with(".APF"))
                names.push_back(name);
        }
        return names;
    }
};

TEST_F(SendCommandTest, ASentFaxStampsItsRowAndLeavesNoWorkFile) {
    MapPorts({{1, "sim"}});
    TwoPageFax("SEND/DOC00000.APF");
    SeedRow("555 0142", "DOC00000.APF");
    app::MainScreen screen;
    screen.FirstActivate();
    prompts.dialogHandler = [](QDialog& dialog) {
        auto& form = static_cast<SendFaxForm&>(dialog);
        EXPECT_EQ(form.windowTitle(), "Send Fax: [To: Harbour Supplies ,   Subject: Prices]");
        dialog.show();
        EXPECT_EQ(form.sfPhoneNumber->text(), "555 0142");
        form.sfRetryWait->setText("33");
        form.SendFaxButton->click();
        EXPECT_TRUE(RunSimulatedSend(form));
        form.CloseButton->click();
        return dialog.result();
    };
    screen.SendButtonClick();
    tables::Table& table = screen.FaxTable();
    EXPECT_EQ(table.Text("LASTRESULT"), "Sent");
    const QDate today = QDate::currentDate();
    EXPECT_EQ(table.DateValue("DATESENT"),
              (tables::Date{today.year(), today.month(), today.day()}));
    EXPECT_EQ(table.Text("TIMESENT").size(), 5u);
    EXPECT_NE(table.Text("TIMESENT"), "08:15");
    EXPECT_TRUE(WorkFiles().empty());
    EXPECT_TRUE(Exists(home() + "SEND/DOC00000.APF"));
    // The dialog's values went back into the settings and the file.
    EXPECT_EQ(screen.Settings().RetryWait, 33);
    EXPECT_EQ(app::LoadSettings(app::SettingsPath()).RetryWait, 33);
}

TEST_F(SendCommandTest, BusyAndCancelledOutcomesKeepTheOldDates) {
    MapPorts({{1, "sim"}});
    TwoPageFax("SEND/DOC00000.APF");
    SeedRow("555 0001", "DOC00000.APF");
    app::MainScreen screen;
    screen.FirstActivate();
    bool send = true;
    prompts.dialogHandler = [&send](QDialog& dialog) {
        auto& form = static_cast<SendFaxForm&>(dialog);
        dialog.show();
        if (send) {
            form.sfDialAttempts->setText("1");
            form.SendFaxButton->click();
            EXPECT_TRUE(RunSimulatedSend(form));
        }
        form.CloseButton->click();
        return dialog.result();
    };
    const struct {
        bool send;
        const char* result;
    } cases[] = {{true, "Called fax number was busy"}, {false, "Cancelled"}};
    for (const auto& c : cases) {
        send = c.send;
        screen.SendButtonClick();
        tables::Table& table = screen.FaxTable();
        EXPECT_EQ(table.Text("LASTRESULT"), c.result);
        EXPECT_EQ(table.DateValue("DATESENT"), (tables::Date{2026, 1, 2}));
        EXPECT_EQ(table.Text("TIMESENT"), "08:15");
        EXPECT_TRUE(WorkFiles().empty());
    }
}

TEST_F(SendCommandTest, ARowWithoutFilesOpensNoDialog) {
    SeedRow("555 0142", "GONE.APF");
    app::MainScreen screen;
    screen.FirstActivate();
    screen.SendButtonClick();
    EXPECT_EQ(prompts.informations, std::vector<QString>{"Error - No fax file to send"});
    EXPECT_TRUE(prompts.dialogs.empty());
}

}  // namespace
}  // namespace corvane::testing
