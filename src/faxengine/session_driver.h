// What every fax session machine shares: the start and the finish, the
// rules applied to each port event before the state's own handler runs
// (handle filter, abort, status timer, reply collection and timeouts,
// state kinds), and the messages to the owner. A machine derives from
// StateMachine (below) and supplies a table of its states.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "faxengine/fax_session.h"
#include "faxengine/session_owner.h"

namespace corvane::engine {

enum class StateKind {
    Immediate,  // runs again at once
    Reply,      // collects a reply line; runs again while input waits
    Waiting,    // ends the event
};

struct SessionEvent {
    std::uint32_t message = kMsgDataAvailable;
    int handle = kDataTriggerHandle;
    bool data = true;      // a data event, or a run taken for one
    bool timeout = false;  // the session's timeout timer
};

class SessionDriver {
  public:
    SessionDriver(FaxSession& session, SessionOwner& owner);
    virtual ~SessionDriver();
    SessionDriver(const SessionDriver&) = delete;
    SessionDriver& operator=(const SessionDriver&) = delete;

    FaxSession& session() { return session_; }
    bool Running() const { return running_; }

    // Arms the triggers, prepares, runs the machine once and hooks it to
    // the port; every way out of a failed start ends with one finish.
    void StartSession();
    void FinishSession();

    void ReportError(int code);
    void ReportStatus(bool first, bool last);
    void ReportLog(int code);
    // A message sent with wait; 0 when the owner gave no answer in time.
    std::uint32_t SendToOwner(OwnerMessage message, std::uint32_t wParam);

    // The owner's abort request (0x7EA0).
    void RequestAbort();
    // The port's event procedure.
    void HandleEvent(std::uint32_t message, int handle, std::uint32_t portParam);

  protected:
    // The machine's side.
    virtual void Prepare() = 0;
    virtual std::string_view StateName() const = 0;
    virtual StateKind Kind() const = 0;
    virtual bool InFailureState() const = 0;
    virtual void EnterFailureState() = 0;
    virtual void RunState(const SessionEvent& event) = 0;
    virtual void RunTimeout() = 0;
    // A frame ended while collecting (class 1). True when it stands for
    // a delivered reply, so the state's handler runs.
    virtual bool FrameReceived() { return false; }

  private:
    bool OwnHandle(int handle) const;
    // Step 5 for a data event: true when a reply line or frame arrived.
    bool CollectReply();
    void Run(SessionEvent event);
    void ArmStatusTimer();
    void ReleaseTriggers();
    void PostFinish();

    Platform& platform() { return session_.platform; }

    FaxSession& session_;
    SessionOwner& owner_;
    bool running_ = false;
    bool procRegistered_ = false;
    bool inEvent_ = false;
    bool abortPending_ = false;
    // Posted finishes check it, so a driver destroyed meanwhile is left alone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::engine
