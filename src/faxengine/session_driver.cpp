#include "faxengine/session_driver.h"

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/ticks.h"

namespace corvane::engine {

namespace {
constexpr std::uint32_t kOwnerWaitMs = 1000;
}  // namespace

SessionDriver::SessionDriver(FaxSession& session, SessionOwner& owner)
    : session_(session), owner_(owner) {}

SessionDriver::~SessionDriver() {
    if (running_) {
        ReleaseTriggers();
    }
}

void SessionDriver::StartSession() {
    ComPort& port = session_.port;
    FaxSessionData& data = session_.data;
    if (port.FaxRunning()) {
        // Another session owns the port's triggers and event procedure;
        // finishing normally would tear them down.
        ReportError(ecEventProcInUse);
        PostFinish();
        return;
    }
    running_ = true;
    port.EnableDataTrigger();
    data.timeoutTimer = port.AddTimerTrigger();
    data.statusTimer = port.AddTimerTrigger();
    data.outputFreeTrigger = port.AddStatusTrigger(StatusTriggerKind::OutputFree);
    data.outputUsedTrigger = port.AddStatusTrigger(StatusTriggerKind::OutputUsed);
    data.modemStatusTrigger = port.AddStatusTrigger(StatusTriggerKind::ModemStatus);
    for (const int handle : {data.timeoutTimer, data.statusTimer, data.outputFreeTrigger,
                             data.outputUsedTrigger, data.modemStatusTrigger}) {
        if (handle < 0) {
            ReportError(ecNoMoreTriggers);
            FinishSession();
            return;
        }
    }
    session_.modem.control.SetTimeoutTrigger(data.timeoutTimer);
    port.SetUserData(this);
    port.SetFaxRunning(true);

    Prepare();
    if (data.faxErrorCode != 0) {
        ReportStatus(false, true);
        FinishSession();
        return;
    }
    HandleEvent(0, kDataTriggerHandle, PortParam(port.Handle()));
    if (!running_) {
        return;
    }
    const int registered =
        port.RegisterEventProc([this, alive = std::weak_ptr<bool>(alive_)](
                                   std::uint32_t message, int handle, std::uint32_t portParam) {
            if (!alive.expired()) {
                HandleEvent(message, handle, portParam);
            }
        });
    if (registered != 0) {
        ReportError(registered);
        FinishSession();
        return;
    }
    procRegistered_ = true;
    ArmStatusTimer();
}

void SessionDriver::ReleaseTriggers() {
    ComPort& port = session_.port;
    FaxSessionData& data = session_.data;
    port.SetFaxRunning(false);
    port.DisableDataTrigger();
    for (int* handle : {&data.timeoutTimer, &data.statusTimer, &data.outputFreeTrigger,
                        &data.outputUsedTrigger, &data.modemStatusTrigger}) {
        if (*handle > 0) {
            port.RemoveTrigger(*handle);
        }
        *handle = 0;
    }
    session_.modem.control.SetTimeoutTrigger(std::nullopt);
    if (procRegistered_) {
        port.DeregisterEventProc();
        procRegistered_ = false;
    }
    if (port.UserData() == this) {
        port.SetUserData(nullptr);
    }
}

void SessionDriver::FinishSession() {
    if (!running_) {
        return;
    }
    running_ = false;
    ReleaseTriggers();
    session_.data.classesKnown = false;
    // Every start initialises the modem again.
    session_.modem.control.modemReady = false;
    PostFinish();
}

void SessionDriver::PostFinish() {
    platform().Post([this, alive = std::weak_ptr<bool>(alive_), code = session_.data.faxErrorCode] {
        if (!alive.expired()) {
            owner_.Finished(code);
        }
    });
}

void SessionDriver::ReportError(int code) {
    session_.data.faxErrorCode = code;
    SendToOwner(OwnerMessage::Error, static_cast<std::uint32_t>(code));
}

void SessionDriver::ReportStatus(bool first, bool last) {
    SendToOwner(OwnerMessage::Status, first ? kStatusFirst : last ? kStatusLast : kStatusNeither);
}

void SessionDriver::ReportLog(int code) {
    SendToOwner(OwnerMessage::Log, static_cast<std::uint32_t>(code));
}

std::uint32_t SessionDriver::SendToOwner(OwnerMessage message, std::uint32_t wParam) {
    // Port events wait meanwhile, so the machine is never re-entered.
    const bool wasSuspended = session_.port.SuspendEvents(true);
    const OwnerReply reply;
    std::optional<std::uint32_t> answer = owner_.Deliver(message, wParam, reply);
    if (!answer) {
        const std::uint32_t start = session_.clock.MilliSeconds();
        while (!reply.Value() &&
               ((session_.clock.MilliSeconds() - start) & 0x7FFFFFFFu) < kOwnerWaitMs) {
            platform().PollMessages();
        }
        answer = reply.Value();
    }
    session_.port.SuspendEvents(wasSuspended);
    return answer.value_or(0);
}

void SessionDriver::RequestAbort() {
    HandleEvent(kMsgAbortRequest, kDataTriggerHandle, PortParam(session_.port.Handle()));
}

bool SessionDriver::OwnHandle(int handle) const {
    const FaxSessionData& data = session_.data;
    return handle == kDataTriggerHandle || handle == data.statusTimer ||
           handle == data.timeoutTimer || handle == data.outputFreeTrigger ||
           handle == data.outputUsedTrigger;
}

void SessionDriver::HandleEvent(std::uint32_t message, int handle, std::uint32_t /*portParam*/) {
    if (inEvent_) {
        // The owner asked to abort from inside one of its messages: the
        // running step finishes first.
        abortPending_ = abortPending_ || message == kMsgAbortRequest;
        return;
    }
    if (message == kMsgDataAvailable) {
        handle = kDataTriggerHandle;
    }
    if (!running_ || !OwnHandle(handle) || InFailureState()) {
        return;
    }
    SessionEvent event;
    event.message = message;
    event.handle = handle;
    event.data = handle == kDataTriggerHandle;
    event.timeout = message == kMsgTimerTrigger && handle == session_.data.timeoutTimer;
    inEvent_ = true;
    Run(event);
    inEvent_ = false;
}

bool SessionDriver::CollectReply() {
    ComPort& port = session_.port;
    while (port.CharReady()) {
        const int next = port.GetChar();
        if (next < 0) {
            break;
        }
        switch (session_.modem.control.CollectResponse(static_cast<std::uint8_t>(next))) {
            case ModemControl::Collected::Line:
                return true;
            case ModemControl::Collected::Frame:
                if (FrameReceived()) {
                    return true;
                }
                break;
            case ModemControl::Collected::Nothing:
                break;
        }
    }
    return false;
}

void SessionDriver::Run(SessionEvent event) {
    const SessionEvent dataEvent;
    while (running_) {
        bool runHandler = true;
        if (event.message == kMsgAbortRequest || abortPending_) {
            abortPending_ = false;
            session_.data.faxProgress = kProgressUserAbort;
            session_.data.faxErrorCode = ecCancelRequested;
            EnterFailureState();
        } else {
            const bool statusTimer =
                event.message == kMsgTimerTrigger && event.handle == session_.data.statusTimer;
            if (statusTimer || session_.modem.statusChanged) {
                session_.modem.statusChanged = false;
                ReportStatus(false, false);
                ArmStatusTimer();
                runHandler = !statusTimer;
            }
            if (runHandler && Kind() == StateKind::Reply) {
                if (event.data && !CollectReply()) {
                    runHandler = false;
                    if (!abortPending_) {
                        return;
                    }
                } else if (event.timeout) {
                    RunTimeout();
                }
            }
        }
        if (runHandler && running_) {
            RunState(event);
        }
        if (!running_) {
            return;
        }
        const bool again = abortPending_ || Kind() == StateKind::Immediate ||
                           (Kind() == StateKind::Reply && session_.port.CharReady());
        if (!again) {
            return;
        }
        event = dataEvent;
    }
}

void SessionDriver::ArmStatusTimer() {
    session_.port.SetTimerTrigger(session_.data.statusTimer,
                                  SecondsToTicks(session_.data.statusInterval), true);
}

}  // namespace corvane::engine
