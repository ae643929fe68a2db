// Writers of page data while the modem is in data mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "faxengine/fax_session.h"

namespace corvane::engine {

// Sends the bytes with every DLE doubled.
void PutData(FaxSession& session, std::span<const std::uint8_t> bytes);
// A coded scan line, zero-filled up to MinLineBytes.
void PutLine(FaxSession& session, std::span<const std::uint8_t> line);
// White 1728-pixel lines, each filled to the minimum scan-line time.
void PutBlankLines(FaxSession& session, int count);
// Ends the page data (DLE ETX).
void EndData(FaxSession& session);

}  // namespace corvane::engine
