// Repairing and compacting the three tables: for each, throw away the
// compound index, remove the deleted rows for good and make the tags again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "index_tag.h"
#include "progress.h"
#include "table.h"

namespace corvane::tables {

struct RebuildObserver {
    std::function<void(const std::string& label)> label;  // what is being done now
    ProgressHook gauge;                                   // 0 to 100 within it
};

// One open table (exclusive): keeps the selected order. Throws TableError
// and stops where the error was found.
void RebuildTable(Table& table, const std::vector<TagDefinition>& tags,
                  const std::string& packLabel, const std::string& indexLabel,
                  const RebuildObserver& observer);

// The outgoing and received tables through their open handles, then the
// phone book through `spare`, opened exclusively (created when missing) and
// closed again.
void RebuildFaxTables(Table& outgoing, Table& received, Table& spare,
                      const std::string& programDirectory, const RebuildObserver& observer);

}  // namespace corvane::tables
