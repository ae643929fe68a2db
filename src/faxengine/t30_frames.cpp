#include "faxengine/t30_frames.h"

#include <algorithm>
#include <array>

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"

namespace corvane::engine {

namespace {

constexpr std::uint8_t kAddress = 0xFF;
constexpr std::uint8_t kControlMore = 0x03;
constexpr std::uint8_t kControlFinal = 0x13;
constexpr std::uint8_t kFinalBit = 0x10;
constexpr std::uint32_t kFrameGapMs = 20;
constexpr std::size_t kMaxTrainingBytes = 8192;

class FrameBuilder {
  public:
    FrameBuilder(std::uint8_t control, std::uint8_t fcf) : bytes_{kAddress, control, fcf} {}
    // Information bytes; a DLE inside would end the frame early, so it goes twice.
    void Add(std::uint8_t byte) {
        bytes_.push_back(byte);
        if (byte == kDLE) {
            bytes_.push_back(kDLE);
        }
    }
    std::vector<std::uint8_t> Finish() && {
        bytes_.push_back(kDLE);
        bytes_.push_back(kETX);
        return std::move(bytes_);
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

void SendFrame(FaxSession& session, const std::vector<std::uint8_t>& frame) {
    session.platform.BusyWait(kFrameGapMs);
    // Put failures are left to the machines' timeouts.
    session.port.PutBlock(frame);
}

// Rate bits of octet 2 by rate index: a DIS lists the rates offered, a
// DCS names the one chosen.
struct RateBits {
    std::uint8_t dis;
    std::uint8_t dcs;
};
constexpr std::array<RateBits, kRateCount + 1> kRateBits{{
    {0x00, 0x00},
    {0x00, 0x00},
    {0x08, 0x08},
    {0x0C, 0x0C},
    {0x0C, 0x04},
    // A DIS offers V.17 by the one combination T.30 has for it; a DCS
    // names V.17 12000 as 0x28 (0x10 would be V.33 14400).
    {0x2C, 0x28},
    {0x2C, 0x20},
}};

std::uint8_t RateBitsOf(CapabilityKind kind, int rateIndex) {
    if (rateIndex < 1 || rateIndex > kRateCount) {
        return 0x00;
    }
    const RateBits& bits = kRateBits[static_cast<std::size_t>(rateIndex)];
    return kind == CapabilityKind::DIS ? bits.dis : bits.dcs;
}

// The received frame from its address byte on, DLE shielding removed and
// the closing DLE ETX dropped.
std::vector<std::uint8_t> UnshieldedFrame(const std::string& response) {
    std::size_t start = 0;
    while (start + 1 < response.size() && static_cast<std::uint8_t>(response[start]) != kAddress) {
        ++start;
    }
    std::vector<std::uint8_t> frame;
    for (std::size_t i = start; i < response.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(response[i]);
        if (byte == kDLE && i + 1 < response.size()) {
            const auto next = static_cast<std::uint8_t>(response[i + 1]);
            if (next == kETX) {
                break;
            }
            if (next == kDLE) {
                ++i;
            }
        }
        frame.push_back(byte);
    }
    return frame;
}

}  // namespace

std::vector<std::uint8_t> ShortFrame(std::uint8_t fcf) {
    return FrameBuilder(kControlFinal, fcf).Finish();
}

std::vector<std::uint8_t> IDFrame(std::uint8_t fcf, std::string_view stationID) {
    // The identifier travels last character first; the blank padding comes
    // after it, so the far end shows the identifier without leading blanks.
    const std::string_view id = stationID.substr(0, kIDFieldLength);
    FrameBuilder frame(kControlMore, fcf);
    for (auto it = id.rbegin(); it != id.rend(); ++it) {
        frame.Add(static_cast<std::uint8_t>(*it));
    }
    for (std::size_t i = id.size(); i < kIDFieldLength; ++i) {
        frame.Add(' ');
    }
    return std::move(frame).Finish();
}

std::vector<std::uint8_t> CapabilityFrame(CapabilityKind kind, const SessionParameters& params) {
    const bool dis = kind == CapabilityKind::DIS;
    std::uint8_t octet2 = (dis || params.sessionFine) ? 0x42 : 0x02;
    octet2 |= RateBitsOf(kind, params.rateIndex);
    std::uint8_t octet3 = 0xF9;
    if (!dis) {
        octet3 = ScanBitsOfDCS(params.scanCode, params.sessionFine) | 0x88;
        if (params.sessionWide) {
            octet3 |= 0x01;
        }
    }
    FrameBuilder frame(kControlFinal, dis ? kFcfDIS : kFcfDCS);
    frame.Add(0x00);
    frame.Add(octet2);
    frame.Add(octet3);
    frame.Add(0x00);
    return std::move(frame).Finish();
}

void SendShortFrame(FaxSession& session, std::uint8_t fcf) {
    SendFrame(session, ShortFrame(fcf));
}

void SendIDFrame(FaxSession& session, std::uint8_t fcf) {
    SendFrame(session, IDFrame(fcf, session.data.stationID));
}

void SendCapabilityFrame(FaxSession& session, CapabilityKind kind) {
    SessionParameters& params = session.modem.params;
    SendFrame(session, CapabilityFrame(kind, params));
    if (kind == CapabilityKind::DCS) {
        params.modulationCode = ModulationCodeOf(params.rateIndex);
    }
}

void SendTrainingCheck(FaxSession& session) {
    const std::size_t count =
        std::min<std::size_t>(session.modem.params.sessionBPS / 100 * 18, kMaxTrainingBytes);
    std::vector<std::uint8_t> block(count, 0x00);
    block.push_back(kDLE);
    block.push_back(kETX);
    session.port.PutBlock(block);
}

ParsedFrame ParseFrame(FaxSession& session) {
    SessionParameters& params = session.modem.params;
    const std::vector<std::uint8_t> frame = UnshieldedFrame(session.modem.control.ResponseBuffer());
    auto byteAt = [&frame](std::size_t i) -> std::uint8_t {
        return i < frame.size() ? frame[i] : 0;
    };
    const std::uint8_t control = byteAt(1);
    const std::uint8_t fcf = byteAt(2);
    const std::size_t infoStart = 3;
    params.finalFrame = (control & kFinalBit) != 0;
    params.lastFCF = fcf;

    ParsedFrame parsed;
    auto progress = [&session](std::uint16_t code) {
        session.data.faxProgress = code;
        session.modem.statusChanged = true;
    };
    switch (fcf & 0xFE) {
        case kFcfCSI:
        case kFcfTSI & 0xFE: {
            std::string id;
            const std::size_t end = std::min(frame.size(), infoStart + kIDFieldLength);
            for (std::size_t i = end; i > infoStart; --i) {
                id += static_cast<char>(frame[i - 1]);
            }
            // Stations pad on either side; the blanks are no part of the identifier.
            const std::size_t first = id.find_first_not_of(' ');
            const std::size_t last = id.find_last_not_of(' ');
            session.data.remoteID =
                first == std::string::npos ? std::string{} : id.substr(first, last - first + 1);
            progress(kProgressGotRemoteID);
            break;
        }
        case kFcfFTT:
        case kFcfRTN:
            parsed.retrain = true;
            break;
        case kFcfDIS: {
            DecodeCapabilities(params, CapabilityKind::DIS, byteAt(infoStart + 1),
                               byteAt(infoStart + 2), session.modem.PageFine(),
                               session.modem.PageWide());
            progress(kProgressConnectionParams);
            break;
        }
        case kFcfDCS & 0xFE:
            DecodeCapabilities(params, CapabilityKind::DCS, byteAt(infoStart + 1),
                               byteAt(infoStart + 2), session.modem.PageFine(),
                               session.modem.PageWide());
            params.modulationCode = ModulationCodeOf(params.rateIndex);
            progress(kProgressConnectionParams);
            break;
        case kFcfCFR:
            params.cfrReceived = true;
            break;
        case kFcfDCN & 0xFE:
            parsed.result = ecCancelRequested;
            break;
        default:
            break;
    }
    session.modem.control.ResetResponse();
    return parsed;
}

}  // namespace corvane::engine
