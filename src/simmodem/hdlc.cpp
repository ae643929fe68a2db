#include "simmodem/hdlc.h"

namespace corvane::simmodem {

std::uint16_t FrameCheckSequence(std::span<const std::uint8_t> bytes) {
    // Reflected polynomial x^16 + x^12 + x^5 + 1, preset to ones, sent inverted.
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return static_cast<std::uint16_t>(~crc);
}

void AppendFrameCheck(std::vector<std::uint8_t>& frame) {
    const std::uint16_t fcs = FrameCheckSequence(frame);
    frame.push_back(static_cast<std::uint8_t>(fcs & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(fcs >> 8));
}

bool FrameCheckGood(std::span<const std::uint8_t> frameWithCheck) {
    if (frameWithCheck.size() < 2) {
        return false;
    }
    const std::size_t body = frameWithCheck.size() - 2;
    const std::uint16_t fcs = FrameCheckSequence(frameWithCheck.first(body));
    return frameWithCheck[body] == (fcs & 0xFF) && frameWithCheck[body + 1] == (fcs >> 8);
}

}  // namespace corvane::simmodem
