#include <gtest/gtest.h>

#include <string>

#include "faximage/t4_codec.h"
#include "t4_test_support.h"

namespace corvane::faximage {
namespace {

using testing::PackBits;
using testing::Raster;
using testing::SetBlack;
using testing::UnpackBits;

constexpr const char* kPaddedEol = "0000000000000001";

struct LineCase {
    const char* name;
    int width;
    int margin;
    bool doubleWidth;
    std::vector<std::pair<int, int>> black;  // pixel ranges [from, to)
    std::string codes;                       // expected codes after the padded EOL, sending order
};

class EncodeLineTest : public ::testing::TestWithParam<LineCase> {};

// Expected codes are written out from the T.4 code lists by hand.
TEST_P(EncodeLineTest, CodesRunsAfterPaddedEolAndEndsWithZeroByte) {
    const LineCase& c = GetParam();
    Raster raster(c.width / 8, 0);
    for (auto [from, to] : c.black) SetBlack(raster, from, to);
    T4Encoder encoder;
    encoder.width = c.width;
    encoder.margin = c.margin;
    encoder.doubleWidth = c.doubleWidth;
    EncodeLine(encoder, raster.data());

    const std::string bits = kPaddedEol + c.codes;
    EXPECT_EQ(encoder.bytePos, static_cast<int>(bits.size()) / 8 + 2);
    EXPECT_EQ(UnpackBits(encoder.buffer.data(), encoder.bytePos).substr(0, bits.size()), bits);
    EXPECT_EQ(UnpackBits(encoder.buffer.data(), encoder.bytePos).find('1', bits.size()),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lines, EncodeLineTest,
                         ::testing::Values(LineCase{"BlackMidLine",
                                                    1728,
                                                    50,
                                                    false,
                                                    {{100, 140}},
                                                    "10010"
                                                    "0000011"
                                                    "000001101100"
                                                    "010011001"
                                                    "0111"},
                                           LineCase{"FirstPixelBlackNoMargin",
                                                    1728,
                                                    0,
                                                    false,
                                                    {{0, 10}},
                                                    "00110101"
                                                    "0000100"
                                                    "011000"
                                                    "00100101"},
                                           LineCase{"BlackToTheCutEdge",
                                                    1728,
                                                    50,
                                                    false,
                                                    {{1670, 1728}},
                                                    "011000"
                                                    "01011001"
                                                    "000101"},
                                           LineCase{"WideRunOf64",
                                                    2048,
                                                    0,
                                                    false,
                                                    {{0, 64}, {128, 2048}},
                                                    "00110101"
                                                    "0000001111"
                                                    "0000110111"
                                                    "11011"
                                                    "00110101"
                                                    "00000001101"
                                                    "0000110111"},
                                           LineCase{"DoubleWidth",
                                                    1728,
                                                    50,
                                                    true,
                                                    {{0, 10}},
                                                    "01010011"
                                                    "00001101000"
                                                    "010011010"
                                                    "01011011"},
                                           LineCase{"DoubleWidthOddMarginBlackAtEdge",
                                                    1728,
                                                    51,
                                                    true,
                                                    {{0, 838}},
                                                    "01010100"
                                                    "0000001100100"
                                                    "0000111"
                                                    "000111"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeLine, BlankLineBytesWhateverTheMargin) {
    const std::vector<std::uint8_t> narrow = {0x00, 0x80, 0xB2, 0x59, 0x01, 0x00};
    const std::vector<std::uint8_t> wide = {0x00, 0x80, 0x80, 0xCC, 0x0A, 0x00};
    for (int margin : {0, 50, 1727}) {
        for (auto [width, expected] : {std::pair{1728, narrow}, std::pair{2048, wide}}) {
            Raster blank(width / 8, 0);
            T4Encoder encoder;
            encoder.width = width;
            encoder.margin = margin;
            EncodeLine(encoder, blank.data());
            EXPECT_EQ(std::vector<std::uint8_t>(encoder.buffer.begin(),
                                                encoder.buffer.begin() + encoder.bytePos),
                      expected)
                << width << " margin " << margin;
        }
    }
}

TEST(EncodeLine, ExampleLineBytesAndNoTraceOfTheLongerLineBefore) {
    T4Encoder encoder;
    Raster busy(216, 0x55);
    EncodeLine(encoder, busy.data());
    Raster raster(216, 0);
    SetBlack(raster, 100, 140);
    EncodeLine(encoder, raster.data());
    const std::vector<std::uint8_t> expected = {0x00, 0x80, 0x09, 0x0C, 0x36, 0x32, 0x1D, 0x00};
    EXPECT_EQ(
        std::vector<std::uint8_t>(encoder.buffer.begin(), encoder.buffer.begin() + encoder.bytePos),
        expected);
    EXPECT_TRUE(std::all_of(encoder.buffer.begin() + encoder.bytePos, encoder.buffer.end(),
                            [](auto b) { return b == 0; }));
}

TEST(EncodeRun, MakeUpCodeIsFollowedByTerminatingZero) {
    struct Case {
        int run;
        bool white;
        std::string codes;
    };
    for (const Case& c : {Case{64, true,
                               "11011"
                               "00110101"},
                          Case{2048, false,
                               "000000010011"
                               "0000110111"},
                          Case{0, true, "00110101"}, Case{63, false, "000001100111"},
                          Case{2624, true,
                               "000000011111"
                               "11011"
                               "00110101"}}) {
        T4Encoder encoder;
        EncodeRun(encoder, c.run, c.white);
        EXPECT_EQ(encoder.bytePos * 8 + encoder.bitPos, static_cast<int>(c.codes.size())) << c.run;
        EXPECT_EQ(
            UnpackBits(encoder.buffer.data(), (c.codes.size() + 7) / 8).substr(0, c.codes.size()),
            c.codes)
            << c.run;
    }
}

TEST(EncodeRun, AppendsAtTheBitPosition) {
    T4Encoder encoder;
    EncodeRun(encoder, 2, false);    // 11
    EncodeRun(encoder, 3, true);     // 1000
    EncodeRun(encoder, 1728, true);  // 010011011 00110101
    EXPECT_EQ(encoder.bytePos, 2);
    EXPECT_EQ(encoder.bitPos, 7);
    EXPECT_EQ(UnpackBits(encoder.buffer.data(), 3).substr(0, 23),
              "11"
              "1000"
              "010011011"
              "00110101");
}

TEST(MakeEndOfPage, GivesTheFixedRecordAndLeavesTheEncoderUsable) {
    T4Encoder encoder;
    Raster raster(216, 0xF0);
    EncodeLine(encoder, raster.data());
    std::uint8_t record[12];
    int length = 0;
    MakeEndOfPage(encoder, record, length);
    ASSERT_EQ(length, 12);
    EXPECT_TRUE(std::equal(record, record + 12, kEndOfPageRecord.begin()));
    EXPECT_EQ(UnpackBits(record, 12), std::string(kPaddedEol) +
                                          "000000000001000000000001000000000001"
                                          "000000000001000000000001000000000001"
                                          "00000000");

    Raster blank(216, 0);
    EncodeLine(encoder, blank.data());
    EXPECT_EQ(encoder.bytePos, 6);
    EXPECT_EQ(encoder.buffer[2], 0xB2);
}

}  // namespace
}  // namespace corvane::faximage
