// DBF reader: any file either opens and every row and field reads back, or
// gives a TableError.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tables/table.h"
#include "tables/table_error.h"

using namespace corvane::tables;

namespace {

const std::string& ScratchPath() {
    static const std::string path = "/tmp/fuzz-tables-dbf-" + std::to_string(getpid()) + ".DBF";
    return path;
}

void ReadEverything(Table& table) {
    for (table.First(); table.HasCurrentRow(); table.Next()) {
        for (const Field& field : table.Fields()) {
            switch (field.type) {
                case FieldType::Character:
                    table.Text(field.name);
                    break;
                case FieldType::Date:
                    table.DateValue(field.name);
                    break;
                case FieldType::Logical:
                    table.Logical(field.name);
                    break;
                case FieldType::Numeric:
                    table.Number(field.name);
                    break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    try {
        Table table;
        table.Open(path, OpenMode::ReadOnly);
        ReadEverything(table);
        table.SetDeletedHidden(false);
        ReadEverything(table);
    } catch (const TableError&) {
    }
    std::remove(path.c_str());
    return 0;
}
