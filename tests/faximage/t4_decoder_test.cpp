#include <gtest/gtest.h>

#include <random>
#include <string>

#include "faximage/t4_table_decoder.h"
#include "faximage/t4_tree_decoder.h"
#include "t4_test_support.h"

namespace corvane::faximage {
namespace {

using testing::Decode;
using testing::PackBits;
using testing::Raster;

constexpr const char* kEol = "000000000001";

std::string RunBits(int run, bool white) {
    T4Encoder encoder;
    EncodeRun(encoder, run, white);
    return testing::UnpackBits(encoder.buffer.data(), encoder.bytePos + 1)
        .substr(0, encoder.bytePos * 8 + encoder.bitPos);
}

std::string WhiteLine(int pixels) {
    return RunBits(pixels, true);
}

template <typename Decoder>
class T4DecoderTest : public ::testing::Test {
  protected:
    static testing::DecodeResult Run(std::string_view bits) {
        return Decode<Decoder>(PackBits(bits));
    }
};

using Decoders = ::testing::Types<T4TableDecoder, T4TreeDecoder>;
TYPED_TEST_SUITE(T4DecoderTest, Decoders);

TYPED_TEST(T4DecoderTest, EncodedLinesComeBackShiftedByTheMargin) {
    std::mt19937 random(7);
    for (int width : {kStandardLineWidth, kWideLineWidth}) {
        for (int margin : {0, 50, 333}) {
            std::vector<Raster> lines = {testing::TextLikeRaster(random, width),
                                         testing::NoiseRaster(random, width),
                                         Raster(width / 8, 0xFF), Raster(width / 8, 0)};
            const auto result = Decode<TypeParam>(testing::EncodePage(lines, width, margin));
            ASSERT_EQ(result.lines.size(), lines.size());
            EXPECT_TRUE(result.pageEnded);
            EXPECT_EQ(result.badCodes, 0);
            for (std::size_t i = 0; i < lines.size(); ++i)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(testing::IsBlack(result.lines[i].data(), x),
                              x >= margin && testing::IsBlack(lines[i].data(), x - margin))
                        << "width " << width << " margin " << margin << " line " << i << " pixel "
                        << x;
        }
    }
}

TYPED_TEST(T4DecoderTest, AcceptsOnlyWholeFaxLineWidths) {
    struct Case {
        int pixels;
        int deliveredBytes;  // 0: dropped
    };
    for (Case c : {Case{1727, 0}, Case{1728, 216}, Case{1730, 216}, Case{1735, 216}, Case{1736, 0},
                   Case{2047, 0}, Case{2048, 256}, Case{2055, 256}, Case{2056, 0}, Case{0, 0}}) {
        // A line ending in black proves the bits past the whole bytes are not kept.
        const std::string line = WhiteLine(c.pixels - 3) + RunBits(3, false);
        const auto result = this->Run(std::string(kEol) + (c.pixels ? line : "") + kEol);
        if (c.deliveredBytes == 0) {
            EXPECT_TRUE(result.lines.empty()) << c.pixels;
        } else {
            ASSERT_EQ(result.lines.size(), 1u) << c.pixels;
            EXPECT_EQ(static_cast<int>(result.lines[0].size()), c.deliveredBytes);
        }
    }
}

TYPED_TEST(T4DecoderTest, IgnoresRunsBeforeTheFirstEol) {
    const auto result = this->Run(WhiteLine(1728) + kEol + WhiteLine(1728) + kEol);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0], Raster(216, 0));
    EXPECT_EQ(result.badCodes, 0);
}

TYPED_TEST(T4DecoderTest, ThreeEolsInARowEndThePage) {
    const std::string line = WhiteLine(1728);
    const auto twoThenData = this->Run(std::string(kEol) + kEol + line + kEol + line + kEol);
    EXPECT_FALSE(twoThenData.pageEnded);
    EXPECT_EQ(twoThenData.lines.size(), 2u);

    // Bytes after the end are not consumed; bits of the ending byte are.
    const std::string page = std::string(kEol) + line + kEol + kEol + kEol;
    const auto ended = this->Run(page + "0000" + line + kEol);
    EXPECT_TRUE(ended.pageEnded);
    EXPECT_EQ(ended.lines.size(), 1u);
    EXPECT_EQ(ended.consumed, (page.size() + 7) / 8);
}

TYPED_TEST(T4DecoderTest, AbsorbsAnyNumberOfFillZerosBeforeAnEol) {
    const std::string line = WhiteLine(1728);
    const auto result =
        this->Run(std::string(kEol) + line + std::string(200, '0') + kEol + line + "000" + kEol);
    EXPECT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.badCodes, 0);
}

TYPED_TEST(T4DecoderTest, DeadEndCountsAndSkipsOnesUntilAZero) {
    // 0000000001 then ones: thirteen bits match no code; the following 1 bits
    // are skipped and the next 0 bit starts a code again. (The black 0 run
    // puts the decoder back on white codes.)
    const std::string garbage =
        "0000000001"
        "111"
        "1111111";
    const auto result = this->Run(std::string(kEol) + WhiteLine(1000) + RunBits(0, false) +
                                  garbage + WhiteLine(728) + kEol);
    EXPECT_EQ(result.badCodes, 1);
    ASSERT_EQ(result.lines.size(), 1u);  // 1000 + 728, skipped ones add nothing
    EXPECT_FALSE(result.pageEnded);
}

TYPED_TEST(T4DecoderTest, OverlongLinesStayInsideTheLineBuffer) {
    // Black runs up to and past the 4096-pixel buffer; nothing is delivered
    // and (under the sanitizers) nothing is written outside.
    std::string bits = kEol;
    for (int i = 0; i < 63; ++i) bits += RunBits(63, true) + RunBits(1, false);
    // Pixel 4095 onwards: the too-long run is refused, the last black one is
    // admitted with its last pixel in the buffer's last byte.
    bits += RunBits(63, true) + "000000011111" /* make-up 2560 */ + RunBits(7, false) + kEol +
            WhiteLine(1728) + kEol;
    const auto result = this->Run(bits);
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0], Raster(216, 0));
}

TEST(DecodeTrees, HaveTheDescribedShape) {
    const DecodeTrees trees = BuildDecodeTrees();
    for (const DecodeTree* tree : {&trees.white, &trees.black}) {
        int runLeaves = 0, eolLeaves = 0, deadEnds = 0;
        for (int i = 1; i < 269; ++i) {
            const DecodeTreeNode node = (*tree)[i];
            runLeaves += node.first == kDecodeTreeRunLeaf;
            eolLeaves += node.first == kDecodeTreeEolLeaf;
            deadEnds += node.first == 0;
        }
        EXPECT_EQ(runLeaves, 104);
        EXPECT_EQ(eolLeaves, 1);
        EXPECT_EQ(deadEnds, 30);
        EXPECT_EQ((*tree)[kDecodeTreeFillNode].first, kDecodeTreeFillNode);
        EXPECT_EQ((*tree)[269].first, 0);
    }
    EXPECT_EQ(trees.white[1].first, 2);  // depth first, 0-branch first
}

}  // namespace
}  // namespace corvane::faximage
