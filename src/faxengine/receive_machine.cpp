#include "faxengine/receive_machine.h"

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/modem_text.h"
#include "faxengine/send_constants.h"
#include "faxengine/t30_frames.h"

namespace corvane::engine {

using namespace send;
using S = ReceiveState;
using M = ReceiveMachine;
constexpr StateKind kImmediate = StateKind::Immediate;
constexpr StateKind kReply = StateKind::Reply;
constexpr StateKind kWaiting = StateKind::Waiting;

namespace {
constexpr int ecFileRejected = -6011;
constexpr int ecFaxDataCall = -8076;

std::uint8_t ReversedBits(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
        reversed = static_cast<std::uint8_t>(reversed << 1 | ((byte >> bit) & 1));
    }
    return reversed;
}
}  // namespace

// The training check and the page data read the port themselves, so they
// are waiting states: the driver hands them every event uncollected.
const M::Table M::kTable{{
    {"CallReset", kImmediate, &M::CallReset, nullptr},
    {"RxClass1Selected", kReply, &M::RxClass1Selected, &M::ReplyTimedOut},
    {"RxClassSelected", kReply, &M::RxClassSelected, &M::ReplyTimedOut},
    {"RxCapsSet", kReply, &M::RxCapsSet, &M::ReplyTimedOut},
    {"RxFlowSet", kReply, &M::RxFlowSet, &M::ReplyTimedOut},
    {"RxReady", kReply, &M::RxReady, &M::ReplyTimedOut},
    {"AwaitRing", kReply, &M::AwaitRing, &M::TimerOff},
    {"Answer", kImmediate, &M::Answer, nullptr},
    {"Class1Answered", kReply, &M::Class1Answered, &M::AnswerTimedOut},
    {"DISReady", kReply, &M::DISReady, &M::ReplyTimedOut},
    {"AwaitDCS", kReply, &M::AwaitDCS, &M::DCSTimedOut},
    {"DISRetry", kWaiting, &M::DISRetry, nullptr},
    {"DISRetryReady", kWaiting, &M::DISRetryReady, nullptr},
    {"TCFConnect", kReply, &M::TCFConnect, &M::ReplyTimedOut},
    {"ReceiveTCF", kWaiting, &M::ReceiveTCF, nullptr},
    {"FTTReady", kReply, &M::FTTReady, &M::ReplyTimedOut},
    {"TCFEnd", kReply, &M::TCFEnd, &M::ReplyTimedOut},
    {"CFRReady", kReply, &M::CFRReady, &M::ReplyTimedOut},
    {"RxPageConnect", kReply, &M::RxPageConnect, &M::ReplyTimedOut},
    {"Class2Answered", kReply, &M::Class2Answered, &M::ReplyTimedOut},
    {"RxClass2Negotiating", kReply, &M::RxClass2Negotiating, &M::ReplyTimedOut},
    {"Class2AwaitPage", kReply, &M::Class2AwaitPage, &M::ReplyTimedOut},
    {"RxPageStart", kImmediate, &M::RxPageStart, nullptr},
    {"RxPageData", kWaiting, &M::RxPageData, nullptr},
    {"Class1PageEnd", kReply, &M::Class1PageEnd, &M::ReplyTimedOut},
    {"AwaitPostPage", kReply, &M::AwaitPostPage, &M::ReplyTimedOut},
    {"ClosePage", kImmediate, &M::ClosePage, nullptr},
    {"MCFReady", kReply, &M::MCFReady, &M::ReplyTimedOut},
    {"AwaitDCN", kReply, &M::AwaitDCN, &M::DCNTimedOut},
    {"RxHangupReply", kReply, &M::RxHangupReply, &M::ReplyTimedOut},
    {"Class2PostPage", kReply, &M::Class2PostPage, &M::ReplyTimedOut},
    {"Class2AwaitHangup", kReply, &M::Class2AwaitHangup, &M::ReplyTimedOut},
    {"CallDone", kImmediate, &M::CallDone, nullptr},
    {"CallFailed", kImmediate, &M::CallFailed, nullptr},
    {"Stopped", kWaiting, &M::Stopped, nullptr},
}};

ReceiveMachine::ReceiveMachine(FaxSession& session, SessionOwner& owner)
    : StateMachine(session, owner, kTable, S::Stopped, S::CallFailed) {
    session.data.sender = false;
}

ReceiveMachine::~ReceiveMachine() = default;

// ---- driver hooks ------------------------------------------------------

void ReceiveMachine::Prepare() {
    FaxSessionData& d = data();
    SetState(S::CallReset);
    d.faxErrorCode = 0;
    d.faxProgress = 0;
    statusOpen_ = false;
    if (d.faxClass == FaxClass::fcUnknown || d.faxClass == FaxClass::fcDetect) {
        const std::optional<FaxClass> chosen = AutomaticFaxClass(control().DetectFaxClasses(true));
        if (!chosen) {
            ReportError(ecFaxBadModemResult);
            return;
        }
        d.faxClass = *chosen;
    }
    control().classCommands = d.faxClass == FaxClass::fcClass2     ? &kClass2Commands
                              : d.faxClass == FaxClass::fcClass2_0 ? &kClass20Commands
                                                                   : nullptr;
    ComPort& port = session().port;
    const bool wasSuspended = port.SuspendEvents(true);
    // A failing step is left to the machine's own class selection, which reports it.
    if (control().modemReady || control().InitModem()) {
        if (Class1()) {
            if (control().CommandAndWait(kClass1Select)) {
                control().SwitchToNormalBaud();
            }
            control().QueryClass1Rates(false);
            params().localRates = control().LocalRates();
            params().rateIndex = control().HighestLocalRate();
            while (params().rateIndex > 1 && RateBPS(params().rateIndex) > params().desiredBPS) {
                --params().rateIndex;
            }
        } else {
            const ClassCommandTable& commands = *control().classCommands;
            if (control().CommandAndWait(commands.selectClass)) {
                control().SwitchToNormalBaud();
                if (control().CommandAndWait("AT+FCR=1") &&
                    control().CommandAndWait(std::string(commands.localID) + "=\"" + d.stationID +
                                             "\"")) {
                    control().CommandAndWait(std::string("AT+FAA=") + modem().faxAndData);
                }
            }
        }
        d.classesKnown = true;
    }
    port.SuspendEvents(wasSuspended);
}

void ReceiveMachine::RunState(const SessionEvent& event) {
    const auto entry = [this] { return kTable[static_cast<std::size_t>(state())]; };
    if (entry().kind == kReply && event.data) {
        LineFailed();
    }
    (this->*entry().handler)(event);
}

bool ReceiveMachine::LineFailed() {
    // After page data ERROR refuses the page, which the sender repeats.
    if (control().ReplyError() && state() != S::Class2PostPage) {
        Fail(ecFaxBadModemResult);
        return true;
    }
    if (control().ReplyHangup() && state() != S::Class2AwaitHangup) {
        modem().hangupCode =
            static_cast<std::uint16_t>(ParseHangupCode(control().ResponseBuffer()));
        Fail(ecFaxSessionError);
        return true;
    }
    return false;
}

// ---- helpers -----------------------------------------------------------

void ReceiveMachine::Fail(int code) {
    ReportError(code);
    SetState(S::CallFailed);
}

void ReceiveMachine::SetTimeout(std::uint32_t ticks) {
    session().port.SetTimerTrigger(data().timeoutTimer, ticks, true);
}

void ReceiveMachine::TimerOff() {
    session().port.SetTimerTrigger(data().timeoutTimer, 0, false);
}

void ReceiveMachine::SoftwareFlow(bool on) {
    if ((data().options & kSoftwareFlow) == 0) {
        return;
    }
    if (on) {
        session().port.SWFlowEnable(6144, 2048, FlowDirection::Receive);
    } else {
        session().port.SWFlowDisable();
    }
}

void ReceiveMachine::Progress(int code) {
    data().faxProgress = static_cast<std::uint16_t>(code);
    modem().statusChanged = true;
}

bool ReceiveMachine::Awaited(const SessionEvent& event, bool awaited) {
    if (!event.data)
        return false;
    if (!awaited)
        control().ResetResponse();
    return awaited;
}

bool ReceiveMachine::Accepted(const SessionEvent& event) {
    if (!event.data)
        return false;
    // A call may ring in while the modem is set up; the command's own reply follows.
    if (control().ResponseBuffer().find("RING") != std::string::npos) {
        control().ResetResponse();
        return false;
    }
    if (!control().ReplyOK()) {
        Fail(ecFaxInitError);
        return false;
    }
    return true;
}

bool ReceiveMachine::AcceptStep(bool class2) {
    FaxSessionData& d = data();
    d.remoteID = SafeRemoteID(d.remoteID);
    if (SendToOwner(OwnerMessage::Accept, 0) == 0) {
        if (class2) {
            session().port.PutString("AT+FKS\r");
        }
        ReportError(ecFileRejected);
        control().ReceiverHangUp();
        modem().statusChanged = true;
        ReportLog(static_cast<int>(FaxLogCode::lcReceiveSkip));
        SetState(S::CallFailed);
        return false;
    }
    if (class2) {
        Progress(kProgressGotRemoteID);
    }
    if (!CreateReceiveFile()) {
        Fail(d.faxErrorCode);
        return false;
    }
    ReportLog(static_cast<int>(FaxLogCode::lcReceiveStart));
    nextPage_ = kNextInOpenFile;
    d.currentPage = 0;
    return true;
}

bool ReceiveMachine::CreateReceiveFile() {
    FaxSessionData& d = data();
    d.currentPage = 1;
    d.faxFile.clear();
    SendToOwner(OwnerMessage::FileName, 0);
    if (const int code = file_.Create(d.faxFile, d.remoteID); code != 0) {
        d.faxErrorCode = code;
        return false;
    }
    return true;
}

bool ReceiveMachine::WritePageStart() {
    const std::uint16_t flags = (params().sessionFine ? faximage::pfFine : 0) |
                                (params().sessionWide ? faximage::pfWide : 0);
    modem().pageHeader = {0, flags};
    if (const int code = file_.BeginPage(flags); code != 0) {
        ReportError(code);
        return false;
    }
    return true;
}

bool ReceiveMachine::StoreByte(std::uint8_t byte) {
    if (pageEnd_.PageEnded()) {
        return true;  // the demodulator's tail after the page's RTC
    }
    if (data().faxClass == FaxClass::fcClass2) {
        // Class 2 modems hand page data over with the bit order reversed.
        byte = ReversedBits(byte);
    }
    pageEnd_.Add(byte);
    if (const int code = file_.Store(byte); code != 0) {
        ReportError(code);
        return false;
    }
    ++data().bytesTransferred;
    return true;
}

bool ReceiveMachine::FlushData() {
    if (const int code = file_.Flush(); code != 0) {
        ReportError(code);
        return false;
    }
    return true;
}

bool ReceiveMachine::UpdatePageHeader() {
    modem().pageHeader.dataLength = file_.PageLength();
    if (const int code = file_.EndPage(data().remoteID); code != 0) {
        data().faxErrorCode = code;
        return false;
    }
    return true;
}

void ReceiveMachine::CloseFile() {
    file_.Close();
}

void ReceiveMachine::DecodeParameters() {
    SetTimeout(control().replyTimeout);
    DecodeClass2Report(params(), StripTag(control().ResponseBuffer()));
    Progress(kProgressConnectionParams);
    control().ResetResponse();
}

// ---- waiting for a call --------------------------------------------------

void ReceiveMachine::CallReset(const SessionEvent&) {
    FaxSessionData& d = data();
    CloseFile();
    dleState_ = 0xFF;
    control().ClearResponseBuffer();
    nextPage_ = kNextNewFile;
    d.currentPage = 0;
    modem().ringCount = 0;
    disTries_ = 0;
    d.bytesTransferred = 0;
    d.remoteID.clear();
    d.faxFile.clear();
    if (constantStatus && !statusOpen_) {
        statusOpen_ = true;
        ReportStatus(true, false);
    }
    SoftwareFlow(false);
    session().port.SetModem(true, true);
    if (Class1()) {
        control().SendCommand(kClass1Select);
        SetState(S::RxClass1Selected);
    } else {
        control().SendCommand(control().classCommands->selectClass);
        SetState(S::RxClassSelected);
    }
    SetTimeout(control().replyTimeout);
}

void ReceiveMachine::RxClass1Selected(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SwitchToNormalBaud();
    TimerOff();
    Progress(kProgressWaitingForCall);
    control().ClearResponseBuffer();
    SetState(S::AwaitRing);
}

void ReceiveMachine::RxClassSelected(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SwitchToNormalBaud();
    control().SendCommand(std::string(control().classCommands->capabilities) + "=1," +
                          std::string(Class2RateCode(params().desiredBPS)) + ",1,2,0," +
                          modem().desiredECM + ",0,0");
    SetState(Class20() ? S::RxCapsSet : S::RxReady);
}

void ReceiveMachine::RxCapsSet(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SendCommand("AT+FLO=2");
    SetState(S::RxFlowSet);
}

void ReceiveMachine::RxFlowSet(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SendCommand("AT+FNR=1,1,1,0");
    SetState(S::RxReady);
}

void ReceiveMachine::RxReady(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    TimerOff();
    Progress(kProgressWaitingForCall);
    control().ClearResponseBuffer();
    SetState(S::AwaitRing);
}

void ReceiveMachine::AwaitRing(const SessionEvent& event) {
    if (!event.data)
        return;
    const std::string& reply = control().ResponseBuffer();
    if (reply.find("RING") != std::string::npos) {
        if (++modem().ringCount < modem().answerOnRing) {
            // Counted rings stay in the text; only new text makes a line.
            return;
        }
        nextPage_ = kNextNewFile;
        if (!statusOpen_) {
            statusOpen_ = true;
            ReportStatus(true, false);
        }
        SetTimeout(control().replyTimeout);
        SetState(S::Answer);
    } else if (reply.find("NO C") != std::string::npos) {
        Progress(kProgressNoConnect);
        control().ClearResponseBuffer();
    } else if (control().ReplyConnect()) {
        Fail(ecFaxDataCall);
    } else if (reply.find("VOICE") != std::string::npos) {
        Fail(ecFaxVoiceCall);
    } else {
        control().ClearResponseBuffer();
    }
    if (state() == S::AwaitRing) {
        TimerOff();
    }
}

void ReceiveMachine::Answer(const SessionEvent&) {
    control().SendCommand("ATA");
    SetTimeout(control().dialWait);
    deadline_ = StartTimer(session().clock, control().dialWait);
    Progress(kProgressAnswering);
    SetState(Class1() ? S::Class1Answered : S::Class2Answered);
}

// ---- ends of a call ------------------------------------------------------

void ReceiveMachine::CallDone(const SessionEvent&) {
    control().SwitchToInitBaud();
    if (oneFax) {
        SetState(S::Stopped);
        FinishSession();
        control().modemReady = false;
        return;
    }
    if (!constantStatus) {
        ReportStatus(false, true);
        statusOpen_ = false;
    }
    SetState(S::CallReset);
}

void ReceiveMachine::CallFailed(const SessionEvent&) {
    FaxSessionData& d = data();
    if (file_.IsOpen()) {
        // The page in progress is not complete: only complete pages stay.
        CloseFile();
        ReportLog(static_cast<int>(FaxLogCode::lcReceiveFail));
    }
    control().ReceiverHangUp();
    const bool aborted = d.faxProgress == kProgressUserAbort;
    if ((statusOpen_ && !constantStatus) || aborted) {
        ReportStatus(false, true);
        statusOpen_ = false;
    }
    if ((d.options & kExitOnError) != 0 || aborted) {
        SetState(S::Stopped);
        FinishSession();
        control().modemReady = false;
    } else {
        SetState(S::CallReset);
    }
}

// ---- timeouts ------------------------------------------------------------

void ReceiveMachine::ReplyTimedOut() {
    Fail(ecTimeout);
}

void ReceiveMachine::AnswerTimedOut() {
    if (disTries_ != 0) {
        SetState(S::DISRetry);
    } else {
        Fail(ecTimeout);
    }
}

void ReceiveMachine::DCSTimedOut() {
    SetState(S::DISRetry);
}

void ReceiveMachine::DCNTimedOut() {
    SetState(S::CallDone);
}

}  // namespace corvane::engine
