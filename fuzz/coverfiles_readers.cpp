// Cover template and cover data readers: any bytes decode to the records
// before the first damage, and what is decoded writes back and reads back
// the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "covers/files/cover_data_file.h"
#include "covers/files/template_file.h"

using namespace corvane::covers;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto elements = ReadTemplate({data, size});
    const std::string encoded = EncodeTemplate(elements);
    Check(ReadTemplate({reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size()}) ==
          elements);

    const CoverData cover = ParseCoverData({reinterpret_cast<const char*>(data), size});
    Check(!cover.templateName.empty());
    const CoverData again = ParseCoverData(FormatCoverData(cover));
    Check(again.templateName == cover.templateName);
    Check(again.flags == cover.flags);
    Check(again.message == cover.message);
    CoverValues values;
    ApplyFlags(cover.flags, values);
    if (cover.flags.size() != 5)
        Check(FlagsText(values) == "     ");
    return 0;
}
