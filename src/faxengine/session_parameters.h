// The negotiated parameters of a fax session and the tables they come
// from: transfer rates, minimum scan-line times, and their decoding from
// a class 1 capability frame or a class 2 report.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::engine {

inline constexpr int kRateCount = 6;
// Indexes 1..6; index 0 stands for "no rate".
using RateFlags = std::array<bool, kRateCount + 1>;

// Bits per second of a rate index; 0 outside 1..6.
std::uint32_t RateBPS(int rateIndex);
// The modulation code for "AT+FTM=" and "AT+FRM="; empty outside 1..6.
// V.17 codes name the long training, which every training check uses.
std::string_view ModulationCodeOf(int rateIndex);
// The code pages use after a training check passed: V.17 sends them with
// its short training (146, 122, 98, 74); the other modulations have one.
std::string_view PageModulationCode(std::string_view trainingCode);

inline constexpr int kScanCodeCount = 8;
// Minimum scan-line time in milliseconds; 0 for a code outside 0..7.
int ScanTimeMs(int scanCode, bool fine);
// The scan-time bits of DCS octet 3.
std::uint8_t ScanBitsOfDCS(int scanCode, bool fine);

enum class CapabilityKind { DIS, DCS };

struct SessionParameters {
    std::uint16_t desiredBPS = 9600;
    int rateIndex = 0;
    std::uint32_t sessionBPS = 0;
    bool sessionFine = false;
    bool sessionWide = false;
    bool sessionECM = false;
    bool remoteFine = false;
    bool remoteWide = false;
    int scanCode = 0;
    std::uint16_t minLineBytes = 0;
    RateFlags localRates{false, true, true, false, false, false, false};
    RateFlags remoteRates{};
    std::string modulationCode;  // long training: see PageModulationCode
    std::uint8_t lastFCF = 0;
    bool finalFrame = false;
    bool cfrReceived = false;
    char pageResolution = ' ';  // '1' fine, '0' normal, blank before the first page
};

void MinLineBytesUpdate(SessionParameters& params);

// Octets 2 and 3 of a received DIS or DCS. pageFine and pageWide describe
// the page to send: a DIS makes them the session's resolution and width as
// far as the far end takes them, else standard and 1728 pixels.
void DecodeCapabilities(SessionParameters& params, CapabilityKind kind, std::uint8_t octet2,
                        std::uint8_t octet3, bool pageFine, bool pageWide);

// After FTT or RTN: true when a lower rate both sides accept was found.
bool FallBack(SessionParameters& params);

// A class 2 or class 2.0 parameter list "VR,BR,WD,LN,DF,EC,BF,ST" (tag
// already stripped).
void DecodeClass2Report(SessionParameters& params, std::string_view report);

}  // namespace corvane::engine
