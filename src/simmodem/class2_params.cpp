#include "simmodem/class2_params.h"

#include <algorithm>
#include <charconv>

namespace corvane::simmodem {

namespace {

constexpr std::array<int, 8> kMaximum{1, 5, 2, 2, 3, 2, 1, 7};
constexpr std::array<int, 6> kRates{2400, 4800, 7200, 9600, 12000, 14400};
// ST 0-7: normal and fine minimum scan times in ms.
constexpr std::array<std::array<int, 2>, 8> kScan{
    {{0, 0}, {5, 5}, {10, 5}, {10, 10}, {20, 10}, {20, 20}, {40, 20}, {40, 40}}};

}  // namespace

std::optional<Class2Params> ParseClass2Params(const std::string& text,
                                              const Class2Params& current) {
    Class2Params params = current;
    std::size_t index = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (index >= params.values.size())
            return std::nullopt;
        const std::string item = text.substr(start, comma - start);
        if (!item.empty()) {
            int value = -1;
            const auto [end, error] =
                std::from_chars(item.data(), item.data() + item.size(), value);
            if (error != std::errc() || end != item.data() + item.size() || value < 0 ||
                value > kMaximum[index]) {
                return std::nullopt;
            }
            params.values[index] = value;
        }
        ++index;
        start = comma + 1;
    }
    return params;
}

std::string FormatClass2Params(const Class2Params& params) {
    std::string text;
    for (int value : params.values) {
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return text;
}

std::uint8_t ReverseBits(std::uint8_t byte) {
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (byte & (1u << bit))
            out |= static_cast<std::uint8_t>(0x80u >> bit);
    }
    return out;
}

std::string Class2ParamRanges() {
    return "(0,1),(0-5),(0-2),(0-2),(0-3),(0-2),(0,1),(0-7)";
}

int Class2RateCode(int bitsPerSecond) {
    for (std::size_t i = 0; i < kRates.size(); ++i) {
        if (kRates[i] == bitsPerSecond)
            return static_cast<int>(i);
    }
    return 3;
}

int Class2RateBps(int code) {
    return kRates[static_cast<std::size_t>(std::clamp(code, 0, 5))];
}

int Class2ScanCode(int normalMs, int fineMs) {
    for (std::size_t i = 0; i < kScan.size(); ++i) {
        if (kScan[i][0] == normalMs && kScan[i][1] == fineMs)
            return static_cast<int>(i);
    }
    return 5;  // 20 ms, the T.30 default
}

void Class2ScanTimes(int code, int& normalMs, int& fineMs) {
    const auto& times = kScan[static_cast<std::size_t>(std::clamp(code, 0, 7))];
    normalMs = times[0];
    fineMs = times[1];
}

Class2Params ParamsOfCapabilities(const t30::Capabilities& capabilities, int maxBps) {
    Class2Params params;
    params.vr() = capabilities.fine ? 1 : 0;
    const auto best = t30::BestModulation(capabilities.modems, capabilities.modems, maxBps);
    params.br() = Class2RateCode(best ? best->bitsPerSecond : 2400);
    params.wd() = capabilities.wide ? 1 : 0;
    params.st() = Class2ScanCode(capabilities.scanNormalMs, capabilities.scanFineMs);
    return params;
}

Class2Params ParamsOfSession(const t30::SessionChoice& session) {
    Class2Params params;
    params.vr() = session.fine ? 1 : 0;
    params.br() = Class2RateCode(session.modulation.bitsPerSecond);
    params.wd() = session.wide ? 1 : 0;
    params.st() = Class2ScanCode(session.scanMs, session.scanMs);
    return params;
}

}  // namespace corvane::simmodem
