#include "faxengine/modem_control.h"

#include <gtest/gtest.h>

#include "faxengine/scripted_modem.h"
#include "faxengine/sim_port.h"

namespace corvane::engine {
namespace {

using Line = ScriptedModem;

// A scripted modem on a simulated line with the engine's modem control in front.
struct ModemRig {
    ModemRig() {
        port.Open();
        port.EnableDataTrigger();
    }
    Scheduler scheduler;
    ScriptedModem modem;
    SimComPort port{scheduler, modem};
    ModemControl control{port, scheduler, scheduler};
};

class ModemControlTest : public ::testing::Test, protected ModemRig {
  protected:
    void ExpectScriptDone() {
        EXPECT_TRUE(modem.Complete()) << modem.Report();
        EXPECT_TRUE(modem.Clean()) << modem.Report();
    }
};

TEST_F(ModemControlTest, CollectResponseDeliversLinesAndFrames) {
    struct Case {
        std::string input;
        std::string events;  // L line, F frame, per character that ends one
        std::string buffer;
    };
    const Case cases[] = {
        {"\r\nOK\r\n", "L", "OK"},
        {"\r\n\r\n", "", ""},  // empty lines are ignored
        {"OK\r\r\n", "L", "OK"},
        {std::string("\xFF\x03\x20\x10\x03", 5), "F", std::string("\xFF\x03\x20\x10\x03", 5)},
        // A shielded DLE followed by 3 is data; only the closing pair ends the frame.
        {std::string("\xFF\x03\x10\x10\x03\x10\x03", 7), "F",
         std::string("\xFF\x03\x10\x10\x03\x10\x03", 7)},
        // The buffer keeps earlier lines (without their line ends); an
        // empty line does not deliver the earlier text again.
        {"\r\nCONNECT\r\n\r\nOK\r\n", "LL", "CONNECTOK"},
        {"\r\nOK\r\n\r\n", "L", "OK"},
    };
    for (const Case& c : cases) {
        control.ResetResponse();
        std::string seen;
        for (char ch : c.input) {
            switch (control.CollectResponse(static_cast<std::uint8_t>(ch))) {
                case ModemControl::Collected::Line:
                    seen += 'L';
                    break;
                case ModemControl::Collected::Frame:
                    seen += 'F';
                    break;
                case ModemControl::Collected::Nothing:
                    break;
            }
        }
        EXPECT_EQ(seen, c.events) << testing::PrintToString(c.input);
        EXPECT_EQ(control.ResponseBuffer(), c.buffer) << testing::PrintToString(c.input);
    }
}

TEST_F(ModemControlTest, LongReplyKeepsItsFirst128Characters) {
    control.ResetResponse();
    const std::string reply = std::string(100, 'a') + std::string(100, 'b');
    for (char ch : reply + "\r\n") {
        control.CollectResponse(static_cast<std::uint8_t>(ch));
    }
    EXPECT_EQ(control.ResponseBuffer(), reply.substr(0, 128));
}

TEST_F(ModemControlTest, ReplyTestsSearchTheWholeBuffer) {
    control.classCommands = &kClass20Commands;
    for (char ch : std::string("\r\n+FHS:00\r\nNO CARRIER\r\nOK\r\n")) {
        control.CollectResponse(static_cast<std::uint8_t>(ch));
    }
    EXPECT_TRUE(control.ReplyOK());
    EXPECT_TRUE(control.ReplyNoCarrier());
    EXPECT_TRUE(control.ReplyHangup());
    EXPECT_FALSE(control.ReplyConnect());
    EXPECT_FALSE(control.ReplyError());
    control.classCommands = &kClass2Commands;
    EXPECT_FALSE(control.ReplyHangup()) << "class 2 looks for FHNG";
}

TEST_F(ModemControlTest, CommandAndWaitJudgesTheReply) {
    struct Case {
        const char* name;
        bool echo;
        std::vector<std::string> replies;
        bool result;
        std::string response;
    };
    const Case cases[] = {
        {"plain OK", false, {Line::Line("OK")}, true, "OK"},
        {"echo skipped", true, {Line::Line("OK")}, true, "OK"},
        {"error", false, {Line::Line("ERROR")}, false, "ERROR"},
        {"value then OK", false, {Line::Line("0,1,2"), Line::Line("OK")}, true, "0,1,2"},
        {"value without OK", false, {Line::Line("0,1,2")}, false, "0,1,2"},
        {"value then ERROR", false, {Line::Line("0,1,2"), Line::Line("ERROR")}, false, "0,1,2"},
        {"silence", false, {}, false, ""},
        {"noise before the reply", false, {"\x01\x02 \r", Line::Line("OK")}, true, " "},
    };
    for (const Case& c : cases) {
        ModemRig r;
        r.modem.SetEcho(c.echo);
        r.modem.Expect("AT+FCLASS=?");
        for (const std::string& reply : c.replies) {
            r.modem.Reply(reply);
        }
        EXPECT_EQ(r.control.CommandAndWait("AT+FCLASS=?"), c.result) << c.name;
        EXPECT_EQ(r.control.ResponseBuffer(), c.response) << c.name;
        EXPECT_TRUE(r.modem.Complete()) << c.name << ": " << r.modem.Report();
        EXPECT_FALSE(r.port.CharReady()) << c.name << ": the input is discarded afterwards";
        // Nothing waits longer than the reply timeout (182 ticks, about 10 s).
        EXPECT_LE(r.scheduler.Now(), Milliseconds(100 + 183 * 55)) << c.name;
    }
}

TEST_F(ModemControlTest, CommandAndWaitKeepsRepliesFromTheEventProcedure) {
    std::string seen;
    port.RegisterEventProc([&](std::uint32_t, int, std::uint32_t) {
        while (port.CharReady()) {
            seen += static_cast<char>(port.GetChar());
        }
    });
    modem.Expect("ATZ").Reply(Line::Line("OK"));
    EXPECT_TRUE(control.CommandAndWait("ATZ"));
    scheduler.RunFor(Seconds(1));
    EXPECT_EQ(TrimControls(seen), "") << "at most the reply's line end comes late";
    EXPECT_FALSE(port.SuspendEvents(false)) << "delivery is restored as it was";
}

TEST_F(ModemControlTest, InitModemSendsTheUsersCommandFirst) {
    control.SetModemInit("&f");
    control.SetBlindDial(true);
    modem.Expect("AT&F").Reply(Line::Line("OK"));
    modem.Expect("ATE0Q0V1X3S0=0S2=43").Reply(Line::Line("OK"));
    EXPECT_TRUE(control.InitModem());
    EXPECT_TRUE(control.modemReady);
    ExpectScriptDone();
}

TEST_F(ModemControlTest, InitModemFailsWhenTheUsersCommandFails) {
    control.SetModemInit("ATX9");
    modem.Expect("ATX9").Reply(Line::Line("ERROR"));
    EXPECT_FALSE(control.InitModem());
    EXPECT_FALSE(control.modemReady);
    EXPECT_EQ(modem.Commands().size(), 1u) << "the init string is not sent after a failure";
}

TEST_F(ModemControlTest, DetectFaxClassesReadsTheClassList) {
    struct Case {
        const char* reply;
        bool class1, class2, class20;
    };
    const Case cases[] = {
        {"0,1,2.0", true, false, true},
        {"1,2", true, true, false},
        {"+FCLASS: 0,1,2", true, true, false},
        {"0,1,2,2.0", true, true, true},
        {"0,2.0", false, false, true},
        {"0,2.0,2.1", false, false, true},  // "1" inside "2.1" is no class 1
        {"(0,1,2)", true, true, false},
        {"1,2.0", true, false, true},
        {"0, 1, 2", true, true, false},
        {"0,1.0,8", false, false, false},
    };
    for (const Case& c : cases) {
        ModemRig r;
        r.modem.Expect("AT+FCLASS=?").Reply(Line::Line(c.reply)).Reply(Line::Line("OK"));
        const FaxClasses classes = r.control.DetectFaxClasses(false);
        EXPECT_TRUE(classes.detected) << c.reply;
        EXPECT_EQ(classes.class1, c.class1) << c.reply;
        EXPECT_EQ(classes.class2, c.class2) << c.reply;
        EXPECT_EQ(classes.class20, c.class20) << c.reply;
    }
}

TEST_F(ModemControlTest, DetectWithResetDropsTheLineAndInitialisesFirst) {
    modem.Expect("ATE0Q0V1X4S0=0S2=43").Reply(Line::Line("OK"));
    modem.Expect("AT+FCLASS=?").Reply(Line::Line("1")).Reply(Line::Line("OK"));
    const FaxClasses classes = control.DetectFaxClasses(true);
    EXPECT_TRUE(classes.detected);
    EXPECT_TRUE(classes.class1);
    EXPECT_EQ(modem.DtrDrops(), 1);
    ExpectScriptDone();
}

TEST_F(ModemControlTest, DetectWithResetGivesUpAfterTwoAttemptsWithoutOK) {
    // Numeric replies: "0" and then another line, but never "OK".
    for (int attempt = 0; attempt < 2; ++attempt) {
        modem.Expect("ATE0Q0V1X4S0=0S2=43").Reply("0\r").Reply("0\r");
    }
    const FaxClasses classes = control.DetectFaxClasses(true);
    EXPECT_FALSE(classes.detected);
    EXPECT_EQ(modem.DtrDrops(), 2);
    ExpectScriptDone();  // and no class query was sent
}

TEST_F(ModemControlTest, QueryClass1RatesSetsTheOfferedRates) {
    struct Case {
        const char* list;
        int highest;
        std::array<bool, 6> rates;
    };
    const Case cases[] = {
        {"24,48,72,96", 4, {true, true, true, true, false, false}},
        {"3,24,48,72,73,74,96,97,98,121,122,145,146", 6, {true, true, true, true, true, true}},
        {"24,48", 2, {true, true, false, false, false, false}},
    };
    for (const Case& c : cases) {
        ModemRig r;
        r.modem.Expect("AT+FCLASS=1").Reply(Line::Line("OK"));
        r.modem.Expect("AT+FTM=?").Reply(Line::Line(c.list)).Reply(Line::Line("OK"));
        EXPECT_TRUE(r.control.QueryClass1Rates(true)) << c.list;
        EXPECT_EQ(r.control.HighestLocalRate(), c.highest) << c.list;
        for (int index = 1; index <= 6; ++index) {
            EXPECT_EQ(r.control.LocalRate(index), c.rates[index - 1]) << c.list << " " << index;
        }
        EXPECT_TRUE(r.modem.Complete()) << r.modem.Report();
    }
}

TEST_F(ModemControlTest, QueryClass1RatesLeavesTheRatesWhenClass1IsRefused) {
    modem.Expect("AT+FCLASS=1").Reply(Line::Line("ERROR"));
    EXPECT_FALSE(control.QueryClass1Rates(false));
    EXPECT_EQ(control.HighestLocalRate(), 1);
    EXPECT_TRUE(control.LocalRate(2));
    EXPECT_FALSE(control.LocalRate(3));
    ExpectScriptDone();
}

TEST_F(ModemControlTest, ResetResponseArmsTheSessionTimeout) {
    const int timeout = port.AddTimerTrigger();
    control.SetTimeoutTrigger(timeout);
    control.replyTimeout = 20;
    int timeouts = 0;
    port.RegisterEventProc([&](std::uint32_t message, int handle, std::uint32_t) {
        timeouts += (message == kMsgTimerTrigger && handle == timeout) ? 1 : 0;
    });
    modem.Expect("AT+FRH=3");
    control.ReceiveFrameCommand();
    const Micros sent = scheduler.Now();
    EXPECT_TRUE(scheduler.RunUntil([&] { return timeouts == 1; }, sent + Seconds(5)));
    EXPECT_EQ(scheduler.Now() - sent, Milliseconds(20 * 55));
    scheduler.RunFor(Milliseconds(55));
    EXPECT_TRUE(control.LocalDeadlineExpired());
    ExpectScriptDone();
}

// How a state machine uses the collector: inside data events, with the
// session's timeout trigger re-armed by every command.
TEST_F(ModemControlTest, EventDrivenCollectionSeesTheReplyOrTheTimeout) {
    const int timeout = port.AddTimerTrigger();
    control.SetTimeoutTrigger(timeout);
    std::vector<std::string> lines;
    int timeouts = 0;
    port.RegisterEventProc([&](std::uint32_t message, int handle, std::uint32_t) {
        if (message == kMsgTimerTrigger && handle == timeout) {
            ++timeouts;
            return;
        }
        while (port.CharReady()) {
            const auto byte = static_cast<std::uint8_t>(port.GetChar());
            if (control.CollectResponse(byte) == ModemControl::Collected::Line) {
                lines.push_back(control.ResponseBuffer());
                break;
            }
        }
    });
    modem.Expect("ATA").Reply(Line::Line("CONNECT 9600"), Seconds(3));
    modem.Expect("AT+FRH=3");

    ASSERT_EQ(control.SendCommand("ATA"), 0);
    EXPECT_TRUE(scheduler.RunUntil([&] { return !lines.empty(); }, Seconds(30)));
    EXPECT_EQ(lines, std::vector<std::string>{"CONNECT 9600"});
    EXPECT_TRUE(control.ReplyConnect());

    ASSERT_EQ(control.ReceiveFrameCommand(), 0);
    const Micros sent = scheduler.Now();
    EXPECT_TRUE(scheduler.RunUntil([&] { return timeouts > 0; }, sent + Seconds(30)));
    EXPECT_EQ(scheduler.Now() - sent, Milliseconds(182 * 55))
        << "the earlier setting no longer counts";
    scheduler.RunFor(Seconds(30));
    EXPECT_EQ(timeouts, 1);
    EXPECT_EQ(lines.size(), 1u);
    ExpectScriptDone();
}

TEST_F(ModemControlTest, HangUpProceduresFollowTheCarrier) {
    struct Case {
        const char* name;
        bool sender;
        bool carrier;
        std::vector<std::string> commands;
        int dtrDrops;
    };
    const Case cases[] = {
        {"sender without carrier", true, false, {"ATH0"}, 0},
        {"sender with carrier that stays", true, true, {"+++", "ATH0"}, 1},
        {"receiver", false, false, {"+++", "ATH"}, 1},
    };
    for (const Case& c : cases) {
        ModemRig r;
        for (const std::string& command : c.commands) {
            r.modem.Expect(command).Reply(Line::Line("OK"));
        }
        r.modem.SetDCD(c.carrier);
        if (c.sender) {
            r.control.SenderHangUp();
        } else {
            r.control.ReceiverHangUp();
        }
        r.scheduler.RunFor(Seconds(1));
        EXPECT_EQ(r.modem.Commands(), c.commands) << c.name;
        EXPECT_EQ(r.modem.DtrDrops(), c.dtrDrops) << c.name;
        EXPECT_TRUE(r.modem.Clean()) << c.name << ": " << r.modem.Report();
    }
}

TEST_F(ModemControlTest, BaudSwitchingMovesBetweenTheTwoRates) {
    control.SwitchToNormalBaud();
    EXPECT_EQ(port.Baud(), 19200u) << "no switching while the init baud is 0";
    control.SetInitBaud(2400, 0);
    EXPECT_EQ(port.Baud(), 2400u);
    control.SwitchToNormalBaud();
    EXPECT_EQ(port.Baud(), 19200u) << "the normal baud is the port's own when none is given";
    const Micros before = scheduler.Now();
    control.SwitchToNormalBaud();
    EXPECT_EQ(scheduler.Now(), before) << "already there: no wait";
    control.SwitchToInitBaud();
    EXPECT_EQ(port.Baud(), 2400u);
}

}  // namespace
}  // namespace corvane::engine
