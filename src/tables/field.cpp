#include "field.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "table_error.h"

namespace corvane::tables {

namespace {

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void ValidateField(const Field& field) {
    const std::string& name = field.name;
    if (name.empty() || name.size() > 10 || !(name[0] >= 'A' && name[0] <= 'Z') ||
        !std::all_of(name.begin(), name.end(), IsNameCharacter))
        throw TableError("invalid field name \"" + name + "\"");
    bool ok = false;
    switch (field.type) {
        case FieldType::Character:
            ok = field.width >= 1 && field.width <= 254 && field.decimals == 0;
            break;
        case FieldType::Date:
            ok = field.width == 8 && field.decimals == 0;
            break;
        case FieldType::Logical:
            ok = field.width == 1 && field.decimals == 0;
            break;
        case FieldType::Numeric:
            ok = field.width >= 1 && field.width <= 20 && field.decimals >= 0 &&
                 (field.decimals == 0 || field.decimals <= field.width - 2);
            break;
    }
    if (!ok)
        throw TableError("invalid width or decimals for field " + name);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidDate(const Date& date) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1)
        return false;
    const int days = kDays[date.month - 1] + (date.month == 2 && IsLeapYear(date.year) ? 1 : 0);
    return date.day <= days;
}

// Length of the UTF-8 sequence starting with lead byte c (1 for stray bytes,
// so malformed text is still cut without reading past its end).
std::size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    if (c >= 0xE0)
        return c <= 0xEF ? 3 : 1;
    if (c >= 0xC2)
        return 2;
    return 1;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

void ValidateFields(const std::vector<Field>& fields) {
    if (fields.empty() || fields.size() > 255)
        throw TableError("a table needs 1 to 255 fields");
    std::set<std::string> names;
    int length = 1;
    for (const Field& field : fields) {
        ValidateField(field);
        if (!names.insert(field.name).second)
            throw TableError("duplicate field name " + field.name);
        length += field.width;
    }
    if (length > 65535)
        throw TableError("record is too long");
}

RecordLayout::RecordLayout(std::vector<Field> fields) : fields_(std::move(fields)) {
    for (const Field& field : fields_) {
        offsets_.push_back(recordLength_);
        recordLength_ += field.width;
    }
}

int RecordLayout::Find(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (EqualsIgnoringCase(fields_[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

void EncodeText(const Field& field, std::string_view text, char* out) {
    const std::size_t width = static_cast<std::size_t>(field.width);
    std::size_t used = 0;
    while (used < text.size()) {
        const std::size_t length = SequenceLength(static_cast<unsigned char>(text[used]));
        if (used + length > width || used + length > text.size())
            break;
        used += length;
    }
    std::memcpy(out, text.data(), used);
    std::memset(out + used, ' ', width - used);
}

void EncodeDate(const Date& date, char* out) {
    if (date.IsEmpty()) {
        std::memset(out, ' ', 8);
        return;
    }
    if (!IsValidDate(date))
        throw TableError("invalid date");
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", date.year, date.month, date.day);
    std::memcpy(out, buffer, 8);
}

void EncodeLogical(bool value, char* out) {
    *out = value ? 'T' : 'F';
}

void EncodeNumber(const Field& field, double value, char* out) {
    if (!std::isfinite(value))
        throw TableError("invalid number for field " + field.name);
    char buffer[64];
    const int length =
        std::snprintf(buffer, sizeof buffer, "%*.*f", field.width, field.decimals, value);
    if (length < 0 || length > field.width)
        throw TableError("number does not fit field " + field.name);
    std::memcpy(out, buffer, static_cast<std::size_t>(field.width));
}

std::string DecodeText(const Field& field, const char* in) {
    std::size_t length = static_cast<std::size_t>(field.width);
    while (length > 0 && (in[length - 1] == ' ' || in[length - 1] == '\0')) --length;
    return std::string(in, length);
}

Date DecodeDate(const char* in) {
    Date date;
    const auto number = [&](int from, int count, int& value) {
        auto result = std::from_chars(in + from, in + from + count, value);
        return result.ec == std::errc() && result.ptr == in + from + count;
    };
    if (!number(0, 4, date.year) || !number(4, 2, date.month) || !number(6, 2, date.day) ||
        !IsValidDate(date))
        return Date{};
    return date;
}

bool DecodeLogical(const char* in) {
    return std::strchr("TtYy", *in) != nullptr && *in != '\0';
}

double DecodeNumber(const Field& field, const char* in) {
    const char* begin = in;
    const char* end = in + field.width;
    while (begin < end && *begin == ' ') ++begin;
    double value = 0;
    auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() ? value : 0;
}

}  // namespace corvane::tables
