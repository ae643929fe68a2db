// What the desktop's simulated modem costs: one demo call (the demo
// caller's two pages into a receive session) run in virtual time. The
// desktop runs the same work spread over the call's real duration, so the
// CPU time against the virtual seconds tells the headroom of the wall-clock
// drive.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "faxengine/cv_receive_fax.h"
#include "faxengine/sim_port.h"
#include "simmodem/demo_fax.h"
#include "simmodem/demo_line.h"

namespace {

using namespace corvane;

void DemoCallIntoReceiveSession(benchmark::State& state) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / "corvane_demo_line_bench").string();
    double virtualSeconds = 0;
    for (auto _ : state) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        engine::Scheduler scheduler;
        simmodem::DemoLine line(scheduler);
        engine::SimComPort port(scheduler, line.Modem());
        port.Open();
        engine::CvReceiveFax fax(scheduler, scheduler);
        fax.SetComPort(&port);
        fax.faxClass = static_cast<engine::FaxClass>(state.range(0));
        fax.destinationDir = dir;
        bool received = false;
        fax.onFaxLog = [&](engine::CvCustomAbstractFax&, engine::FaxLogCode code) {
            received = received || code == engine::FaxLogCode::lcReceiveOK;
        };
        fax.StartReceive();
        scheduler.RunFor(engine::Seconds(5));
        const engine::Micros start = scheduler.Now();
        line.PlaceCall(simmodem::DemoCaller());
        scheduler.RunUntil([&] { return received; }, start + engine::Seconds(600));
        virtualSeconds += static_cast<double>(scheduler.Now() - start) / 1e6;
        if (!received)
            state.SkipWithError("the demo fax did not arrive");
        fax.CancelFax();
        port.Close();
    }
    state.counters["virtual_s_per_call"] =
        benchmark::Counter(virtualSeconds / static_cast<double>(state.iterations()));
}
// Class 1, class 2 and class 2.0 on our side of the line.
BENCHMARK(DemoCallIntoReceiveSession)
    ->Arg(static_cast<int>(engine::FaxClass::fcClass1))
    ->Arg(static_cast<int>(engine::FaxClass::fcClass2))
    ->Arg(static_cast<int>(engine::FaxClass::fcClass2_0))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
