// Preferences and the device mapping: the controls filled from the
// settings and read back, Accept refusing a count that is not a number,
// the first-run opening, the sound file choice and the "Ports" section.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/fax_settings.h"
#include "app/main_screen.h"
#include "app/program_directory.h"
#include "gui_support.h"
#include "sendui/port_devices_dialog.h"
#include "sendui/port_group.h"
#include "sendui/preferences.h"
#include "sendui/preferences_command.h"
#include "sendui/radio_group.h"

namespace corvane::testing {
namespace {

using sendui::Preferences;

app::FaxSettings Sample() {
    app::FaxSettings s;
    s.Name = "Ann Lee";
    s.Company = "Harbour Supplies";
    s.Fax = "555 0100";
    s.Voice = "555 0101";
    s.DialPrefix = "9,";
    s.InitString = "S7=60";
    s.DialAttempts = 5;
    s.RetryWait = 30;
    s.Timeout = 45;
    s.ComPort = 2;
    s.FaxClass = 3;
    s.ToneOrPulse = 1;
    s.BlindDial = true;
    s.IgnoreBusy = true;
    s.MaximumBPS = 14400;
    s.Wav = "/tmp/ring.wav";
    s.AnswerOnRing = 3;
    return s;
}

void ExpectSame(const app::FaxSettings& a, const app::FaxSettings& b) {
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Company, b.Company);
    EXPECT_EQ(a.Fax, b.Fax);
    EXPECT_EQ(a.Voice, b.Voice);
    EXPECT_EQ(a.DialPrefix, b.DialPrefix);
    EXPECT_EQ(a.InitString, b.InitString);
    EXPECT_EQ(a.DialAttempts, b.DialAttempts);
    EXPECT_EQ(a.RetryWait, b.RetryWait);
    EXPECT_EQ(a.Timeout, b.Timeout);
    EXPECT_EQ(a.ComPort, b.ComPort);
    EXPECT_EQ(a.FaxClass, b.FaxClass);
    EXPECT_EQ(a.ToneOrPulse, b.ToneOrPulse);
    EXPECT_EQ(a.BlindDial, b.BlindDial);
    EXPECT_EQ(a.IgnoreBusy, b.IgnoreBusy);
    EXPECT_EQ(a.MaximumBPS, b.MaximumBPS);
    EXPECT_EQ(a.Wav, b.Wav);
    EXPECT_EQ(a.AnswerOnRing, b.AnswerOnRing);
}

using PreferencesTest = ProgramDirectoryFixture;

TEST_F(PreferencesTest, EverySettingGoesIntoItsControlAndBackAndIsSaved) {
    app::FaxSettings settings = Sample();
    prompts.dialogHandler = [](QDialog& dialog) {
        auto& p = static_cast<Preferences&>(dialog);
        EXPECT_EQ(p.Name->text(), "Ann Lee");
        EXPECT_EQ(p.ComPort->ItemIndex(), 2);
        EXPECT_EQ(p.FaxClass->ItemIndex(), 3);
        EXPECT_EQ(p.TransferRate->currentText(), "14400");
        EXPECT_EQ(p.AnswerOnRing->ItemIndex(), 2);
        EXPECT_EQ(p.TimeOut->text(), "45");
        EXPECT_EQ(p.Name->maxLength(), 35);
        EXPECT_EQ(p.FaxNumber->maxLength(), 20);
        p.Name->setText(QStringLiteral("Bo Ek"));
        p.TimeOut->setText(QStringLiteral("90"));
        p.AnswerOnRing->SetItemIndex(1);
        p.TransferRate->setCurrentIndex(1);
        p.OkButton->click();
        return dialog.result();
    };
    ASSERT_TRUE(sendui::EditPreferences(settings, false, nullptr));
    app::FaxSettings expected = Sample();
    expected.Name = "Bo Ek";
    expected.Timeout = 90;
    expected.AnswerOnRing = 2;
    expected.MaximumBPS = 4800;
    ExpectSame(settings, expected);
    ExpectSame(app::LoadSettings(app::SettingsPath()), expected);
}

TEST_F(PreferencesTest, CancelAndAStoredOddRateLeaveTheSettingsAlone) {
    app::FaxSettings settings = Sample();
    settings.MaximumBPS = 13000;
    prompts.dialogHandler = [](QDialog& dialog) {
        auto& p = static_cast<Preferences&>(dialog);
        EXPECT_EQ(p.TransferRate->currentText(), "9600");
        p.Name->setText(QStringLiteral("changed"));
        p.Cancelbutton->click();
        return dialog.result();
    };
    app::FaxSettings before = settings;
    EXPECT_FALSE(sendui::EditPreferences(settings, false, nullptr));
    ExpectSame(settings, before);
}

TEST_F(PreferencesTest, AcceptRefusesACountThatIsNotANumberAndKeepsTheDialogOpen) {
    app::FaxSettings settings = Sample();
    prompts.dialogHandler = [this](QDialog& dialog) {
        auto& p = static_cast<Preferences&>(dialog);
        p.Name->setText(QStringLiteral("half"));
        p.RetryWait->setText(QStringLiteral("x"));
        p.OkButton->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(prompts.informations,
                  std::vector<QString>{QStringLiteral("'x' is not a valid integer value")});
        // Nothing was read back or saved meanwhile; fixing the box lets it through.
        p.RetryWait->setText(QStringLiteral("15"));
        p.OkButton->click();
        return dialog.result();
    };
    ASSERT_TRUE(sendui::EditPreferences(settings, false, nullptr));
    EXPECT_EQ(settings.Name, "half");
    EXPECT_EQ(settings.RetryWait, 15);
}

TEST_F(PreferencesTest, ChangeSenderInfoReadsOnlyItsTwelveValues) {
    app::FaxSettings settings = Sample();
    prompts.dialogHandler = [](QDialog& dialog) {
        auto& p = static_cast<Preferences&>(dialog);
        // The other controls keep their initial values.
        EXPECT_EQ(p.TimeOut->text(), "60");
        EXPECT_EQ(p.WaveFileEdit->text(), "");
        EXPECT_FALSE(p.CheckIgnoreBusy->isChecked());
        p.Company->setText(QStringLiteral("Mills & Daughters"));
        p.ComPort->SetItemIndex(4);
        p.OkButton->click();
        return dialog.result();
    };
    ASSERT_TRUE(sendui::ChangeSenderInfo(settings, nullptr));
    app::FaxSettings expected = Sample();
    expected.Company = "Mills & Daughters";
    expected.ComPort = 4;
    ExpectSame(settings, expected);
}

TEST_F(PreferencesTest, FirstRunOpensPreferencesWithItsNoticeOnlyOnce) {
    std::filesystem::remove(app::SettingsPath());
    prompts.dialogHandler = [](QDialog& dialog) {
        dialog.show();
        dialog.hide();
        dialog.show();  // a second activation shows nothing more
        static_cast<Preferences&>(dialog).OkButton->click();
        return dialog.result();
    };
    {
        app::MainScreen screen;
        screen.FirstActivate();
        ASSERT_EQ(prompts.informations.size(), 1u);
        EXPECT_TRUE(prompts.informations[0].startsWith("Please enter information about yourself"));
        EXPECT_FALSE(screen.PortUnset());
        // From the menu it opens without the notice.
        screen.PreferencesClick();
        EXPECT_EQ(prompts.informations.size(), 1u);
        screen.close();
    }
    EXPECT_EQ(prompts.dialogs, (std::vector<QString>{"Preferences", "Preferences"}));
    // Accepting saved the port: the next start asks nothing.
    prompts.dialogs.clear();
    app::MainScreen again;
    again.FirstActivate();
    EXPECT_TRUE(prompts.dialogs.empty());
}

TEST_F(PreferencesTest, ChooseTakesOnlyWaveFilesAndNoneClearsTheBox) {
    WriteFile(home() + "ring.wav", "RIFF");
    WriteFile(home() + "ring.mid", "MThd");
    Preferences dialog;
    std::string pick;
    prompts.dialogHandler = [&pick](QDialog& open) {
        EXPECT_EQ(open.objectName(), "OpenDialog1");
        static_cast<QFileDialog&>(open).selectFile(QString::fromStdString(pick));
        return int(QDialog::Accepted);
    };
    pick = home() + "ring.mid";
    dialog.SelectWavButton->click();
    EXPECT_EQ(dialog.WaveFileEdit->text(), "");
    pick = home() + "ring.wav";
    dialog.SelectWavButton->click();
    EXPECT_EQ(dialog.WaveFileEdit->text(), QString::fromStdString(home() + "ring.wav"));
    dialog.BitBtn1->click();
    EXPECT_EQ(dialog.WaveFileEdit->text(), "");
}

TEST_F(PreferencesTest, DevicesDialogMapsPortsAndThePortGroupShowsThem) {
    app::PortDevices devices = app::DefaultPortDevices();
    devices[0] = "sim";
    app::SavePortDevices(app::SettingsPath(), devices);
    Preferences dialog;
    auto* group = dialog.ComPort;
    EXPECT_EQ(group->deviceLabels[0]->text(), "simulated modem");
    EXPECT_EQ(group->deviceLabels[1]->text(), "/dev/ttyS1");
    EXPECT_EQ(group->Item(0)->text(), "Com1");
    prompts.dialogHandler = [](QDialog& d) {
        auto& devicesDialog = static_cast<sendui::PortDevicesDialog&>(d);
        EXPECT_EQ(devicesDialog.choices[0]->currentText(), "sim");
        // A choice offered, a typed path, and a blank that keeps the old device.
        EXPECT_NE(devicesDialog.choices[1]->findText("sim"), -1);
        devicesDialog.choices[1]->setEditText("sim");
        devicesDialog.choices[2]->setEditText("/dev/ttyUSB3");
        devicesDialog.choices[3]->setEditText("  ");
        return int(QDialog::Accepted);
    };
    group->DevicesButton->click();
    EXPECT_EQ(prompts.dialogs, std::vector<QString>{"PortDevicesDialog"});
    const app::PortDevices saved = app::LoadPortDevices(app::SettingsPath());
    EXPECT_EQ(saved[1], "sim");
    EXPECT_EQ(saved[2], "/dev/ttyUSB3");
    EXPECT_EQ(saved[3], "/dev/ttyS3");
    EXPECT_EQ(group->deviceLabels[2]->text(), "/dev/ttyUSB3");
}

}  // namespace
}  // namespace corvane::testing
