#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "dbf_header.h"
#include "file_io.h"
#include "table_state.h"

namespace corvane::tables {

namespace {

constexpr std::size_t kMaxHeaderLength = 65535;

// Serialises appends of shared handles in different processes.
class AppendLock {
  public:
    AppendLock(int fd, const std::string& path) : fd_(fd) {
        if (!Set(F_WRLCK))
            ThrowSystemError("lock", path);
    }
    ~AppendLock() { Set(F_UNLCK); }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;

  private:
    bool Set(short type) {
        struct flock range {};
        range.l_type = type;
        range.l_whence = SEEK_SET;
        range.l_len = 1;
        while (::fcntl(fd_, F_SETLKW, &range) != 0)
            if (errno != EINTR)
                return false;
        return true;
    }
    int fd_;
};

}  // namespace

void Table::State::Load() {
    const std::uint64_t size = FileSize(fd, path);
    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxHeaderLength)));
    ReadAt(fd, head.data(), head.size(), 0, path);
    DbfHeader header = ParseDbfHeader(head, size);
    if (layout && header.fields.size() == layout->Fields().size()) {
        for (std::size_t i = 0; i < header.fields.size(); ++i) {
            const Field& a = header.fields[i];
            const Field& b = layout->Fields()[i];
            if (a.name != b.name || a.type != b.type || a.width != b.width ||
                a.decimals != b.decimals)
                throw TableError("the table's fields changed while it was open");
        }
    } else if (layout) {
        throw TableError("the table's fields changed while it was open");
    } else {
        layout = std::make_unique<RecordLayout>(header.fields);
    }
    headerLength = header.headerLength;
    count = header.recordCount;
    records.assign(std::size_t{count} * RecordLength(), ' ');
    ReadAt(fd, records.data(), records.size(), headerLength, path);
}

void Table::State::BuildTags(const ProgressHook& progress) {
    for (auto& tag : tags) tag->Build(count, Source(), progress);
}

void Table::State::LoadIndex() {
    tags.clear();
    const std::string indexPath = IndexPathFor(path);
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes = ReadWholeFile(indexPath);
    } catch (const TableError& error) {
        indexState = {IndexState::Damaged, error.what()};
        return;
    }
    if (!bytes) {
        indexState = {IndexState::Missing, "index file is missing"};
        return;
    }
    IndexFileContents contents;
    try {
        contents = ReadIndexFile(*bytes);
        for (const TagDefinition& definition : contents.tags)
            tags.push_back(std::make_unique<TagIndex>(definition, *layout));
    } catch (const TableError& error) {
        tags.clear();
        indexState = {IndexState::Damaged, error.what()};
        return;
    }
    const std::string reason = Mismatch(contents);
    if (reason.empty()) {
        for (std::size_t i = 0; i < tags.size(); ++i)
            tags[i]->Assign(std::move(contents.orders[i]));
        indexState = {IndexState::Matching, {}};
        return;
    }
    BuildTags({});
    indexState = {IndexState::Rebuilt, reason};
    indexDirty = true;
    try {
        WriteIndex();
    } catch (const TableError&) {
        // Not writable now: the table still opens, and the index is
        // written on close or rebuilt again next time.
    }
}

std::string Table::State::Mismatch(const IndexFileContents& contents) const {
    if (!contents.ordersIntact)
        return "index orders are damaged";
    if (contents.recordCount != count)
        return "index was built from " + std::to_string(contents.recordCount) +
               " rows, the table has " + std::to_string(count);
    if (contents.tableChecksum != RecordsChecksum())
        return "rows changed since the index was built";
    std::vector<bool> seen(std::size_t{count} + 1);
    for (const auto& order : contents.orders) {
        std::fill(seen.begin(), seen.end(), false);
        for (std::uint32_t record : order) {
            if (record == 0 || record > count || seen[record])
                return "index holds invalid record numbers";
            seen[record] = true;
        }
    }
    return {};
}

IndexFileContents Table::State::IndexContents() const {
    IndexFileContents contents;
    contents.recordCount = count;
    contents.tableChecksum = RecordsChecksum();
    for (const auto& tag : tags) {
        contents.tags.push_back(tag->Definition());
        contents.orders.push_back(tag->Order());
    }
    contents.ordersIntact = true;
    return contents;
}

void Table::State::WriteIndex() {
    if (tags.empty() || mode == OpenMode::ReadOnly)
        return;
    WriteFileAtomically(IndexPathFor(path), SerializeIndexFile(IndexContents()));
    indexDirty = false;
}

void Table::State::UpdateTags(std::uint32_t record, bool isNew) {
    for (auto& tag : tags) isNew ? tag->Insert(record, Source()) : tag->Update(record, Source());
    if (!tags.empty())
        indexDirty = true;
}

void Table::State::Reload() {
    const std::vector<char> before = records;
    Load();
    if (records != before) {
        BuildTags({});
        indexDirty = !tags.empty();
    }
    if (current > count)
        ClearCurrent();
    position.reset();
}

void Table::State::AppendRow() {
    std::optional<AppendLock> lock;
    if (mode == OpenMode::Shared) {
        lock.emplace(fd, path);
        Reload();  // another handle may have appended
    }
    // Record first, then the header count: a kill between the two leaves a
    // valid table without the new row, never a count pointing past the data.
    const std::uint32_t record = count + 1;
    std::vector<char> bytes(buffer);
    bytes.push_back(kEndOfFile);
    WriteAt(fd, bytes.data(), bytes.size(), RecordOffset(record), path);
    const auto stamp = SerializeUpdateStamp(record);
    WriteAt(fd, stamp.data(), stamp.size(), kUpdateStampOffset, path);
    records.insert(records.end(), buffer.begin(), buffer.end());
    count = record;
    current = record;
}

}  // namespace corvane::tables
