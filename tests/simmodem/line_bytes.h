// Byte strings as the computer and the modem exchange them in tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "simmodem/modulation.h"

namespace corvane::simmodem::testing {

inline const std::string kOk = "\r\nOK\r\n";
inline const std::string kConnect = "\r\nCONNECT\r\n";
inline const std::string kNoCarrier = "\r\nNO CARRIER\r\n";
inline const std::string kDleEtx = "\x10\x03";
// How a class 2 modem ends a page it hands over: its demodulator's fill,
// then DLE ETX.
inline const std::string kClass2PageEnd = std::string(kCarrierLossBytes, '\0') + kDleEtx;

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
        if (c == '\x10')
            out += c;
    }
    return out;
}

inline std::string Unshield(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (bytes[i] == '\x10')
            ++i;
    }
    return out;
}

// Received high-speed data from a class 1 modem: the data (shielded), then
// the demodulator's tail while it notices the carrier's loss (a few bytes
// of ones, then a few of noise), DLE ETX, and what follows.
inline ::testing::AssertionResult DataThenCarrierLoss(const std::string& received,
                                                      const std::string& data,
                                                      const std::string& after = kNoCarrier) {
    const std::string end = kDleEtx + after;
    if (received.size() < data.size() + end.size() || received.compare(0, data.size(), data) != 0 ||
        received.compare(received.size() - end.size(), end.size(), end) != 0) {
        return ::testing::AssertionFailure()
               << "not the data, a tail and DLE ETX: " << received.size() << " bytes";
    }
    const std::string tail =
        Unshield(received.substr(data.size(), received.size() - data.size() - end.size()));
    if (tail.size() < 5 || tail.size() > 14 || tail.compare(0, 2, "\xFF\xFF") != 0) {
        return ::testing::AssertionFailure() << "no demodulator tail: " << tail.size() << " bytes";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace corvane::simmodem::testing
