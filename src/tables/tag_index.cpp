#include "tag_index.h"

#include <algorithm>

#include "table_error.h"

namespace corvane::tables {

namespace {

constexpr std::uint32_t kProgressStep = 4096;

}  // namespace

TagIndex::TagIndex(TagDefinition definition, const RecordLayout& layout)
    : definition_(std::move(definition)),
      layout_(layout),
      key_(Expression::Parse(definition_.key, layout)) {
    if (!definition_.condition.empty()) {
        condition_ = Expression::Parse(definition_.condition, layout);
        if (condition_->Type() != ValueType::Logical)
            throw ExpressionError("condition \"" + definition_.condition + "\" of tag " +
                                  definition_.name + " is not logical");
    }
}

bool TagIndex::Holds(const char* data) const {
    return !condition_ || condition_->IsTrue(RecordView{layout_, data});
}

std::string TagIndex::Key(const char* data) const {
    return key_.SortKey(RecordView{layout_, data});
}

bool TagIndex::Before(const std::string& leftKey, std::uint32_t left, const std::string& rightKey,
                      std::uint32_t right) const {
    const int order = leftKey.compare(rightKey);
    if (order != 0)
        return definition_.descending ? order > 0 : order < 0;
    return left < right;
}

void TagIndex::Build(std::uint32_t recordCount, const RecordSource& records,
                     const ProgressHook& progress) {
    std::vector<std::pair<std::string, std::uint32_t>> keyed;
    for (std::uint32_t record = 1; record <= recordCount; ++record) {
        const char* data = records(record);
        if (Holds(data))
            keyed.emplace_back(Key(data), record);
        if (progress && record % kProgressStep == 0)
            progress(static_cast<int>(80ull * record / recordCount));
    }
    std::sort(keyed.begin(), keyed.end(), [this](const auto& a, const auto& b) {
        return Before(a.first, a.second, b.first, b.second);
    });
    order_.clear();
    order_.reserve(keyed.size());
    for (const auto& entry : keyed) order_.push_back(entry.second);
    if (progress)
        progress(100);
}

void TagIndex::Update(std::uint32_t record, const RecordSource& records) {
    const auto found = std::find(order_.begin(), order_.end(), record);
    if (found != order_.end())
        order_.erase(found);
    Insert(record, records);
}

void TagIndex::Insert(std::uint32_t record, const RecordSource& records) {
    const char* data = records(record);
    if (!Holds(data))
        return;
    const std::string key = Key(data);
    const auto at = std::partition_point(order_.begin(), order_.end(), [&](std::uint32_t other) {
        return Before(Key(records(other)), other, key, record);
    });
    order_.insert(at, record);
}

}  // namespace corvane::tables
