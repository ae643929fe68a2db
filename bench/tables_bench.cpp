// The outgoing table at 100,000 rows: open with its five tags and show the
// first page newest first, count the unarchived rows, append one row, and
// pack and re-index everything. Run build/bin/bench_tables_bench by hand.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tables/fax_tables.h"
#include "tables/table.h"
#include "tables/table_rebuild.h"

namespace {

using namespace corvane::tables;

constexpr int kRows = 100000;
constexpr int kPageRows = 30;
constexpr char kArchiveFilter[] = ".not. archived";

// Removed when the benchmark program ends.
struct ScratchDirectory {
    std::string path;
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
};

// Built once: a program directory holding a CVOUT of kRows rows.
const std::string& SampleDirectory() {
    static const ScratchDirectory directory{[] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        std::string path = std::string(mkdtemp(pattern.data())) + "/";
        Table table;
        OpenOutgoingTable(table, path, "");
        table.CloseIndexes();  // faster to fill without tags, then index once
        std::srand(1);
        for (int i = 0; i < kRows; ++i) {
            table.Append();
            table.SetText("SUBJECT", "Subject " + std::to_string(std::rand() % 5000));
            table.SetDate("DATESENT",
                          {2000 + std::rand() % 25, 1 + std::rand() % 12, 1 + std::rand() % 28});
            table.SetText("TIMESENT", "12:" + std::to_string(10 + std::rand() % 50));
            table.SetText("RECIPIENT", "Recipient " + std::to_string(std::rand() % 3000));
            table.SetText("PHONE", "555-" + std::to_string(i));
            table.SetText("LASTRESULT", "SENT");
            table.SetText("CODES", "C" + std::to_string(std::rand() % 100));
            table.SetLogical("ARCHIVED", std::rand() % 4 == 0);
            table.Post();
        }
        for (const TagDefinition& tag : OutgoingTags()) table.IndexTag(tag);
        return path;
    }()};
    return directory.path;
}

void OpenAndFirstPage(benchmark::State& state) {
    const std::string& directory = SampleDirectory();
    for (auto _ : state) {
        Table table;
        OpenOutgoingTable(table, directory, kArchiveFilter);
        table.SetOrder(table.TagArea("DATESENT"));
        table.First();
        for (int row = 0; row < kPageRows && table.HasCurrentRow(); ++row) {
            benchmark::DoNotOptimize(table.Text("SUBJECT"));
            table.Next();
        }
    }
}
BENCHMARK(OpenAndFirstPage)->Unit(benchmark::kMillisecond);

void QueryCount(benchmark::State& state) {
    Table table;
    OpenOutgoingTable(table, SampleDirectory(), kArchiveFilter);
    for (auto _ : state) benchmark::DoNotOptimize(table.QueryRecCount());
}
BENCHMARK(QueryCount)->Unit(benchmark::kMillisecond);

void AppendOneRow(benchmark::State& state) {
    Table table;
    OpenOutgoingTable(table, SampleDirectory(), kArchiveFilter);
    table.SetOrder(1);
    for (auto _ : state) {
        table.Append();
        table.SetText("SUBJECT", "Appended");
        table.SetDate("DATESENT", {2024, 5, 17});
        table.SetText("TIMESENT", "10:15");
        table.Post();
    }
    state.counters["rows"] = table.RecCount();
}
BENCHMARK(AppendOneRow)->Unit(benchmark::kMicrosecond);

void PackAndReindex(benchmark::State& state) {
    const std::string& directory = SampleDirectory();
    for (auto _ : state) {
        state.PauseTiming();
        Table outgoing;
        OpenOutgoingTable(outgoing, directory, kArchiveFilter);
        outgoing.Go(outgoing.RecNo());
        outgoing.Delete();  // something to pack away
        state.ResumeTiming();
        RebuildTable(outgoing, OutgoingTags(), "pack", "index", {});
    }
}
BENCHMARK(PackAndReindex)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
