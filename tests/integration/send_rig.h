// A send component on a simulated modem whose line reaches a remote fax
// machine, all in virtual time; fax files written for the test and the
// decoding of what the remote received.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "faxengine/fax_components.h"
#include "faxengine/sim_port.h"
#include "faximage/apf_writer.h"
#include "faximage/t4_codec.h"
#include "faximage/t4_table_decoder.h"
#include "faximage/text_converter.h"
#include "simmodem/class2_modem.h"
#include "simmodem/remote_fax.h"

namespace corvane::integration {

using namespace corvane::engine;
using namespace corvane::simmodem;

using Line = std::vector<std::uint8_t>;
using Lines = std::vector<Line>;

inline constexpr const char* kNumber = "5551234";

// Lines of page p: a black bar moving down and across, distinct per page.
inline Lines PageRaster(int page, int lines, int width = faximage::kStandardLineWidth) {
    Lines raster;
    for (int y = 0; y < lines; ++y) {
        Line line(static_cast<std::size_t>(width / 8), 0);
        const int at = (y * 5 + page * 37) % (width / 8 - 10);
        for (int x = 0; x < 3 + page; ++x) line[static_cast<std::size_t>(at + x)] = 0xFF;
        raster.push_back(std::move(line));
    }
    return raster;
}

// A dense page: every line alternates black and white runs.
inline Lines DenseRaster(int lines) {
    Lines raster;
    for (int y = 0; y < lines; ++y) {
        raster.push_back(Line(216, static_cast<std::uint8_t>(y % 2 ? 0xAA : 0x55)));
    }
    return raster;
}

inline Line Coded(const Line& raster, int width) {
    faximage::T4Encoder encoder;
    encoder.width = width;
    faximage::EncodeLine(encoder, raster.data());
    return Line(encoder.buffer.begin(), encoder.buffer.begin() + encoder.bytePos);
}

// An APF file of counted-line pages (or one coded block per page).
inline void WriteFax(const std::string& path, const std::vector<Lines>& pages, bool fine,
                     bool counted = true, std::vector<bool> fineOf = {}) {
    faximage::ApfWriter writer;
    ASSERT_EQ(writer.Create(path, faximage::ApfWriter::Mode::Atomic), 0);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const bool pageFine = p < fineOf.size() ? fineOf[p] : fine;
        const int width = static_cast<int>(pages[p].front().size() * 8);
        std::uint16_t flags = (pageFine ? faximage::pfFine : 0) |
                              (width == faximage::kWideLineWidth ? faximage::pfWide : 0) |
                              (counted ? faximage::pfCountedLines : 0);
        ASSERT_EQ(writer.BeginPage(flags), 0);
        for (const Line& raster : pages[p]) {
            const Line code = Coded(raster, width);
            if (counted) {
                ASSERT_EQ(
                    writer.AppendLineRecord(code.data(), static_cast<std::uint16_t>(code.size())),
                    0);
            } else {
                ASSERT_EQ(writer.Append(code.data(), code.size()), 0);
            }
        }
        const auto& end = faximage::kEndOfPageRecord;
        if (counted) {
            ASSERT_EQ(writer.AppendLineRecord(end.data(), static_cast<std::uint16_t>(end.size())),
                      0);
        } else {
            ASSERT_EQ(writer.Append(end.data(), end.size()), 0);
        }
        ASSERT_EQ(writer.EndPage(), 0);
    }
    ASSERT_EQ(writer.Finish(faximage::NewFileHeader()), 0);
}

inline Lines Decode(const std::vector<std::uint8_t>& data) {
    Lines lines;
    faximage::T4TableDecoder decoder(
        [&](const std::uint8_t* line, int bytes) { lines.emplace_back(line, line + bytes); });
    decoder.StartPage();
    decoder.DecodeBlock(data.data(), data.size());
    return lines;
}

// The rows a text makes in the fax font, coded and decoded as the remote sees them.
inline Lines TextRows(const std::string& text, int bytesPerGlyph, bool fine) {
    auto state = std::make_unique<faximage::TextConverter>();
    EXPECT_EQ(faximage::CreateTextConverter(state), 0);
    faximage::LoadFaxFont(*state, "", bytesPerGlyph, fine);
    std::vector<std::uint8_t> coded;
    for (int row = 1; row <= state->metrics.rows; ++row) {
        Line raster(4096, 0);
        faximage::RenderTextRow(*state, text, row, raster);
        faximage::EncodeLine(state->converter->encoder, raster.data());
        const auto& e = state->converter->encoder;
        coded.insert(coded.end(), e.buffer.begin(), e.buffer.begin() + e.bytePos);
    }
    coded.insert(coded.end(), faximage::kEndOfPageRecord.begin(), faximage::kEndOfPageRecord.end());
    return Decode(coded);
}

// Raster lines as a receiver decodes them after the encoder's left margin.
inline Lines AsReceived(const Lines& raster) {
    std::vector<std::uint8_t> coded;
    for (const Line& line : raster) {
        const Line code = Coded(line, static_cast<int>(line.size() * 8));
        coded.insert(coded.end(), code.begin(), code.end());
    }
    coded.insert(coded.end(), faximage::kEndOfPageRecord.begin(), faximage::kEndOfPageRecord.end());
    return Decode(coded);
}

inline Lines Slice(const Lines& lines, std::size_t from, std::size_t count) {
    if (from >= lines.size())
        return {};
    const std::size_t end = std::min(lines.size(), from + count);
    return Lines(lines.begin() + static_cast<std::ptrdiff_t>(from),
                 lines.begin() + static_cast<std::ptrdiff_t>(end));
}

// Fine lines as a standard-only far end gets them: two make one, black
// where either is.
inline Lines MergedPairs(const Lines& fine) {
    Lines standard;
    for (std::size_t y = 0; y < fine.size(); y += 2) {
        Line line = fine[y];
        if (y + 1 < fine.size())
            for (std::size_t i = 0; i < line.size(); ++i) line[i] |= fine[y + 1][i];
        standard.push_back(line);
    }
    return standard;
}

// Standard lines sent in a fine session: each twice.
inline Lines EachTwice(const Lines& standard) {
    Lines fine;
    for (const Line& line : standard) fine.insert(fine.end(), 2, line);
    return fine;
}

inline std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "corvane_send_" + name;
}

struct SendRig {
    // modemClasses: "1" gives a class 1 modem, anything else one with all classes.
    explicit SendRig(FaxClass faxClass, RemoteFaxConfig remoteConfig = {},
                     ModemConfig modemConfig = {}) {
        if (faxClass == FaxClass::fcClass1) {
            modemConfig.classes = {"1"};
            modem = std::make_unique<Class1Modem>(network, modemConfig);
        } else {
            modemConfig.classes = {"1", "2", "2.0"};
            modem = std::make_unique<Class2Modem>(network, modemConfig);
        }
        port = std::make_unique<SimComPort>(scheduler, *modem);
        port->Open();
        remote = std::make_unique<RemoteFax>(network, std::move(remoteConfig));
        network.Assign(kNumber, *remote);
        fax.SetComPort(port.get());
        fax.faxClass = faxClass;
        fax.phoneNumber = kNumber;
        fax.stationID = "5550199";
        fax.onFaxError = [this](CvCustomAbstractFax&, int code) { errors.push_back(code); };
        fax.onFaxFinish = [this](CvCustomAbstractFax&, int code) { finishes.push_back(code); };
        fax.onFaxLog = [this](CvCustomAbstractFax&, FaxLogCode code) {
            logCodes.push_back(static_cast<int>(code));
        };
        fax.onFaxNext = [this](CvCustomSendFax& f, std::string& number, std::string& file,
                               std::string& cover) {
            if (nextFaxAsked++ == 0) {
                number = f.phoneNumber;
                file = f.faxFile;
                cover = f.coverFile;
            }
        };
        fax.onFaxStatus = [this](CvCustomAbstractFax& f, bool, bool last) {
            progress.push_back(f.FaxProgress());
            lastSeen += last;
        };
    }

    // Starts and runs until the finish; its code, or 1 when none came.
    int Run(Micros limit = Seconds(1800)) {
        fax.StartTransmit();
        scheduler.RunUntil([&] { return !finishes.empty(); }, scheduler.Now() + limit);
        scheduler.RunFor(Seconds(2));
        return finishes.empty() ? 1 : finishes.front();
    }

    Scheduler scheduler;
    PhoneNetwork network{scheduler};
    std::unique_ptr<SimModem> modem;
    std::unique_ptr<SimComPort> port;
    std::unique_ptr<RemoteFax> remote;
    CvSendFax fax{scheduler, scheduler};
    std::vector<int> errors;
    std::vector<int> finishes;
    std::vector<int> progress;
    std::vector<int> logCodes;
    int nextFaxAsked = 0;
    int lastSeen = 0;
};

}  // namespace corvane::integration
