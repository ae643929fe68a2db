// What an index tag is built from: its name, key expression, condition and
// direction. Rows for which the condition is false are not in the tag.
#pragma once

#include <string>

namespace corvane::tables {

struct TagDefinition {
    std::string name;
    std::string key;
    std::string condition;  // empty: every row
    bool descending = false;

    bool operator==(const TagDefinition&) const = default;
};

}  // namespace corvane::tables
