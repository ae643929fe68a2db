// One index tag held in memory: its compiled key and condition and the
// record numbers of the rows it holds, in key order (ties in record order).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "expression.h"
#include "index_tag.h"
#include "progress.h"

namespace corvane::tables {

using RecordSource = std::function<const char*(std::uint32_t record)>;

class TagIndex {
  public:
    // Throws ExpressionError when the key or the condition is bad.
    TagIndex(TagDefinition definition, const RecordLayout& layout);

    const TagDefinition& Definition() const { return definition_; }
    const std::vector<std::uint32_t>& Order() const { return order_; }

    void Build(std::uint32_t recordCount, const RecordSource& records,
               const ProgressHook& progress);
    void Assign(std::vector<std::uint32_t> order) { order_ = std::move(order); }
    // Puts a record not yet in the tag where its key belongs (if it qualifies).
    void Insert(std::uint32_t record, const RecordSource& records);
    // Takes the record out and puts it back where its current key belongs.
    void Update(std::uint32_t record, const RecordSource& records);

  private:
    bool Holds(const char* data) const;
    std::string Key(const char* data) const;
    bool Before(const std::string& leftKey, std::uint32_t left, const std::string& rightKey,
                std::uint32_t right) const;

    TagDefinition definition_;
    const RecordLayout& layout_;
    Expression key_;
    std::optional<Expression> condition_;
    std::vector<std::uint32_t> order_;
};

}  // namespace corvane::tables
