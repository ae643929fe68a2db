// Gathers the V.21 frames of one message (everything sent under one
// carrier) and checks each as a strict station does: FCS, address,
// control, X bit, information length and final-frame marking. Frames that
// fail are dropped; what was wrong is told to the owner.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "simmodem/t30_codec.h"

namespace corvane::simmodem::t30 {

class MessageReader {
  public:
    using Complaint = std::function<void(const std::string&)>;

    // theyReceivedDis: the other station answered our DIS, so its frames carry the X bit.
    MessageReader(bool theyReceivedDis, Complaint complain)
        : theyReceivedDis_(theyReceivedDis), complain_(std::move(complain)) {}

    void SetTheyReceivedDis(bool value) { theyReceivedDis_ = value; }
    void CarrierOn();
    // A frame with its two FCS octets. Returns the frame when it was kept.
    const Frame* FrameArrived(const std::vector<std::uint8_t>& bytes);
    // The carrier ended: the frames of a message that ended with a final frame.
    std::optional<std::vector<Frame>> CarrierOff();

  private:
    bool Check(const Frame& frame);

    bool theyReceivedDis_;
    Complaint complain_;
    std::vector<Frame> frames_;
    bool final_ = false;
};

// The identity of a CSI or TSI among the frames, if any.
std::optional<std::string> IdentityIn(const std::vector<Frame>& frames,
                                      const MessageReader::Complaint& complain);

}  // namespace corvane::simmodem::t30
