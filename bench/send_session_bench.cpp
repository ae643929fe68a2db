// A 10-page fine text fax sent over class 1 to the simulated remote in
// virtual time, at 14400 and 9600 bit/s. Reports the session's line time
// against the least the protocol allows (the same fax's fixed phases,
// measured with near-empty pages, plus the page bits at the rate) and the
// CPU time spent in the engine. Targets: line time within 10% of that
// minimum; engine CPU under 1% of the line time.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "faxengine/fax_components.h"
#include "faxengine/sim_port.h"
#include "faximage/apf_writer.h"
#include "faximage/t4_codec.h"
#include "faximage/text_converter.h"
#include "simmodem/class1_modem.h"
#include "simmodem/remote_fax.h"

using namespace corvane;
using namespace corvane::engine;
using namespace corvane::simmodem;

namespace {

constexpr int kPages = 10;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Counts CPU time inside the port's posted dispatches (the engine's event
// handling), leaving out the simulated line that runs during its waits.
class MeteredScheduler : public Scheduler {
  public:
    void Post(std::function<void()> call) override {
        Scheduler::Post([this, call = std::move(call)] {
            const double start = ThreadCpuSeconds();
            const double before = excluded_;
            call();
            engineCpu += ThreadCpuSeconds() - start - (excluded_ - before);
        });
    }
    void BusyWait(std::uint32_t milliseconds) override {
        Excluded([&] { Scheduler::BusyWait(milliseconds); });
    }
    void PollMessages() override {
        Excluded([&] { Scheduler::PollMessages(); });
    }

    double engineCpu = 0;

  private:
    template <class F>
    void Excluded(F&& f) {
        const double start = ThreadCpuSeconds();
        f();
        excluded_ += ThreadCpuSeconds() - start;
    }
    double excluded_ = 0;
};

// Text pages in the fax font: lines of a typed letter, fine resolution.
void WriteTextFax(const std::string& path, int textLines) {
    auto text = std::make_unique<faximage::TextConverter>();
    faximage::CreateTextConverter(text);
    faximage::LoadFaxFont(*text, "", faximage::kStandardFontBytesPerGlyph, true);
    faximage::ApfWriter writer;
    writer.Create(path, faximage::ApfWriter::Mode::Atomic);
    faximage::T4Encoder encoder;
    for (int page = 0; page < kPages; ++page) {
        writer.BeginPage(faximage::pfFine | faximage::pfCountedLines);
        for (int line = 0; line < textLines; ++line) {
            const std::string words =
                "Line " + std::to_string(line + 1) + " of page " + std::to_string(page + 1) +
                ": the quick brown fox jumps over the lazy dog, again and again.";
            for (int row = 1; row <= text->metrics.rows; ++row) {
                std::vector<std::uint8_t> raster(4096, 0);
                faximage::RenderTextRow(*text, words, row, raster);
                faximage::EncodeLine(encoder, raster.data());
                writer.AppendLineRecord(encoder.buffer.data(),
                                        static_cast<std::uint16_t>(encoder.bytePos));
            }
        }
        const auto& end = faximage::kEndOfPageRecord;
        writer.AppendLineRecord(end.data(), static_cast<std::uint16_t>(end.size()));
        writer.EndPage();
    }
    writer.Finish(faximage::NewFileHeader());
}

struct Outcome {
    double lineSeconds = 0;
    double dataSeconds = 0;  // page bits the remote received, at the rate
    double engineCpu = 0;
    bool ok = false;
};

Outcome Send(const std::string& path, std::uint16_t bps) {
    MeteredScheduler scheduler;
    PhoneNetwork network(scheduler);
    ModemConfig config;
    Class1Modem modem(network, config);
    SimComPort port(scheduler, modem);
    port.Open();
    RemoteFaxConfig remoteConfig;
    remoteConfig.capabilities.scanFineMs = 10;
    remoteConfig.capabilities.scanNormalMs = 10;
    RemoteFax remote(network, remoteConfig);
    network.Assign("5551234", remote);
    CvSendFax fax(scheduler, scheduler);
    fax.SetComPort(&port);
    fax.faxClass = FaxClass::fcClass1;
    fax.desiredBPS = bps;
    fax.phoneNumber = "5551234";
    fax.faxFile = path;
    fax.stationID = "5550199";
    fax.headerLine = "Corvane  Page $P of $N";
    std::optional<int> finish;
    fax.onFaxFinish = [&](CvCustomAbstractFax&, int code) { finish = code; };
    const Micros start = scheduler.Now();
    fax.StartTransmit();
    scheduler.RunUntil([&] { return finish.has_value(); }, Seconds(7200));
    Outcome outcome;
    outcome.ok = finish == 0 && remote.Succeeded();
    outcome.lineSeconds = static_cast<double>(scheduler.Now() - start) * 1e-6;
    for (const ReceivedPage& page : remote.Pages()) {
        outcome.dataSeconds +=
            static_cast<double>(page.page.data.size()) * 8 / page.modulation.bitsPerSecond;
    }
    outcome.engineCpu = scheduler.engineCpu;
    return outcome;
}

void SendTenPages(benchmark::State& state) {
    const auto bps = static_cast<std::uint16_t>(state.range(0));
    const std::string full = "/tmp/corvane_bench_text.apf";
    const std::string empty = "/tmp/corvane_bench_empty.apf";
    WriteTextFax(full, 44);
    WriteTextFax(empty, 0);
    Outcome fixed;
    Outcome fax;
    for (auto _ : state) {
        fixed = Send(empty, bps);
        fax = Send(full, bps);
    }
    if (!fixed.ok || !fax.ok) {
        state.SkipWithError("a send failed");
        return;
    }
    // The fixed phases less the little page data the near-empty pages carry.
    const double minimum = (fixed.lineSeconds - fixed.dataSeconds) + fax.dataSeconds;
    state.counters["line_s"] = fax.lineSeconds;
    state.counters["data_s"] = fax.dataSeconds;
    state.counters["fixed_s"] = fixed.lineSeconds - fixed.dataSeconds;
    state.counters["vs_min_pct"] = 100.0 * (fax.lineSeconds / minimum - 1);
    state.counters["engine_cpu_s"] = fax.engineCpu;
    state.counters["cpu_of_line_pct"] = 100.0 * fax.engineCpu / fax.lineSeconds;
}

BENCHMARK(SendTenPages)->Arg(14400)->Arg(9600)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
