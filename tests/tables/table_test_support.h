// Shared pieces of the table tests: a scratch directory and small tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tables/field.h"
#include "tables/table.h"

namespace corvane::tables::testing {

class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corvane-tables-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        path_ += '/';
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }
    // A path ending in '/', as the program directory is.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

inline std::vector<Field> PeopleFields() {
    return {{"NAME", FieldType::Character, 10, 0},
            {"BORN", FieldType::Date, 8, 0},
            {"AGE", FieldType::Numeric, 3, 0},
            {"ACTIVE", FieldType::Logical, 1, 0}};
}

inline void AppendPerson(Table& table, const std::string& name, int age, bool active = true) {
    table.Append();
    table.SetText("NAME", name);
    table.SetNumber("AGE", age);
    table.SetLogical("ACTIVE", active);
    table.Post();
}

// Values of one field over the visible rows in the current order.
inline std::vector<std::string> Column(Table& table, const std::string& field) {
    std::vector<std::string> values;
    for (table.First(); table.HasCurrentRow(); table.Next()) values.push_back(table.Text(field));
    return values;
}

inline std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace corvane::tables::testing
