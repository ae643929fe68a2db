// T.30 control frames as a remote fax machine builds and checks them:
// facsimile control fields, the DIS/DCS capability bits in the order of
// ITU-T T.30 Table 2 (FIF octet k holds bits 8k-7 .. 8k, the lowest bit
// first), and the 20-character identity frames.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "simmodem/modulation.h"

namespace corvane::simmodem::t30 {

// Facsimile control fields with the X bit (bit 0 here) clear.
inline constexpr std::uint8_t kDIS = 0x80, kCSI = 0x40, kNSF = 0x20, kDCS = 0x82, kTSI = 0x42,
                              kCFR = 0x84, kFTT = 0x44, kMCF = 0x8C, kRTN = 0x4C, kRTP = 0xCC,
                              kMPS = 0x4E, kEOP = 0x2E, kEOM = 0x8E, kDCN = 0xFA, kCRP = 0x1A;
inline constexpr std::uint8_t kXBit = 0x01;
inline constexpr std::uint8_t kAddress = 0xFF;
inline constexpr std::uint8_t kControlMore = 0x03;
inline constexpr std::uint8_t kControlFinal = 0x13;
inline constexpr std::size_t kIdLength = 20;

// T.30 timers and the pause before a station answers.
inline constexpr Micros kT1 = engine::Seconds(35);
inline constexpr Micros kT2 = engine::Seconds(6);
inline constexpr Micros kT4 = engine::Seconds(3);
inline constexpr Micros kTurnaround = engine::Milliseconds(75);
// The least silence between V.21 flags and a training that a strict
// receiver still follows: T.30's 75 ms less its 20 ms tolerance.
inline constexpr Micros kMinTrainingGap = engine::Milliseconds(55);
// Answer tone (CED) and the gap after it.
inline constexpr Micros kAnswerTone = engine::Milliseconds(3075);
inline constexpr int kMaxRepeats = 3;

std::string FcfName(std::uint8_t fcf);  // "DCS", or "FCF 0x.." for unknown ones

// Modem families a DIS offers.
struct ModemSupport {
    bool v27ter = true;
    bool v29 = true;
    bool v17 = true;
    bool operator==(const ModemSupport&) const = default;
};

struct Capabilities {
    ModemSupport modems;
    bool fine = true;
    bool wide = true;
    // Minimum scan-line times the receiver needs, in ms.
    int scanNormalMs = 0;
    int scanFineMs = 0;
};

// What a DCS selects.
struct SessionChoice {
    Modulation modulation;  // high-speed carrier for TCF and pages
    bool fine = false;
    bool wide = false;
    int scanMs = 0;  // for the chosen resolution
    bool twoDimensional = false;
    bool errorCorrection = false;
};

struct Frame {
    std::uint8_t address = 0;
    std::uint8_t control = 0;
    std::uint8_t fcf = 0;  // as sent, X bit included
    std::vector<std::uint8_t> info;

    bool Final() const { return control == kControlFinal; }
    std::uint8_t Command() const { return fcf & static_cast<std::uint8_t>(~kXBit); }
};

// Splits address, control, FCF and FIF; the FCS has been checked and removed.
std::optional<Frame> SplitFrame(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> BuildFrame(std::uint8_t fcf, bool final,
                                     std::span<const std::uint8_t> info = {});

std::vector<std::uint8_t> EncodeDIS(const Capabilities& capabilities);
// The octets a DIS or DCS must have by its extension bits; 0 when too short.
std::size_t ExpectedFifLength(std::span<const std::uint8_t> fif);
struct DecodedDIS {
    Capabilities capabilities;
    bool reservedRates = false;  // rate bits that T.30 does not define for a DIS
};
DecodedDIS DecodeDIS(std::span<const std::uint8_t> fif);

std::vector<std::uint8_t> EncodeDCS(const SessionChoice& choice);
// Nothing when the DCS bits name no defined rate or scan time; why is told in problem.
std::optional<SessionChoice> DecodeDCS(std::span<const std::uint8_t> fif, std::string& problem);

// The 20 FIF octets of CSI/TSI: the identity reversed, padded in front.
std::vector<std::uint8_t> EncodeId(const std::string& id);
// The identity as the station set it; problem names a character T.30 does not allow.
std::string DecodeId(std::span<const std::uint8_t> fif, std::string& problem);

// 1.5 s of zeros at the carrier's rate.
std::size_t TrainingCheckBytes(const Modulation& modulation);
// Judges a received training check: length 1.5 s +-10 % (else problem is
// set: the sender's fault) and at most 1 % damaged bytes (line noise).
bool TrainingCheckPasses(std::span<const std::uint8_t> received, const Modulation& modulation,
                         std::string& problem);
// Bytes a coded line must take at the session's rate and scan time.
std::size_t MinLineBytes(const SessionChoice& session);

// The fastest V.27 ter / V.29 / V.17 modulation both sides offer, at most maxBps.
std::optional<Modulation> BestModulation(const ModemSupport& local, const ModemSupport& remote,
                                         int maxBps);
// The next lower modulation both sides offer, after a failed training.
std::optional<Modulation> FallBack(const Modulation& from, const ModemSupport& local,
                                   const ModemSupport& remote);

}  // namespace corvane::simmodem::t30
