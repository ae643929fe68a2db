#include "simmodem/modulation.h"

#include <array>

namespace corvane::simmodem {

namespace {

constexpr std::array<Modulation, 12> kHighSpeed = {{
    {24, Family::V27ter, 2400, false},
    {48, Family::V27ter, 4800, false},
    {72, Family::V29, 7200, false},
    {73, Family::V17, 7200, false},
    {74, Family::V17, 7200, true},
    {96, Family::V29, 9600, false},
    {97, Family::V17, 9600, false},
    {98, Family::V17, 9600, true},
    {121, Family::V17, 12000, false},
    {122, Family::V17, 12000, true},
    {145, Family::V17, 14400, false},
    {146, Family::V17, 14400, true},
}};

}  // namespace

std::optional<Modulation> HighSpeedModulation(int code) {
    for (const Modulation& modulation : kHighSpeed) {
        if (modulation.code == code) {
            return modulation;
        }
    }
    return std::nullopt;
}

Modulation PageCarrier(const Modulation& training) {
    if (training.family != Family::V17 || training.shortTraining) {
        return training;
    }
    return HighSpeedModulation(training.code + 1).value_or(training);
}

const std::vector<int>& AllHighSpeedCodes() {
    static const std::vector<int> codes = [] {
        std::vector<int> list;
        for (const Modulation& modulation : kHighSpeed) {
            list.push_back(modulation.code);
        }
        return list;
    }();
    return codes;
}

Micros StartUpTime(const Modulation& modulation) {
    // Training lengths of the modem recommendations; the V.21 preamble is
    // the one second of flags T.30 asks for.
    switch (modulation.family) {
        case Family::V21:
            return engine::Seconds(1);
        case Family::V27ter:
            return modulation.bitsPerSecond == 2400 ? engine::Milliseconds(943)
                                                    : engine::Milliseconds(708);
        case Family::V29:
            return engine::Milliseconds(253);
        case Family::V17:
            return modulation.shortTraining ? engine::Milliseconds(142)
                                            : engine::Milliseconds(1393);
        case Family::Data:
            return engine::Seconds(3);
    }
    return 0;
}

Micros ByteTime(const Modulation& modulation) {
    return engine::Seconds(8) / static_cast<Micros>(modulation.bitsPerSecond);
}

}  // namespace corvane::simmodem
