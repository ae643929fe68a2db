// The T.30 control frames a class 1 session exchanges through the modem's
// HDLC mode, and the training check.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "faxengine/fax_session.h"

namespace corvane::engine {

// Facsimile control fields, the low (X) bit included as sent.
inline constexpr std::uint8_t kFcfCSI = 0x40;
inline constexpr std::uint8_t kFcfTSI = 0x43;
inline constexpr std::uint8_t kFcfDIS = 0x80;
inline constexpr std::uint8_t kFcfDCS = 0x83;
inline constexpr std::uint8_t kFcfCFR = 0x84;
inline constexpr std::uint8_t kFcfFTT = 0x44;
inline constexpr std::uint8_t kFcfMCF = 0x8C;
inline constexpr std::uint8_t kFcfRTN = 0x4C;
inline constexpr std::uint8_t kFcfRTP = 0x4E;
inline constexpr std::uint8_t kFcfMPS = 0x4F;
inline constexpr std::uint8_t kFcfEOP = 0x2F;
inline constexpr std::uint8_t kFcfDCN = 0xFB;

inline constexpr std::size_t kIDFieldLength = 20;

// Frames as the modem is handed them: address, control, FCF, information
// with DLE doubled, DLE ETX.
std::vector<std::uint8_t> ShortFrame(std::uint8_t fcf);
std::vector<std::uint8_t> IDFrame(std::uint8_t fcf, std::string_view stationID);
// A DCS names the session's resolution and width; a DIS offers fine and 2048.
std::vector<std::uint8_t> CapabilityFrame(CapabilityKind kind, const SessionParameters& params);

void SendShortFrame(FaxSession& session, std::uint8_t fcf);
void SendIDFrame(FaxSession& session, std::uint8_t fcf);
void SendCapabilityFrame(FaxSession& session, CapabilityKind kind);
void SendTrainingCheck(FaxSession& session);

struct ParsedFrame {
    int result = 0;  // 0 or -6005 (DCN)
    bool retrain = false;
};

// Reads the frame that ends the modem's response buffer.
ParsedFrame ParseFrame(FaxSession& session);

}  // namespace corvane::engine
