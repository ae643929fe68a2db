// Writers of page data while the modem is in data mode. Page data goes
// through the session's packer: bit-packed, filled to the minimum scan-line
// time and no further.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "faxengine/fax_session.h"

namespace corvane::engine {

// Sends the bytes with every DLE doubled.
void PutData(FaxSession& session, std::span<const std::uint8_t> bytes);
// Starts a page in the session's resolution, width and minimum line length;
// what follows is already in that form (blank lines, header, text cover).
void BeginPageData(FaxSession& session);
// What follows is the stored page, brought to the session's form.
void BeginStoredPage(FaxSession& session);
// T.4 coded data of the page: line records or a continuous stream.
void PutCodedData(FaxSession& session, std::span<const std::uint8_t> coded);
// One coded scan line (a line record).
void PutLine(FaxSession& session, std::span<const std::uint8_t> line);
// White lines of the page's width.
void PutBlankLines(FaxSession& session, int count);
// Zero fill that keeps the modem busy while the next lines are prepared.
void PutFill(FaxSession& session, std::size_t bytes);
// The page's last line and RTC.
void FinishPageData(FaxSession& session);
// Ends the page data (DLE ETX).
void EndData(FaxSession& session);

}  // namespace corvane::engine
