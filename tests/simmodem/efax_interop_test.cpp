// efax, an independent fax program, against corvane-modem on a pty. Runs
// in real time (tens of seconds); skipped when efax is not installed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "simmodem/apf_pages.h"
#include "simmodem/page_scan.h"

extern char** environ;

namespace corvane::simmodem {
namespace {

namespace fs = std::filesystem;

bool HaveEfax() {
    return std::system("command -v efax > /dev/null 2>&1") == 0;
}

// A 1728-pixel PBM page of height lines, busy enough (a run every few
// pixels) that its transfer takes seconds: efax divides by the whole
// seconds a page took and stops on a page that took none.
void WritePbm(const fs::path& path, int height) {
    std::ofstream out(path, std::ios::binary);
    out << "P4\n1728 " << height << "\n";
    for (int y = 0; y < height; ++y) {
        std::string row(216, '\0');
        for (std::size_t x = 0; x < row.size(); ++x)
            row[x] = static_cast<char>((x + static_cast<std::size_t>(y)) % 3 == 0 ? 0xF0 : 0x0F);
        out << row;
    }
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// efax puts a blank top margin on each page it sends and draws its header
// line over the margin and the first rows of the image.
constexpr int kTopMargin = 20;
constexpr int kHeaderEnd = 28;

struct Bitmap {
    int width = 0;
    int height = 0;
    std::string bits;  // rows of (width + 7) / 8 bytes

    std::string Row(int y) const {
        const std::size_t stride = static_cast<std::size_t>(width + 7) / 8;
        return bits.substr(static_cast<std::size_t>(y) * stride, stride);
    }
};

// A binary PBM file; an empty bitmap when it is not one.
Bitmap ReadPbm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    Bitmap bitmap;
    in >> magic >> bitmap.width >> bitmap.height;
    in.get();  // the single white space before the rows
    if (!in || magic != "P4" || bitmap.width <= 0 || bitmap.height <= 0)
        return {};
    bitmap.bits.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::size_t size =
        static_cast<std::size_t>(bitmap.width + 7) / 8 * static_cast<std::size_t>(bitmap.height);
    if (bitmap.bits.size() != size)
        return {};
    return bitmap;
}

// A page efax received, decoded by its companion efix.
Bitmap DecodeReceived(const fs::path& path) {
    const fs::path pbm = path.string() + ".pbm";
    const std::string command =
        "efix -o pbm " + path.string() + " > " + pbm.string() + " 2> /dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    return ReadPbm(pbm);
}

class EfaxInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveEfax())
            GTEST_SKIP() << "efax is not installed (scripts/setup installs it)";
        dir_ = fs::temp_directory_path() /
               ("corvane_efax_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        WritePbm(dir_ / "p1.pbm", 100);
        WritePbm(dir_ / "p2.pbm", 150);
    }
    void TearDown() override {
        StopModem();
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    std::string Link() const { return (dir_ / "modem").string(); }

    void StartModem(const std::vector<std::string>& extra) {
        // Three times the clock keeps the checks short; efax answers within milliseconds.
        std::vector<std::string> args = {CORVANE_BIN_DIR "/corvane-modem", "--speed", "3", "--pty",
                                         Link()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string log = (dir_ / "modem.log").string();
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        ASSERT_EQ(posix_spawn(&modem_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 100 && !fs::is_symlink(Link()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(fs::is_symlink(Link()));
    }
    // The modem's log once it has stopped.
    std::string StopModem() {
        if (modem_ > 0) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            ::kill(modem_, SIGTERM);
            ::waitpid(modem_, nullptr, 0);
            modem_ = 0;
        }
        return ReadText(dir_ / "modem.log");
    }
    int Efax(const std::string& arguments) {
        const std::string command = "cd " + dir_.string() + " && timeout 150 efax -d " + Link() +
                                    " " + arguments + " > efax.log 2>&1";
        return WEXITSTATUS(std::system(command.c_str()));
    }
    // Lines of each page the answer machine stored.
    std::vector<int> StoredLines() {
        std::vector<int> lines;
        for (const auto& entry : fs::directory_iterator(dir_ / "in")) {
            std::vector<FaxPage> pages;
            EXPECT_EQ(ReadApfPages(entry.path().string(), pages), 0);
            for (const FaxPage& page : pages) lines.push_back(ScanPage(page.data, 0).lines);
        }
        return lines;
    }

    fs::path dir_;
    pid_t modem_ = 0;
};

TEST_F(EfaxInterop, SendsTwoPagesInEachClass) {
    for (const char* option : {"-o1", "-o2", "-o0"}) {
        fs::remove_all(dir_ / "in");
        StartModem({"--answer-machine", "555:" + (dir_ / "in").string()});
        EXPECT_EQ(Efax(std::string(option) + " -l 4321 -t 555 p1.pbm p2.pbm"), 0)
            << option << "\n"
            << ReadText(dir_ / "efax.log");
        const std::string log = StopModem();
        EXPECT_NE(log.find("call from \"4321\" completed, 2 pages (120, 170 lines)"),
                  std::string::npos)
            << option << "\n"
            << log;
        EXPECT_EQ(StoredLines(), (std::vector<int>{100 + kTopMargin, 150 + kTopMargin})) << option;
    }
}

TEST_F(EfaxInterop, ReceivesTwoPagesInEachClass) {
    // A fax to send: what an answer machine stored from efax.
    StartModem({"--answer-machine", "555:" + (dir_ / "in").string()});
    ASSERT_EQ(Efax("-o1 -t 555 p1.pbm p2.pbm"), 0) << ReadText(dir_ / "efax.log");
    StopModem();
    const fs::path fax = fs::directory_iterator(dir_ / "in")->path();
    const std::vector<Bitmap> sent = {ReadPbm(dir_ / "p1.pbm"), ReadPbm(dir_ / "p2.pbm")};

    for (const char* option : {"-o1", "-o2", "-o0"}) {
        for (const char* name : {"rx.001", "rx.002", "rx.003"}) fs::remove(dir_ / name);
        StartModem({"--call-in", Link() + ":" + fax.string()});
        const int status = Efax(std::string(option) + " -w -iS0=1 -r rx");
        const std::string log = StopModem();
        const std::string efaxLog = ReadText(dir_ / "efax.log");
        EXPECT_EQ(status, 0) << option << "\n" << efaxLog;
        EXPECT_NE(log.find("completed, 2 of 2 pages confirmed"), std::string::npos)
            << option << "\n"
            << log;
        EXPECT_EQ(efaxLog.find("reception errors"), std::string::npos) << option << "\n" << efaxLog;
        EXPECT_FALSE(fs::exists(dir_ / "rx.003"))
            << option;  // each page once, none asked for again
        for (std::size_t page = 0; page < sent.size(); ++page) {
            const Bitmap got = DecodeReceived(dir_ / ("rx.00" + std::to_string(page + 1)));
            if (got.width != sent[page].width || got.height != sent[page].height + kTopMargin) {
                ADD_FAILURE() << option << " page " << page + 1 << " is " << got.width << " x "
                              << got.height;
                continue;
            }
            // Below the header line efax draws into the margin, every row is the one sent.
            int wrongRows = 0;
            for (int y = kHeaderEnd; y < got.height; ++y)
                wrongRows += got.Row(y) != sent[page].Row(y - kTopMargin);
            EXPECT_EQ(wrongRows, 0) << option << " page " << page + 1;
        }
    }
}

}  // namespace
}  // namespace corvane::simmodem
