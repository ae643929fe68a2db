#include "simmodem/t30_reader.h"

#include "simmodem/hdlc.h"

namespace corvane::simmodem::t30 {

namespace {

bool ShortCommand(std::uint8_t command) {
    switch (command) {
        case kCFR:
        case kFTT:
        case kMCF:
        case kRTN:
        case kRTP:
        case kMPS:
        case kEOP:
        case kEOM:
        case kDCN:
        case kCRP:
            return true;
        default:
            return false;
    }
}

}  // namespace

void MessageReader::CarrierOn() {
    frames_.clear();
    final_ = false;
}

const Frame* MessageReader::FrameArrived(const std::vector<std::uint8_t>& bytes) {
    if (!FrameCheckGood(bytes)) {
        return nullptr;  // line damage: dropped as a receiver does
    }
    auto frame = SplitFrame(std::span(bytes).first(bytes.size() - 2));
    if (!frame) {
        complain_("a frame without address, control and FCF");
        return nullptr;
    }
    if (!Check(*frame)) {
        return nullptr;
    }
    final_ = frame->Final();
    frames_.push_back(std::move(*frame));
    return &frames_.back();
}

std::optional<std::vector<Frame>> MessageReader::CarrierOff() {
    if (frames_.empty()) {
        return std::nullopt;  // a carrier whose frames were lost or damaged
    }
    std::vector<Frame> frames = std::move(frames_);
    frames_.clear();
    if (!final_) {
        complain_("a frame sequence ended without a final frame");
        return std::nullopt;
    }
    return frames;
}

bool MessageReader::Check(const Frame& frame) {
    const std::string name = FcfName(frame.fcf);
    if (frame.address != kAddress) {
        complain_(name + " with address " + std::to_string(frame.address));
        return false;
    }
    if (frame.control != kControlMore && frame.control != kControlFinal) {
        complain_(name + " with control " + std::to_string(frame.control));
        return false;
    }
    if (((frame.fcf & kXBit) != 0) != theyReceivedDis_) {
        complain_(name + (theyReceivedDis_ ? " without" : " with") + " the X bit");
    }
    const std::uint8_t command = frame.Command();
    const std::size_t length = frame.info.size();
    if (command == kDIS || command == kDCS) {
        const std::size_t expected = ExpectedFifLength(frame.info);
        if (expected == 0 || expected != length) {
            complain_(name + " information field of " + std::to_string(length) +
                      " octets, its extension bits ask for " + std::to_string(expected));
            return false;
        }
    } else if (command == kCSI || command == kTSI) {
        if (length != kIdLength) {
            complain_(name + " information field of " + std::to_string(length) + " octets, not 20");
            return false;
        }
    } else if (ShortCommand(command)) {
        if (length != 0) {
            complain_(name + " with an information field of " + std::to_string(length) + " octets");
            return false;
        }
    } else if (command != kNSF) {
        complain_("unknown frame " + name);
        return false;
    }
    const bool mustBeFinal = command != kCSI && command != kTSI && command != kNSF;
    if (frame.Final() != mustBeFinal) {
        complain_(name + (mustBeFinal ? " not marked final" : " marked final"));
    }
    return true;
}

std::optional<std::string> IdentityIn(const std::vector<Frame>& frames,
                                      const MessageReader::Complaint& complain) {
    std::optional<std::string> id;
    for (const Frame& frame : frames) {
        if (frame.Command() == kCSI || frame.Command() == kTSI) {
            std::string problem;
            id = DecodeId(frame.info, problem);
            if (!problem.empty())
                complain(FcfName(frame.fcf) + " " + problem);
        }
    }
    return id;
}

}  // namespace corvane::simmodem::t30
