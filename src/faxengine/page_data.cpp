#include "faxengine/page_data.h"

#include <algorithm>
#include <array>

#include "faxengine/t30_frames.h"

namespace corvane::engine {

namespace {

// End of line, the white make-up code for 1728 and the white terminating
// code for 0, in the bit order the modem transmits.
constexpr std::array<std::uint8_t, 6> kBlankLine{0x00, 0x80, 0xB2, 0x59, 0x01, 0x00};

// Put failures are left to the machines' timeouts.
void PutZeros(ComPort& port, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        port.PutChar(0x00);
    }
}

}  // namespace

void PutData(FaxSession& session, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        session.port.PutChar(byte);
        if (byte == kDLE) {
            session.port.PutChar(kDLE);
        }
    }
}

void PutLine(FaxSession& session, std::span<const std::uint8_t> line) {
    const std::size_t minimum = session.modem.params.minLineBytes;
    PutData(session, line);
    if (line.size() < minimum) {
        PutZeros(session.port, minimum - line.size());
    }
    session.data.bytesTransferred += static_cast<std::int32_t>(std::max(line.size(), minimum));
}

void PutBlankLines(FaxSession& session, int count) {
    const std::size_t minimum = session.modem.params.minLineBytes;
    for (int i = 0; i < count; ++i) {
        PutData(session, kBlankLine);
        if (minimum >= 7) {
            PutZeros(session.port, minimum - 5);
        }
    }
}

void EndData(FaxSession& session) {
    session.port.PutChar(kDLE);
    session.port.PutChar(kETX);
}

}  // namespace corvane::engine
