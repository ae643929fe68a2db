// Rendering one cover, template read to fax file written, with the shipped
// default design and a full message. Target: under 50 ms.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QGuiApplication>

#include <cstdio>
#include <string>

#include "covers/cover_renderer.h"

using namespace corvane::covers;

namespace {

const std::string kTemplate = std::string(CORVANE_BIN_DIR) + "/../share/corvane/covers/cv0001.fct";

void BM_RenderCover(benchmark::State& state) {
    CoverValues values;
    values.Date = "Friday, 11 December 2026";
    values.Recipient = "Jordan Ellis";
    values.RecipientFax = "+1 555 0142";
    values.Regarding = "Quarterly price list";
    values.SenderName = "Sam Carter";
    values.Urgent = values.PleaseReply = true;
    std::string message;
    for (int i = 0; i < 30; ++i)
        message += "A line of the message that wraps across the width of the message box.\r\n";
    const std::string output = "/tmp/bench-cover-" + std::to_string(::getpid()) + ".apf";
    for (auto _ : state) RenderCover(output, kTemplate, values, message);
    std::remove(output.c_str());
}
BENCHMARK(BM_RenderCover)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
