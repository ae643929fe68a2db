// Page data on its way to the modem. Whatever coding a stored page has
// (line records with their byte padding and padded EOLs, or a continuous
// stream as received), it is decoded and coded again bit-packed, each line
// filled only as far as the session's minimum scan-line time asks.
#pragma once

#include <cstdint>
#include <span>

#include "faximage/t4_codec.h"
#include "faximage/t4_table_decoder.h"

namespace corvane::engine {

class PagePacker {
  public:
    PagePacker();

    // A new page of lines width pixels wide, each at least minLineBytes long.
    void Begin(std::size_t minLineBytes, int width);
    // T.4 coded data; lines come out as they are completed. Data after the
    // page's end code is ignored.
    void Add(std::span<const std::uint8_t> coded);
    void AddWhiteLines(int count);
    // Zero bits: fill before the next EOL, which keeps the modem's buffer
    // from running dry while the next lines are being prepared.
    void AddFill(std::size_t bytes);
    // The last line, RTC and the padding to a whole byte.
    void End();

    // Whole bytes ready for the modem.
    std::span<const std::uint8_t> Ready() const { return writer_.Bytes(); }
    void Taken() { writer_.TakeBytes(); }

  private:
    void Line(const std::uint8_t* raster, int bytes);

    faximage::T4PackedWriter writer_;
    faximage::T4TableDecoder decoder_;
    faximage::T4Encoder whiteLine_;  // through the decoder, to keep the lines in order
};

}  // namespace corvane::engine
