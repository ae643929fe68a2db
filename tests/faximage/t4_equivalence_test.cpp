// The table recogniser must deliver exactly what the reference tree walk
// delivers, for undamaged and damaged streams alike.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "faximage/t4_table_decoder.h"
#include "faximage/t4_tree_decoder.h"
#include "t4_test_support.h"

namespace corvane::faximage {
namespace {

using Stream = std::vector<std::uint8_t>;

Stream CleanPage(std::mt19937& random) {
    const int width = random() % 2 ? kStandardLineWidth : kWideLineWidth;
    std::vector<testing::Raster> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back(random() % 4 ? testing::TextLikeRaster(random, width)
                                     : testing::NoiseRaster(random, width));
    return testing::EncodePage(lines, width, static_cast<int>(random() % 100));
}

Stream FlipBits(Stream page, std::mt19937& random, int count) {
    for (int i = 0; i < count; ++i)
        page[random() % page.size()] ^= static_cast<std::uint8_t>(1 << random() % 8);
    return page;
}

Stream Garbage(std::mt19937& random, bool sparse) {
    Stream data(2000 + random() % 4000);
    for (auto& byte : data) {
        byte = static_cast<std::uint8_t>(random());
        if (sparse)
            byte &=
                static_cast<std::uint8_t>(random() & random());  // mostly zeros: EOLs, long codes
    }
    return data;
}

struct Damage {
    const char* name;
    std::function<Stream(std::mt19937&)> make;
};

const Damage kDamages[] = {
    {"Undamaged", [](std::mt19937& r) { return CleanPage(r); }},
    {"OneBitError", [](std::mt19937& r) { return FlipBits(CleanPage(r), r, 1); }},
    {"ManyBitErrors", [](std::mt19937& r) { return FlipBits(CleanPage(r), r, 1 + r() % 200); }},
    {"Truncated",
     [](std::mt19937& r) {
         Stream page = CleanPage(r);
         page.resize(r() % page.size());
         return page;
     }},
    {"ExtraFillBytes",
     [](std::mt19937& r) {
         Stream page = CleanPage(r);
         for (int i = 0; i < 20; ++i) page.insert(page.begin() + r() % page.size(), 1 + r() % 5, 0);
         return page;
     }},
    {"LongRunsOfOnes",  // skipped after a dead end, more than a whole buffer load at once
     [](std::mt19937& r) {
         Stream page = CleanPage(r);
         for (int i = 0; i < 3; ++i)
             page.insert(page.begin() + r() % page.size(), 8 + r() % 40, 0xFF);
         return page;
     }},
    {"RandomGarbage", [](std::mt19937& r) { return Garbage(r, false); }},
    {"SparseGarbage", [](std::mt19937& r) { return Garbage(r, true); }},
    {"TwoPagesBackToBack",
     [](std::mt19937& r) {
         Stream page = CleanPage(r);
         Stream second = CleanPage(r);
         page.insert(page.end(), second.begin(), second.end());
         return page;
     }},
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

class DecoderEquivalenceTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DecoderEquivalenceTest, TableAndTreeDeliverTheSameLinesAndCounts) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        const Stream stream = GetParam().make(random);
        const auto table = testing::Decode<T4TableDecoder>(stream);
        const auto tree = testing::Decode<T4TreeDecoder>(stream);
        ASSERT_EQ(table.lines.size(), tree.lines.size()) << "seed " << seed;
        ASSERT_EQ(table.badCodes, tree.badCodes) << "seed " << seed;
        ASSERT_EQ(table.consumed, tree.consumed) << "seed " << seed;
        ASSERT_TRUE(table == tree) << "seed " << seed;
        for (const auto& line : table.lines) ASSERT_TRUE(line.size() == 216 || line.size() == 256);
    }
}

// Fed byte by byte past the page end, the two still agree at every byte.
TEST_P(DecoderEquivalenceTest, AgreeByteByByteBeyondThePageEnd) {
    std::mt19937 random(99);
    const Stream stream = GetParam().make(random);
    int tableLines = 0, treeLines = 0;
    T4TableDecoder table([&](const std::uint8_t*, int) { ++tableLines; });
    T4TreeDecoder tree([&](const std::uint8_t*, int) { ++treeLines; });
    table.StartPage();
    tree.StartPage();
    for (std::size_t i = 0; i < stream.size(); ++i) {
        table.DecodeByte(stream[i]);
        tree.DecodeByte(stream[i]);
        ASSERT_EQ(tableLines, treeLines) << "byte " << i;
        ASSERT_EQ(table.BadCodes(), tree.BadCodes()) << "byte " << i;
        ASSERT_EQ(table.PageEnded(), tree.PageEnded()) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, DecoderEquivalenceTest, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::faximage
