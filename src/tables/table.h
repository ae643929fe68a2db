// A DBF table with its compound index, the operations the program's lists
// rely on. The whole record area is held in memory; every post is written
// through to the file at once (record first, then the header's count), so a
// killed program loses no posted row and leaves a readable file. The index
// file is written when tags change, after a pack and on close; an index that
// no longer matches its table is rebuilt from its tag definitions on open.
//
// Record numbers start at 1. RecNo() is the current row's number, or
// RecCount() + 1 when there is no current row (empty, all hidden, past the end).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "field.h"
#include "index_tag.h"
#include "progress.h"

namespace corvane::tables {

enum class OpenMode {
    Exclusive,  // no other handle, in this or another process, may open the table
    Shared,     // others may open it shared too; see Refresh()
    ReadOnly,   // shared, never writes the table or its index
};

// How the index file was found when the table was opened.
struct IndexState {
    enum Status { Matching, Missing, Rebuilt, Damaged } status = Missing;
    std::string reason;  // why it was rebuilt or could not be used
};

class Table {
  public:
    Table();
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Writes a new empty table (replacing any file of that name) and removes
    // a stale index file of the same base name.
    static void Create(const std::string& path, const std::vector<Field>& fields);
    // Path minus its last three characters plus "CDX" ("CVOUT.DBF" → "CVOUT.CDX").
    static std::string IndexPathFor(const std::string& tablePath);

    // Throws TableError when the file is missing, in use or not a valid table.
    // A query set before is applied again.
    void Open(const std::string& path, OpenMode mode = OpenMode::Exclusive);
    void Close();  // a pending edit or append is dropped
    bool IsOpen() const;
    OpenMode Mode() const;
    const std::string& Path() const;
    const std::vector<Field>& Fields() const;
    const IndexState& OpenedIndexState() const;

    std::uint32_t RecCount() const;
    std::uint32_t QueryRecCount() const;
    std::uint32_t RecNo() const;
    bool HasCurrentRow() const;

    // Navigation over visible rows in the selected order. Navigating, like
    // changing the order or the query, posts a pending edit or append first.
    void First();
    void Last();
    bool Next();   // false (and no current row) past the last row
    bool Prior();  // false (current row kept) at the first row
    // Throws TableError when the record does not exist or is hidden; the
    // position is then unchanged.
    void Go(std::uint32_t record);

    // Empty removes the query. Throws ExpressionError for a bad or non-logical
    // expression, keeping the previous query.
    void SetQuery(const std::string& expression);
    const std::string& Query() const;
    void SetDeletedHidden(bool hidden);  // on by default

    // Values of the current row (or of the row being edited or appended).
    std::string Text(const std::string& field) const;
    Date DateValue(const std::string& field) const;
    bool Logical(const std::string& field) const;
    double Number(const std::string& field) const;
    bool IsDeleted() const;

    void Append();  // a blank row, posted as the last record
    void Edit();    // the current row
    void SetText(const std::string& field, const std::string& value);  // cut to the width
    void SetDate(const std::string& field, const Date& value);
    void SetLogical(const std::string& field, bool value);
    void SetNumber(const std::string& field, double value);  // throws when it does not fit
    void Post();
    void Cancel();
    bool IsEditing() const;
    // Marks the current row deleted; the cursor moves to the next visible row.
    void Delete();

    // Adds (or replaces) a tag of the table's compound index and builds it.
    void IndexTag(const TagDefinition& tag);
    std::vector<TagDefinition> Tags() const;
    int TagArea(const std::string& tagName) const;  // order number from 1, 0 when unknown
    void SetOrder(int orderNumber);                 // 0 is record order
    int IndexOrd() const;
    // Forgets all tags (order 0) so the index file can be deleted.
    void CloseIndexes();

    // Removes deleted rows for good; needs exclusive use.
    void Pack();
    void SetGaugeHook(ProgressHook hook);

    // Reads the file again (rows added by another shared handle); the
    // position is kept when the current row still exists.
    void Refresh();
    // Forces posted data to the disk.
    void Flush();

    // Verifies that the index file on disk matches the table as it is now;
    // an empty result means it does.
    std::string CheckIndexFile() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace corvane::tables
