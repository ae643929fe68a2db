// The bookkeeping every port implementation shares: triggers, the event
// procedure and its held events, the running flag, the user-data slot and
// the trace and log. An implementation supplies the byte I/O, arms timers
// on its own time source, and reports buffer and line changes back here.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"

namespace corvane::engine {

class ComPortBase : public ComPort {
  public:
    static constexpr int kMaxTriggers = 16;

    ComPortBase(const Clock& clock, Platform& platform);
    ~ComPortBase() override;

    int Handle() const override { return handle_; }

    int RegisterEventProc(EventProc proc) override;
    void DeregisterEventProc() override;

    int EnableDataTrigger() override;
    void DisableDataTrigger() override;
    int AddTimerTrigger() override;
    int SetTimerTrigger(int handle, std::uint32_t ticks, bool active) override;
    int AddStatusTrigger(StatusTriggerKind kind) override;
    int SetStatusTrigger(int handle, std::uint32_t value, bool active) override;
    int RemoveTrigger(int handle) override;

    bool FaxRunning() const override { return faxRunning_; }
    void SetFaxRunning(bool running) override { faxRunning_ = running; }
    void* UserData() const override { return userData_; }
    void SetUserData(void* data) override { userData_ = data; }

    bool SuspendEvents(bool suspend) override;
    void DeliverPendingEvents() override;

    PortTrace& Trace() override { return trace_; }
    DispatchLog& Log() override { return log_; }

  protected:
    const Clock& clock() const { return clock_; }
    Platform& platform() { return platform_; }
    // Expires with the port; callbacks scheduled elsewhere check it.
    std::weak_ptr<bool> AliveToken() const { return alive_; }

    // The implementation calls these from its device side.
    void NoteInput(std::uint8_t byte) { trace_.Record(clock_.MilliSeconds(), false, byte); }
    void NoteOutput(std::uint8_t byte) { trace_.Record(clock_.MilliSeconds(), true, byte); }
    void DataArrived();
    void OutputChanged();
    void ModemLinesChanged(std::uint32_t changedLines);
    // A timer armed through ArmTimer has come due.
    void TimerDue(int handle, unsigned generation);
    // Writes trace and log; implementations call it from Close().
    void WriteRecorders();

    // Arrange for TimerDue(handle, generation) after the given time.
    virtual void ArmTimer(int handle, unsigned generation, std::uint32_t milliseconds) = 0;

  private:
    enum class Kind { Free, Timer, ModemStatus, OutputFree, OutputUsed };
    struct Trigger {
        Kind kind = Kind::Free;
        bool active = false;
        std::uint32_t value = 0;
        unsigned generation = 0;
    };
    struct HeldEvent {
        std::uint32_t message;
        int handle;
    };

    Trigger* Find(int handle);
    int AddTrigger(Kind kind);
    bool StatusConditionMet(const Trigger& trigger);
    void CheckBufferTriggers();
    void Raise(std::uint32_t message, int handle);
    void PostDispatch();
    void Dispatch();

    const Clock& clock_;
    Platform& platform_;
    int handle_;
    EventProc proc_;
    bool dataTrigger_ = false;
    std::vector<Trigger> triggers_;  // handle = index + 1
    std::deque<HeldEvent> held_;
    bool suspended_ = false;
    bool dispatchPosted_ = false;
    bool faxRunning_ = false;
    void* userData_ = nullptr;
    PortTrace trace_;
    DispatchLog log_;
    // Posted dispatches check this so a port destroyed meanwhile is left alone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::engine
