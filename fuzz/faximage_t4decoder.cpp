// The two T.4 recognisers over arbitrary bytes: no crash, no sanitizer
// report, only whole fax lines delivered, and both deliver the same lines,
// bad-code counts and page end. The first byte picks how the table decoder
// is fed (whole block, or byte by byte), so both of its paths are covered.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "faximage/t4_table_decoder.h"
#include "faximage/t4_tree_decoder.h"

namespace {

using namespace corvane::faximage;

struct Outcome {
    std::vector<std::vector<std::uint8_t>> lines;
    int badCodes = 0;
    bool pageEnded = false;
    std::size_t consumed = 0;
};

LineHandler Collect(Outcome& outcome) {
    return [&outcome](const std::uint8_t* line, int bytes) {
        if (bytes != kStandardLineWidth / 8 && bytes != kWideLineWidth / 8)
            std::abort();
        outcome.lines.emplace_back(line, line + bytes);
    };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool byteByByte = data[0] & 1;
    ++data;
    --size;

    Outcome table, tree;
    T4TableDecoder tableDecoder(Collect(table));
    T4TreeDecoder treeDecoder(Collect(tree));
    tableDecoder.StartPage();
    treeDecoder.StartPage();
    if (byteByByte) {
        while (table.consumed < size && !tableDecoder.PageEnded())
            tableDecoder.DecodeByte(data[table.consumed++]);
    } else {
        table.consumed = tableDecoder.DecodeBlock(data, size);
    }
    tree.consumed = treeDecoder.DecodeBlock(data, size);
    table.badCodes = tableDecoder.BadCodes();
    tree.badCodes = treeDecoder.BadCodes();
    table.pageEnded = tableDecoder.PageEnded();
    tree.pageEnded = treeDecoder.PageEnded();

    if (table.lines != tree.lines || table.badCodes != tree.badCodes ||
        table.pageEnded != tree.pageEnded || table.consumed != tree.consumed)
        std::abort();
    return 0;
}
