#include "grid_orders.h"

#include <fstream>
#include <vector>

#include "fax_grid.h"
#include "program_directory.h"

namespace corvane::app {

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A whole decimal number and nothing else.
bool ParseWidth(const std::string& text, int& width) {
    if (text.empty() || text.size() > 6)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    width = value;
    return true;
}

}  // namespace

void SaveGridOrders(FaxGrid& grid, const std::string& name) {
    const std::string base = ProgramDirectory() + name;
    {
        std::ofstream out(base + ".gco", std::ios::trunc);
        for (const std::string& field : grid.Model().FieldOrder()) out << field << "\r\n";
    }
    std::ofstream out(base + ".gcs", std::ios::trunc);
    for (int column = 0; column < grid.GridColumnCount(); ++column)
        out << grid.ColumnWidth(column) << "\r\n";
}

void LoadGridOrders(FaxGrid& grid, const std::string& name) {
    const std::string base = ProgramDirectory() + name;
    const std::vector<std::string> order = ReadLines(base + ".gco");
    int position = 0;
    for (const std::string& field : order) {
        const auto fields = grid.Model().FieldOrder();
        bool known = false;
        for (const std::string& f : fields) known = known || tables::EqualsIgnoringCase(f, field);
        if (!known)
            continue;
        grid.Model().MoveField(field, position++);
    }
    const std::vector<std::string> widths = ReadLines(base + ".gcs");
    for (std::size_t column = 0; column < widths.size(); ++column) {
        int width = 0;
        if (ParseWidth(widths[column], width))
            grid.SetColumnWidth(int(column), width);
    }
}

}  // namespace corvane::app
