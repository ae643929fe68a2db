// Index reader: a fixed table opened with any index file either uses it,
// rebuilds it or reports it damaged; navigation by every tag stays in bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tables/fax_tables.h"
#include "tables/index_file.h"
#include "tables/table.h"
#include "tables/table_error.h"

using namespace corvane::tables;

namespace {

// Removed when the fuzzer exits.
struct ScratchDirectory {
    std::string path = "/tmp/fuzz-tables-index-" + std::to_string(getpid()) + "/";
    ScratchDirectory() { std::filesystem::create_directories(path); }
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
};

std::string MakeTable() {
    static const ScratchDirectory scratch;
    const std::string& directory = scratch.path;
    Table table;
    OpenOutgoingTable(table, directory, "");
    const char* subjects[] = {"b", "a", "c", "a"};
    for (const char* subject : subjects) {
        table.Append();
        table.SetText("SUBJECT", subject);
        table.Post();
    }
    table.Delete();
    return directory + kOutgoingTableName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string tablePath = MakeTable();
    try {
        ReadIndexFile({data, size});
    } catch (const TableError&) {
    }
    const std::string indexPath = Table::IndexPathFor(tablePath);
    std::FILE* file = std::fopen(indexPath.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Table table;
    table.Open(tablePath, OpenMode::ReadOnly);
    const auto tags = table.Tags();
    for (std::size_t order = 0; order <= tags.size(); ++order) {
        table.SetOrder(static_cast<int>(order));
        for (table.First(); table.HasCurrentRow(); table.Next())
            if (table.RecNo() > table.RecCount())
                __builtin_trap();
    }
    return 0;
}
