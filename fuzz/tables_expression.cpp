// Expression parser: any text either parses and evaluates, or gives an
// ExpressionError; never a crash or unbounded recursion.
#include <cstdint>
#include <string>
#include <string_view>

#include "tables/expression.h"
#include "tables/fax_tables.h"
#include "tables/table_error.h"

using namespace corvane::tables;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const RecordLayout layout(OutgoingFields());
    static const std::string record = [] {
        std::string bytes(static_cast<std::size_t>(layout.RecordLength()), ' ');
        bytes.replace(1, 5, "Hello");
        bytes.replace(static_cast<std::size_t>(layout.Offset(1)), 8, "20240229");
        bytes[static_cast<std::size_t>(layout.Offset(10))] = 'T';
        return bytes;
    }();
    try {
        const Expression expression =
            Expression::Parse(std::string_view(reinterpret_cast<const char*>(data), size), layout);
        expression.SortKey(RecordView{layout, record.data()});
    } catch (const ExpressionError&) {
    }
    return 0;
}
