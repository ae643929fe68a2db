#include "fax_unpacker.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <new>

#include "fax_converter_codes.h"
#include "fax_errors.h"
#include "t4_table_decoder.h"
#include "yield_hook.h"

namespace corvane::faximage {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// 0, the negated system code, or ecReadBeyondEnd when the file ends first.
int ReadExactly(std::FILE* file, void* destination, std::size_t size) {
    if (std::fread(destination, 1, size, file) == size)
        return ecOK;
    return std::ferror(file) ? FileErrorCode(errno) : ecReadBeyondEnd;
}

int SeekTo(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(LONG_MAX))
        return ecReadBeyondEnd;
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 ? ecOK : FileErrorCode(errno);
}

// Reads the file header, walks the chain to page and leaves the file at
// the start of that page's data.
int OpenPage(std::FILE* file, int page, UnpackerState& state) {
    std::array<std::uint8_t, kApfFileHeaderSize> header{};
    if (std::fread(header.data(), 1, header.size(), file) != header.size())
        return ecFaxBadFormat;
    state.fileHeader = DecodeFileHeader(header.data());
    if (state.fileHeader.signature != kApfSignature || state.fileHeader.pageCount < page)
        return ecFaxBadFormat;
    std::uint64_t offset = state.fileHeader.firstPageOffset;
    for (int i = 0; i < std::max(page, 1); ++i) {
        std::array<std::uint8_t, kApfPageHeaderSize> bytes{};
        int code = SeekTo(file, offset);
        if (code == ecOK)
            code = ReadExactly(file, bytes.data(), bytes.size());
        if (code != ecOK)
            return code;
        state.pageHeader = DecodePageHeader(bytes.data());
        offset += kApfPageHeaderSize + std::uint64_t{state.pageHeader.dataLength};
    }
    return ecOK;
}

// Nibble of the OR of neighbouring bit pairs: bits 7+6, 5+4, 3+2, 1+0.
// On lines with 1 = black a pixel pair is black when either pixel is.
constexpr std::array<std::uint8_t, 256> kPairMerge = [] {
    std::array<std::uint8_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        int nibble = 0;
        for (int pair = 0; pair < 4; ++pair)
            if ((byte >> (2 * pair)) & 3)
                nibble |= 1 << pair;
        table[byte] = static_cast<std::uint8_t>(nibble);
    }
    return table;
}();

int HalveLine(std::uint8_t* line, int length) {
    const int half = length / 2;
    for (int i = 0; i < half; ++i)
        line[i] =
            static_cast<std::uint8_t>(kPairMerge[line[2 * i]] << 4 | kPairMerge[line[2 * i + 1]]);
    return half;
}

int HandToHandler(UnpackerState& state, const std::uint8_t* line, int length) {
    if (!state.lineHandler)
        return ecOK;
    return state.lineHandler(state, ulLine, line, state.pageNumber, length);
}

int DeliverLine(UnpackerState& state, const std::uint8_t* line, int length) {
    std::uint8_t* work = state.lineBuffer.data();
    length = std::clamp(length, 0, static_cast<int>(state.lineBuffer.size()));
    std::copy_n(line, length, work);
    if (state.invert)
        for (int i = 0; i < length; ++i) work[i] = static_cast<std::uint8_t>(~work[i]);
    if (!(state.pageHeader.pageFlags & pfFine)) {
        if (state.flags & ufDoubleHeight) {
            const int code = HandToHandler(state, work, length);
            if (code != ecOK)
                return code;
        } else if ((state.flags & ufHalfWidth) && length > 0) {
            // Merged after inversion: black survives only where both pixels are black.
            length = HalveLine(work, length);
        }
    }
    return HandToHandler(state, work, length);
}

int DeliverBlankLines(UnpackerState& state, long count) {
    for (long i = 0; i < count; ++i) {
        const int code = DeliverLine(state, nullptr, 0);
        ++state.lineCount;
        if (code != ecOK)
            return code;
    }
    return ecOK;
}

bool IsBlank(const std::uint8_t* line, int length) {
    return std::all_of(line, line + length, [](std::uint8_t byte) { return byte == 0; });
}

void EmitDecodedLine(UnpackerState& state, const std::uint8_t* line, int length) {
    if (state.lineError != ecOK)
        return;
    const bool compress = state.whitespaceFrom != 0 && state.whitespaceTo != 0;
    int code = ecOK;
    if (compress && IsBlank(line, length)) {
        ++state.pendingBlankLines;
    } else {
        if (compress) {
            const long withheld = state.pendingBlankLines >= static_cast<long>(state.whitespaceFrom)
                                      ? static_cast<long>(state.whitespaceTo)
                                      : state.pendingBlankLines;
            state.pendingBlankLines = 0;
            code = DeliverBlankLines(state, withheld);
        }
        if (code == ecOK)
            code = DeliverLine(state, line, length);
    }
    ++state.lineCount;
    state.lineError = code;
}

// Blank lines still withheld at the end of the page; none when from = to.
int FlushPendingBlankLines(UnpackerState& state) {
    if (state.pendingBlankLines == 0 || state.whitespaceFrom == state.whitespaceTo)
        return ecOK;
    const long count = state.pendingBlankLines >= static_cast<long>(state.whitespaceFrom)
                           ? static_cast<long>(state.whitespaceTo)
                           : state.pendingBlankLines;
    state.pendingBlankLines = 0;
    return DeliverBlankLines(state, count);
}

void ReportStatus(UnpackerState& state, const std::string& fileName) {
    if (state.statusHandler)
        state.statusHandler(state, fileName, state.pageNumber,
                            std::min(state.bytesUnpacked, state.bytesToUnpack),
                            state.bytesToUnpack);
}

// Reads the next block of page data. Returns 0 with size set, 1 at the
// normal end of the page, or a negative code. Reading never passes the
// page's DataLength, so a page without end codes cannot run into the next.
class PageDataSource {
  public:
    PageDataSource(std::FILE* file, const ApfPageHeader& header)
        : file_(file),
          counted_(header.pageFlags & pfCountedLines),
          remaining_(header.dataLength),
          unbounded_(!counted_ && header.dataLength == 0) {}

    int Next(UnpackerState& state, std::size_t& size) {
        size = 0;
        return counted_ ? NextRecord(state, size) : NextStreamBlock(state, size);
    }

  private:
    int NextRecord(UnpackerState& state, std::size_t& size) {
        if (remaining_ < 2)
            return 1;
        std::array<std::uint8_t, 2> count{};
        int code = ReadExactly(file_, count.data(), count.size());
        if (code != ecOK)
            return code;
        remaining_ -= 2;
        const std::uint32_t recordLength =
            std::min<std::uint32_t>(count[0] | count[1] << 8, remaining_);
        size = std::min<std::size_t>(recordLength, kUnpackBlockSize);
        code = ReadExactly(file_, state.dataBlock.data(), size);
        // An oversized record's tail is skipped, never taken for a count.
        if (code == ecOK && recordLength > size &&
            std::fseek(file_, recordLength - size, SEEK_CUR) != 0)
            code = FileErrorCode(errno);
        remaining_ -= recordLength;
        state.bytesUnpacked += recordLength + 2;
        return code;
    }

    // A stream page with DataLength 0 (never completed) is read to the end
    // of the file.
    int NextStreamBlock(UnpackerState& state, std::size_t& size) {
        if (!unbounded_ && remaining_ == 0)
            return 1;
        const std::size_t wanted =
            unbounded_ ? kUnpackBlockSize : std::min<std::size_t>(remaining_, kUnpackBlockSize);
        size = std::fread(state.dataBlock.data(), 1, wanted, file_);
        if (size == 0)
            return std::ferror(file_) ? FileErrorCode(errno) : ecFaxBadFormat;
        if (!unbounded_)
            remaining_ -= static_cast<std::uint32_t>(size);
        state.bytesUnpacked += static_cast<long>(size);
        return ecOK;
    }

    std::FILE* file_;
    bool counted_;
    std::uint32_t remaining_;
    bool unbounded_;
};

int DecodeOpenPage(UnpackerState& state, std::FILE* file, const std::string& fileName) {
    PageDataSource source(file, state.pageHeader);
    state.decoder->StartPage();
    std::size_t size = 0, position = 0;
    while (!state.decoder->PageEnded()) {
        if (position == size) {
            const int code = source.Next(state, size);
            if (code == 1)
                break;
            if (code != ecOK)
                return code;
            position = 0;
            continue;
        }
        state.decoder->DecodeByte(state.dataBlock[position++]);
        if (state.lineError != ecOK)
            return state.lineError;
        if (state.flags & ufAbort)
            break;
        if ((state.flags & ufYield) && state.lineCount % 16 == 0 && ProcessOnePendingMessage())
            return ecGotQuitMsg;
        ReportStatus(state, fileName);
    }
    return FlushPendingBlankLines(state);
}

}  // namespace

int CreateUnpacker(UnpackLineHandler lineHandler, std::unique_ptr<UnpackerState>& state) {
    try {
        state = std::make_unique<UnpackerState>();
        UnpackerState* self = state.get();
        state->decoder =
            std::make_unique<T4TableDecoder>([self](const std::uint8_t* line, int byteCount) {
                EmitDecodedLine(*self, line, byteCount);
            });
    } catch (const std::bad_alloc&) {
        state.reset();
        return ecOutOfMemory;
    }
    state->lineHandler = std::move(lineHandler);
    return ecOK;
}

void SetUnpackOption(UnpackerState& state, std::uint16_t flags) {
    constexpr std::uint16_t kAspect = ufDoubleHeight | ufHalfWidth;
    if ((flags & kAspect) == kAspect)
        return;
    if (((state.flags | flags) & kAspect) == kAspect)
        state.flags &= ~kAspect;
    state.flags |= flags;
}

void ClearUnpackOption(UnpackerState& state, std::uint16_t flags) {
    state.flags &= ~flags;
}

bool HasUnpackOption(const UnpackerState& state, std::uint16_t flags) {
    return (state.flags & flags) == flags;
}

void SetUnpackStatusHandler(UnpackerState& state, UnpackStatusHandler handler) {
    state.statusHandler = std::move(handler);
}

int SetWhitespace(UnpackerState& state, unsigned from, unsigned to) {
    if (from < to || (from == 0 && to != 0))
        return ecBadArgument;
    state.whitespaceFrom = from;
    state.whitespaceTo = to;
    return ecOK;
}

void SetScaling(UnpackerState& state, int horizMult, int horizDiv, int vertMult, int vertDiv) {
    const auto positive = [](int value) { return value > 0 ? value : 1; };
    state.horizMult = positive(horizMult);
    state.horizDiv = positive(horizDiv);
    state.vertMult = positive(vertMult);
    state.vertDiv = positive(vertDiv);
}

int DecodePageLines(UnpackerState& state, const std::string& fileName, int page) {
    state.pendingBlankLines = 0;
    state.lineCount = 0;
    state.lineError = ecOK;
    if (fileName.empty())
        return ecFileNotFound;
    const File file(std::fopen(fileName.c_str(), "rb"));
    if (!file)
        return FileErrorCode(errno);
    int code = OpenPage(file.get(), page, state);
    if (code == ecOK)
        code = DecodeOpenPage(state, file.get(), fileName);
    ReportStatus(state, fileName);
    return code;
}

}  // namespace corvane::faximage
