#include "faxengine/sim_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faxengine/engine_codes.h"

namespace corvane::engine {
namespace {

// Keeps what reaches the far end and when.
class RecordingEnd : public FarEndpoint {
  public:
    void Attach(SimLine& l) override { line = &l; }
    void ReceiveFromComputer(std::uint8_t byte) override {
        received += static_cast<char>(byte);
        lastArrival = line->scheduler().Now();
    }
    void ControlLinesChanged(bool dtr, bool rts) override { lines.push_back({dtr, rts}); }

    SimLine* line = nullptr;
    std::string received;
    Micros lastArrival = 0;
    std::vector<std::pair<bool, bool>> lines;
};

struct Event {
    std::uint32_t message;
    int handle;
    int port;
    Micros at;
};

class SimPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(port.Open(), 0);
        port.RegisterEventProc([this](std::uint32_t message, int handle, std::uint32_t param) {
            events.push_back({message, handle, PortHandleOf(param), scheduler.Now()});
        });
    }
    std::string Bytes(std::size_t n, char c = 'x') { return std::string(n, c); }

    Scheduler scheduler;
    RecordingEnd far;
    SimComPort port{scheduler, far, PortSettings{.inSize = 64, .outSize = 256}};
    std::vector<Event> events;
};

TEST_F(SimPortTest, OutputDrainsAtTheLineByteRate) {
    // 19200 baud carries 1920 bytes a second: 192 bytes take 100 ms.
    ASSERT_EQ(port.PutString(Bytes(192)), 0);
    EXPECT_GT(port.OutBuffUsed(), 180u);
    scheduler.RunFor(Milliseconds(50));
    EXPECT_NEAR(static_cast<double>(far.received.size()), 96.0, 1.0);
    EXPECT_EQ(port.OutBuffUsed() + far.received.size() + 1, 192u);  // one byte on the wire
    scheduler.RunFor(Milliseconds(60));
    EXPECT_EQ(far.received, Bytes(192));
    EXPECT_NEAR(static_cast<double>(far.lastArrival), 100000.0, 200.0);
    EXPECT_EQ(port.OutBuffFree(), 256u);
}

TEST_F(SimPortTest, BlockLargerThanTheFreeSpaceFailsAndSendsNothing) {
    ASSERT_EQ(port.PutString(Bytes(200)), 0);
    const std::size_t used = port.OutBuffUsed();
    EXPECT_EQ(port.PutString(Bytes(port.OutBuffFree() + 1, 'y')), ecOutputBufferTooSmall);
    EXPECT_EQ(port.OutBuffUsed(), used);
    EXPECT_EQ(port.PutString(Bytes(port.OutBuffFree(), 'z')), 0);
    scheduler.RunFor(Seconds(1));
    EXPECT_EQ(far.received.find('y'), std::string::npos);
}

TEST_F(SimPortTest, DataEventCarriesHandleZeroAndThePortHandle) {
    ASSERT_EQ(port.EnableDataTrigger(), kDataTriggerHandle);
    far.line->SendToComputer("OK\r\n");
    scheduler.RunFor(Milliseconds(10));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].message, kMsgDataAvailable);
    EXPECT_EQ(events[0].handle, kDataTriggerHandle);
    EXPECT_EQ(events[0].port, port.Handle());
    std::string got;
    while (port.CharReady()) {
        got += static_cast<char>(port.GetChar());
    }
    EXPECT_EQ(got, "OK\r\n");
    EXPECT_EQ(port.GetChar(), ecBufferIsEmpty);
}

TEST_F(SimPortTest, SuspendedEventsAreHeldUntilDeliveryResumes) {
    port.EnableDataTrigger();
    const int timer = port.AddTimerTrigger();
    EXPECT_FALSE(port.SuspendEvents(true));
    port.SetTimerTrigger(timer, 2, true);
    far.line->SendToComputer("A");
    scheduler.RunFor(Milliseconds(200));
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(port.SuspendEvents(false));
    port.DeliverPendingEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].message, kMsgDataAvailable);
    EXPECT_EQ(events[1].message, kMsgTimerTrigger);
    EXPECT_EQ(events[1].handle, timer);
}

TEST_F(SimPortTest, TimerFiresAfterItsTicksAndResettingReplacesIt) {
    const int timer = port.AddTimerTrigger();
    ASSERT_GT(timer, 0);
    port.SetTimerTrigger(timer, 18, true);  // about a second
    scheduler.RunFor(Milliseconds(500));
    port.SetTimerTrigger(timer, 4, true);  // the first setting no longer counts
    scheduler.RunFor(Seconds(3));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kMsgTimerTrigger);
    EXPECT_EQ(events[0].at, Milliseconds(500 + 4 * 55));

    port.SetTimerTrigger(timer, 4, false);
    scheduler.RunFor(Seconds(1));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(SimPortTest, BufferTriggersFireOnceWhenTheirConditionHolds) {
    const int used = port.AddStatusTrigger(StatusTriggerKind::OutputUsed);
    const int free = port.AddStatusTrigger(StatusTriggerKind::OutputFree);
    port.PutString(Bytes(250));
    port.SetStatusTrigger(used, 10, true);   // drained to 10 bytes or fewer
    port.SetStatusTrigger(free, 128, true);  // half the buffer free
    scheduler.RunFor(Seconds(1));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].handle, free);
    EXPECT_EQ(events[1].handle, used);
    EXPECT_LT(events[0].at, events[1].at);
    // Setting a trigger whose condition already holds fires it at once.
    port.SetStatusTrigger(used, 0, true);
    scheduler.RunFor(Milliseconds(1));
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(SimPortTest, ModemStatusTriggerWatchesTheChosenLines) {
    const int status = port.AddStatusTrigger(StatusTriggerKind::ModemStatus);
    port.SetStatusTrigger(status, kLineDCD, true);
    far.line->SetCTS(false);
    scheduler.RunFor(Milliseconds(1));
    EXPECT_TRUE(events.empty());
    far.line->SetDCD(true);
    scheduler.RunFor(Milliseconds(1));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, kMsgStatusTrigger);
    EXPECT_TRUE(port.CheckDCD());
}

TEST_F(SimPortTest, TriggerSlotsRunOutAndRemovedOnesAreReused) {
    std::vector<int> handles;
    for (int i = 0; i < ComPortBase::kMaxTriggers; ++i) {
        handles.push_back(port.AddTimerTrigger());
        ASSERT_GT(handles.back(), 0);
    }
    EXPECT_EQ(port.AddTimerTrigger(), ecNoMoreTriggers);
    port.SetTimerTrigger(handles[3], 1, true);
    ASSERT_EQ(port.RemoveTrigger(handles[3]), 0);
    EXPECT_EQ(port.RemoveTrigger(handles[3]), ecTriggerNotFound);
    EXPECT_EQ(port.AddStatusTrigger(StatusTriggerKind::OutputFree), handles[3]);
    scheduler.RunFor(Seconds(1));
    EXPECT_TRUE(events.empty()) << "a removed timer must not fire through its successor";
}

TEST_F(SimPortTest, CtsOffHoldsOutputUntilItReturns) {
    far.line->SetCTS(false);
    port.PutString("ATZ\r");
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(far.received, "");
    far.line->SetCTS(true);
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(far.received, "ATZ\r");
}

TEST_F(SimPortTest, SoftwareFlowPausesOutputAndThrottlesInput) {
    port.SWFlowEnable(48, 8, FlowDirection::Both);
    port.PutString(Bytes(100));
    scheduler.RunFor(Milliseconds(5));
    far.line->SendToComputer("\x13");  // XOFF
    scheduler.RunFor(Milliseconds(20));
    const std::size_t beforePause = far.received.size();
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(far.received.size(), beforePause);
    far.line->SendToComputer("\x11");  // XON
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(far.received, Bytes(100));
    EXPECT_FALSE(port.CharReady()) << "flow characters are not data";

    // The input reaching the full mark sends XOFF; reading down to the
    // resume mark sends XON.
    far.received.clear();
    far.line->SendToComputer(Bytes(48, 'd'));
    scheduler.RunFor(Milliseconds(50));
    EXPECT_EQ(far.received, "\x13");
    while (port.InBuffUsed() > 8) {
        port.GetChar();
    }
    scheduler.RunFor(Milliseconds(5));
    EXPECT_EQ(far.received, "\x13\x11");
}

TEST_F(SimPortTest, InputBeyondTheBufferIsCountedAsOverrun) {
    port.SWFlowDisable();
    far.line->SendToComputer(Bytes(70));
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(port.InBuffUsed(), 64u);
    EXPECT_EQ(port.Overruns(), 6u);
}

TEST_F(SimPortTest, DestroyedPortLeavesNoCallbackBehind) {
    auto doomed = std::make_unique<SimComPort>(scheduler, far);
    ASSERT_EQ(doomed->Open(), 0);
    int calls = 0;
    doomed->RegisterEventProc([&](std::uint32_t, int, std::uint32_t) { ++calls; });
    doomed->SetTimerTrigger(doomed->AddTimerTrigger(), 1, true);
    doomed->PutString("ATH\r");
    scheduler.BusyWait(60);  // the timer has fired; its event waits for the message loop
    doomed.reset();
    scheduler.RunFor(Seconds(1));
    EXPECT_EQ(calls, 0);
}

TEST_F(SimPortTest, OpenRefusesASecondOpenAndUnusableSettings) {
    EXPECT_EQ(port.Open(), ecAlreadyOpen);
    const PortSettings unusable[] = {{.baud = 0}, {.inSize = 0}, {.outSize = 0}};
    for (const PortSettings& settings : unusable) {
        SimComPort other(scheduler, far, settings);
        EXPECT_EQ(other.Open(), ecBadArgument);
        EXPECT_EQ(other.PutChar('A'), ecPortNotOpen);
    }
    EXPECT_EQ(port.ChangeBaud(0), ecBadArgument);
    EXPECT_EQ(port.ChangeBaud(2400), 0);
    EXPECT_EQ(port.Baud(), 2400u);
}

}  // namespace
}  // namespace corvane::engine
