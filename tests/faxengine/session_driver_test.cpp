#include "faxengine/session_driver.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "faxengine/engine_codes.h"
#include "faxengine/scripted_modem.h"
#include "faxengine/state_machine.h"

namespace corvane::engine {
namespace {

// Records the owner's side; answers at once unless told to stay silent.
class RecordingOwner : public SessionOwner {
  public:
    struct Message {
        OwnerMessage message;
        std::uint32_t wParam;
    };
    std::optional<std::uint32_t> Deliver(OwnerMessage message, std::uint32_t wParam,
                                         const OwnerReply&) override {
        messages.push_back({message, wParam});
        return silent ? std::nullopt : std::optional<std::uint32_t>(0);
    }
    void Finished(std::int32_t code) override { finishes.push_back(code); }

    int Count(OwnerMessage message, std::optional<std::uint32_t> wParam = {}) const {
        int n = 0;
        for (const Message& m : messages) {
            n += m.message == message && (!wParam || m.wParam == *wParam);
        }
        return n;
    }

    bool silent = false;
    std::vector<Message> messages;
    std::vector<std::int32_t> finishes;
};

enum class TestState { Stopped, Start, AwaitOK, Idle, Failed, Count };

// Sends one command, waits for OK, then idles until aborted; a reply
// timeout fails the session as the real machines do.
class TestMachine : public StateMachine<TestMachine, TestState, std::size_t(TestState::Count)> {
  public:
    TestMachine(FaxSession& session, SessionOwner& owner)
        : StateMachine(session, owner, kTable, TestState::Stopped, TestState::Failed) {}

    int prepared = 0;
    int idleRuns = 0;

  private:
    void Prepare() override {
        ++prepared;
        session().data.faxErrorCode = 0;
        SetState(TestState::Start);
        ReportStatus(true, false);
    }
    void Stopped(const SessionEvent&) {}
    void Start(const SessionEvent&) {
        session().modem.control.SendCommand("ATX");
        SetState(TestState::AwaitOK);
    }
    void AwaitOK(const SessionEvent& event) {
        if (event.data && session().modem.control.ReplyOK()) {
            SetState(TestState::Idle);
        }
    }
    void AwaitOKTimeout() {
        ReportError(ecTimeout);
        SetState(TestState::Failed);
    }
    void Idle(const SessionEvent&) { ++idleRuns; }
    void Failed(const SessionEvent&) {
        ReportStatus(false, true);
        FinishSession();
        SetState(TestState::Stopped);
    }

    static constexpr Table kTable{{
        {"Stopped", StateKind::Waiting, &TestMachine::Stopped, nullptr},
        {"Start", StateKind::Immediate, &TestMachine::Start, nullptr},
        {"AwaitOK", StateKind::Reply, &TestMachine::AwaitOK, &TestMachine::AwaitOKTimeout},
        {"Idle", StateKind::Waiting, &TestMachine::Idle, nullptr},
        {"Failed", StateKind::Immediate, &TestMachine::Failed, nullptr},
    }};
};

struct DriverRig {
    DriverRig() {
        port.Open();
        modem.Expect("ATX").Reply(ScriptedModem::Line("OK"));
    }
    // Starts and runs until the machine idles after its OK.
    void StartAndIdle() {
        machine.StartSession();
        scheduler.RunUntil([&] { return machine.state() == TestState::Idle; }, Seconds(5));
        ASSERT_EQ(machine.state(), TestState::Idle);
        owner.messages.clear();
    }

    Scheduler scheduler;
    ScriptedModem modem;
    SimComPort port{scheduler, modem};
    FaxSession session{port, scheduler, scheduler};
    RecordingOwner owner;
    TestMachine machine{session, owner};
};

TEST(SessionDriverTest, StartRunsTheMachineToItsFirstReply) {
    DriverRig rig;
    rig.port.Log().SetState(TraceLogState::tlOn);
    rig.machine.StartSession();
    EXPECT_EQ(rig.machine.prepared, 1);
    EXPECT_EQ(rig.owner.Count(OwnerMessage::Status, kStatusFirst), 1);
    EXPECT_EQ(rig.machine.state(), TestState::AwaitOK) << "the immediate state ran at once";
    EXPECT_TRUE(rig.port.FaxRunning());
    EXPECT_EQ(rig.port.UserData(), &rig.machine);
    rig.scheduler.RunUntil([&] { return rig.machine.state() == TestState::Idle; }, Seconds(5));
    EXPECT_EQ(rig.machine.state(), TestState::Idle);
    EXPECT_NE(rig.port.Log().Render().find("AwaitOK -> Idle"), std::string::npos)
        << "transitions are logged by name";
}

TEST(SessionDriverTest, AbortInAWaitingStateFinishesOnce) {
    DriverRig rig;
    rig.session.modem.control.modemReady = true;
    rig.StartAndIdle();
    rig.machine.RequestAbort();
    EXPECT_EQ(rig.session.data.faxProgress, 42);
    EXPECT_EQ(rig.session.data.faxErrorCode, -6005);
    EXPECT_EQ(rig.owner.Count(OwnerMessage::Status, kStatusLast), 1);
    EXPECT_EQ(rig.machine.state(), TestState::Stopped);
    EXPECT_TRUE(rig.owner.finishes.empty()) << "the finish is posted, not called";
    rig.scheduler.RunFor(Seconds(5));
    EXPECT_EQ(rig.owner.finishes, std::vector<std::int32_t>{-6005});
    EXPECT_FALSE(rig.port.FaxRunning());
    EXPECT_FALSE(rig.session.modem.control.modemReady);
    // Everything is released: the port takes a new event procedure and
    // a later abort reaches nothing.
    EXPECT_EQ(rig.port.RegisterEventProc([](std::uint32_t, int, std::uint32_t) {}), 0);
    rig.machine.RequestAbort();
    rig.scheduler.RunFor(Seconds(1));
    EXPECT_EQ(rig.owner.finishes.size(), 1u);
}

TEST(SessionDriverTest, AbortFromInsideAnOwnerMessageWaitsForTheStep) {
    // The owner's status handler asks to abort, as a Cancel button
    // clicked while the status display updates would.
    class AbortingOwner : public RecordingOwner {
      public:
        TestMachine* machine = nullptr;
        std::optional<std::uint32_t> Deliver(OwnerMessage message, std::uint32_t wParam,
                                             const OwnerReply& reply) override {
            RecordingOwner::Deliver(message, wParam, reply);
            if (message == OwnerMessage::Status && wParam == kStatusNeither) {
                machine->RequestAbort();
                EXPECT_EQ(machine->state(), TestState::Idle) << "not run inside the message";
            }
            return 0;
        }
    };
    DriverRig rig;
    AbortingOwner owner;
    TestMachine machine{rig.session, owner};
    owner.machine = &machine;
    machine.StartSession();
    rig.scheduler.RunUntil([&] { return !owner.finishes.empty(); }, Seconds(5));
    EXPECT_EQ(owner.finishes, std::vector<std::int32_t>{-6005});
    EXPECT_EQ(owner.Count(OwnerMessage::Status, kStatusLast), 1);
    EXPECT_EQ(rig.session.data.faxProgress, 42);
}

TEST(SessionDriverTest, StatusTimerReportsOnceWithoutChangingState) {
    DriverRig rig;
    rig.StartAndIdle();
    const int idleRuns = rig.machine.idleRuns;
    // One status interval (18 ticks) and a little: one timer event.
    rig.scheduler.RunFor(Milliseconds(18 * 55 + 20));
    EXPECT_EQ(rig.owner.Count(OwnerMessage::Status), 1);
    EXPECT_EQ(rig.owner.Count(OwnerMessage::Status, kStatusNeither), 1);
    EXPECT_EQ(rig.machine.state(), TestState::Idle);
    EXPECT_EQ(rig.machine.idleRuns, idleRuns) << "the state's handler does not run";
    rig.scheduler.RunFor(Milliseconds(18 * 55));
    EXPECT_EQ(rig.owner.Count(OwnerMessage::Status), 2) << "the timer is set again";
}

TEST(SessionDriverTest, OtherComponentsHandlesAreIgnored) {
    DriverRig rig;
    rig.StartAndIdle();
    const int foreign = rig.port.AddTimerTrigger();
    rig.machine.HandleEvent(kMsgTimerTrigger, foreign, PortParam(rig.port.Handle()));
    rig.machine.HandleEvent(kMsgStatusTrigger, rig.session.data.modemStatusTrigger,
                            PortParam(rig.port.Handle()));
    EXPECT_TRUE(rig.owner.messages.empty());
    EXPECT_EQ(rig.machine.idleRuns, 0);
    rig.machine.HandleEvent(kMsgStatusTrigger, rig.session.data.outputFreeTrigger,
                            PortParam(rig.port.Handle()));
    EXPECT_EQ(rig.machine.idleRuns, 1);
}

TEST(SessionDriverTest, ReplyTimeoutRunsTheStatesRule) {
    Scheduler scheduler;
    ScriptedModem modem;
    modem.Expect("ATX");  // never answered
    SimComPort port{scheduler, modem};
    port.Open();
    FaxSession session{port, scheduler, scheduler};
    RecordingOwner owner;
    TestMachine machine{session, owner};
    machine.StartSession();
    scheduler.RunFor(Seconds(30));
    EXPECT_EQ(owner.Count(OwnerMessage::Error, static_cast<std::uint32_t>(ecTimeout)), 1);
    EXPECT_EQ(owner.finishes, std::vector<std::int32_t>{ecTimeout});
}

TEST(SessionDriverTest, StartWithoutTriggerSlotsFinishesAtOnce) {
    DriverRig rig;
    while (rig.port.AddTimerTrigger() > 0) {
    }
    rig.machine.StartSession();
    EXPECT_EQ(rig.machine.prepared, 0);
    EXPECT_EQ(rig.owner.Count(OwnerMessage::Error, static_cast<std::uint32_t>(-5001)), 1);
    rig.scheduler.RunFor(Seconds(1));
    EXPECT_EQ(rig.owner.finishes, std::vector<std::int32_t>{-5001});
    EXPECT_FALSE(rig.port.FaxRunning());
}

TEST(SessionDriverTest, SecondSessionOnAPortLeavesTheFirstAlone) {
    DriverRig rig;
    rig.StartAndIdle();
    RecordingOwner otherOwner;
    TestMachine other{rig.session, otherOwner};
    other.StartSession();
    rig.scheduler.RunFor(Seconds(1));
    EXPECT_EQ(otherOwner.finishes, std::vector<std::int32_t>{-5003});
    EXPECT_TRUE(rig.port.FaxRunning());
    rig.machine.RequestAbort();
    EXPECT_EQ(rig.machine.state(), TestState::Stopped) << "the first session still runs";
}

TEST(SessionDriverTest, OwnerAnswersAreAwaitedAtMostOneSecond) {
    // An owner that answers through the reply after a delay, or never.
    class LateOwner : public SessionOwner {
      public:
        LateOwner(Scheduler& scheduler, std::optional<Micros> delay)
            : scheduler_(scheduler), delay_(delay) {}
        std::optional<std::uint32_t> Deliver(OwnerMessage, std::uint32_t,
                                             const OwnerReply& reply) override {
            if (delay_) {
                scheduler_.After(*delay_, [reply] { reply.Answer(1); });
            }
            return std::nullopt;
        }
        void Finished(std::int32_t) override {}

      private:
        Scheduler& scheduler_;
        std::optional<Micros> delay_;
    };
    struct Case {
        std::optional<Micros> delay;
        std::uint32_t answer;
        Micros cost;
    };
    const Case cases[] = {
        {Milliseconds(300), 1, Milliseconds(300)},
        {Milliseconds(1500), 0, Milliseconds(1000)},  // too late: counts as 0
        {std::nullopt, 0, Milliseconds(1000)},
    };
    for (const Case& c : cases) {
        DriverRig rig;
        LateOwner owner(rig.scheduler, c.delay);
        TestMachine machine{rig.session, owner};
        const Micros start = rig.scheduler.Now();
        EXPECT_EQ(machine.SendToOwner(OwnerMessage::NextFax, 0), c.answer);
        EXPECT_EQ(rig.scheduler.Now() - start, c.cost);
    }
}

TEST(SessionDriverTest, SilentOwnerDelaysEachMessageByAtMostOneSecond) {
    DriverRig rig;
    rig.StartAndIdle();
    rig.owner.silent = true;
    const Micros start = rig.scheduler.Now();
    rig.machine.RequestAbort();
    ASSERT_EQ(rig.owner.messages.size(), 1u);  // the last status
    EXPECT_LE(rig.scheduler.Now() - start, Seconds(1));
    rig.scheduler.RunFor(Seconds(1));
    EXPECT_EQ(rig.owner.finishes.size(), 1u);
}

}  // namespace
}  // namespace corvane::engine
