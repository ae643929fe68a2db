// Documents into fax files: a 10-page PDF letter (text, a ruled table and a
// grey picture on every page) and a 150-line text file. The PDF should take
// well under 2 s. Run build/bin/bench_intake_bench by hand.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "intake/document_converter.h"

namespace {

using namespace corvane::intake;

// Removed when the benchmark program ends.
struct ScratchDirectory {
    std::string path;
    ScratchDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        path = std::string(mkdtemp(pattern.data())) + "/";
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
};

const ScratchDirectory& Scratch() {
    static const ScratchDirectory directory;
    return directory;
}

std::string SampleLetter() {
    static const std::string path = [] {
        const std::string file = Scratch().path + "letter.pdf";
        QPdfWriter writer(QString::fromStdString(file));
        writer.setResolution(72);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        QImage photo(300, 200, QImage::Format_RGB32);
        for (int x = 0; x < 300; ++x)
            for (int y = 0; y < 200; ++y)
                photo.setPixel(x, y, qRgb(x * 255 / 299, y * 255 / 199, 128));
        painter.setFont(QFont(QStringLiteral("Liberation Serif"), 11));
        for (int page = 0; page < 10; ++page) {
            if (page > 0)
                writer.newPage();
            for (int line = 0; line < 40; ++line)
                painter.drawText(72, 90 + line * 14,
                                 QStringLiteral("Page %1, line %2: the quick brown fox jumps "
                                                "over the lazy dog, and again.")
                                     .arg(page + 1)
                                     .arg(line + 1));
            for (int row = 0; row <= 8; ++row)
                painter.drawLine(72, 680 + row * 12, 520, 680 + row * 12);
            painter.drawImage(QRectF(340, 520, 180, 120), photo);
        }
        return file;
    }();
    return path;
}

std::string SampleText() {
    static const std::string path = [] {
        const std::string file = Scratch().path + "letter.txt";
        std::ofstream out(file);
        for (int line = 1; line <= 150; ++line)
            out << "Line " << line << ": the quick brown fox jumps over the lazy dog.\n";
        return file;
    }();
    return path;
}

void Convert(benchmark::State& state, const std::string& document) {
    const std::string out = Scratch().path + "out.apf";
    for (auto _ : state) {
        const ConversionResult result = ConvertDocument(QString::fromStdString(document), out);
        if (result.status != ConversionResult::Done)
            state.SkipWithError(result.message.toStdString().c_str());
        benchmark::DoNotOptimize(result.pages);
    }
}

void TenPagePdf(benchmark::State& state) {
    Convert(state, SampleLetter());
}
BENCHMARK(TenPagePdf)->Unit(benchmark::kMillisecond);

void TextOf150Lines(benchmark::State& state) {
    Convert(state, SampleText());
}
BENCHMARK(TextOf150Lines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Text is drawn with Qt's fonts, which need a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
