// Byte strings as the computer and the modem exchange them in tests.
#pragma once

#include <initializer_list>
#include <string>

#include "simmodem/modulation.h"

namespace corvane::simmodem::testing {

inline const std::string kOk = "\r\nOK\r\n";
inline const std::string kConnect = "\r\nCONNECT\r\n";
inline const std::string kNoCarrier = "\r\nNO CARRIER\r\n";
inline const std::string kDleEtx = "\x10\x03";
// How received high-speed data ends: the demodulator's fill while it detects
// the carrier's loss, then DLE ETX.
inline const std::string kCarrierEnd = std::string(kCarrierLossBytes, '\0') + kDleEtx;

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

// Every DLE doubled, as page data and frames cross the serial line.
inline std::string Shield(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        out += c;
        if (c == '\x10') out += c;
    }
    return out;
}

inline std::string Unshield(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (bytes[i] == '\x10') ++i;
    }
    return out;
}

}  // namespace corvane::simmodem::testing
