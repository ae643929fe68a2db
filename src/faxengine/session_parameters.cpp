#include "faxengine/session_parameters.h"

namespace corvane::engine {

namespace {

struct Rate {
    std::uint32_t bps;
    std::string_view modulation;
};
constexpr std::array<Rate, kRateCount + 1> kRates{{
    {0, ""},
    {2400, "24"},
    {4800, "48"},
    {7200, "72"},
    {9600, "96"},
    {12000, "121"},
    {14400, "145"},
}};

struct TrainingPair {
    std::string_view longTraining;
    std::string_view shortTraining;
};
constexpr std::array<TrainingPair, 4> kV17Trainings{{
    {"145", "146"},
    {"121", "122"},
    {"97", "98"},
    {"73", "74"},
}};

struct ScanTime {
    int normalMs;
    int fineMs;
    std::uint8_t normalBits;
    std::uint8_t fineBits;
};
constexpr std::array<ScanTime, kScanCodeCount> kScanTimes{{
    {0, 0, 0x70, 0x70},
    {5, 5, 0x10, 0x10},
    {10, 5, 0x20, 0x10},
    {10, 10, 0x20, 0x20},
    {20, 10, 0x00, 0x20},
    {20, 20, 0x00, 0x00},
    {40, 20, 0x40, 0x00},
    {40, 40, 0x40, 0x40},
}};

// ScanCode by the scan bits (octet 3 AND 0x70) of a capability frame.
constexpr std::array<int, 8> kScanCodeOfBits{5, 1, 3, 4, 7, 6, 2, 0};

// A report too short or malformed to name a scan time gets the longest:
// extra fill bytes never hurt a receiver, too few can overrun it.
constexpr int kSafestScanCode = 7;

bool ValidRate(int index) {
    return index >= 1 && index <= kRateCount;
}

bool ValidScanCode(int code) {
    return code >= 0 && code < kScanCodeCount;
}

// The character at a 1-based position, or NUL past the end.
char CharAt(std::string_view text, std::size_t position) {
    return position <= text.size() ? text[position - 1] : '\0';
}

}  // namespace

std::uint32_t RateBPS(int rateIndex) {
    return ValidRate(rateIndex) ? kRates[rateIndex].bps : 0;
}

std::string_view ModulationCodeOf(int rateIndex) {
    return ValidRate(rateIndex) ? kRates[rateIndex].modulation : std::string_view{};
}

std::string_view PageModulationCode(std::string_view trainingCode) {
    for (const TrainingPair& pair : kV17Trainings) {
        if (pair.longTraining == trainingCode) {
            return pair.shortTraining;
        }
    }
    return trainingCode;
}

int ScanTimeMs(int scanCode, bool fine) {
    if (!ValidScanCode(scanCode)) {
        return 0;
    }
    return fine ? kScanTimes[scanCode].fineMs : kScanTimes[scanCode].normalMs;
}

std::uint8_t ScanBitsOfDCS(int scanCode, bool fine) {
    if (!ValidScanCode(scanCode)) {
        return 0x70;
    }
    return fine ? kScanTimes[scanCode].fineBits : kScanTimes[scanCode].normalBits;
}

void MinLineBytesUpdate(SessionParameters& params) {
    params.minLineBytes = static_cast<std::uint16_t>(
        static_cast<std::uint64_t>(ScanTimeMs(params.scanCode, params.sessionFine)) *
        params.sessionBPS / 8000);
}

// The rate a DCS names, by its four rate bits (octet 2, 0x3C) as T.30
// codes them: V.27 ter and V.29 in the low pair, V.17 with 0x20, V.33 with
// 0x10. V.17 and V.33 codes of 9600 and 7200 map to the V.29 rates of the
// same speed; combinations T.30 leaves undefined are read by the low pair.
int RateIndexOfDcsBits(std::uint8_t octet2) {
    static constexpr std::array<int, 4> kIndexOfLowBits{1, 4, 2, 3};
    const int low = kIndexOfLowBits[(octet2 & 0x0C) >> 2];
    switch (octet2 & 0x3C) {
        case 0x20:
        case 0x10:
            return 6;
        case 0x28:
        case 0x18:
            return 5;
        default:
            return low;
    }
}

void DecodeCapabilities(SessionParameters& params, CapabilityKind kind, std::uint8_t octet2,
                        std::uint8_t octet3, bool pageFine, bool pageWide) {
    params.remoteRates = {false, true, true, false, false, false, false};
    if (kind == CapabilityKind::DIS) {
        RateFlags& remote = params.remoteRates;
        // The V.17 bit offers both 14400 and 12000; the V.33 bit alone offers
        // nothing a class 1 modem can train with.
        remote[6] = remote[5] = (octet2 & 0x20) != 0;
        if ((octet2 & 0x0C) == 0x04) {
            remote[4] = true;
        } else if ((octet2 & 0x0C) == 0x0C) {
            remote[3] = remote[4] = true;
        }
        // 2400 is the floor every fax machine offers; it also keeps the
        // index valid when DesiredBPS is set below every rate.
        params.rateIndex = 1;
        for (int index = kRateCount; index >= 1; --index) {
            if (params.localRates[index] && remote[index] && RateBPS(index) <= params.desiredBPS) {
                params.rateIndex = index;
                break;
            }
        }
        params.remoteFine = (octet2 & 0x40) != 0;
        params.remoteWide = (octet3 & 3) == 1;
        // Standard resolution and 1728 pixels are what every fax machine
        // takes; a page the far end cannot take as it is goes in that form.
        params.sessionFine = pageFine && params.remoteFine;
        params.sessionWide = pageWide && params.remoteWide;
    } else {
        params.rateIndex = RateIndexOfDcsBits(octet2);
        params.sessionFine = (octet2 & 0x40) != 0;
        params.sessionWide = (octet3 & 3) == 1;
    }
    params.sessionBPS = RateBPS(params.rateIndex);
    params.sessionECM = false;
    params.scanCode = kScanCodeOfBits[(octet3 & 0x70) >> 4];
    MinLineBytesUpdate(params);
}

bool FallBack(SessionParameters& params) {
    int index = params.rateIndex;
    do {
        --index;
    } while (index > 0 && !(params.localRates[index] && params.remoteRates[index]));
    params.rateIndex = index < 0 ? 0 : index;
    if (params.rateIndex == 0) {
        return false;
    }
    params.sessionBPS = RateBPS(params.rateIndex);
    MinLineBytesUpdate(params);
    return true;
}

void DecodeClass2Report(SessionParameters& params, std::string_view report) {
    // BR digits 0..5 name the rates in table order; others mean 9600.
    const int br = CharAt(report, 3) - '0';
    params.sessionBPS = br >= 0 && br < kRateCount ? RateBPS(br + 1) : 9600;
    params.sessionFine = params.remoteFine = CharAt(report, 1) == '1';
    params.sessionWide = params.remoteWide = CharAt(report, 5) == '1';
    const char ecm = CharAt(report, 11);
    params.sessionECM = ecm == '1' || ecm == '2';
    const int scan = CharAt(report, 15) - '0';
    params.scanCode = ValidScanCode(scan) ? scan : kSafestScanCode;
    MinLineBytesUpdate(params);
}

}  // namespace corvane::engine
