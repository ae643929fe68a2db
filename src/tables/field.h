// Field definitions of a DBF table and the fixed-width encoding of values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::tables {

// The DBF type letters the tables use.
enum class FieldType : char { Character = 'C', Date = 'D', Logical = 'L', Numeric = 'N' };

struct Field {
    std::string name;  // upper case, at most 10 characters
    FieldType type = FieldType::Character;
    int width = 1;
    int decimals = 0;
};

// Field and tag names compare without regard to ASCII letter case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Throws TableError when the definition cannot be stored in a DBF file
// (bad name, width outside what the type allows, duplicate names).
void ValidateFields(const std::vector<Field>& fields);

// A calendar date; all zero is the empty date.
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;

    bool IsEmpty() const { return year == 0 && month == 0 && day == 0; }
    bool operator==(const Date&) const = default;
};

// Field layout with byte offsets inside a record (offset 0 is the deletion flag).
class RecordLayout {
  public:
    explicit RecordLayout(std::vector<Field> fields);

    const std::vector<Field>& Fields() const { return fields_; }
    int RecordLength() const { return recordLength_; }
    int Offset(std::size_t index) const { return offsets_[index]; }
    // Index of the field with that name in any letter case, or -1.
    int Find(std::string_view name) const;

  private:
    std::vector<Field> fields_;
    std::vector<int> offsets_;
    int recordLength_ = 1;
};

// Encoders fill exactly field.width bytes at out; decoders read them back.
// Text is UTF-8 cut at a character boundary and padded with spaces.
void EncodeText(const Field& field, std::string_view text, char* out);
void EncodeDate(const Date& date, char* out);  // throws on an impossible date
void EncodeLogical(bool value, char* out);
void EncodeNumber(const Field& field, double value, char* out);  // throws when it does not fit

std::string DecodeText(const Field& field, const char* in);  // trailing spaces removed
Date DecodeDate(const char* in);                             // empty when not a valid date
bool DecodeLogical(const char* in);                          // T, t, Y, y are true
double DecodeNumber(const Field& field, const char* in);     // blank or garbage is 0

}  // namespace corvane::tables
