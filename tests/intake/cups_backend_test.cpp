// The fax printer backend run as the print system runs it: as root, with
// its environment, the job's arguments and the job in a root-only spool
// file or on standard input, for a user made for the test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QPainter>
#include <cstdio>
#include <filesystem>

#include "intake_support.h"

namespace corvane::intake {
namespace {

using testing::Names;
using testing::TempDir;

struct BackendRun {
    int exitCode = -1;
    std::string log;  // standard error, as the print system logs it
    std::string out;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the backend with the print system's environment only.
BackendRun RunBackend(const TempDir& dir, const std::vector<std::string>& args,
                      const std::string& stdinFile = "/dev/null", const std::string& runAs = "") {
    std::string command =
        (runAs.empty() ? std::string() : "runuser -u " + runAs + " -- ") +
        "env -i DEVICE_URI=corvane:/ PRINTER=Corvane-Fax CONTENT_TYPE=application/pdf "
        "CUPS_SERVERROOT=/etc/cups PATH=/usr/bin:/bin " +
        std::string(CORVANE_BIN_DIR) + "/cups/corvane";
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " <" + Quoted(stdinFile) + " >" + dir.path() + "backend.out 2>" + dir.path() +
               "backend.log";
    BackendRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.log = dir.Read("backend.log");
    run.out = dir.Read("backend.out");
    return run;
}

// A user of this system for the test's life, with a home under dir that
// the user owns; removed at the end.
class TestUser {
  public:
    TestUser(const TempDir& dir, const std::string& suffix) {
        name_ = "cvfax" + std::to_string(::getpid() % 100000) + suffix;
        home_ = dir.path() + name_ + "/";
        std::filesystem::create_directories(home_);
        const std::string add = "useradd --no-create-home --home-dir " + home_ +
                                " --shell /usr/sbin/nologin " + name_ + " 2>&1";
        // useradd refuses while another holds the password file's lock.
        for (int attempt = 0; attempt < 20 && !created_; ++attempt) {
            created_ = std::system(add.c_str()) == 0;
            if (!created_)
                ::usleep(200000);
        }
    }
    ~TestUser() {
        if (created_)
            std::system(("userdel " + name_ + " 2>/dev/null").c_str());
    }
    bool Created() const { return created_; }
    const std::string& Name() const { return name_; }
    const std::string& Home() const { return home_; }
    uid_t Uid() const {
        struct stat info {};
        ::stat(home_.c_str(), &info);
        return info.st_uid;
    }
    // What Corvane leaves at its start: the program directory and CVPD.INI.
    void SetUpCorvane() const {
        std::filesystem::create_directories(home_ + ".config/corvane");
        std::filesystem::create_directories(home_ + ".local/share/corvane/SEND");
        std::FILE* ini = std::fopen((home_ + ".config/corvane/CVPD.INI").c_str(), "w");
        std::fprintf(
            ini,
            "[Location]\nCVOutPath=%s.local/share/corvane/SEND/\nCVExecutable=/usr/bin/corvane\n",
            home_.c_str());
        std::fclose(ini);
        Own();
    }
    void Own() const { std::system(("chown -R " + name_ + ": " + home_).c_str()); }
    std::string SendDirectory() const { return home_ + ".local/share/corvane/SEND/"; }

  private:
    std::string name_, home_;
    bool created_ = false;
};

class CupsBackend : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "the backend runs as root under the print system";
        // The user's home lies below the test directory, so others may pass it.
        std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    }

    // A one-page PDF as the print system spools it: readable by root only.
    std::string SpoolFile() const {
        const std::string path = dir.path() + "d00042-001";
        testing::WritePdf(path, QSizeF(612, 792), 1, [](int, QPainter& painter) {
            painter.fillRect(QRectF(72, 72, 200, 50), Qt::black);
        });
        ::chmod(path.c_str(), 0600);
        return path;
    }

    TempDir dir;
};

TEST_F(CupsBackend, ListsItsDeviceWhenRunWithoutArguments) {
    const BackendRun run = RunBackend(dir, {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "direct corvane:/ \"Corvane Fax\" \"Corvane fax printer\"\n");
}

TEST_F(CupsBackend, JobLandsInTheUsersSendDirectoryOwnedByTheUser) {
    TestUser user(dir, "a");
    ASSERT_TRUE(user.Created());
    user.SetUpCorvane();
    const std::string spool = SpoolFile();
    // From the spool file, options quoted as the print system passes them.
    BackendRun run = RunBackend(
        dir, {"42", user.Name(), "Quarterly report", "1",
              "phone=555\\ 0100 name='Jo Smith' job-uuid=urn:uuid:1 finishings=3", spool});
    ASSERT_EQ(run.exitCode, 0) << run.log;
    // From standard input, with its own subject.
    run = RunBackend(dir, {"43", user.Name(), "ignored title", "1", "phone=5550101 subject=Hello"},
                     spool);
    ASSERT_EQ(run.exitCode, 0) << run.log;

    const std::string send = user.SendDirectory();
    EXPECT_EQ(Names(send), (std::vector<std::string>{"DOC00000.APF", "DOC00000.PXD", "DOC00001.APF",
                                                     "DOC00001.PXD"}));
    for (const std::string& name : Names(send)) {
        struct stat info {};
        ASSERT_EQ(::stat((send + name).c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, user.Uid()) << name;
    }
    EXPECT_EQ(dir.Read(user.Name() + "/.local/share/corvane/SEND/DOC00000.PXD"),
              "555 0100\r\nJo Smith\r\nQuarterly report\r\n");
    EXPECT_EQ(dir.Read(user.Name() + "/.local/share/corvane/SEND/DOC00001.PXD"),
              "5550101\r\n\r\nHello\r\n");
    const auto pages = testing::ReadFaxPages(send + "DOC00000.APF", dir.path() + "scratch.tif");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].Black(300, 250));
}

TEST_F(CupsBackend, JobsItCannotPlaceEndWithAMessage) {
    TestUser bare(dir, "b");
    ASSERT_TRUE(bare.Created());
    bare.Own();
    const std::string spool = SpoolFile();
    BackendRun run = RunBackend(dir, {"44", bare.Name(), "t", "1", "phone=1", spool});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.log.find("ERROR: user " + bare.Name() + " has no CVPD.INI"), std::string::npos)
        << run.log;

    // CVPD.INI names a program directory that is gone.
    TestUser moved(dir, "c");
    ASSERT_TRUE(moved.Created());
    moved.SetUpCorvane();
    std::filesystem::remove_all(moved.Home() + ".local/share/corvane");
    run = RunBackend(dir, {"45", moved.Name(), "t", "1", "", spool});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.log.find("has no Corvane program directory"), std::string::npos) << run.log;

    // Installed so that it does not run as root, it cannot act for others.
    run =
        RunBackend(dir, {"45", moved.Name(), "t", "1", "", "/dev/null"}, "/dev/null", bare.Name());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.log.find("must run as root"), std::string::npos) << run.log;

    run = RunBackend(dir, {"46", "no-such-user-here", "t", "1", "", spool});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.log.find("ERROR: no user named"), std::string::npos) << run.log;
}

TEST_F(CupsBackend, BrokenJobIsReportedAndLeavesNothing) {
    TestUser user(dir, "d");
    ASSERT_TRUE(user.Created());
    user.SetUpCorvane();
    dir.Write("d00047-001", "%PDF-1.4\ntruncated");
    const BackendRun run =
        RunBackend(dir, {"47", user.Name(), "report.pdf", "1", "", dir.path() + "d00047-001"});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.log.find("ERROR: \"report.pdf\" is incomplete"), std::string::npos) << run.log;
    EXPECT_TRUE(Names(user.SendDirectory()).empty());
}

}  // namespace
}  // namespace corvane::intake
