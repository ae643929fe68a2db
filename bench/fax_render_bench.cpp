// Rendering one fine 1728 x 2156 page into a raster, as the viewer and
// the render command do. Target: under 5 ms per page.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "faximage/fax_converter_component.h"
#include "faximage/fax_unpacker_component.h"

using namespace corvane::faximage;

namespace {

constexpr int kPageWidth = 1728;
constexpr int kPageHeight = 2156;

// Lines of "words" with gaps, like a typed letter.
Raster TextPage() {
    Raster page(kPageWidth, kPageHeight);
    unsigned value = 7;
    for (int line = 100; line + 30 < kPageHeight - 100; line += 40) {
        for (int x = 100; x < kPageWidth - 150;) {
            value = value * 1103515245u + 12345u;
            const int word = 20 + static_cast<int>((value >> 16) % 120);
            for (int y = 0; y < 24; ++y)
                for (int stroke = x; stroke < x + word;
                     stroke += 6 + static_cast<int>((value >> (y % 8)) & 3))
                    page.FillRect(stroke, line + y, 2, 1, true);
            x += word + 16;
        }
    }
    return page;
}

// Fine black and white detail on every line.
Raster DensePage() {
    Raster page(kPageWidth, kPageHeight);
    unsigned value = 3;
    for (int y = 0; y < kPageHeight; ++y)
        for (int x = 0; x < kPageWidth;) {
            value = value * 1103515245u + 12345u;
            const int run = 1 + static_cast<int>((value >> 16) % 12);
            if ((value >> 9) & 1)
                page.FillRect(x, y, run, 1, true);
            x += run;
        }
    return page;
}

std::string WritePage(const Raster& page, const char* name) {
    const std::string path = std::string("/tmp/corvane-bench-") + name + ".apf";
    CvFaxConverter converter;
    converter.SetOptions(0);
    converter.SetLeftMargin(0);
    converter.SetResolution(FaxResolution::frHigh);
    converter.SetOutFileName(path);
    converter.ConvertBitmap(page);
    return path;
}

void RenderPage(benchmark::State& state, const Raster& page, const char* name) {
    const std::string path = WritePage(page, name);
    CvFaxUnpacker unpacker;
    unpacker.SetInFileName(path);
    for (auto _ : state) benchmark::DoNotOptimize(unpacker.PageBitmap(1));
    std::remove(path.c_str());
}

void BM_RenderTextPage(benchmark::State& state) {
    RenderPage(state, TextPage(), "text");
}
void BM_RenderDensePage(benchmark::State& state) {
    RenderPage(state, DensePage(), "dense");
}

BENCHMARK(BM_RenderTextPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDensePage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
