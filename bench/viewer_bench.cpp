// The viewer with a 100-page fine fax of typed pages: opening it until
// page 1 is painted (target under 100 ms), and turning to the next page,
// decoded, scaled to the window and painted (target under 30 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "faximage/fax_converter_component.h"
#include "viewer/cv_fax_viewer.h"

using namespace corvane;

namespace {

constexpr int kPages = 100;

// Rows of letter-sized marks with gaps between words, like typing.
faximage::Raster TypedPage(unsigned seed) {
    faximage::Raster page(1728, 2200);
    for (int row = 120; row < 2080; row += 44) {
        int x = 120;
        while (x < 1560) {
            seed = seed * 1664525u + 1013904223u;
            const int letters = 2 + static_cast<int>((seed >> 20) % 9);
            for (int letter = 0; letter < letters; ++letter, x += 15) {
                page.FillRect(x, row, 2, 22, true);
                page.FillRect(x, row + 10 + static_cast<int>((seed >> letter) % 10), 11, 2, true);
            }
            x += 15;
        }
    }
    return page;
}

std::string LongFax() {
    static const std::string path = [] {
        const std::string name =
            (std::filesystem::temp_directory_path() / "corvane-viewer-bench.apf").string();
        std::vector<faximage::Raster> pages;
        for (int page = 0; page < kPages; ++page)
            pages.push_back(TypedPage(static_cast<unsigned>(page) + 1));
        std::vector<faximage::PictureView> views;
        for (const auto& page : pages) views.push_back(page.View());
        faximage::CvFaxConverter converter;
        converter.SetOptions(0);
        converter.SetLeftMargin(0);
        converter.SetResolution(faximage::FaxResolution::frHigh);
        converter.SetOutFileName(name);
        converter.ConvertPages(views);
        return name;
    }();
    return path;
}

// The viewer window's starting zoom: half the page's pixels.
void ShowAtHalfScale(viewer::CvFaxViewer& control) {
    control.resize(900, 800);
    control.show();
    control.StartUpdate();
    control.SetScaling(true);
    control.SetHorizMult(50);
    control.SetHorizDiv(100);
    control.SetVertMult(50);
    control.SetVertDiv(100);
    control.EndUpdate();
}

void BM_OpenHundredPageFax(benchmark::State& state) {
    const QString path = QString::fromStdString(LongFax());
    viewer::CvFaxViewer control;
    ShowAtHalfScale(control);
    for (auto _ : state) {
        control.SetFileName(path);
        control.viewport()->repaint();
        benchmark::DoNotOptimize(control.PageCount());
        state.PauseTiming();
        control.SetFileName({});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenHundredPageFax)->Unit(benchmark::kMillisecond);

void BM_NextFinePage(benchmark::State& state) {
    viewer::CvFaxViewer control;
    ShowAtHalfScale(control);
    control.SetFileName(QString::fromStdString(LongFax()));
    if (state.range(0) == 1)
        control.SetScaling(false);
    for (auto _ : state) {
        if (control.CurrentPage() == control.PageCount())
            control.GotoFirstPage();
        else
            control.GotoNextPage();
        control.viewport()->repaint();
    }
}
// 0: at half scale (the window's "100%"), 1: at 1:1 ("200%").
BENCHMARK(BM_NextFinePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(LongFax().c_str());
    return 0;
}
