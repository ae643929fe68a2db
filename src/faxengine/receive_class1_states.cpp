// The class 1 states of the receive machine: CSI and DIS, the caller's
// DCS and training check, CFR or FTT, the post-page exchange and DCN.
#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/receive_machine.h"
#include "faxengine/send_constants.h"
#include "faxengine/t30_frames.h"

#include <vector>

namespace corvane::engine {

using namespace send;
using S = ReceiveState;

namespace {
constexpr std::uint32_t kDCSWaitTicks = 54;
constexpr std::uint32_t kTCFEndWaitMs = 20;
constexpr std::uint32_t kDLEPairWaitMs = 10;
constexpr int kMaxDISTries = 3;

// The frame's bytes from its address on, DLE shielding removed.
std::vector<std::uint8_t> RawFrame(const std::string& response) {
    std::vector<std::uint8_t> frame;
    const std::size_t start = response.find('\xFF');
    if (start == std::string::npos)
        return frame;
    for (std::size_t i = start; i < response.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(response[i]);
        if (byte == kDLE && i + 1 < response.size()) {
            if (static_cast<std::uint8_t>(response[i + 1]) != kDLE)
                break;  // DLE ETX ends the frame
            ++i;
        }
        frame.push_back(byte);
    }
    return frame;
}
}  // namespace

// A DCS names the caller's choice; rates are read by T.30, V.17 ones
// included. A choice our DIS never offered, or a DCS too short to name
// one, is refused by failing the training, so the caller sends another.
void ReceiveMachine::CheckDCS(const std::vector<std::uint8_t>& frame) {
    dcsAcceptable_ = false;
    // address, control, FCF, then octets 1 to 3 at least.
    if (frame.size() < 6)
        return;
    const std::uint8_t octet2 = frame[4];
    const std::uint8_t octet3 = frame[5];
    const bool more = (octet3 & 0x80) != 0;
    const bool ecm = more && frame.size() > 6 && (frame[6] & 0x04) != 0;
    if ((octet2 & 0x80) != 0 || (octet3 & 0x03) > 1 || ecm)
        return;
    struct V17 {
        std::uint8_t bits;
        int rateIndex;
        const char* code;
    };
    static constexpr V17 kV17[] = {
        {0x20, 6, "145"}, {0x28, 5, "121"}, {0x24, 4, "97"}, {0x2C, 3, "73"}};
    for (const V17& v : kV17) {
        if ((octet2 & 0x2C) == v.bits) {
            params().rateIndex = v.rateIndex;
            params().sessionBPS = RateBPS(v.rateIndex);
            params().modulationCode = v.code;
            MinLineBytesUpdate(params());
        }
    }
    dcsAcceptable_ = params().rateIndex >= 1 && params().rateIndex <= offeredRate_;
}

bool ReceiveMachine::FrameReceived() {
    const std::vector<std::uint8_t> raw = RawFrame(control().ResponseBuffer());
    const ParsedFrame frame = ParseFrame(session());
    data().remoteID = SafeRemoteID(data().remoteID);
    if ((params().lastFCF & 0xFE) == (kFcfDCS & 0xFE))
        CheckDCS(raw);
    if (frame.result == ecCancelRequested) {
        if (state() == S::AwaitDCN) {
            data().faxErrorCode = 0;
            return false;
        }
        Fail(frame.result);
        return true;
    }
    if (frame.retrain) {
        // A called station never expects FTT or RTN; it asks for the DCS again.
        session().platform.BusyWait(kFrameWaitMs);
        control().ReceiveFrameCommand();
        SetState(S::AwaitDCS);
    }
    return false;
}

void ReceiveMachine::Class1Answered(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SendIDFrame(session(), kFcfCSI);
    SetState(S::DISReady);
    control().ResetResponse();
}

void ReceiveMachine::DISReady(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyConnect()) {
        offeredRate_ = params().rateIndex;
        SendCapabilityFrame(session(), CapabilityKind::DIS);
        control().ResetResponse();
    } else if (control().ReplyOK()) {
        session().platform.BusyWait(kFrameWaitMs);
        session().platform.BusyWait(kFrameWaitMs);
        control().ReceiveFrameCommand();
        SetTimeout(kDCSWaitTicks);
        SetState(S::AwaitDCS);
    } else {
        control().ResetResponse();
    }
}

bool ReceiveMachine::FinalFrameArrived(const SessionEvent& event) {
    if (!event.data)
        return false;
    if (!control().ReplyOK()) {
        control().ResetResponse();
        return false;
    }
    if (!params().finalFrame) {
        control().ReceiveFrameCommand();
        return false;
    }
    params().finalFrame = false;
    return true;
}

void ReceiveMachine::AwaitDCS(const SessionEvent& event) {
    if (!FinalFrameArrived(event))
        return;
    SoftwareFlow(true);
    control().SendModulationCommand("AT+FRM=" + params().modulationCode);
    deadline_ = StartTimer(session().clock, control().replyTimeout);
    SetState(S::TCFConnect);
}

void ReceiveMachine::DISRetry(const SessionEvent&) {
    if (++disTries_ > kMaxDISTries) {
        Fail(ecTimeout);
        return;
    }
    // The modem thus receives two carriage returns, which ends its frame wait.
    control().SendCommand("AT\r");
    SetState(S::DISRetryReady);
}

void ReceiveMachine::DISRetryReady(const SessionEvent&) {
    control().TransmitFrameCommand();
    SetState(S::Class1Answered);
}

void ReceiveMachine::TCFConnect(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    data().bytesTransferred = 0;
    tcf_.Reset();
    deadline_ = StartTimer(session().clock, control().replyTimeout);
    SetState(S::ReceiveTCF);
}

void ReceiveMachine::ReceiveTCF(const SessionEvent&) {
    ComPort& port = session().port;
    port.DeliverPendingEvents();
    while (port.CharReady() && !TimerExpired(deadline_, session().clock)) {
        int next = port.GetChar();
        if (next < 0)
            break;
        ++data().bytesTransferred;
        if (next == kDLE) {
            if (!port.CharReady())
                session().platform.BusyWait(kDLEPairWaitMs);
            next = port.GetChar();
            if (next == kETX) {
                TrainingCheckEnded();
                return;
            }
            if (next != kDLE)
                continue;  // no data byte
        }
        tcf_.Add(static_cast<std::uint8_t>(next));
    }
    if (TimerExpired(deadline_, session().clock)) {
        SetState(S::CallFailed);
    }
}

void ReceiveMachine::TrainingCheckEnded() {
    if (tcf_.Passes() && dcsAcceptable_) {
        control().ResetResponse();
        SetState(S::TCFEnd);
    } else {
        control().TransmitFrameCommand();
        control().ResetResponse();
        SetState(S::FTTReady);
    }
}

void ReceiveMachine::FTTReady(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyConnect()) {
        SendShortFrame(session(), kFcfFTT);
        if (params().modulationCode == "24") {
            Fail(ecFaxTrainError);
            return;
        }
        control().ResetResponse();
    } else if (control().ReplyOK()) {
        control().ReceiveFrameCommand();
        SetState(S::AwaitDCS);
    } else {
        control().ResetResponse();
    }
}

void ReceiveMachine::TCFEnd(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyNoCarrier()))
        return;
    SoftwareFlow(false);
    session().platform.BusyWait(kTCFEndWaitMs);
    control().TransmitFrameCommand();
    SetState(S::CFRReady);
    control().ResetResponse();
}

void ReceiveMachine::CFRReady(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyConnect()) {
        SoftwareFlow(true);
        SendShortFrame(session(), kFcfCFR);
        control().ResetResponse();
    } else if (control().ReplyOK()) {
        ReceivePageModulation();
        SetState(S::RxPageConnect);
        if (nextPage_ == kNextNewFile)
            AcceptStep(false);
    } else {
        control().ResetResponse();
    }
}

void ReceiveMachine::ReceivePageModulation() {
    control().SendModulationCommand("AT+FRM=" +
                                    std::string(PageModulationCode(params().modulationCode)));
}

void ReceiveMachine::RxPageConnect(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    Progress(kProgressConnectionParams);
    SetState(S::RxPageStart);
}

void ReceiveMachine::Class1PageEnd(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyNoCarrier()))
        return;
    control().ReceiveFrameCommand();
    SetState(S::AwaitPostPage);
}

void ReceiveMachine::AwaitPostPage(const SessionEvent& event) {
    if (!FinalFrameArrived(event))
        return;
    morePages_ = (params().lastFCF & 0xFE) == (kFcfMPS & 0xFE);
    Progress(kProgressGettingPageEnd);
    SetState(S::ClosePage);
}

void ReceiveMachine::ClosePage(const SessionEvent&) {
    // A page without its end-of-page code lost its carrier: it is taken
    // off the file and refused, so the sender trains again and repeats it.
    pageRefused_ = !pageEnd_.PageEnded();
    if (pageRefused_) {
        file_.DiscardPage();
        --data().currentPage;
    } else if (!UpdatePageHeader()) {
        ReportError(data().faxErrorCode);
        SetState(S::CallFailed);
        return;
    }
    control().TransmitFrameCommand();
    Progress(kProgressGettingDocumentEnd);
    SetState(S::MCFReady);
}

void ReceiveMachine::MCFReady(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyConnect()) {
        SendShortFrame(session(), pageRefused_ ? kFcfRTN : kFcfMCF);
        control().ResetResponse();
    } else if (control().ReplyOK()) {
        if (pageRefused_) {
            pageRefused_ = false;
            nextPage_ = kNextInOpenFile;
            control().ReceiveFrameCommand();
            SetState(S::AwaitDCS);
            return;
        }
        if (morePages_) {
            ReceivePageModulation();
            nextPage_ = kNextInOpenFile;
            SetState(S::RxPageConnect);
            return;
        }
        session().platform.BusyWait(kFrameWaitMs);
        control().ReceiveFrameCommand();
        CloseFile();
        ReportLog(static_cast<int>(FaxLogCode::lcReceiveOK));
        data().faxFile.clear();
        Progress(kProgressGettingHangup);
        SetState(S::AwaitDCN);
    } else {
        control().ResetResponse();
    }
}

void ReceiveMachine::AwaitDCN(const SessionEvent& event) {
    if (!FinalFrameArrived(event))
        return;
    control().SendCommand("ATH");
    SetState(S::RxHangupReply);
}

void ReceiveMachine::RxHangupReply(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyOK()))
        return;
    Progress(kProgressGotHangup);
    SetState(S::CallDone);
}

}  // namespace corvane::engine
