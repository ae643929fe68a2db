#include "simmodem/t30_codec.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace corvane::simmodem::t30 {

namespace {

// Octet 2: bits 11-14 (0x04, 0x08, 0x10, 0x20) name the modems; 0x40 is
// fine resolution (bit 15), 0x80 two-dimensional coding (bit 16), 0x02 the
// receiver's T.4 operation (bit 10).
constexpr std::uint8_t kRateMask = 0x3C;
constexpr std::uint8_t kFineBit = 0x40;
constexpr std::uint8_t kTwoDBit = 0x80;
constexpr std::uint8_t kReceiveBit = 0x02;
// Octet 3: width bits 17-18, scan time bits 21-23, extension bit 24.
constexpr std::uint8_t kWidthMask = 0x03;
constexpr std::uint8_t kScanMask = 0x70;
constexpr std::uint8_t kExtend = 0x80;
// Octet 4: error correction, bit 27.
constexpr std::uint8_t kEcmBit = 0x04;

struct DcsRate {
    std::uint8_t bits;
    int code;  // class 1 modulation code; 0 for V.33, which no modem here has
    int bps;
};

constexpr std::array<DcsRate, 10> kDcsRates = {{
    {0x00, 24, 2400},
    {0x08, 48, 4800},
    {0x0C, 72, 7200},
    {0x04, 96, 9600},
    {0x2C, 73, 7200},
    {0x24, 97, 9600},
    {0x28, 121, 12000},
    {0x20, 145, 14400},
    {0x18, 0, 12000},
    {0x10, 0, 14400},
}};

// Scan-time codes (bits 21-23 as a number, bit 21 lowest): normal and fine ms.
struct ScanTimes {
    int normal;
    int fine;
    bool validInDcs;
};
constexpr std::array<ScanTimes, 8> kScanTimes = {{
    {20, 20, true},
    {5, 5, true},
    {10, 10, true},
    {20, 10, false},
    {40, 40, true},
    {40, 20, false},
    {10, 5, false},
    {0, 0, true},
}};

std::uint8_t ScanBits(int normalMs, int fineMs) {
    for (std::size_t i = 0; i < kScanTimes.size(); ++i) {
        if (kScanTimes[i].normal == normalMs && kScanTimes[i].fine == fineMs) {
            return static_cast<std::uint8_t>(i << 4);
        }
    }
    return 0x00;  // 20 ms: the safe default
}

std::uint8_t DcsScanBits(int ms) {
    for (std::size_t i = 0; i < kScanTimes.size(); ++i) {
        if (kScanTimes[i].validInDcs && kScanTimes[i].normal == ms) {
            return static_cast<std::uint8_t>(i << 4);
        }
    }
    return 0x00;
}

}  // namespace

std::string FcfName(std::uint8_t fcf) {
    switch (fcf & static_cast<std::uint8_t>(~kXBit)) {
        case kDIS:
            return "DIS";
        case kCSI:
            return "CSI";
        case kNSF:
            return "NSF";
        case kDCS:
            return "DCS";
        case kTSI:
            return "TSI";
        case kCFR:
            return "CFR";
        case kFTT:
            return "FTT";
        case kMCF:
            return "MCF";
        case kRTN:
            return "RTN";
        case kRTP:
            return "RTP";
        case kMPS:
            return "MPS";
        case kEOP:
            return "EOP";
        case kEOM:
            return "EOM";
        case kDCN:
            return "DCN";
        case kCRP:
            return "CRP";
    }
    char text[16];
    std::snprintf(text, sizeof text, "FCF 0x%02X", fcf);
    return text;
}

std::optional<Frame> SplitFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 3) {
        return std::nullopt;
    }
    Frame frame;
    frame.address = bytes[0];
    frame.control = bytes[1];
    frame.fcf = bytes[2];
    frame.info.assign(bytes.begin() + 3, bytes.end());
    return frame;
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t fcf, bool final,
                                     std::span<const std::uint8_t> info) {
    std::vector<std::uint8_t> frame(3 + info.size());
    frame[0] = kAddress;
    frame[1] = final ? kControlFinal : kControlMore;
    frame[2] = fcf;
    std::copy(info.begin(), info.end(), frame.begin() + 3);
    return frame;
}

std::vector<std::uint8_t> EncodeDIS(const Capabilities& capabilities) {
    std::uint8_t rates = 0;
    if (capabilities.modems.v27ter)
        rates |= 0x08;
    if (capabilities.modems.v29)
        rates |= 0x04;
    if (capabilities.modems.v17)
        rates |= 0x2C;
    std::uint8_t octet2 = kReceiveBit | rates;
    if (capabilities.fine)
        octet2 |= kFineBit;
    std::uint8_t octet3 = ScanBits(capabilities.scanNormalMs, capabilities.scanFineMs);
    if (capabilities.wide)
        octet3 |= 0x01;
    return {0x00, octet2, octet3};
}

std::size_t ExpectedFifLength(std::span<const std::uint8_t> fif) {
    if (fif.size() < 3) {
        return 0;
    }
    std::size_t length = 3;
    while (length <= fif.size() && (fif[length - 1] & kExtend) != 0) {
        ++length;
    }
    return length;
}

DecodedDIS DecodeDIS(std::span<const std::uint8_t> fif) {
    DecodedDIS decoded;
    if (fif.size() < 3) {
        decoded.reservedRates = true;
        return decoded;
    }
    Capabilities& c = decoded.capabilities;
    const std::uint8_t rates = fif[1] & kRateMask;
    switch (rates) {
        case 0x00:
            c.modems = {false, false, false};
            break;  // V.27 ter fall-back: 2400 only
        case 0x08:
            c.modems = {true, false, false};
            break;
        case 0x04:
            c.modems = {false, true, false};
            break;
        case 0x0C:
            c.modems = {true, true, false};
            break;
        case 0x2C:
            c.modems = {true, true, true};
            break;
        case 0x1C:
            c.modems = {true, true, false};
            break;  // with V.33, which no modem here has
        default:
            c.modems = {true, true, false};
            decoded.reservedRates = true;
            break;
    }
    c.fine = (fif[1] & kFineBit) != 0;
    c.wide = (fif[2] & kWidthMask) == 1 || (fif[2] & kWidthMask) == 2;
    const ScanTimes& scan = kScanTimes[(fif[2] & kScanMask) >> 4];
    c.scanNormalMs = scan.normal;
    c.scanFineMs = scan.fine;
    return decoded;
}

std::vector<std::uint8_t> EncodeDCS(const SessionChoice& choice) {
    std::uint8_t octet2 = kReceiveBit;
    for (const DcsRate& rate : kDcsRates) {
        if (rate.code == choice.modulation.code ||
            (rate.code != 0 && rate.bps == choice.modulation.bitsPerSecond &&
             HighSpeedModulation(rate.code)->family == choice.modulation.family)) {
            octet2 |= rate.bits;
            break;
        }
    }
    if (choice.fine)
        octet2 |= kFineBit;
    std::uint8_t octet3 = DcsScanBits(choice.scanMs);
    if (choice.wide)
        octet3 |= 0x01;
    return {0x00, octet2, octet3};
}

std::optional<SessionChoice> DecodeDCS(std::span<const std::uint8_t> fif, std::string& problem) {
    if (fif.size() < 3) {
        problem = "DCS shorter than 3 octets";
        return std::nullopt;
    }
    SessionChoice choice;
    const std::uint8_t rateBits = fif[1] & kRateMask;
    const DcsRate* rate = nullptr;
    for (const DcsRate& candidate : kDcsRates) {
        if (candidate.bits == rateBits)
            rate = &candidate;
    }
    if (rate == nullptr || rate->code == 0) {
        char text[80];
        std::snprintf(text, sizeof text, "DCS rate bits 0x%02X name %s", rateBits,
                      rate == nullptr ? "no defined rate" : "a V.33 rate, which was not offered");
        problem = text;
        return std::nullopt;
    }
    choice.modulation = *HighSpeedModulation(rate->code);
    choice.fine = (fif[1] & kFineBit) != 0;
    choice.twoDimensional = (fif[1] & kTwoDBit) != 0;
    const std::uint8_t width = fif[2] & kWidthMask;
    if (width > 1) {
        problem = "DCS selects a page width other than 1728 or 2048 pixels";
        return std::nullopt;
    }
    choice.wide = width == 1;
    const ScanTimes& scan = kScanTimes[(fif[2] & kScanMask) >> 4];
    if (!scan.validInDcs) {
        problem = "DCS scan-time bits name a DIS-only combination";
        return std::nullopt;
    }
    choice.scanMs = choice.fine ? scan.fine : scan.normal;
    choice.errorCorrection = fif.size() >= 4 && (fif[2] & kExtend) != 0 && (fif[3] & kEcmBit) != 0;
    return choice;
}

std::vector<std::uint8_t> EncodeId(const std::string& id) {
    // Last character first, blanks after the first character.
    std::vector<std::uint8_t> fif(kIdLength, ' ');
    const std::size_t n = std::min(id.size(), kIdLength);
    for (std::size_t i = 0; i < n; ++i) {
        fif[n - 1 - i] = static_cast<std::uint8_t>(id[i]);
    }
    return fif;
}

std::string DecodeId(std::span<const std::uint8_t> fif, std::string& problem) {
    std::string id;
    for (auto it = fif.rbegin(); it != fif.rend(); ++it) {
        const char c = static_cast<char>(*it);
        if (!(c == ' ' || c == '+' || (c >= '0' && c <= '9')) && problem.empty()) {
            problem = "identity holds a character other than digits, '+' and blanks";
        }
        id += c;
    }
    // T.30 puts the blanks after the number's first digit, which comes last;
    // a station that pads in front shows as a number with leading blanks.
    const auto firstSent = fif.begin();
    if (firstSent != fif.end() && *firstSent == ' ' && problem.empty() &&
        std::any_of(fif.begin(), fif.end(), [](std::uint8_t c) { return c != ' '; })) {
        problem = "identity padded with blanks in front of its characters";
    }
    while (!id.empty() && id.back() == ' ') id.pop_back();
    id.erase(
        0, id.find_first_not_of(' ') == std::string::npos ? id.size() : id.find_first_not_of(' '));
    return id;
}

std::size_t TrainingCheckBytes(const Modulation& modulation) {
    return static_cast<std::size_t>(modulation.bitsPerSecond) * 3 / 16;
}

bool TrainingCheckPasses(std::span<const std::uint8_t> received, const Modulation& modulation,
                         std::string& problem) {
    const std::size_t expected = TrainingCheckBytes(modulation);
    const std::size_t got = received.size();
    if (got * 10 < expected * 9 || got * 10 > expected * 11) {
        problem = "TCF of " + std::to_string(got) + " bytes at " +
                  std::to_string(modulation.bitsPerSecond) + " bit/s; 1.5 s is " +
                  std::to_string(expected);
        return false;
    }
    const auto damaged =
        std::count_if(received.begin(), received.end(), [](std::uint8_t b) { return b != 0; });
    return static_cast<std::size_t>(damaged) * 100 <= got;
}

std::size_t MinLineBytes(const SessionChoice& session) {
    return static_cast<std::size_t>(session.scanMs) *
           static_cast<std::size_t>(session.modulation.bitsPerSecond) / 8000;
}

namespace {

// V.17 first, as the fastest, then V.29 and V.27 ter.
constexpr std::array<int, 8> kPreference = {145, 121, 97, 96, 73, 72, 48, 24};

bool Offered(const ModemSupport& support, const Modulation& modulation) {
    switch (modulation.family) {
        case Family::V17:
            return support.v17;
        case Family::V29:
            return support.v29;
        case Family::V27ter:
            return support.v27ter || modulation.bitsPerSecond == 2400;
        default:
            return false;
    }
}

}  // namespace

std::optional<Modulation> BestModulation(const ModemSupport& local, const ModemSupport& remote,
                                         int maxBps) {
    for (int code : kPreference) {
        const Modulation modulation = *HighSpeedModulation(code);
        if (modulation.bitsPerSecond <= maxBps && Offered(local, modulation) &&
            Offered(remote, modulation)) {
            return modulation;
        }
    }
    return std::nullopt;
}

std::optional<Modulation> FallBack(const Modulation& from, const ModemSupport& local,
                                   const ModemSupport& remote) {
    bool below = false;
    for (int code : kPreference) {
        const Modulation modulation = *HighSpeedModulation(code);
        if (below && modulation.bitsPerSecond < from.bitsPerSecond && Offered(local, modulation) &&
            Offered(remote, modulation)) {
            return modulation;
        }
        below = below || modulation.code == from.code;
    }
    return std::nullopt;
}

}  // namespace corvane::simmodem::t30
