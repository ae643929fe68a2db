#include "cover_values.h"

#include <algorithm>

namespace corvane::covers {

namespace {

template <typename Table>
auto FindByName(const Table& table, std::string_view name) -> decltype(&table[0]) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const auto& field) { return field.name == name; });
    return found == table.end() ? nullptr : &*found;
}

}  // namespace

const CoverTextField* FindCoverText(std::string_view name) {
    return FindByName(kCoverTexts, name);
}

const CoverFlagField* FindCoverFlag(std::string_view name) {
    return FindByName(kCoverFlags, name);
}

bool AnyFlagSet(const CoverValues& values) {
    return std::any_of(kCoverFlags.begin(), kCoverFlags.end(),
                       [&](const CoverFlagField& flag) { return values.*flag.member; });
}

}  // namespace corvane::covers
