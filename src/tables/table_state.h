// The inner state of an open table, shared by the table's operations
// (table.cpp) and its loading, index keeping and appending (table_state.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "checksum.h"
#include "expression.h"
#include "index_file.h"
#include "table.h"
#include "table_error.h"
#include "tag_index.h"

namespace corvane::tables {

enum class EditState { Browse, Edit, Insert };

struct Table::State {
    // Kept across close and open, as the program's binding keeps them.
    std::string query;
    bool deletedHidden = true;
    ProgressHook gauge;

    // The open table.
    std::string path;
    OpenMode mode = OpenMode::Exclusive;
    int fd = -1;
    std::uint16_t headerLength = 0;
    std::unique_ptr<RecordLayout> layout;
    std::vector<char> records;
    std::uint32_t count = 0;
    std::vector<std::unique_ptr<TagIndex>> tags;
    int order = 0;
    std::optional<Expression> queryExpression;
    std::uint32_t current = 0;            // 0: no current row
    std::optional<std::size_t> position;  // of current in Sequence(), when known
    EditState editState = EditState::Browse;
    std::vector<char> buffer;
    bool indexDirty = false;
    IndexState indexState;

    std::size_t RecordLength() const { return static_cast<std::size_t>(layout->RecordLength()); }
    char* Data(std::uint32_t record) { return records.data() + (record - 1) * RecordLength(); }
    const char* Data(std::uint32_t record) const {
        return records.data() + (record - 1) * RecordLength();
    }
    RecordSource Source() const {
        return [this](std::uint32_t record) { return Data(record); };
    }
    std::uint64_t RecordOffset(std::uint32_t record) const {
        return headerLength + std::uint64_t{record - 1} * RecordLength();
    }
    std::uint64_t RecordsChecksum() const {
        return Checksum64(records.data(), std::size_t{count} * RecordLength());
    }

    std::size_t SequenceSize() const {
        return order == 0 ? count : tags[static_cast<std::size_t>(order - 1)]->Order().size();
    }
    std::uint32_t SequenceAt(std::size_t i) const {
        return order == 0 ? static_cast<std::uint32_t>(i + 1)
                          : tags[static_cast<std::size_t>(order - 1)]->Order()[i];
    }
    std::optional<std::size_t> PositionOf(std::uint32_t record) const {
        if (order == 0)
            return record - 1;
        const auto& sequence = tags[static_cast<std::size_t>(order - 1)]->Order();
        const auto found = std::find(sequence.begin(), sequence.end(), record);
        if (found == sequence.end())
            return std::nullopt;
        return static_cast<std::size_t>(found - sequence.begin());
    }

    bool Visible(std::uint32_t record) const {
        const char* data = Data(record);
        if (deletedHidden && data[0] == '*')
            return false;
        return !queryExpression || queryExpression->IsTrue(RecordView{*layout, data});
    }

    // First visible row at or after `from` (forward) or at or before it.
    bool MoveTo(std::size_t from, bool forward) {
        const std::size_t size = SequenceSize();
        for (std::size_t i = from; i < size; forward ? ++i : --i) {
            if (Visible(SequenceAt(i))) {
                current = SequenceAt(i);
                position = i;
                return true;
            }
            if (!forward && i == 0)
                break;
        }
        return false;
    }

    // Back to a closed table; the query text, the deleted switch and the
    // gauge stay for the next open.
    void Reset() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        editState = EditState::Browse;
        tags.clear();
        queryExpression.reset();
        layout.reset();
        records.clear();
        count = 0;
        order = 0;
        indexDirty = false;
        ClearCurrent();
    }

    void ClearCurrent() {
        current = 0;
        position.reset();
    }

    // After a change the current row may have left the visible rows; then
    // the next visible row in order becomes current, else the one before.
    void SettleAfterChange(std::optional<std::size_t> oldPosition) {
        if (current != 0 && Visible(current)) {
            position.reset();
            return;
        }
        const std::size_t from = std::min(oldPosition.value_or(SequenceSize()), SequenceSize());
        if (MoveTo(from, true))
            return;
        if (from > 0 && MoveTo(from - 1, false))
            return;
        ClearCurrent();
    }

    std::optional<std::size_t> CurrentPosition() {
        if (current == 0)
            return std::nullopt;
        if (!position)
            position = PositionOf(current);
        return position;
    }

    const Field& FieldNamed(const std::string& name, FieldType type, int& index) const {
        index = layout ? layout->Find(name) : -1;
        if (index < 0)
            throw TableError("unknown field " + name);
        const Field& field = layout->Fields()[static_cast<std::size_t>(index)];
        if (field.type != type)
            throw TableError("field " + name + " has another type");
        return field;
    }

    const char* CurrentData() const {
        if (editState != EditState::Browse)
            return buffer.data();
        if (current == 0)
            throw TableError("no current row");
        return Data(current);
    }

    char* EditableField(const std::string& name, FieldType type, const Field*& field) {
        if (editState == EditState::Browse)
            throw TableError("the table is not in edit or append state");
        int index = 0;
        field = &FieldNamed(name, type, index);
        return buffer.data() + layout->Offset(static_cast<std::size_t>(index));
    }

    // Moving away from a row being edited posts it first, as data-aware
    // grids expect; nothing typed is lost by navigation.
    void PostPending(Table& table) {
        if (editState != EditState::Browse)
            table.Post();
    }

    void RequireOpen() const {
        if (fd < 0)
            throw TableError("the table is not open");
    }
    void RequireWritable() const {
        RequireOpen();
        if (mode == OpenMode::ReadOnly)
            throw TableError("the table is open read-only");
    }

    void Load();
    void BuildTags(const ProgressHook& progress);
    void LoadIndex();
    // Why stored orders cannot be used for the table as loaded; empty if they can.
    std::string Mismatch(const IndexFileContents& contents) const;
    IndexFileContents IndexContents() const;
    void WriteIndex();
    void UpdateTags(std::uint32_t record, bool isNew);
    void Reload();
    // Posts the append buffer as the last record. Shared handles take a
    // lock and read the file again first, so no other handle's row is lost.
    void AppendRow();
};

}  // namespace corvane::tables
