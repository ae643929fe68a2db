#include "faxengine/port_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "faxengine/scripted_modem.h"
#include "faxengine/sim_port.h"

namespace corvane::engine {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class TraceFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir =
            fs::temp_directory_path() /
            ("corvane_trace_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(TraceFiles, ClosingThePortWritesAReadableTraceAndLog) {
    Scheduler scheduler;
    ScriptedModem modem;
    modem.Expect("AT").Reply(ScriptedModem::Line("OK"));
    SimComPort port(scheduler, modem);
    port.Trace().SetFileName((dir / "CVSEND.TRC").string());
    port.Log().SetFileName((dir / "CVSEND.LOG").string());
    port.Trace().SetState(TraceLogState::tlOn);
    port.Log().SetState(TraceLogState::tlOn);
    ASSERT_EQ(port.Open(), 0);
    port.EnableDataTrigger();
    port.RegisterEventProc([&](std::uint32_t, int, std::uint32_t) {
        while (port.CharReady()) {
            port.GetChar();
        }
    });
    port.PutString("AT\r");
    scheduler.RunFor(Milliseconds(100));
    port.Close();

    const std::string trace = ReadFile(dir / "CVSEND.TRC");
    EXPECT_NE(trace.find(" Out  41 54 0D "), std::string::npos) << trace;
    EXPECT_NE(trace.find("AT<CR>"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" In   0D 0A 4F 4B 0D 0A "), std::string::npos) << trace;
    EXPECT_NE(trace.find("<CR><LF>OK<CR><LF>"), std::string::npos) << trace;
    const std::string log = ReadFile(dir / "CVSEND.LOG");
    EXPECT_NE(log.find("data available, trigger 0"), std::string::npos) << log;
}

// A trace whose buffer holds only "X" for each check.
class OneByteTrace : public PortTrace {
  public:
    OneByteTrace() : PortTrace(8) {}
    void AddByte() { Record(0, true, 'X'); }
};

TEST_F(TraceFiles, StatesDecideWhatReachesTheFile) {
    struct Case {
        const char* name;
        std::vector<TraceLogState> before;  // applied, then one byte recorded
        std::vector<TraceLogState> after;
        int xsInFile;  // -1: no file written
    };
    using enum TraceLogState;
    const Case cases[] = {
        {"off records nothing", {tlOff}, {tlDump}, -1},
        {"on then dump", {tlOn}, {tlDump}, 1},
        {"dump leaves it off", {tlOn}, {tlDump, tlDump}, 1},
        {"paused keeps nothing new", {tlOn, tlPause}, {tlDump}, 0},
        {"clear empties the buffer", {tlOn}, {tlClear, tlDump}, 0},
        {"append adds to the file", {tlOn}, {tlAppend, tlOn, tlAppend}, 1},
        {"on after pause keeps the buffer", {tlOn}, {tlPause, tlOn, tlDump}, 1},
    };
    for (const Case& c : cases) {
        const fs::path file = dir / (std::string(c.name) + ".TRC");
        std::ofstream(file) << "old";
        OneByteTrace trace;
        trace.SetFileName(file.string());
        for (TraceLogState s : c.before) {
            trace.SetState(s);
        }
        trace.AddByte();
        for (TraceLogState s : c.after) {
            trace.SetState(s);
        }
        const std::string text = ReadFile(file);
        if (c.xsInFile < 0) {
            EXPECT_EQ(text, "old") << c.name;
            continue;
        }
        const bool appended = text.rfind("old", 0) == 0;
        EXPECT_EQ(appended, c.after.front() == tlAppend) << c.name << ": " << text;
        EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), 'X')), c.xsInFile)
            << c.name << ": " << text;
        EXPECT_EQ(trace.State(), tlOff) << c.name;
    }
}

TEST(PortTrace, KeepsOnlyTheNewestEntriesWithinItsCapacity) {
    PortTrace trace(3);
    trace.SetState(TraceLogState::tlOn);
    for (char c : std::string("ABCDE")) {
        trace.Record(0, true, static_cast<std::uint8_t>(c));
    }
    const std::string text = trace.Render();
    EXPECT_NE(text.find("43 44 45"), std::string::npos) << text;
    EXPECT_EQ(text.find("42"), std::string::npos) << text;
}

}  // namespace
}  // namespace corvane::engine
