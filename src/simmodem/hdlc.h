// The frame check sequence of HDLC frames (ITU-T V.42 / ISO 3309 CRC-16).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace corvane::simmodem {

std::uint16_t FrameCheckSequence(std::span<const std::uint8_t> bytes);
// Appends the two FCS octets as they go on the line (low octet first).
void AppendFrameCheck(std::vector<std::uint8_t>& frame);
// True when the last two octets are the FCS of the ones before them.
bool FrameCheckGood(std::span<const std::uint8_t> frameWithCheck);

}  // namespace corvane::simmodem
