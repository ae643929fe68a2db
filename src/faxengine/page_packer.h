// Page data on its way to the modem. Whatever coding a stored page has
// (line records with their byte padding and padded EOLs, or a continuous
// stream as received), it is decoded and coded again bit-packed, each line
// filled only as far as the session's minimum scan-line time asks. A page
// whose resolution or width the session does not have is brought to it:
// fine to standard by merging line pairs, standard to fine by sending each
// line twice, 2048 pixels to 1728 by scaling, 1728 to 2048 by centring.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "faximage/t4_codec.h"
#include "faximage/t4_table_decoder.h"

namespace corvane::engine {

struct PageForm {
    bool fine = false;
    bool wide = false;
};

class PagePacker {
  public:
    PagePacker();

    // A new page in the session's form, each line at least minLineBytes
    // long. Data added now is already in that form.
    void Begin(std::size_t minLineBytes, PageForm session);
    // From here on the data added is a stored page of this form.
    void SetSource(PageForm source);
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
    void Put(const std::uint8_t* raster);
    // Completes the line the decoder holds until the next EOL.
    void FlushLine();

    faximage::T4PackedWriter writer_;
    faximage::T4TableDecoder decoder_;
    faximage::T4Encoder whiteLine_;  // through the decoder, to keep the lines in order
    PageForm session_;
    PageForm source_;
    std::vector<std::uint8_t> scaled_;   // a line in the session's width
    std::vector<std::uint8_t> pending_;  // a fine line waiting for its pair
    bool hasPending_ = false;
};

}  // namespace corvane::engine
