#include "table_rebuild.h"

#include <unistd.h>

#include "fax_tables.h"

namespace corvane::tables {

namespace {

void Report(const RebuildObserver& observer, const std::string& label) {
    if (observer.label)
        observer.label(label);
}

void Gauge(const RebuildObserver& observer, int percent) {
    if (observer.gauge)
        observer.gauge(percent);
}

}  // namespace

void RebuildTable(Table& table, const std::vector<TagDefinition>& tags,
                  const std::string& packLabel, const std::string& indexLabel,
                  const RebuildObserver& observer) {
    table.SetGaugeHook(observer.gauge);
    const int order = table.IndexOrd();
    table.CloseIndexes();
    ::unlink(Table::IndexPathFor(table.Path()).c_str());
    Report(observer, packLabel);
    Gauge(observer, 0);
    table.Pack();
    Gauge(observer, 0);
    Report(observer, indexLabel);
    for (const TagDefinition& tag : tags) table.IndexTag(tag);
    table.SetOrder(order);
    table.SetGaugeHook({});
}

void RebuildFaxTables(Table& outgoing, Table& received, Table& spare,
                      const std::string& programDirectory, const RebuildObserver& observer) {
    RebuildTable(outgoing, OutgoingTags(), "Removing FAX file records marked for deletion",
                 "Rebuilding FAX file indexes", observer);
    RebuildTable(received, ReceivedTags(), "Removing RECEIVE file records marked for deletion",
                 "Rebuilding RECEIVE file indexes", observer);
    if (!OpenPhoneTable(spare, programDirectory, true))
        return;
    RebuildTable(spare, PhoneTags(), "Removing PHONE file records marked for deletion",
                 "Rebuilding PHONE file indexes", observer);
    spare.SetOrder(spare.TagArea("NAME"));
    spare.Close();
}

}  // namespace corvane::tables
