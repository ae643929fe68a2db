#include "table.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "dbf_header.h"
#include "file_io.h"
#include "table_error.h"
#include "table_state.h"

namespace corvane::tables {

Table::Table() : state_(std::make_unique<State>()) {}

Table::~Table() {
    try {
        Close();
    } catch (const TableError&) {
        // An index that could not be written is rebuilt on the next open.
    }
}

void Table::Create(const std::string& path, const std::vector<Field>& fields) {
    std::vector<std::uint8_t> bytes = SerializeDbfHeader(fields, 0);
    bytes.push_back(static_cast<std::uint8_t>(kEndOfFile));
    // A table someone has open is not replaced under them; the lock is held
    // until the new file has taken the name.
    struct Descriptor {
        int fd;
        ~Descriptor() {
            if (fd >= 0)
                ::close(fd);
        }
    } existing{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (existing.fd >= 0 && ::flock(existing.fd, LOCK_EX | LOCK_NB) != 0)
        throw TableError("table \"" + path + "\" is in use");
    WriteFileAtomically(path, bytes);
    ::unlink(IndexPathFor(path).c_str());
}

std::string Table::IndexPathFor(const std::string& tablePath) {
    return tablePath.substr(0, tablePath.size() >= 3 ? tablePath.size() - 3 : 0) + "CDX";
}

void Table::Open(const std::string& path, OpenMode mode) {
    Close();
    State& s = *state_;
    const int flags = (mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    s.fd = ::open(path.c_str(), flags);
    if (s.fd < 0)
        ThrowSystemError("open", path);
    s.path = path;
    s.mode = mode;
    try {
        if (::flock(s.fd, (mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                throw TableError("table \"" + path + "\" is in use");
            ThrowSystemError("lock", path);
        }
        s.Load();
        s.LoadIndex();
        if (!s.query.empty())
            s.queryExpression = Expression::Parse(s.query, *s.layout);
    } catch (...) {
        s.Reset();
        throw;
    }
    First();
}

void Table::Close() {
    State& s = *state_;
    if (s.fd < 0)
        return;
    s.editState = EditState::Browse;
    std::optional<TableError> failure;
    if (s.indexDirty) {
        try {
            s.WriteIndex();
        } catch (const TableError& error) {
            failure = error;
        }
    }
    s.Reset();
    if (failure)
        throw *failure;
}

bool Table::IsOpen() const {
    return state_->fd >= 0;
}
OpenMode Table::Mode() const {
    return state_->mode;
}
const std::string& Table::Path() const {
    return state_->path;
}

const std::vector<Field>& Table::Fields() const {
    state_->RequireOpen();
    return state_->layout->Fields();
}

const IndexState& Table::OpenedIndexState() const {
    return state_->indexState;
}

std::uint32_t Table::RecCount() const {
    return state_->count;
}

std::uint32_t Table::QueryRecCount() const {
    const State& s = *state_;
    std::uint32_t visible = 0;
    for (std::uint32_t record = 1; record <= s.count; ++record)
        visible += s.Visible(record) ? 1 : 0;
    return visible;
}

std::uint32_t Table::RecNo() const {
    return state_->current == 0 ? state_->count + 1 : state_->current;
}
bool Table::HasCurrentRow() const {
    return state_->current != 0;
}

void Table::First() {
    state_->PostPending(*this);
    if (!state_->MoveTo(0, true))
        state_->ClearCurrent();
}

void Table::Last() {
    State& s = *state_;
    state_->PostPending(*this);
    if (s.SequenceSize() == 0 || !s.MoveTo(s.SequenceSize() - 1, false))
        s.ClearCurrent();
}

bool Table::Next() {
    State& s = *state_;
    state_->PostPending(*this);
    const auto at = s.CurrentPosition();
    // A row outside the order (reached by Go) has no next row in it.
    if (at && s.MoveTo(*at + 1, true))
        return true;
    s.ClearCurrent();
    return false;
}

bool Table::Prior() {
    State& s = *state_;
    state_->PostPending(*this);
    const auto at = s.CurrentPosition();
    if (!at) {
        if (s.current != 0)
            return false;
        Last();  // from past the end back to the last row
        return HasCurrentRow();
    }
    return *at > 0 && s.MoveTo(*at - 1, false);
}

void Table::Go(std::uint32_t record) {
    State& s = *state_;
    state_->PostPending(*this);
    s.RequireOpen();
    if (record == 0 || record > s.count)
        throw TableError("record " + std::to_string(record) + " does not exist");
    if (!s.Visible(record))
        throw TableError("record " + std::to_string(record) + " is hidden");
    s.current = record;
    s.position.reset();
}

void Table::SetQuery(const std::string& expression) {
    State& s = *state_;
    state_->PostPending(*this);
    if (s.layout && !expression.empty()) {
        Expression parsed = Expression::Parse(expression, *s.layout);
        if (parsed.Type() != ValueType::Logical)
            throw ExpressionError("query \"" + expression + "\" is not logical");
        s.queryExpression = std::move(parsed);
    } else {
        s.queryExpression.reset();
    }
    s.query = expression;
    if (IsOpen())
        First();
}

const std::string& Table::Query() const {
    return state_->query;
}

void Table::SetDeletedHidden(bool hidden) {
    state_->deletedHidden = hidden;
    if (IsOpen())
        First();
}

std::string Table::Text(const std::string& name) const {
    int index = 0;
    const Field& field = state_->FieldNamed(name, FieldType::Character, index);
    return DecodeText(
        field, state_->CurrentData() + state_->layout->Offset(static_cast<std::size_t>(index)));
}

Date Table::DateValue(const std::string& name) const {
    int index = 0;
    state_->FieldNamed(name, FieldType::Date, index);
    return DecodeDate(state_->CurrentData() +
                      state_->layout->Offset(static_cast<std::size_t>(index)));
}

bool Table::Logical(const std::string& name) const {
    int index = 0;
    state_->FieldNamed(name, FieldType::Logical, index);
    return DecodeLogical(state_->CurrentData() +
                         state_->layout->Offset(static_cast<std::size_t>(index)));
}

double Table::Number(const std::string& name) const {
    int index = 0;
    const Field& field = state_->FieldNamed(name, FieldType::Numeric, index);
    return DecodeNumber(
        field, state_->CurrentData() + state_->layout->Offset(static_cast<std::size_t>(index)));
}

bool Table::IsDeleted() const {
    return state_->CurrentData()[0] == '*';
}

void Table::Append() {
    State& s = *state_;
    s.RequireWritable();
    s.buffer.assign(s.RecordLength(), ' ');
    // Logical fields start false, so other readers see a value, not a blank.
    for (std::size_t i = 0; i < s.layout->Fields().size(); ++i)
        if (s.layout->Fields()[i].type == FieldType::Logical)
            EncodeLogical(false, s.buffer.data() + s.layout->Offset(i));
    s.editState = EditState::Insert;
}

void Table::Edit() {
    State& s = *state_;
    s.RequireWritable();
    if (s.current == 0)
        throw TableError("no current row");
    s.buffer.assign(s.Data(s.current), s.Data(s.current) + s.RecordLength());
    s.editState = EditState::Edit;
}

void Table::SetText(const std::string& name, const std::string& value) {
    const Field* field = nullptr;
    char* at = state_->EditableField(name, FieldType::Character, field);
    EncodeText(*field, value, at);
}

void Table::SetDate(const std::string& name, const Date& value) {
    const Field* field = nullptr;
    EncodeDate(value, state_->EditableField(name, FieldType::Date, field));
}

void Table::SetLogical(const std::string& name, bool value) {
    const Field* field = nullptr;
    EncodeLogical(value, state_->EditableField(name, FieldType::Logical, field));
}

void Table::SetNumber(const std::string& name, double value) {
    const Field* field = nullptr;
    char* at = state_->EditableField(name, FieldType::Numeric, field);
    EncodeNumber(*field, value, at);
}

void Table::Post() {
    State& s = *state_;
    if (s.editState == EditState::Browse)
        throw TableError("the table is not in edit or append state");
    const auto oldPosition = s.CurrentPosition();
    if (s.editState == EditState::Insert) {
        s.AppendRow();
    } else {
        WriteAt(s.fd, s.buffer.data(), s.buffer.size(), s.RecordOffset(s.current), s.path);
        std::copy(s.buffer.begin(), s.buffer.end(), s.Data(s.current));
    }
    const bool isNew = s.editState == EditState::Insert;
    s.editState = EditState::Browse;
    s.UpdateTags(s.current, isNew);
    s.SettleAfterChange(oldPosition);
}

void Table::Cancel() {
    state_->editState = EditState::Browse;
}
bool Table::IsEditing() const {
    return state_->editState != EditState::Browse;
}

void Table::Delete() {
    State& s = *state_;
    s.RequireWritable();
    if (s.current == 0)
        throw TableError("no current row");
    s.editState = EditState::Browse;
    const auto oldPosition = s.CurrentPosition();
    const char mark = '*';
    WriteAt(s.fd, &mark, 1, s.RecordOffset(s.current), s.path);
    s.Data(s.current)[0] = mark;
    s.UpdateTags(s.current, false);
    s.SettleAfterChange(oldPosition);
}

void Table::IndexTag(const TagDefinition& definition) {
    State& s = *state_;
    s.RequireOpen();
    if (definition.name.empty() || definition.name.size() > 10)
        throw TableError("tag name \"" + definition.name + "\" must have 1 to 10 characters");
    auto tag = std::make_unique<TagIndex>(definition, *s.layout);
    tag->Build(s.count, s.Source(), s.gauge);
    const int existing = TagArea(definition.name);
    if (existing > 0)
        s.tags[static_cast<std::size_t>(existing - 1)] = std::move(tag);
    else
        s.tags.push_back(std::move(tag));
    s.position.reset();
    s.indexDirty = true;
    s.WriteIndex();
}

std::vector<TagDefinition> Table::Tags() const {
    std::vector<TagDefinition> definitions;
    for (const auto& tag : state_->tags) definitions.push_back(tag->Definition());
    return definitions;
}

int Table::TagArea(const std::string& tagName) const {
    const auto& tags = state_->tags;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (EqualsIgnoringCase(tags[i]->Definition().name, tagName))
            return static_cast<int>(i + 1);
    }
    return 0;
}

void Table::SetOrder(int orderNumber) {
    State& s = *state_;
    state_->PostPending(*this);
    if (orderNumber < 0 || orderNumber > static_cast<int>(s.tags.size()))
        throw TableError("no index order " + std::to_string(orderNumber));
    s.order = orderNumber;
    s.position.reset();
}

int Table::IndexOrd() const {
    return state_->order;
}

void Table::CloseIndexes() {
    State& s = *state_;
    if (s.indexDirty)
        s.WriteIndex();
    s.tags.clear();
    s.order = 0;
    s.position.reset();
    s.indexDirty = false;
}

void Table::Pack() {
    State& s = *state_;
    s.RequireWritable();
    if (s.mode != OpenMode::Exclusive)
        throw TableError("packing \"" + s.path + "\" needs exclusive use");
    s.PostPending(*this);
    std::vector<char> kept;
    kept.reserve(s.records.size());
    std::uint32_t keptCount = 0;
    for (std::uint32_t record = 1; record <= s.count; ++record) {
        if (s.Data(record)[0] != '*') {
            kept.insert(kept.end(), s.Data(record), s.Data(record) + s.RecordLength());
            ++keptCount;
        }
        if (s.gauge && record % 4096 == 0)
            s.gauge(static_cast<int>(90ull * record / s.count));
    }
    std::vector<std::uint8_t> header = SerializeDbfHeader(s.layout->Fields(), keptCount);
    ReplacementFile file(s.path);
    // Lock the new file before it takes the table's name, so no one slips in.
    if (::flock(file.Descriptor(), LOCK_EX | LOCK_NB) != 0)
        ThrowSystemError("lock", s.path);
    file.Append(header.data(), header.size());
    file.Append(kept.data(), kept.size());
    file.Append(&kEndOfFile, 1);
    const int fd = file.CommitKeepingOpen();
    ::close(s.fd);
    s.fd = fd;
    s.headerLength = static_cast<std::uint16_t>(header.size());
    s.records = std::move(kept);
    s.count = keptCount;
    if (s.gauge)
        s.gauge(100);
    s.BuildTags(s.gauge);
    s.indexDirty = !s.tags.empty();
    s.WriteIndex();
    First();
}

void Table::SetGaugeHook(ProgressHook hook) {
    state_->gauge = std::move(hook);
}

void Table::Refresh() {
    state_->PostPending(*this);
    state_->RequireOpen();
    state_->Reload();
}

void Table::Flush() {
    state_->RequireOpen();
    if (state_->mode != OpenMode::ReadOnly && ::fdatasync(state_->fd) != 0)
        ThrowSystemError("flush", state_->path);
}

std::string Table::CheckIndexFile() const {
    const State& s = *state_;
    s.RequireOpen();
    try {
        const auto bytes = ReadWholeFile(IndexPathFor(s.path));
        if (!bytes)
            return "index file is missing";
        const IndexFileContents contents = ReadIndexFile(*bytes);
        if (std::string reason = s.Mismatch(contents); !reason.empty())
            return reason;
        for (std::size_t i = 0; i < contents.tags.size(); ++i) {
            TagIndex rebuilt(contents.tags[i], *s.layout);
            rebuilt.Build(s.count, s.Source(), {});
            if (rebuilt.Order() != contents.orders[i])
                return "order of tag " + contents.tags[i].name + " does not match its key";
        }
    } catch (const TableError& error) {
        return error.what();
    }
    return {};
}

}  // namespace corvane::tables
