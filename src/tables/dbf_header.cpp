#include "dbf_header.h"

#include <cstring>
#include <ctime>

#include "table_error.h"

namespace corvane::tables {

namespace {

constexpr std::size_t kPrefixLength = 32;
constexpr std::size_t kDescriptorLength = 32;
constexpr std::uint8_t kDescriptorEnd = 0x0D;
constexpr std::uint8_t kVersionNoMemo = 0x03;

std::uint32_t ReadLe32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t ReadLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void WriteLe(std::uint8_t* p, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void StampToday(std::uint8_t* p) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    p[0] = static_cast<std::uint8_t>(local.tm_year);  // years since 1900, as dBASE stores them
    p[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    p[2] = static_cast<std::uint8_t>(local.tm_mday);
}

Field ParseDescriptor(const std::uint8_t* p) {
    Field field;
    std::size_t nameLength = 0;
    while (nameLength < 11 && p[nameLength] != 0) ++nameLength;
    field.name.assign(reinterpret_cast<const char*>(p), nameLength);
    const char type = static_cast<char>(p[11]);
    switch (type) {
        case 'C':
        case 'D':
        case 'L':
        case 'N':
            field.type = static_cast<FieldType>(type);
            break;
        default:
            throw TableError("unsupported field type '" + std::string(1, type) + "' in field " +
                             field.name);
    }
    field.width = p[16];
    field.decimals = p[17];
    return field;
}

}  // namespace

DbfHeader ParseDbfHeader(std::span<const std::uint8_t> data, std::uint64_t fileSize) {
    if (data.size() < kPrefixLength + 1)
        throw TableError("file is too short to be a table");
    const std::uint8_t version = data[0] & 0x07;
    if (version != 0x03)
        throw TableError("not a dBASE table (version byte " + std::to_string(data[0]) + ")");
    DbfHeader header;
    header.recordCount = ReadLe32(&data[4]);
    header.headerLength = ReadLe16(&data[8]);
    header.recordLength = ReadLe16(&data[10]);
    if (header.headerLength < kPrefixLength + 1 || header.headerLength > data.size())
        throw TableError("header length does not fit the file");
    std::size_t at = kPrefixLength;
    while (at < header.headerLength && data[at] != kDescriptorEnd) {
        if (at + kDescriptorLength > header.headerLength)
            throw TableError("field descriptors overrun the header");
        header.fields.push_back(ParseDescriptor(&data[at]));
        at += kDescriptorLength;
    }
    if (at >= header.headerLength)
        throw TableError("field descriptors have no end mark");
    ValidateFields(header.fields);
    int length = 1;
    for (const Field& field : header.fields) length += field.width;
    if (length != header.recordLength)
        throw TableError("record length does not match the fields");
    const std::uint64_t needed =
        header.headerLength + static_cast<std::uint64_t>(header.recordCount) * header.recordLength;
    if (fileSize < needed)
        throw TableError("file is shorter than its record count says (truncated)");
    return header;
}

std::vector<std::uint8_t> SerializeDbfHeader(const std::vector<Field>& fields,
                                             std::uint32_t recordCount) {
    ValidateFields(fields);
    const std::size_t headerLength = kPrefixLength + kDescriptorLength * fields.size() + 1;
    std::vector<std::uint8_t> out(headerLength, 0);
    out[0] = kVersionNoMemo;
    const auto stamp = SerializeUpdateStamp(recordCount);
    std::memcpy(&out[kUpdateStampOffset], stamp.data(), stamp.size());
    WriteLe(&out[8], static_cast<std::uint32_t>(headerLength), 2);
    std::uint32_t offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::uint8_t* p = &out[kPrefixLength + kDescriptorLength * i];
        std::memcpy(p, fields[i].name.data(), fields[i].name.size());
        p[11] = static_cast<std::uint8_t>(fields[i].type);
        WriteLe(p + 12, offset, 4);  // FoxPro keeps the field's offset here
        p[16] = static_cast<std::uint8_t>(fields[i].width);
        p[17] = static_cast<std::uint8_t>(fields[i].decimals);
        offset += static_cast<std::uint32_t>(fields[i].width);
    }
    WriteLe(&out[10], offset, 2);
    out[headerLength - 1] = kDescriptorEnd;
    return out;
}

std::vector<std::uint8_t> SerializeUpdateStamp(std::uint32_t recordCount) {
    std::vector<std::uint8_t> out(7);
    StampToday(out.data());
    WriteLe(&out[3], recordCount, 4);
    return out;
}

}  // namespace corvane::tables
