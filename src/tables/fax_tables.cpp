#include "fax_tables.h"

#include <functional>

#include "file_io.h"
#include "table_error.h"

namespace corvane::tables {

namespace {

Field Character(const char* name, int width) {
    return {name, FieldType::Character, width, 0};
}
Field DateField(const char* name) {
    return {name, FieldType::Date, 8, 0};
}
Field LogicalField(const char* name) {
    return {name, FieldType::Logical, 1, 0};
}

TagDefinition Tag(const char* name, const char* key, bool descending) {
    return {name, key, kTagCondition, descending};
}

bool CreateTable(const std::string& path, const std::vector<Field>& fields) {
    try {
        Table::Create(path, fields);
    } catch (const TableError&) {
        return false;
    }
    return FileExists(path);
}

// The common steps of the openers; `finish` runs after the tags exist.
bool OpenOrCreate(Table& table, const std::string& path, const std::vector<Field>& fields,
                  const std::vector<TagDefinition>& tags, OpenMode mode,
                  const std::function<void()>& finish) {
    if (!FileExists(path) && !CreateTable(path, fields))
        return false;
    try {
        table.Close();
        table.Open(path, mode);
    } catch (const TableError&) {
        return false;
    }
    try {
        // A damaged index file is treated like a missing one: its tags are
        // made again rather than leaving the table without its orders.
        const auto status = table.OpenedIndexState().status;
        if (status == IndexState::Missing || status == IndexState::Damaged)
            for (const TagDefinition& tag : tags) table.IndexTag(tag);
        finish();
    } catch (const TableError&) {
    }
    return true;
}

}  // namespace

const std::vector<Field>& OutgoingFields() {
    static const std::vector<Field> fields = {
        Character("SUBJECT", 50),   DateField("DATESENT"),     Character("TIMESENT", 5),
        Character("RECIPIENT", 35), Character("PHONE", 25),    Character("LASTRESULT", 100),
        Character("FAXDOC", 12),    Character("FAXCOVER", 12), Character("NOTES", 50),
        Character("CODES", 25),     LogicalField("ARCHIVED")};
    return fields;
}

const std::vector<Field>& ReceivedFields() {
    static const std::vector<Field> fields = {
        DateField("DATEREC"),     Character("TIMEREC", 5),
        Character("FROM", 20),    {"PAGES", FieldType::Numeric, 2, 0},
        Character("FAXFILE", 12), Character("NOTES", 60),
        LogicalField("ARCHIVED")};
    return fields;
}

const std::vector<Field>& PhoneFields() {
    static const std::vector<Field> fields = {Character("NAME", 35), Character("PHONE", 25)};
    return fields;
}

const std::vector<TagDefinition>& OutgoingTags() {
    static const std::vector<TagDefinition> tags = {
        Tag("DATESENT", "DTOS(DATESENT)+TIMESENT", true), Tag("SUBJECT", "UPPER(SUBJECT)", false),
        Tag("RECIPIENT", "UPPER(RECIPIENT)", false), Tag("CODES", "UPPER(CODES)", false),
        Tag("ARCHIVED", "ARCHIVED", false)};
    return tags;
}

const std::vector<TagDefinition>& ReceivedTags() {
    static const std::vector<TagDefinition> tags = {Tag("DATETIME", "DTOS(DATEREC)+TIMEREC", true),
                                                    Tag("FROM", "UPPER(FROM)", true),
                                                    Tag("ARCHIVED", "ARCHIVED", false)};
    return tags;
}

const std::vector<TagDefinition>& PhoneTags() {
    static const std::vector<TagDefinition> tags = {Tag("NAME", "NAME", false)};
    return tags;
}

bool OpenOutgoingTable(Table& table, const std::string& programDirectory,
                       const std::string& archiveFilter) {
    return OpenOrCreate(table, programDirectory + kOutgoingTableName, OutgoingFields(),
                        OutgoingTags(), OpenMode::Exclusive, [&] {
                            table.First();
                            table.SetQuery(archiveFilter);
                        });
}

bool MakeRecFaxDBF(const std::string& programDirectory) {
    return CreateTable(programDirectory + kReceivedTableName, ReceivedFields());
}

bool OpenRecFaxDBF(Table& table, const std::string& programDirectory) {
    return OpenOrCreate(table, programDirectory + kReceivedTableName, ReceivedFields(),
                        ReceivedTags(), OpenMode::Exclusive,
                        [&] { table.SetQuery(".not. deleted()"); });
}

bool OpenPhoneTable(Table& table, const std::string& programDirectory, bool exclusive) {
    return OpenOrCreate(table, programDirectory + kPhoneTableName, PhoneFields(), PhoneTags(),
                        exclusive ? OpenMode::Exclusive : OpenMode::Shared, [&] {
                            table.SetOrder(table.TagArea("NAME"));
                            table.SetQuery(".not. deleted()");
                        });
}

void FaxTableCloseAndOpen(Table& table, const std::string& archiveFilter) {
    const std::uint32_t record = table.RecNo();
    const int order = table.IndexOrd();
    const std::string path = table.Path();
    const OpenMode mode = table.Mode();
    table.Close();
    table.Open(path, mode);
    try {
        table.SetOrder(order);
    } catch (const TableError&) {
        // The tags are gone (index rebuilt elsewhere); record order remains.
    }
    table.SetQuery(archiveFilter);
    try {
        if (record > 0 && record <= table.RecCount())
            table.Go(record);
    } catch (const TableError&) {
        // The row is hidden now; the first row stays current.
    }
}

}  // namespace corvane::tables
