// The outgoing grid's column order and widths between runs: name + ".gco"
// holds one field name per line in column order, name + ".gcs" one pixel
// width per line, column 0 (the row indicator) first.
#pragma once

#include <string>

namespace corvane::app {

class FaxGrid;

void SaveGridOrders(FaxGrid& grid, const std::string& name);
// Lines naming no field, widths that are not numbers and columns that do
// not exist are skipped; a missing file changes nothing.
void LoadGridOrders(FaxGrid& grid, const std::string& name);

}  // namespace corvane::app
