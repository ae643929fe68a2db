// Our T.4 codec against libtiff's one-dimensional Group 3 codec on
// 1728 x 2156 fine pages: a text page and a dense page. Prints pages per
// second for each and the ratio ours / libtiff.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "faximage/fax_font_data.h"
#include "faximage/t4_codec.h"
#include "faximage/t4_table_decoder.h"

namespace {

using namespace corvane::faximage;

constexpr int kWidth = kStandardLineWidth;
constexpr int kRowBytes = kWidth / 8;
constexpr int kLines = 2156;

using Page = std::vector<std::uint8_t>;  // kLines rows of kRowBytes

// Lines of 80-column text in the standard fax font, rows doubled as on a fine page.
Page TextPage() {
    Page page(kRowBytes * kLines, 0);
    const auto font = FaxFontResource().subspan(kStandardFontOffset);
    const std::string text =
        "Invoice 4711 - delivery of 12 units, see the attached schedule; payment due in 30 days. ";
    for (int top = 100, line = 0; top + 32 < kLines - 100; top += 48, ++line) {
        for (int row = 0; row < 32; ++row) {
            std::uint8_t* raster = &page[(top + row) * kRowBytes];
            for (int k = 0; k < 80; ++k) {
                const auto c = static_cast<std::uint8_t>(text[(k + line * 7) % text.size()]);
                const std::uint8_t* glyphRow = &font[c * 48 + (row / 2) * 3];
                const int x = 50 + k * 20;
                for (int b = 0; b < 20; ++b)
                    if (glyphRow[b / 8] >> (7 - b % 8) & 1)
                        raster[(x + b) / 8] |= static_cast<std::uint8_t>(0x80 >> ((x + b) % 8));
            }
        }
    }
    return page;
}

// Short runs everywhere, as in a dithered photograph.
Page DensePage() {
    Page page(kRowBytes * kLines, 0);
    std::mt19937 random(5);
    std::geometric_distribution<int> run(0.25);
    for (int y = 0; y < kLines; ++y) {
        bool black = false;
        for (int x = 0; x < kWidth;) {
            const int length = 1 + run(random);
            for (int i = x; i < std::min(kWidth, x + length); ++i)
                if (black)
                    page[y * kRowBytes + i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
            x += length;
            black = !black;
        }
    }
    return page;
}

const Page& PageNamed(const std::string& name) {
    static const Page text = TextPage();
    static const Page dense = DensePage();
    return name == "text" ? text : dense;
}

// --- libtiff in memory -----------------------------------------------------

struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    toff_t pos = 0;
};

tsize_t MemRead(thandle_t h, tdata_t buf, tsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    const tsize_t n = std::max<tsize_t>(
        0, std::min<tsize_t>(size, static_cast<tsize_t>(f->bytes.size()) - f->pos));
    std::memcpy(buf, f->bytes.data() + f->pos, n);
    f->pos += n;
    return n;
}
tsize_t MemWrite(thandle_t h, tdata_t buf, tsize_t size) {
    auto* f = static_cast<MemoryFile*>(h);
    if (f->pos + size > f->bytes.size())
        f->bytes.resize(f->pos + size);
    std::memcpy(f->bytes.data() + f->pos, buf, size);
    f->pos += size;
    return size;
}
toff_t MemSeek(thandle_t h, toff_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    f->pos = whence == SEEK_SET   ? offset
             : whence == SEEK_CUR ? f->pos + offset
                                  : f->bytes.size() + offset;
    return f->pos;
}
int MemClose(thandle_t) {
    return 0;
}
toff_t MemSize(thandle_t h) {
    return static_cast<MemoryFile*>(h)->bytes.size();
}
int MemMap(thandle_t, tdata_t*, toff_t*) {
    return 0;
}
void MemUnmap(thandle_t, tdata_t, toff_t) {}

TIFF* OpenMemory(MemoryFile& file, const char* mode) {
    file.pos = 0;
    return TIFFClientOpen("page", mode, &file, MemRead, MemWrite, MemSeek, MemClose, MemSize,
                          MemMap, MemUnmap);
}

void LibtiffEncode(const Page& page, MemoryFile& file) {
    file.bytes.clear();
    TIFF* tiff = OpenMemory(file, "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kLines);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kLines);
    std::vector<std::uint8_t> row(kRowBytes);
    for (int y = 0; y < kLines; ++y) {
        std::memcpy(row.data(), &page[y * kRowBytes],
                    kRowBytes);  // libtiff may change the row it is given
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
}

void LibtiffDecode(MemoryFile& file, Page& out) {
    TIFF* tiff = OpenMemory(file, "r");
    for (int y = 0; y < kLines; ++y) TIFFReadScanline(tiff, &out[y * kRowBytes], y, 0);
    TIFFClose(tiff);
}

// --- ours --------------------------------------------------------------------

void OurEncode(const Page& page, std::vector<std::uint8_t>& coded) {
    coded.clear();
    T4Encoder encoder;
    encoder.margin = 0;  // the same pixels as libtiff codes
    for (int y = 0; y < kLines; ++y) {
        EncodeLine(encoder, &page[y * kRowBytes]);
        coded.insert(coded.end(), encoder.buffer.begin(), encoder.buffer.begin() + encoder.bytePos);
    }
    coded.insert(coded.end(), kEndOfPageRecord.begin(), kEndOfPageRecord.end());
}

// --- benchmarks ----------------------------------------------------------------

void Finish(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations());
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void EncodeOurs(benchmark::State& state, const std::string& name) {
    const Page& page = PageNamed(name);
    std::vector<std::uint8_t> coded;
    coded.reserve(1 << 22);
    for (auto _ : state) {
        OurEncode(page, coded);
        benchmark::DoNotOptimize(coded.data());
    }
    Finish(state);
}

void EncodeLibtiff(benchmark::State& state, const std::string& name) {
    const Page& page = PageNamed(name);
    MemoryFile file;
    for (auto _ : state) {
        LibtiffEncode(page, file);
        benchmark::DoNotOptimize(file.bytes.data());
    }
    Finish(state);
}

void DecodeOurs(benchmark::State& state, const std::string& name) {
    std::vector<std::uint8_t> coded;
    OurEncode(PageNamed(name), coded);
    Page out(kRowBytes * kLines);
    int y = 0;
    T4TableDecoder decoder([&](const std::uint8_t* line, int bytes) {
        if (y < kLines)
            std::memcpy(&out[y++ * kRowBytes], line, std::min(bytes, kRowBytes));
    });
    for (auto _ : state) {
        y = 0;
        decoder.StartPage();
        decoder.DecodeBlock(coded.data(), coded.size());
        benchmark::DoNotOptimize(out.data());
    }
    if (y != kLines || out != PageNamed(name))
        state.SkipWithError("our decoder lost the page");
    Finish(state);
}

void DecodeLibtiff(benchmark::State& state, const std::string& name) {
    MemoryFile file;
    LibtiffEncode(PageNamed(name), file);
    Page out(kRowBytes * kLines);
    for (auto _ : state) {
        LibtiffDecode(file, out);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != PageNamed(name))
        state.SkipWithError("libtiff lost the page");
    Finish(state);
}

// Keeps the best time of each benchmark (the machine may be shared, so the
// fastest of the repetitions is the fairest) and prints the ratios at the end.
class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const double seconds = run.GetAdjustedCPUTime() / 1e3;  // ms
            auto [it, added] = seconds_.emplace(run.run_name.function_name, seconds);
            if (!added)
                it->second = std::min(it->second, seconds);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintTable() const {
        std::printf("\nBest of the repetitions, CPU time:\n%-8s %-6s %14s %14s %8s\n", "", "page",
                    "ours pages/s", "libtiff p/s", "ratio");
        for (const char* op : {"Encode", "Decode"})
            for (const char* page : {"text", "dense"}) {
                const auto ours = seconds_.find(std::string(op) + "/" + page + "/ours");
                const auto theirs = seconds_.find(std::string(op) + "/" + page + "/libtiff");
                if (ours == seconds_.end() || theirs == seconds_.end())
                    continue;
                std::printf("%-8s %-6s %14.1f %14.1f %7.2fx\n", op, page, 1 / ours->second,
                            1 / theirs->second, theirs->second / ours->second);
            }
    }

  private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    TIFFSetWarningHandler(nullptr);
    using Function = void (*)(benchmark::State&, const std::string&);
    const std::pair<const char*, Function> kinds[] = {{"Encode/%s/ours", EncodeOurs},
                                                      {"Encode/%s/libtiff", EncodeLibtiff},
                                                      {"Decode/%s/ours", DecodeOurs},
                                                      {"Decode/%s/libtiff", DecodeLibtiff}};
    for (const std::string page : {"text", "dense"})
        for (const auto& [pattern, function] : kinds) {
            char name[64];
            std::snprintf(name, sizeof name, pattern, page.c_str());
            benchmark::RegisterBenchmark(name, function, page)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5);
        }
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    benchmark::Shutdown();
    return 0;
}
