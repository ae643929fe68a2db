// Window placement in "CV.INI", dialog centring, and one running program
// per program directory.
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <csignal>

#include "app/profile.h"
#include "app/window_placement.h"
#include "gui_support.h"
#include "tables/fax_tables.h"

namespace corvane::testing {
namespace {

TEST(Placement, OnlyTheRightAndBottomEdgesArePulledIn) {
    struct Case {
        QRect saved, expected;
    } cases[] = {
        {QRect(QPoint(1200, 10), QPoint(1999, 409)), QRect(QPoint(224, 10), QPoint(1023, 409))},
        {QRect(QPoint(100, 700), QPoint(499, 899)), QRect(QPoint(100, 568), QPoint(499, 767))},
        {QRect(QPoint(-50, -20), QPoint(299, 199)), QRect(QPoint(-50, -20), QPoint(299, 199))},
        {QRect(QPoint(0, 0), QPoint(1099, 799)), QRect(QPoint(-76, -32), QPoint(1023, 767))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::ClampToScreen(c.saved, QSize(1024, 768)), c.expected) << c.saved.left();
}

TEST(Placement, SectionNamesCarryTheResolutionAboveNinetySix) {
    EXPECT_EQ(app::PlacementSection("TMainScreen", 96), "TMainScreen_Placement");
    EXPECT_EQ(app::PlacementSection("TMainScreen", 72), "TMainScreen_Placement");
    EXPECT_EQ(app::PlacementSection("TMainScreen", 120), "TMainScreen_Placement120");
    // Halves truncate toward zero: a window wider than its outer area starts left of it.
    EXPECT_EQ(app::CentredOrigin(QRect(0, 0, 1024, 768), QSize(1101, 100)), QPoint(-38, 334));
}

class PlacementFile : public ProgramDirectoryFixture {};

TEST_F(PlacementFile, SavedRectangleComesBackAndNoBottomCentres) {
    QWidget window;
    window.setGeometry(40, 50, 300, 200);
    window.show();
    app::SavePlacement(window, "TTestWindow");
    const std::string section =
        app::PlacementSection("TTestWindow", int(window.screen()->logicalDotsPerInch()));
    const app::Profile ini(app::SettingsPath());
    EXPECT_EQ(ini.ReadInteger(section, "Right", 0), 340);
    EXPECT_EQ(ini.ReadInteger(section, "Bottom", 0), 250);
    EXPECT_FALSE(ini.ReadBool(section, "Maximized", true));

    QWidget restored;
    app::RestorePlacement(restored, "TTestWindow");
    EXPECT_EQ(restored.geometry(), QRect(40, 50, 300, 200));

    app::Profile(app::SettingsPath()).WriteInteger(section, "Bottom", 0);
    QWidget centred;
    centred.resize(200, 100);
    app::RestorePlacement(centred, "TTestWindow");
    const QSize screen = centred.screen()->size();
    EXPECT_EQ(centred.pos(), QPoint((screen.width() - 200) / 2, (screen.height() - 100) / 2));

    app::Profile(app::SettingsPath()).WriteBool(section, "Maximized", true);
    QWidget maximized;
    app::RestorePlacement(maximized, "TTestWindow");
    EXPECT_TRUE(maximized.windowState() & Qt::WindowMaximized);
}

class SecondInstance : public ProgramDirectoryFixture {
  protected:
    ~SecondInstance() override {
        for (QProcess* process : running_) {
            process->kill();
            process->waitForFinished();
            delete process;
        }
    }
    QProcess* Start() {
        auto* process = new QProcess;
        running_.push_back(process);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(environment);
        process->start(CORVANE_BIN_DIR "/corvane", {"--home", QString::fromStdString(home())});
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }
    // The first instance is up once it has written its tables.
    void WaitUntilListening() {
        for (int i = 0; i < 200 && !Exists(home() + "config/corvane/CVPD.INI"); ++i)
            QThread::msleep(50);
        ASSERT_TRUE(Exists(home() + "config/corvane/CVPD.INI"));
    }

  private:
    std::vector<QProcess*> running_;
};

TEST_F(SecondInstance, ASecondStartEndsAndAKilledFirstDoesNotBlockTheNext) {
    // A printed job, taken in before the driver's INI is written.
    std::filesystem::create_directories(home() + "SEND");
    WriteFaxFile(home() + "SEND/JOB.APF");
    WriteFile(home() + "SEND/JOB.PXD", "555\r\nAnn\r\nKept\r\n");
    QProcess* first = Start();
    WaitUntilListening();
    QProcess* second = Start();
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    ::kill(pid_t(first->processId()), SIGKILL);
    first->waitForFinished();
    {
        // The row posted before the kill is there, the job is gone.
        tables::Table table;
        ASSERT_TRUE(tables::OpenOutgoingTable(table, home(), ""));
        ASSERT_EQ(table.QueryRecCount(), 1u);
        EXPECT_EQ(table.Text("SUBJECT"), "Kept");
        EXPECT_FALSE(Exists(home() + "SEND/JOB.PXD"));
    }
    std::filesystem::remove(home() + "config/corvane/CVPD.INI");
    QProcess* third = Start();
    WaitUntilListening();
    QProcess* fourth = Start();
    ASSERT_TRUE(fourth->waitForFinished(30000));
    EXPECT_EQ(third->state(), QProcess::Running);
}

}  // namespace
}  // namespace corvane::testing
