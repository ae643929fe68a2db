// The class 1 states of the send machine: dialing, T.30 training, the post-page exchange and the
// hang-up.
#include "faxengine/send_machine.h"

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/send_constants.h"
#include "faxengine/t30_frames.h"

namespace corvane::engine {

using namespace send;
using S = SendState;

bool SendMachine::FrameReceived() {
    const bool inPostPage = state() == S::PostPageReply;
    const ParsedFrame frame = ParseFrame(session());
    if (frame.result == ecCancelRequested) {
        Fail(frame.result);
        return true;
    }
    if (frame.retrain) {
        resendPage_ = resendPage_ || (inPostPage && (params().lastFCF & 0xFE) == (kFcfRTN & 0xFE));
        if (!FallBack(params())) {
            Fail(ecFaxTrainError);
            return true;
        }
        control().TransmitFrameCommand();
        SetState(S::DCSReady);
    }
    return false;
}

void SendMachine::Class1Selected(const SessionEvent& event) {
    if (Accepted(event))
        SetState(S::Dial);
}

void SendMachine::Class1Dialing(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyConnect()) {
        control().ResetResponse();
    } else if (control().ReplyOK()) {
        if (params().finalFrame) {
            session().platform.BusyWait(kFrameWaitMs);
            control().TransmitFrameCommand();
            params().finalFrame = false;
            SetState(S::TSIReady);
        } else {
            control().ReceiveFrameCommand();
        }
    } else if (!DialOutcome()) {
        control().ResetResponse();
    }
}

void SendMachine::TSIReady(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SendIDFrame(session(), kFcfTSI);
    control().ResetResponse();
    SetState(S::DCSReady);
}

void SendMachine::DCSReady(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SendCapabilityFrame(session(), CapabilityKind::DCS);
    control().ResetResponse();
    SetState(S::DCSSent);
}

void SendMachine::DCSSent(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyOK()))
        return;
    // T.30 wants 75 ms of silence between the DCS and the training; many
    // receivers miss a training that follows the flags at once.
    session().platform.BusyWait(kTrainingGapMs);
    control().SendModulationCommand("AT+FTM=" + params().modulationCode);
    SetState(S::TCFReady);
}

void SendMachine::TCFReady(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SoftwareFlow(true);
    SendTrainingCheck(session());
    control().ResetResponse();
    SetState(S::TCFSent);
}

void SendMachine::TCFSent(const SessionEvent& event) {
    if (!event.data || !control().ReplyOK())
        return;
    SoftwareFlow(false);
    session().platform.BusyWait(kFrameWaitMs);
    control().ReceiveFrameCommand();
    params().cfrReceived = false;
    SetState(S::TrainingReply);
}

void SendMachine::TrainingReply(const SessionEvent& event) {
    if (!event.data)
        return;
    if (!control().ReplyOK()) {
        control().ResetResponse();
        return;
    }
    if (!params().finalFrame) {
        control().ReceiveFrameCommand();
        return;
    }
    session().platform.BusyWait(kFrameWaitMs);
    params().finalFrame = false;
    if (!params().cfrReceived) {
        control().TransmitFrameCommand();
        SetState(S::DCSReady);
        return;
    }
    if (resendPage_ && !ResendPage()) {
        return;
    }
    SendPageModulation();
    SetState(S::PageConnect);
}

void SendMachine::SendPageModulation() {
    control().SendModulationCommand("AT+FTM=" +
                                    std::string(PageModulationCode(params().modulationCode)));
}

void SendMachine::PageConnect(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SetTimeout(kXONWaitTicks);
    SetState(S::XONWait);
}

void SendMachine::Class1DataEnd(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyOK()))
        return;
    modem().postPageTries = 0;
    data().faxProgress = kProgressSendingEOP;
    SetState(S::PostPage);
}

void SendMachine::PostPage(const SessionEvent&) {
    if (++modem().postPageTries > kMaxPostPageTries) {
        ReportError(ecTimeout);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    session().platform.BusyWait(kPostPageWaitMs);
    control().TransmitFrameCommand();
    SetState(S::PostPageReady);
}

void SendMachine::PostPageReady(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SendShortFrame(session(), MorePages() ? kFcfMPS : kFcfEOP);
    control().ResetResponse();
    SetState(S::PostPageSent);
}

void SendMachine::PostPageSent(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyOK()))
        return;
    session().platform.BusyWait(kFrameWaitMs);
    control().ReceiveFrameCommand();
    SetTimeout(kPostPageReplyTicks);
    SetState(S::PostPageReply);
}

void SendMachine::PostPageReply(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyConnect()) {
        control().ResetResponse();
    } else if (control().ReplyError()) {
        SetState(S::PostPage);
    } else if (control().ReplyOK()) {
        if (!params().finalFrame) {
            control().ReceiveFrameCommand();
            return;
        }
        params().finalFrame = false;
        const bool more = MorePages();
        switch (params().lastFCF) {
            case kFcfMCF:
            case kFcfMCF | 1:
                if (more) {
                    if (!NextPageFile())
                        return;
                    SendPageModulation();
                    SetState(S::PageConnect);
                } else {
                    control().TransmitFrameCommand();
                    SetState(S::DCNReady);
                }
                break;
            case kFcfRTP:
            case kFcfRTP | 1:
                if (more && !NextPageFile())
                    return;
                control().TransmitFrameCommand();
                SetState(more ? S::DCSReady : S::DCNReady);
                break;
            default:
                break;
        }
    } else {
        control().ResetResponse();
    }
}

void SendMachine::PostPageTimedOut() {
    session().port.PutChar(' ');
    SetState(S::PostPage);
}

void SendMachine::DCNReady(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyConnect()))
        return;
    SendShortFrame(session(), kFcfDCN);
    control().ResetResponse();
    SetState(S::DCNSent);
}

void SendMachine::DCNSent(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyOK()))
        return;
    control().SendCommand("ATH");
    SetTimeout(kHangupReplyTicks);
    SetState(S::HangupReply);
}

void SendMachine::HangupReply(const SessionEvent& event) {
    if (!Awaited(event, control().ReplyOK()))
        return;
    SetState(S::FaxDone);
}

void SendMachine::HangupTimedOut() {
    control().SenderHangUp();
    SetState(S::FaxDone);
}

}  // namespace corvane::engine
