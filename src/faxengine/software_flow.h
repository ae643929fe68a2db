// XON/XOFF flow as every port does it: pausing the output on XOFF from
// the modem, and telling the modem to stop and go on as the input fills
// past bufferFull and drains to bufferResume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "faxengine/com_port.h"

namespace corvane::engine {

inline constexpr std::uint8_t kXon = 17;
inline constexpr std::uint8_t kXoff = 19;

class SoftwareFlow {
  public:
    void Enable(std::size_t bufferFull, std::size_t bufferResume, FlowDirection direction) {
        transmit_ = direction != FlowDirection::Receive;
        receive_ = direction != FlowDirection::Transmit;
        full_ = bufferFull;
        resume_ = bufferResume;
    }
    // True when the output was paused and may go on now.
    bool Disable() {
        const bool wasPaused = paused_;
        transmit_ = receive_ = paused_ = xoffSent_ = false;
        return wasPaused;
    }
    void Reset() { paused_ = xoffSent_ = false; }

    // True for a flow character the port consumes instead of storing it.
    bool TakeReceived(std::uint8_t byte) {
        if (!transmit_ || (byte != kXoff && byte != kXon)) {
            return false;
        }
        paused_ = byte == kXoff;
        return true;
    }
    bool OutputPaused() const { return paused_; }

    // The flow character to send now that the input holds this many bytes.
    std::optional<std::uint8_t> InputChanged(std::size_t used) {
        if (!receive_) {
            return std::nullopt;
        }
        if (!xoffSent_ && used >= full_) {
            xoffSent_ = true;
            return kXoff;
        }
        if (xoffSent_ && used <= resume_) {
            xoffSent_ = false;
            return kXon;
        }
        return std::nullopt;
    }

  private:
    bool transmit_ = false;
    bool receive_ = false;
    std::size_t full_ = 0;
    std::size_t resume_ = 0;
    bool paused_ = false;
    bool xoffSent_ = false;
};

}  // namespace corvane::engine
