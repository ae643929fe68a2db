// The program's three tables: outgoing faxes (CVOUT), received faxes (CVREC)
// and the phone book (CVPB), their layouts and index tags, and how each is
// opened or created in the program directory (a path ending in '/').
#pragma once

#include <string>
#include <vector>

#include "field.h"
#include "index_tag.h"
#include "table.h"

namespace corvane::tables {

inline constexpr char kOutgoingTableName[] = "CVOUT.DBF";
inline constexpr char kReceivedTableName[] = "CVREC.DBF";
inline constexpr char kPhoneTableName[] = "CVPB.DBF";
// Every tag leaves deleted rows out.
inline constexpr char kTagCondition[] = ".not. deleted()";

const std::vector<Field>& OutgoingFields();
const std::vector<Field>& ReceivedFields();
const std::vector<Field>& PhoneFields();
const std::vector<TagDefinition>& OutgoingTags();
const std::vector<TagDefinition>& ReceivedTags();
const std::vector<TagDefinition>& PhoneTags();

// Each returns false when the table could not be created or opened. Once the
// table is open the result is true: a failure in the later steps (tags,
// first row, query) only skips the steps after it.
bool OpenOutgoingTable(Table& table, const std::string& programDirectory,
                       const std::string& archiveFilter);
bool MakeRecFaxDBF(const std::string& programDirectory);
bool OpenRecFaxDBF(Table& table, const std::string& programDirectory);
bool OpenPhoneTable(Table& table, const std::string& programDirectory, bool exclusive);

// Closes and reopens the outgoing table (to see rows added from outside),
// keeping its order, applying the query again and returning to the row it
// was on when that row is still there.
void FaxTableCloseAndOpen(Table& table, const std::string& archiveFilter);

}  // namespace corvane::tables
