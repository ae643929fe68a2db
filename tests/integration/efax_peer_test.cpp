// Our engine and efax, an independent T.30, on two simulated class 1
// modems of corvane-modem that call each other by number: we send to efax
// receiving, and efax sends to us. Two pages each way, compared pixel for
// pixel. Real time (about a minute each); skipped without efax.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include "cli_run.h"
#include "receive_rig.h"
#include "send_rig.h"

namespace corvane::integration {
namespace {

namespace fs = std::filesystem;

bool HaveEfax() {
    return std::system("command -v efax > /dev/null 2>&1") == 0;
}

// efax leaves this many white rows above a page it sends and draws its
// header line over the first of them.
constexpr int kEfaxTopMargin = 20;
constexpr int kEfaxHeaderEnd = 28;

struct Pbm {
    int width = 0;
    Lines rows;
};

Pbm ReadPbm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    Pbm pbm;
    int height = 0;
    in >> magic >> pbm.width >> height;
    in.get();
    if (!in || magic != "P4" || pbm.width <= 0 || height <= 0)
        return {};
    const std::size_t stride = static_cast<std::size_t>(pbm.width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        Line row(stride);
        if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(stride)))
            return {};
        pbm.rows.push_back(row);
    }
    return pbm;
}

void WritePbm(const fs::path& path, const Lines& rows) {
    std::ofstream out(path, std::ios::binary);
    out << "P4\n1728 " << rows.size() << "\n";
    for (const Line& row : rows) out.write(reinterpret_cast<const char*>(row.data()), 216);
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EfaxPeer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveEfax())
            GTEST_SKIP() << "efax is not installed (scripts/setup installs it)";
        dir_ = fs::temp_directory_path() /
               ("corvane_efax_peer_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // Two class 1 modems on one line: ours on 101, efax's on 102.
        modems_ = std::make_unique<ModemOnPty>(
            Ours(), std::vector<std::string>{"--number", "101", "--class", "1", "--pty", Theirs(),
                                             "--number", "102", "--class", "1"});
        // The second modem's link comes a moment after the first.
        for (int i = 0; i < 100 && !fs::exists(Theirs()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(fs::exists(Ours()) && fs::exists(Theirs()));
    }
    void TearDown() override {
        modems_.reset();
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    std::string Ours() const { return (dir_ / "ours").string(); }
    std::string Theirs() const { return (dir_ / "theirs").string(); }
    int Efax(const std::string& arguments) {
        const std::string command = "cd " + dir_.string() + " && timeout 240 efax -d " + Theirs() +
                                    " " + arguments + " > efax.log 2>&1";
        return WEXITSTATUS(std::system(command.c_str()));
    }

    fs::path dir_;
    std::unique_ptr<ModemOnPty> modems_;
};

TEST_F(EfaxPeer, EfaxReceivesWhatWeSend) {
    const std::vector<Lines> pages = {PageRaster(1, 120), PageRaster(2, 160)};
    const std::string fax = (dir_ / "out.apf").string();
    WriteFax(fax, pages, true);
    auto efax = std::async(std::launch::async, [&] { return Efax("-o1 -w -iS0=1 -l 4321 -r rx"); });
    std::this_thread::sleep_for(std::chrono::seconds(3));  // efax is waiting for the call
    const CliRun run = RunFaxCommand(
        "send", "--device " + Ours() + " --number 102 --class 1 --station 5550199 " + fax);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(efax.get(), 0) << ReadText(dir_ / "efax.log");
    const std::string efaxLog = ReadText(dir_ / "efax.log");
    EXPECT_EQ(efaxLog.find("reception errors"), std::string::npos) << efaxLog;
    EXPECT_FALSE(fs::exists(dir_ / "rx.003")) << "each page once, none asked for again";
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const fs::path received = dir_ / ("rx.00" + std::to_string(p + 1));
        const fs::path pbm = received.string() + ".pbm";
        ASSERT_EQ(std::system(
                      ("efix -o pbm " + received.string() + " > " + pbm.string() + " 2> /dev/null")
                          .c_str()),
                  0);
        const Pbm got = ReadPbm(pbm);
        const Lines body = AsReceived(pages[p]);
        ASSERT_EQ(got.width, faximage::kStandardLineWidth);
        // Eight white lines above the page, no header line asked for.
        ASSERT_EQ(got.rows.size(), 8 + body.size());
        EXPECT_TRUE(Slice(got.rows, 0, 8) == Lines(8, Line(216, 0)));
        EXPECT_TRUE(Slice(got.rows, 8, body.size()) == body) << "pixels differ";
    }
}

TEST_F(EfaxPeer, WeReceiveWhatEfaxSends) {
    const std::vector<Lines> pages = {PageRaster(1, 120), PageRaster(2, 160)};
    WritePbm(dir_ / "p1.pbm", pages[0]);
    WritePbm(dir_ / "p2.pbm", pages[1]);
    const std::string in = (dir_ / "in").string();
    fs::create_directories(in);
    auto receive = std::async(std::launch::async, [&] {
        return RunFaxCommand("receive", "--device " + Ours() +
                                            " --class 1 --station 5550123 --dir " + in + " --once");
    });
    std::this_thread::sleep_for(std::chrono::seconds(3));  // our receiver waits for the call
    EXPECT_EQ(Efax("-o1 -l 4321 -t 101 p1.pbm p2.pbm"), 0) << ReadText(dir_ / "efax.log");
    const CliRun run = receive.get();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("pages=2 from=\"4321\""), std::string::npos) << run.output;
    const std::vector<Lines> got = FilePages(in + "/FAX0001.APF");
    ASSERT_EQ(got.size(), pages.size());
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        ASSERT_EQ(got[p].size(), pages[p].size() + kEfaxTopMargin);
        // Below the header line efax draws into its margin, every row is the one sent.
        EXPECT_TRUE(Slice(got[p], kEfaxHeaderEnd, pages[p].size()) ==
                    Slice(pages[p], kEfaxHeaderEnd - kEfaxTopMargin, pages[p].size()))
            << "pixels differ";
    }
}

}  // namespace
}  // namespace corvane::integration
