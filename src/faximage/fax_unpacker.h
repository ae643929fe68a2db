// The unpacking engine: decodes one page of an APF file, post-processes
// every line (blank-line compression, double height, half width,
// inversion) and hands the lines to a line handler; RenderPageBitmap
// collects them into a raster, optionally scaled.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apf_file.h"
#include "raster.h"
#include "t4_codec.h"

namespace corvane::faximage {

enum UnpackerFlags : std::uint16_t {
    ufYield = 1,
    ufDoubleHeight = 2,  // standard pages: every line twice
    ufHalfWidth = 4,     // standard pages: neighbouring pixel pairs merged
    ufAbort = 8,
};
inline constexpr std::uint16_t kDefaultUnpackerFlags = ufYield | ufDoubleHeight;

enum UnpackLineFlags : int { ulLine = 0, ulStartOfPage = 1, ulEndOfPage = 2 };

inline constexpr int kUnpackBlockSize = 4096;
// Pages taller than this are refused rather than allocated (about 8 m of
// fine lines, far beyond any real page).
inline constexpr int kMaxPageLines = 65536;

struct UnpackerState;

// Returns 0 or a negative code, which ends the page.
using UnpackLineHandler = std::function<int(UnpackerState& state, int flags,
                                            const std::uint8_t* line, int page, int length)>;
using UnpackStatusHandler = std::function<void(UnpackerState& state, const std::string& fileName,
                                               int page, long bytesUnpacked, long bytesToUnpack)>;

struct UnpackerState {
    int pageNumber = 0;
    long lineCount = 0;  // drives the yield cadence
    std::uint16_t flags = kDefaultUnpackerFlags;
    unsigned whitespaceFrom = 0;
    unsigned whitespaceTo = 0;
    long pendingBlankLines = 0;
    long bytesToUnpack = 0;
    long bytesUnpacked = 0;
    int horizMult = 1, horizDiv = 1, vertMult = 1, vertDiv = 1;
    bool invert = false;  // lines handed on with 1 = white
    ApfFileHeader fileHeader;
    ApfPageHeader pageHeader;
    UnpackLineHandler lineHandler;
    UnpackStatusHandler statusHandler;

    // Decoder and working buffers.
    std::unique_ptr<T4Decoder> decoder;
    int lineError = 0;  // first error of the line handler during a page
    std::array<std::uint8_t, kDecoderLineBufferSize> lineBuffer{};
    std::array<std::uint8_t, kUnpackBlockSize> dataBlock{};

    int BadCodes() const { return decoder ? decoder->BadCodes() : 0; }
};

// 0 or ecOutOfMemory.
int CreateUnpacker(UnpackLineHandler lineHandler, std::unique_ptr<UnpackerState>& state);

// Double height and half width exclude each other.
void SetUnpackOption(UnpackerState& state, std::uint16_t flags);
void ClearUnpackOption(UnpackerState& state, std::uint16_t flags);
bool HasUnpackOption(const UnpackerState& state, std::uint16_t flags);
void SetUnpackStatusHandler(UnpackerState& state, UnpackStatusHandler handler);
// 0, or ecBadArgument when from < to or from is 0 and to is not; (0, 0) is off.
int SetWhitespace(UnpackerState& state, unsigned from, unsigned to);
// Zeros are taken as 1.
void SetScaling(UnpackerState& state, int horizMult, int horizDiv, int vertMult, int vertDiv);

// Decodes one page (0 is taken as 1) and hands its lines to the line handler.
int DecodePageLines(UnpackerState& state, const std::string& fileName, int page);

// Decodes a page into a raster as wide as its widest content (rounded up
// to 16 pixels), scaled when a scaling is set. With invert, 1 = white.
// A page without lines gives an empty raster and 0.
int RenderPageBitmap(UnpackerState& state, const std::string& fileName, int page, bool invert,
                     Raster& bitmap);

}  // namespace corvane::faximage
