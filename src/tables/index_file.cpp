#include "index_file.h"

#include <cstring>
#include <string>

#include "checksum.h"
#include "table_error.h"

namespace corvane::tables {

namespace {

constexpr char kMagic[8] = {'C', 'V', 'C', 'D', 'X', 0x1A, 1, 0};

class Writer {
  public:
    void Bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    void Number(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void Text(const std::string& text, int lengthBytes) {
        Number(text.size(), lengthBytes);
        Bytes(text.data(), text.size());
    }
    std::vector<std::uint8_t>& Out() { return out_; }

  private:
    std::vector<std::uint8_t> out_;
};

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint64_t Number(int bytes) {
        Need(static_cast<std::size_t>(bytes));
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(data_[at_++]) << (8 * i);
        return value;
    }
    std::string Text(int lengthBytes) {
        const std::size_t length = Number(lengthBytes);
        Need(length);
        std::string text(reinterpret_cast<const char*>(data_.data() + at_), length);
        at_ += length;
        return text;
    }
    std::span<const std::uint8_t> Take(std::size_t size) {
        Need(size);
        auto part = data_.subspan(at_, size);
        at_ += size;
        return part;
    }
    bool AtEnd() const { return at_ == data_.size(); }

  private:
    void Need(std::size_t size) const {
        if (size > data_.size() - at_)
            throw TableError("index file is truncated");
    }

    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

std::vector<std::vector<std::uint32_t>> ReadOrders(std::span<const std::uint8_t> section,
                                                   std::size_t tagCount) {
    Reader reader(section);
    std::vector<std::vector<std::uint32_t>> orders(tagCount);
    for (auto& order : orders) {
        const std::size_t count = reader.Number(4);
        if (count > section.size() / 4)
            throw TableError("index order is longer than its file");
        order.resize(count);
        for (auto& record : order) record = static_cast<std::uint32_t>(reader.Number(4));
    }
    if (!reader.AtEnd())
        throw TableError("index orders have trailing bytes");
    return orders;
}

}  // namespace

IndexFileContents ReadIndexFile(std::span<const std::uint8_t> data) {
    Reader reader(data);
    const auto magic = reader.Take(sizeof kMagic);
    if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0)
        throw TableError("not a Corvane index file");
    const auto definitions = reader.Take(reader.Number(4));
    if (reader.Number(8) != Checksum64(definitions.data(), definitions.size()))
        throw TableError("index tag definitions are damaged");

    IndexFileContents contents;
    Reader fields(definitions);
    contents.recordCount = static_cast<std::uint32_t>(fields.Number(4));
    contents.tableChecksum = fields.Number(8);
    const std::size_t tagCount = fields.Number(2);
    for (std::size_t i = 0; i < tagCount; ++i) {
        TagDefinition tag;
        tag.name = fields.Text(1);
        tag.key = fields.Text(2);
        tag.condition = fields.Text(2);
        tag.descending = fields.Number(1) != 0;
        contents.tags.push_back(std::move(tag));
    }
    if (!fields.AtEnd())
        throw TableError("index tag definitions have trailing bytes");

    // From here on a fault only costs the orders, which can be rebuilt.
    try {
        const auto orders = reader.Take(reader.Number(4));
        if (reader.Number(8) != Checksum64(orders.data(), orders.size()) || !reader.AtEnd())
            throw TableError("index orders are damaged");
        contents.orders = ReadOrders(orders, contents.tags.size());
        contents.ordersIntact = true;
    } catch (const TableError&) {
        contents.orders.clear();
    }
    return contents;
}

std::vector<std::uint8_t> SerializeIndexFile(const IndexFileContents& contents) {
    Writer definitions;
    definitions.Number(contents.recordCount, 4);
    definitions.Number(contents.tableChecksum, 8);
    definitions.Number(contents.tags.size(), 2);
    for (const TagDefinition& tag : contents.tags) {
        definitions.Text(tag.name, 1);
        definitions.Text(tag.key, 2);
        definitions.Text(tag.condition, 2);
        definitions.Number(tag.descending ? 1 : 0, 1);
    }
    Writer orders;
    for (const auto& order : contents.orders) {
        orders.Number(order.size(), 4);
        for (std::uint32_t record : order) orders.Number(record, 4);
    }
    Writer file;
    file.Bytes(kMagic, sizeof kMagic);
    for (Writer* section : {&definitions, &orders}) {
        file.Number(section->Out().size(), 4);
        file.Bytes(section->Out().data(), section->Out().size());
        file.Number(Checksum64(section->Out().data(), section->Out().size()), 8);
    }
    return std::move(file.Out());
}

}  // namespace corvane::tables
