// Receive mode of the main window, through the built-in simulated modem
// on Com1 in virtual time: captions and states, the rows of received and
// cut-short faxes, the session's settings, the port's failures, the close
// question, and faxes left unlisted by an earlier run.
#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "app/fax_grid.h"
#include "app/main_screen.h"
#include "app/receive_mode.h"
#include "app/received_rows.h"
#include "faxengine/cv_receive_fax.h"
#include "gui_support.h"
#include "platform/fax_port.h"
#include "platform/wall_clock_driver.h"
#include "simmodem/apf_pages.h"
#include "simmodem/demo_fax.h"
#include "simmodem/demo_line.h"
#include "tables/fax_tables.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;
using app::MainScreen;
using engine::Seconds;

class ReceiveModeTest : public ProgramDirectoryFixture {
  protected:
    void WriteSettings(const std::string& extra = {}) {
        WriteFile(home() + "CV.INI",
                  "[Modem]\nComPort=0\n[Ports]\nCom1=sim\nSimCallEvery=0\n[Receive]\nWav=" +
                      home() + "missing.wav\n" + extra);
    }
    std::unique_ptr<MainScreen> Open() {
        auto screen = std::make_unique<MainScreen>();
        screen->FirstActivate();
        return screen;
    }
    static QToolButton* ReceiveButton(MainScreen& screen) {
        return screen.findChild<QToolButton*>("ReceiveButton");
    }
    static QAction* ReceiveItem(MainScreen& screen) {
        return screen.findChild<QAction*>("ReceiveFaxItem");
    }
    static QLabel* Status(MainScreen& screen) { return screen.findChild<QLabel*>("StatusPanel"); }
    static platform::SimulatedFaxPort& Sim(MainScreen& screen) {
        auto* port = dynamic_cast<platform::SimulatedFaxPort*>(screen.Receiver().Port());
        if (port == nullptr)
            throw std::runtime_error("receive mode has no simulated port");
        return *port;
    }
    // Runs the line in virtual time until done() or the seconds pass, then
    // lets the posted messages (failure text, sound) run.
    static bool Run(MainScreen& screen, const std::function<bool()>& done, int seconds) {
        platform::SimulatedFaxPort& sim = Sim(screen);
        // The port may go away inside, when receive mode ends.
        const bool reached = sim.Driver().FastForward(
            done, sim.Scheduler().Now() + Seconds(static_cast<unsigned>(seconds)));
        QCoreApplication::processEvents();
        return reached || done();
    }
    static simmodem::RemoteFaxConfig Caller(int pages, const std::string& id = "555 1234") {
        simmodem::RemoteFaxConfig config;
        config.stationId = id;
        const std::vector<simmodem::FaxPage> demo = simmodem::DemoFaxPages();
        for (int p = 0; p < pages; ++p)
            config.pagesToSend.push_back(demo[static_cast<std::size_t>(p) % demo.size()]);
        return config;
    }
    // A call to the window's modem, run until the caller is done and the
    // receiver has ended its side.
    static void Call(MainScreen& screen, simmodem::RemoteFaxConfig config) {
        const simmodem::RemoteFax& caller = Sim(screen).Line().PlaceCall(std::move(config));
        EXPECT_TRUE(Run(
            screen, [&] { return caller.Finished(); }, 600));
        Run(
            screen, [&] { return !screen.ReceivingFax(); }, 120);
        Run(
            screen, [] { return false; }, 5);
    }
    // Receive mode on, and a caller of pages that drops the line once
    // dropAfter pages are confirmed.
    std::unique_ptr<MainScreen> ReceiveCallDroppedAfter(int pages, int dropAfter) {
        WriteSettings();
        auto screen = Open();
        ReceiveButton(*screen)->click();
        simmodem::RemoteFaxConfig config = Caller(pages);
        config.faults.dropAfterPages = dropAfter;
        Call(*screen, config);
        return screen;
    }
    std::vector<std::string> ReceiveFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(app::ReceiveDirectory()))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(ReceiveModeTest, StartAndStopSetCaptionsStatesAndWriteTheTrace) {
    WriteSettings();
    auto screen = Open();
    EXPECT_EQ(ReceiveButton(*screen)->text(), "&Receive");
    ReceiveItem(*screen)->trigger();  // Ctrl+R's item clicks the button
    ASSERT_NE(screen->Receiver().Port(), nullptr);
    EXPECT_TRUE(screen->InReceiveMode());
    EXPECT_EQ(ReceiveButton(*screen)->text(), "STOP");
    EXPECT_EQ(ReceiveButton(*screen)->toolTip(), "Stop receiving faxes");
    EXPECT_EQ(ReceiveItem(*screen)->text(), "Stop Receiving Faxes");
    EXPECT_FALSE(Status(*screen)->isHidden());
    EXPECT_EQ(Status(*screen)->text(), "Waiting for fax...");
    for (const char* item :
         {"SendFaxItem", "AddCoverSheetItem", "RebuildIndexesItem", "PreferencesItem"})
        EXPECT_FALSE(screen->findChild<QAction*>(item)->isEnabled()) << item;
    Run(
        *screen, [] { return false; }, 10);
    EXPECT_EQ(Status(*screen)->text(), "Waiting for incoming call");

    ReceiveButton(*screen)->click();
    EXPECT_EQ(screen->Receiver().Port(), nullptr);
    EXPECT_FALSE(screen->InReceiveMode());
    EXPECT_EQ(ReceiveButton(*screen)->text(), "Receive");
    EXPECT_EQ(ReceiveButton(*screen)->toolTip(), "Start receiving faxes");
    EXPECT_EQ(ReceiveItem(*screen)->text(), "Receive Faxes");
    EXPECT_TRUE(Status(*screen)->isHidden());
    EXPECT_TRUE(screen->findChild<QAction*>("RebuildIndexesItem")->isEnabled());
    EXPECT_TRUE(Exists(home() + "CVRECV.TRC"));
    EXPECT_TRUE(Exists(home() + "CVRECV.LOG"));
    EXPECT_TRUE(prompts.informations.empty());
}

TEST_F(ReceiveModeTest, AFourPageFaxIsListedAtOnceOnItsOwnRow) {
    WriteSettings();
    auto screen = Open();
    ReceiveButton(*screen)->click();
    Call(*screen, Caller(4));
    tables::Table& table = screen->RecFaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    ASSERT_TRUE(table.HasCurrentRow()) << "the new row is the current one";
    EXPECT_EQ(table.Number("PAGES"), 4);
    EXPECT_EQ(table.Text("FROM"), "555 1234");
    const QDate today = QDate::currentDate();
    EXPECT_EQ(table.DateValue("DATEREC"), (tables::Date{today.year(), today.month(), today.day()}));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d$")
                    .match(QString::fromStdString(table.Text("TIMEREC")))
                    .hasMatch());
    EXPECT_EQ(table.Text("NOTES"), "");
    const std::string file = app::ReceiveDirectory() + table.Text("FAXFILE");
    EXPECT_EQ(app::FaxFilePages(file), 4) << file;
    EXPECT_EQ(screen->IncomingGrid().model()->rowCount(), 1);
    // The sound names a missing file: nothing plays, nothing is said.
    EXPECT_TRUE(prompts.informations.empty());
    EXPECT_TRUE(screen->InReceiveMode()) << "receive mode waits for the next call";
    EXPECT_EQ(Status(*screen)->text(), "Waiting for incoming call");
}

TEST_F(ReceiveModeTest, TheNewRowBecomesCurrentAmongOthers) {
    WriteSettings();
    {
        tables::Table table;
        ASSERT_TRUE(tables::OpenRecFaxDBF(table, home()));
        for (const char* from : {"older one", "older two"}) {
            table.Append();
            table.SetText("FROM", from);
            table.SetDate("DATEREC", {2025, 1, 1});
            table.Post();
        }
    }
    auto screen = Open();
    screen->ShowPage(MainScreen::kIncomingPage);
    ReceiveButton(*screen)->click();
    Call(*screen, Caller(1, "555 7777"));
    tables::Table& table = screen->RecFaxTable();
    EXPECT_EQ(table.QueryRecCount(), 3u);
    EXPECT_EQ(table.RecNo(), 3u);
    EXPECT_EQ(table.Text("FROM"), "555 7777");
    EXPECT_EQ(screen->IncomingGrid().model()->rowCount(), 3);
}

TEST_F(ReceiveModeTest, SessionTakesTheSettingsAndTheInitStringRule) {
    EXPECT_EQ(app::ReceiveModemInit("&K3"), "AT&K3");
    EXPECT_EQ(app::ReceiveModemInit("at&k3"), "at&k3");
    EXPECT_EQ(app::ReceiveModemInit("X4AT"), "X4AT");
    EXPECT_EQ(app::ReceiveModemInit(""), "");
    EXPECT_EQ(app::ReceiveFaxClass(0), engine::FaxClass::fcDetect);
    EXPECT_EQ(app::ReceiveFaxClass(3), engine::FaxClass::fcClass2_0);
    EXPECT_EQ(app::ReceiveFaxClass(9), engine::FaxClass::fcDetect);

    WriteFile(
        home() + "CV.INI",
        "[Modem]\nComPort=0\nInitString=&K3\nFaxClass=2\nMaximumBPS=14400\n[User]\nFax=555 0000\n"
        "[Receive]\nAnswerOnRing=3\n[Ports]\nCom1=sim\nSimCallEvery=0\n");
    auto screen = Open();
    ReceiveButton(*screen)->click();
    const engine::CvReceiveFax* fax = screen->Receiver().Session();
    ASSERT_NE(fax, nullptr);
    EXPECT_EQ(fax->modemInit, "AT&K3");
    EXPECT_EQ(fax->answerOnRing, 3);
    EXPECT_EQ(fax->faxClass, engine::FaxClass::fcClass2);
    EXPECT_EQ(fax->desiredBPS, 14400);
    EXPECT_EQ(fax->stationID, "555 0000");
    EXPECT_EQ(fax->receiveNaming, engine::ReceiveNaming::rnNumbered);

    // The third ring is answered: 2 s to the first, then one every 6 s.
    platform::SimulatedFaxPort& sim = Sim(*screen);
    Run(
        *screen, [] { return false; }, 5);
    const engine::Micros dialled = sim.Scheduler().Now();
    sim.Line().PlaceCall(Caller(1));
    ASSERT_TRUE(Run(
        *screen, [&] { return sim.Line().Modem().OffHook(); }, 60));
    const engine::Micros answered = sim.Scheduler().Now() - dialled;
    EXPECT_GE(answered, Seconds(14));
    EXPECT_LT(answered, Seconds(20));
}

TEST_F(ReceiveModeTest, APortInUseSaysSoAndLeavesReceiveModeOff) {
    WriteSettings();
    auto holder = platform::MakeFaxPort(platform::kSimulatedDevice, [] {
        engine::PortSettings settings;
        settings.comNumber = 1;
        return settings;
    }());
    ASSERT_EQ(holder->Open(), 0);
    auto screen = Open();
    ReceiveButton(*screen)->click();
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(
        prompts.informations[0].startsWith("The communications port is in use ( Com 1 )\n\n"))
        << prompts.informations[0].toStdString();
    EXPECT_FALSE(screen->InReceiveMode());
    EXPECT_EQ(screen->Receiver().Port(), nullptr);
    EXPECT_EQ(ReceiveButton(*screen)->text(), "Receive");
    EXPECT_EQ(ReceiveItem(*screen)->text(), "Receive Faxes");
    EXPECT_TRUE(Status(*screen)->isHidden());
    EXPECT_TRUE(screen->findChild<QAction*>("PreferencesItem")->isEnabled());
}

TEST_F(ReceiveModeTest, ACallCutShortKeepsItsCompletePagesAndSaysWhy) {
    auto screen = ReceiveCallDroppedAfter(4, 2);
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].startsWith("Failed to receive incoming fax:\n\n"))
        << prompts.informations[0].toStdString();
    const std::string reason = prompts.informations[0].mid(33).toStdString();
    EXPECT_FALSE(reason.empty());
    tables::Table& table = screen->RecFaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    EXPECT_EQ(table.Number("PAGES"), 2);
    EXPECT_EQ(table.Text("FROM"), "555 1234");
    EXPECT_EQ(table.Text("NOTES"), ("Incomplete fax: " + reason).substr(0, 60));
    EXPECT_EQ(app::FaxFilePages(app::ReceiveDirectory() + table.Text("FAXFILE")), 2);
    EXPECT_TRUE(screen->InReceiveMode());

    // The next call comes through as usual.
    Call(*screen, Caller(1, "555 4321"));
    EXPECT_EQ(table.QueryRecCount(), 2u);
}

TEST_F(ReceiveModeTest, ACallCutShortBeforeAnyPageLeavesNoRowAndNoFile) {
    auto screen = ReceiveCallDroppedAfter(2, 0);
    EXPECT_EQ(screen->RecFaxTable().QueryRecCount(), 0u);
    EXPECT_TRUE(ReceiveFiles().empty());
    EXPECT_TRUE(screen->InReceiveMode());
}

TEST_F(ReceiveModeTest, AStatusTextSayingAbortIsNotShown) {
    WriteSettings();
    auto screen = Open();
    ReceiveButton(*screen)->click();
    Sim(*screen).Line().PlaceCall(Caller(4));
    ASSERT_TRUE(Run(
        *screen, [&] { return screen->Receiver().PagesReceived() >= 2; }, 600));
    EXPECT_TRUE(Status(*screen)->text().contains("[ from 555 1234 page "))
        << Status(*screen)->text().toStdString();
    screen->Receiver().Session()->CancelFax();
    QCoreApplication::processEvents();
    EXPECT_EQ(Status(*screen)->text(), "");
    // The cancelled session has ended: so has receive mode, quietly.
    Run(
        *screen, [&] { return !screen->InReceiveMode(); }, 60);
    EXPECT_FALSE(screen->InReceiveMode());
    EXPECT_EQ(ReceiveButton(*screen)->text(), "Receive");
    // The call's failure is told; the end of receive mode is not.
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].startsWith("Failed to receive incoming fax:"));
}

TEST_F(ReceiveModeTest, ClosingWhileAFaxArrivesAsksFirst) {
    WriteSettings();
    auto screen = Open();
    ReceiveButton(*screen)->click();
    Sim(*screen).Line().PlaceCall(Caller(4));
    ASSERT_TRUE(Run(
        *screen, [&] { return screen->Receiver().PagesReceived() >= 2; }, 600));
    prompts.answers = {false};
    EXPECT_FALSE(screen->close());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], "ALERT!: You are receiving a fax. Close the program?");
    EXPECT_TRUE(screen->InReceiveMode());

    prompts.answers = {true};
    EXPECT_TRUE(screen->close());
    EXPECT_FALSE(screen->InReceiveMode());
    EXPECT_EQ(screen->Receiver().Port(), nullptr);
    EXPECT_TRUE(Exists(home() + "CVRECV.TRC"));
    // The pages that had arrived stay listed.
    tables::Table table;
    ASSERT_TRUE(tables::OpenRecFaxDBF(table, home()));
    ASSERT_EQ(table.QueryRecCount(), 1u);
    table.First();
    EXPECT_GE(table.Number("PAGES"), 1);
    EXPECT_EQ(table.Text("NOTES").rfind("Incomplete fax: ", 0), 0u);
}

TEST_F(ReceiveModeTest, FaxFilesLeftUnlistedAreListedAtStart) {
    WriteSettings();
    app::EnsureWorkDirectories();
    const std::string dir = app::ReceiveDirectory();
    ASSERT_EQ(simmodem::WriteApfPages(dir + "FAX0001.APF", simmodem::DemoFaxPages(), "555 1111"),
              0);
    ASSERT_EQ(simmodem::WriteApfPages(dir + "FAX0002.APF", simmodem::DemoFaxPages(), "555 9876"),
              0);
    WriteFaxFile(dir + "FAX0003.APF");  // no page: nothing to list
    WriteFile(dir + "NOTES.TXT", "not a fax");
    {
        tables::Table table;
        ASSERT_TRUE(tables::OpenRecFaxDBF(table, home()));
        table.Append();
        table.SetText("FROM", "555 1111");
        table.SetText("FAXFILE", "fax0001.apf");  // names are compared without case
        table.SetLogical("ARCHIVED", true);       // hidden rows still name their files
        table.Post();
    }
    auto screen = Open();
    tables::Table& table = screen->RecFaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    table.First();
    EXPECT_EQ(table.Text("FAXFILE"), "FAX0002.APF");
    EXPECT_EQ(table.Text("FROM"), "555 9876");
    EXPECT_EQ(table.Number("PAGES"), 2);
    EXPECT_EQ(table.Text("NOTES").rfind("Incomplete fax: ", 0), 0u);
    EXPECT_FALSE(table.DateValue("DATEREC").IsEmpty());
    screen.reset();
    // Listed once: the next start adds nothing.
    auto again = Open();
    EXPECT_EQ(again->RecFaxTable().QueryRecCount(), 1u);
}

TEST_F(ReceiveModeTest, TheDemoCallerSendsItsFaxAfterTheSetDelay) {
    WriteFile(home() + "CV.INI", "[Modem]\nComPort=0\n[Ports]\nCom1=sim\nSimCallEvery=20\n");
    auto screen = Open();
    ReceiveButton(*screen)->click();
    platform::SimulatedFaxPort& sim = Sim(*screen);
    const engine::Micros started = sim.Scheduler().Now();
    ASSERT_TRUE(Run(
        *screen, [&] { return screen->RecFaxTable().QueryRecCount() == 1; }, 600));
    EXPECT_GE(sim.Scheduler().Now() - started, Seconds(20));
    EXPECT_EQ(screen->RecFaxTable().Text("FROM"), simmodem::kDemoCallerId);
    EXPECT_EQ(screen->RecFaxTable().Number("PAGES"), 2);
}

// The same on a device: a simulated modem on a pseudo-terminal, run by
// corvane-modem at the line's true speed, whose calling machine rings once
// the port is open.
TEST_F(ReceiveModeTest, AModemOnADeviceDeliversItsFaxToo) {
    const std::string link = home() + "modem";
    const std::string sent = home() + "SENT.APF";
    ASSERT_EQ(simmodem::WriteApfPages(sent, {simmodem::DemoFaxPages().front()}, "x"), 0);
    QProcess modem;
    modem.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    modem.start(QStringLiteral(CORVANE_BIN_DIR "/corvane-modem"),
                {"--pty", QString::fromStdString(link), "--call-in",
                 QString::fromStdString(link + ":" + sent)});
    ASSERT_TRUE(modem.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (!Exists(link) && waited.elapsed() < 10000) QTest::qWait(20);
    ASSERT_TRUE(Exists(link));
    WriteFile(home() + "CV.INI", "[Modem]\nComPort=0\n[Ports]\nCom1=" + link + "\n");

    auto screen = Open();
    ReceiveButton(*screen)->click();
    ASSERT_TRUE(screen->InReceiveMode())
        << (prompts.informations.empty() ? "" : prompts.informations[0].toStdString());
    while (screen->RecFaxTable().QueryRecCount() == 0 && waited.elapsed() < 120000)
        QTest::qWait(20);
    tables::Table& table = screen->RecFaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    EXPECT_EQ(table.Number("PAGES"), 1);
    EXPECT_EQ(table.Text("NOTES"), "");
    ReceiveButton(*screen)->click();
    EXPECT_FALSE(screen->InReceiveMode());
    modem.terminate();
    modem.waitForFinished(5000);
}

// A device where no modem answers: the session gives up, and receive mode
// must not go on showing STOP and "waiting" for calls nobody answers.
TEST_F(ReceiveModeTest, AModemThatDoesNotAnswerEndsReceiveModeWithAMessage) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    WriteFile(home() + "CV.INI",
              "[Modem]\nComPort=0\n[Ports]\nCom1=" + std::string(::ptsname(master)) + "\n");
    auto screen = Open();
    ReceiveButton(*screen)->click();
    QElapsedTimer waited;
    waited.start();
    char discard[256];
    while (screen->InReceiveMode() && waited.elapsed() < 60000) {
        QTest::qWait(20);
        while (::read(master, discard, sizeof discard) > 0) {
        }
    }
    EXPECT_FALSE(screen->InReceiveMode());
    EXPECT_EQ(ReceiveButton(*screen)->text(), "Receive");
    EXPECT_TRUE(Status(*screen)->isHidden());
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].startsWith("Receive mode ended:\n\n"))
        << prompts.informations[0].toStdString();
    ::close(master);
}

}  // namespace
}  // namespace corvane::testing
