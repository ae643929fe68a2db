#include "faxengine/page_data.h"

#include <gtest/gtest.h>

#include "faximage/apf_file.h"
#include "faximage/t4_table_decoder.h"
#include "faximage/t4_tables.h"

#include "session_rig.h"

namespace corvane::engine {
namespace {

TEST(PageDataTest, DataDoublesDle) {
    SessionRig rig;
    PutData(rig.session, Bytes({0x01, 0x10, 0x03}));
    EndData(rig.session);
    EXPECT_EQ(rig.Sent(), Bytes({0x01, 0x10, 0x10, 0x03, 0x10, 0x03}));
}

// Bit positions just after each EOL's final 1 (first bit on the line is bit 0).
std::vector<std::size_t> EolEnds(const std::vector<std::uint8_t>& data) {
    std::vector<std::size_t> ends;
    int zeros = 0;
    for (std::size_t i = 0; i < data.size() * 8; ++i) {
        if (((data[i / 8] >> (i % 8)) & 1) == 0) {
            ++zeros;
            continue;
        }
        if (zeros >= 11)
            ends.push_back(i + 1);
        zeros = 0;
    }
    return ends;
}

std::vector<std::uint8_t> Undoubled(const std::vector<std::uint8_t>& sent) {
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        data.push_back(sent[i]);
        if (sent[i] == 0x10)
            ++i;
    }
    return data;
}

// The length of a line's Modified Huffman codes, counted from the code tables.
std::size_t CodeBits(const std::vector<std::uint8_t>& raster, int width) {
    std::size_t bits = 0;
    auto run = [&bits](int length, bool white) {
        const faximage::t4::ColourCodes& codes = faximage::t4::StreamCodes(white);
        if (length >= 64)
            bits += codes.makeUp[static_cast<std::size_t>(length / 64 - 1)].length;
        bits += codes.terminating[static_cast<std::size_t>(length % 64)].length;
    };
    bool white = true;
    int length = 0;
    for (int x = 0; x < width; ++x) {
        const bool black = (raster[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
        if (black == white) {
            run(length, white);
            white = !white;
            length = 0;
        }
        ++length;
    }
    run(length, white);
    return bits;
}

// Lines of a page with runs of many lengths, including a black start and
// a black end, stored as the converter stores them (padded EOL, padding).
std::vector<std::vector<std::uint8_t>> TestLines(int width) {
    std::vector<std::vector<std::uint8_t>> lines;
    for (int n = 0; n < 12; ++n) {
        std::vector<std::uint8_t> raster(static_cast<std::size_t>(width / 8), 0);
        for (int x = n * 3; x < width; x += 7 + n * 13) {
            for (int k = x; k < std::min(width, x + 1 + n); ++k)
                raster[static_cast<std::size_t>(k / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (k % 8));
        }
        if (n == 5)
            raster.back() |= 1;
        lines.push_back(raster);
    }
    lines.emplace_back(static_cast<std::size_t>(width / 8), 0);
    return lines;
}

TEST(PageDataTest, PagesGoOutBitPackedWithJustTheFillTheScanTimeAsks) {
    for (const bool wide : {false, true}) {
        for (const std::uint16_t minLineBytes : {0, 24, 72}) {
            SessionRig rig;
            rig.session.modem.params.minLineBytes = minLineBytes;
            rig.session.modem.params.sessionWide = wide;
            const int width = wide ? faximage::kWideLineWidth : faximage::kStandardLineWidth;
            const auto rasters = TestLines(width);
            std::size_t stored = 0;
            BeginPageData(rig.session);
            PutBlankLines(rig.session, 2);
            for (const auto& raster : rasters) {
                faximage::T4Encoder encoder;
                encoder.width = width;
                encoder.margin = 0;
                faximage::EncodeLine(encoder, raster.data());
                stored += static_cast<std::size_t>(encoder.bytePos);
                PutLine(rig.session, std::span(encoder.buffer.data(),
                                               static_cast<std::size_t>(encoder.bytePos)));
            }
            FinishPageData(rig.session);
            const std::vector<std::uint8_t> data = Undoubled(rig.Sent());
            const std::string which = (wide ? "wide, " : "") + std::to_string(minLineBytes);

            std::vector<std::vector<std::uint8_t>> decoded;
            faximage::T4TableDecoder decoder([&](const std::uint8_t* line, int bytes) {
                decoded.emplace_back(line, line + bytes);
            });
            decoder.StartPage();
            decoder.DecodeBlock(data.data(), data.size());
            EXPECT_TRUE(decoder.PageEnded()) << which;
            EXPECT_EQ(decoder.BadCodes(), 0) << which;
            ASSERT_EQ(decoded.size(), rasters.size() + 2) << which;
            for (std::size_t i = 0; i < rasters.size(); ++i)
                EXPECT_EQ(decoded[i + 2], rasters[i]) << which << ", line " << i;

            // Each line, end of EOL to end of EOL, lasts its own codes or the
            // minimum, never more; RTC is six EOLs back to back.
            const std::vector<std::size_t> ends = EolEnds(data);
            ASSERT_EQ(ends.size(), rasters.size() + 2 + 6) << which;
            std::vector<std::vector<std::uint8_t>> sentLines(
                2, std::vector<std::uint8_t>(static_cast<std::size_t>(width / 8)));
            sentLines.insert(sentLines.end(), rasters.begin(), rasters.end());
            for (std::size_t i = 0; i < sentLines.size(); ++i) {
                const std::size_t natural = CodeBits(sentLines[i], width) + 12;
                EXPECT_EQ(ends[i + 1] - ends[i], std::max<std::size_t>(natural, minLineBytes * 8u))
                    << which << ", line " << i;
            }
            for (std::size_t i = ends.size() - 5; i < ends.size(); ++i)
                EXPECT_EQ(ends[i] - ends[i - 1], 12u) << which;
            EXPECT_LE(data.size() * 8 - ends.back(), 7u) << "padding to the byte only";
            if (minLineBytes == 0)
                EXPECT_LT(data.size(), stored) << which;
        }
    }
}

TEST(PageDataTest, FillKeepsTheLinesWhole) {
    SessionRig rig;
    BeginPageData(rig.session);
    const auto rasters = TestLines(faximage::kStandardLineWidth);
    for (const auto& raster : rasters) {
        faximage::T4Encoder encoder;
        encoder.margin = 0;
        faximage::EncodeLine(encoder, raster.data());
        PutLine(rig.session,
                std::span(encoder.buffer.data(), static_cast<std::size_t>(encoder.bytePos)));
        PutFill(rig.session, 3);
    }
    FinishPageData(rig.session);
    const std::vector<std::uint8_t> data = Undoubled(rig.Sent());
    int lines = 0;
    faximage::T4TableDecoder decoder([&](const std::uint8_t*, int) { ++lines; });
    decoder.StartPage();
    decoder.DecodeBlock(data.data(), data.size());
    EXPECT_EQ(decoder.BadCodes(), 0);
    EXPECT_EQ(lines, static_cast<int>(rasters.size()));
    EXPECT_TRUE(decoder.PageEnded());
}

}  // namespace
}  // namespace corvane::engine
