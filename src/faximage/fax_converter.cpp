#include "fax_converter.h"

#include <cerrno>
#include <ctime>
#include <new>

#include "fax_converter_codes.h"
#include "fax_errors.h"
#include "path_names.h"
#include "yield_hook.h"

namespace corvane::faximage {
namespace {

// A top-margin line: the 12-bit EOL, white make-up W and white terminating 0,
// then zero bits to the end of the byte plus one zero byte when the codes
// end on a byte boundary; either way bytePos + 1 bytes.
int MakeTopMarginLine(int width, T4Encoder& line) {
    line = T4Encoder{};
    line.width = width;
    line.buffer[1] = 0x08;  // eleven 0 bits, then the 1 bit
    line.bytePos = 1;
    line.bitPos = 4;
    EncodeRun(line, width, true);
    return line.bytePos + 1;
}

int ReportStatus(ConverterState& state, int statusFlags) {
    if (!state.statusHandler)
        return ecOK;
    const bool abort = state.statusHandler(state, statusFlags, state.bytesRead, state.bytesToRead);
    return abort ? ecUserAbortedConversion : ecOK;
}

int ReadLine(ConverterState& state, bool& endOfPage, bool& morePages) {
    ++state.lineNumber;
    int length = 0;
    const int code =
        state.reader->ReadLine(state, state.inputLine.data(), length, endOfPage, morePages);
    if (code != ecOK)
        return code;
    return ReportStatus(state, csProgress);
}

void ZeroInputLine(ConverterState& state) {
    std::fill_n(state.inputLine.begin(), state.LineWidth() / 8, std::uint8_t{0});
}

int ConvertPages(ConverterState& state, const ConverterOutputHandler& output) {
    T4Encoder topMarginLine;
    const int topMarginLength = MakeTopMarginLine(state.LineWidth(), topMarginLine);
    bool morePages = true;
    while (morePages) {
        ++state.pageNumber;
        state.lineNumber = 0;
        state.encoder.buffer.fill(0);
        state.encoder.bytePos = 0;
        state.encoder.bitPos = 0;
        for (int i = 0; i < state.topMargin; ++i) {
            const int code =
                output(state, topMarginLine.buffer.data(), topMarginLength, false, false);
            if (code != ecOK)
                return code;
        }
        ZeroInputLine(state);
        bool endOfPage = false;
        int code = ReadLine(state, endOfPage, morePages);
        if (code != ecOK)
            return code;
        while (!endOfPage) {
            if (!state.halfHeight || state.lineNumber % 2 == 1) {
                EncodeLine(state.encoder, state.inputLine.data());
                code =
                    output(state, state.encoder.buffer.data(), state.encoder.bytePos, false, false);
                if (code != ecOK)
                    return code;
            }
            ZeroInputLine(state);
            code = ReadLine(state, endOfPage, morePages);
            if (code != ecOK)
                return code;
            const bool yieldOften = (state.flags & coYield) && (state.flags & coYieldOften);
            if (yieldOften && state.lineNumber % 16 == 0 && ProcessOnePendingMessage())
                return ecGotQuitMsg;
        }
        code = output(state, nullptr, 0, true, morePages);
        if (code != ecOK)
            return code;
        if ((state.flags & coYield) && ProcessOnePendingMessage())
            return ecGotQuitMsg;
    }
    return ecOK;
}

}  // namespace

int CreateConverterState(std::unique_ptr<ConverterReader> reader, std::string defaultExtension,
                         std::unique_ptr<ConverterState>& state) {
    try {
        state = std::make_unique<ConverterState>();
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    state->reader = std::move(reader);
    state->defaultExtension = std::move(defaultExtension);
    return ecOK;
}

std::string ApfOutputPath(const std::string& inputName, const std::string& outputName) {
    if (!outputName.empty())
        return HasExtension(outputName) ? outputName : outputName + ".APF";
    return WithoutExtension(inputName) + ".APF";
}

int RunConversion(ConverterState& state, const std::string& inputName,
                  const ConverterOutputHandler& output) {
    state.pageNumber = 0;
    state.lineNumber = 0;
    state.pageOfLastPageHeader = 0;
    state.inputName = inputName;
    if (!state.defaultExtension.empty() && !HasExtension(inputName))
        state.inputName += "." + state.defaultExtension;
    if (!state.reader)
        return ecBadArgument;

    int code = ReportStatus(state, csStarting);
    if (code != ecOK)
        return code;
    code = state.reader->Open(state, state.inputName);
    if (code != ecOK)
        return code;
    code = ConvertPages(state, output);
    ReportStatus(state, csEnding);  // an abort answered here changes nothing
    state.reader->Close(state);
    return code;
}

int WriteApfLine(ConverterState& state, const std::uint8_t* data, int length, bool endOfPage,
                 bool /*morePages*/) {
    if (state.pageNumber != state.pageOfLastPageHeader) {
        std::uint16_t flags = pfCountedLines;
        if (state.fine)
            flags |= pfFine;
        if (state.LineWidth() == kWideLineWidth)
            flags |= pfWide;
        const int code = state.output.BeginPage(flags);
        if (code != ecOK)
            return code;
        state.pageOfLastPageHeader = state.pageNumber;
    }
    if (!endOfPage) {
        if (length < 0 || length > 0xFFFF)
            return ecBadArgument;
        return state.output.AppendLineRecord(data, static_cast<std::uint16_t>(length));
    }
    std::array<std::uint8_t, kEndOfPageRecord.size()> endOfPageRecord{};
    int endLength = 0;
    MakeEndOfPage(state.encoder, endOfPageRecord.data(), endLength);
    const int code = state.output.AppendLineRecord(endOfPageRecord.data(),
                                                   static_cast<std::uint16_t>(endLength));
    if (code != ecOK)
        return code;
    return state.output.EndPage();
}

int ConvertToApf(ConverterState& state, const std::string& inputName,
                 const std::string& outputName) {
    state.outputName = ApfOutputPath(inputName, outputName);
    int code = state.output.Create(state.outputName, ApfWriter::Mode::Atomic);
    if (code != ecOK)
        return code;
    code = RunConversion(state, inputName, WriteApfLine);
    if (code == ecOK) {
        ApfFileHeader header = NewFileHeader();
        SetStationId(header, state.stationId);
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        header.dateStamp = PackDateStamp(local);
        code = state.output.Finish(header);
    }
    if (code != ecOK)
        state.output.Abandon();
    return code;
}

}  // namespace corvane::faximage
