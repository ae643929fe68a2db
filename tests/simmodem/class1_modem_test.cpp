#include "simmodem/class1_modem.h"

#include <gtest/gtest.h>

#include "line_bytes.h"
#include "modem_terminal.h"
#include "simmodem/hdlc.h"

namespace corvane::simmodem {
namespace {

using engine::Milliseconds;
using engine::Scheduler;
using engine::Seconds;
using namespace testing;

std::string WithCheck(const std::string& frame) {
    std::vector<std::uint8_t> bytes(frame.begin(), frame.end());
    AppendFrameCheck(bytes);
    return {bytes.begin(), bytes.end()};
}

TEST(Class1Commands, AnswerAsConfigured) {
    struct Case {
        const char* command;
        const char* reply;
    };
    const Case cases[] = {
        {"AT", "\r\nOK\r\n"},
        {"AT+FCLASS=?", "\r\n0,1,2.0\r\n\r\nOK\r\n"},
        {"AT+FCLASS?", "\r\n0\r\n\r\nOK\r\n"},
        {"AT+FTM=96", "\r\nERROR\r\n"},  // class 0 knows no fax commands
        {"AT+FCLASS=2", "\r\nERROR\r\n"},
        {"AT+FCLASS=1", "\r\nOK\r\n"},
        {"AT+FTM=?", "\r\n24,48,96\r\n\r\nOK\r\n"},
        {"AT+FRM=?", "\r\n24,48\r\n\r\nOK\r\n"},
        {"AT+FTH=?", "\r\n3\r\n\r\nOK\r\n"},
        {"AT+FTM=96", "\r\nERROR\r\n"},  // no call
        {"ATS0=2S0?S7?", "\r\n002\r\n\r\n050\r\n\r\nOK\r\n"},
        {"ATX5", "\r\nERROR\r\n"},
        {"ATE2", "\r\nERROR\r\n"},
        {"AT+FNONE", "\r\nERROR\r\n"},
        {"ATV0", "0\r"},
        {"AT", "0\r"},
        {"AT+FCLASS?", "1\r\n0\r"},
        {"ATV1Q1", ""},
        {"ATQ0", "\r\nOK\r\n"},
        {"A/", "\r\nOK\r\n"},
        {"AT&F+FCLASS?", "\r\n0\r\n\r\nOK\r\n"},
    };
    Scheduler scheduler;
    PhoneNetwork network(scheduler);
    ModemConfig config;
    config.classes = {"1", "2.0"};
    config.transmitRates = {24, 48, 96};
    config.receiveRates = {24, 48};
    Class1Modem modem(network, config);
    ModemTerminal terminal(scheduler, modem);
    terminal.Command("ATE0");
    ASSERT_TRUE(terminal.WaitFor(kOk));
    for (const Case& c : cases) {
        terminal.Command(c.command);
        scheduler.RunFor(Milliseconds(200));
        EXPECT_EQ(terminal.Unread(), c.reply) << c.command;
        terminal.WaitFor(c.reply);
    }
}

TEST(Class1Commands, EchoesWhatItIsTyped) {
    Scheduler scheduler;
    PhoneNetwork network(scheduler);
    Class1Modem modem(network, {});
    ModemTerminal terminal(scheduler, modem);
    terminal.Type("xATQ\bE1\r");
    EXPECT_EQ(terminal.Until(kOk), "xATQ\bE1\r" + kOk);
}

// A computer, its port and its modem on one number.
struct Station {
    Station(Scheduler& scheduler, PhoneNetwork& network, const std::string& number,
            ModemConfig config = {})
        : modem(network, std::move(config)), terminal(scheduler, modem) {
        network.Assign(number, modem);
        terminal.Command("ATE0+FCLASS=1");
        EXPECT_TRUE(terminal.WaitFor(kOk));
    }
    Class1Modem modem;
    ModemTerminal terminal;
};

class Class1Pair : public ::testing::Test {
  protected:
    // A calls B; B answers on the second ring and sends its first frame flags.
    void Connect() {
        a.terminal.Command("ATDT200");
        ASSERT_TRUE(b.terminal.WaitFor("\r\nRING\r\n"));
        const engine::Micros firstRing = scheduler.Now();
        ASSERT_TRUE(b.terminal.WaitFor("\r\nRING\r\n"));
        EXPECT_EQ(scheduler.Now() - firstRing, PhoneNetwork::kRingPeriod);
        b.terminal.Command("ATA");
        ASSERT_TRUE(b.terminal.WaitFor(kConnect));
        ASSERT_TRUE(a.terminal.WaitFor(kConnect));
        EXPECT_TRUE(a.terminal.port().CheckDCD());
    }

    // B sends frames (the last one final); A reads each with +FRH=3.
    void ExchangeFrames(const std::vector<std::string>& frames) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (i > 0) {
                ASSERT_TRUE(b.terminal.WaitFor(kConnect));
                a.terminal.Command("AT+FRH=3");
                ASSERT_TRUE(a.terminal.WaitFor(kConnect));
            }
            b.terminal.Type(Shield(frames[i]) + kDleEtx);
            EXPECT_EQ(a.terminal.Until(kOk), Shield(WithCheck(frames[i])) + kDleEtx + kOk);
        }
        EXPECT_TRUE(b.terminal.WaitFor(kOk));
    }

    Scheduler scheduler;
    PhoneNetwork network{scheduler};
    Station a{scheduler, network, "100"};
    Station b{scheduler, network, "200"};
};

TEST_F(Class1Pair, FramesAndPageDataArriveAsSent) {
    Connect();
    const std::string csi = std::string("\xFF\x03\x40", 3) + "  4321 with \x10 DLE ";
    const std::string dis = std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7);
    ExchangeFrames({csi, dis});

    // High-speed data: the receiver listens first, then the sender trains.
    a.terminal.Command("AT+FRM=96");
    scheduler.RunFor(Milliseconds(100));
    b.terminal.Command("AT+FTM=96");
    ASSERT_TRUE(b.terminal.WaitFor(kConnect));
    std::string page;
    for (int i = 0; i < 600; ++i) page += static_cast<char>(i * 7);
    b.terminal.Type(Shield(page) + kDleEtx);
    EXPECT_EQ(a.terminal.Until(kConnect), kConnect);
    EXPECT_TRUE(DataThenCarrierLoss(a.terminal.Until(kNoCarrier), Shield(page)));
    EXPECT_TRUE(b.terminal.WaitFor(kOk));
    EXPECT_EQ(b.modem.Counters().underruns, 0);
}

TEST_F(Class1Pair, AFrameWithBitErrorsEndsInError) {
    LineFaults faults;
    faults.bitErrorRate = 0.05;
    network.SetFaults("200", faults);
    Connect();
    b.terminal.Type(std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7) + kDleEtx);
    EXPECT_TRUE(a.terminal.WaitFor("\x10\x03\r\nERROR\r\n"));
}

TEST_F(Class1Pair, ALostFrameNeverArrivesAndTheCarrierEnds) {
    LineFaults faults;
    faults.lostFrames = {0};
    network.SetFaults("200", faults);
    Connect();
    b.terminal.Type(std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7) + kDleEtx);
    EXPECT_EQ(a.terminal.Until(kNoCarrier), kNoCarrier);
    EXPECT_EQ(a.modem.Counters().missedFrames, 0);
}

// +FRM after the far carrier began: within its training the modem still
// locks on and gets every byte; once trained without it, it hears nothing.
TEST_F(Class1Pair, ALateReceiveCommandLocksOnOnlyDuringTraining) {
    struct Case {
        int delayMs;  // V.29 9600 trains for 253 ms
        bool locks;
    };
    const Case cases[] = {{0, true}, {30, true}, {200, true}, {300, false}};
    Connect();
    ExchangeFrames({std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delayMs);
        b.terminal.Command("AT+FTM=96");
        scheduler.RunFor(Milliseconds(c.delayMs));
        a.terminal.Command("AT+FRM=96");
        ASSERT_TRUE(b.terminal.WaitFor(kConnect));
        const std::string check(200, '\0');
        b.terminal.Type(check + kDleEtx);
        ASSERT_TRUE(b.terminal.WaitFor(kOk));
        if (c.locks) {
            EXPECT_TRUE(DataThenCarrierLoss(a.terminal.Until(kNoCarrier), kConnect + check));
        } else {
            scheduler.RunFor(Milliseconds(200));
            EXPECT_EQ(a.terminal.Unread(), "");
            a.terminal.Type("x");
            EXPECT_EQ(a.terminal.Until(kOk), kOk);
        }
    }
}

TEST_F(Class1Pair, ADroppedCarrierCutsThePage) {
    LineFaults faults;
    faults.dropCarrierAfterBytes = 100;
    network.SetFaults("200", faults);
    Connect();
    ExchangeFrames({std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7)});
    a.terminal.Command("AT+FRM=48");
    b.terminal.Command("AT+FTM=48");
    ASSERT_TRUE(b.terminal.WaitFor(kConnect));
    b.terminal.Type(std::string(300, 'x') + kDleEtx);
    ASSERT_TRUE(a.terminal.WaitFor(kConnect));
    EXPECT_TRUE(DataThenCarrierLoss(a.terminal.Until(kNoCarrier), std::string(100, 'x')));
}

TEST_F(Class1Pair, ReceivingDataOnAV21CarrierIsAnFcError) {
    Connect();
    b.terminal.Type(std::string("\xFF\x03\x40 4321", 8) + kDleEtx);
    ASSERT_TRUE(a.terminal.WaitFor(kOk));
    // B's flags are still on: A was told to expect page data.
    a.terminal.Command("AT+FRM=96");
    EXPECT_EQ(a.terminal.Until("\r\n+FCERROR\r\n"), "\r\n+FCERROR\r\n");
}

TEST_F(Class1Pair, AMismatchedModulationIsNotHeard) {
    Connect();
    ExchangeFrames({std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7)});
    a.terminal.Command("AT+FRM=96");
    b.terminal.Command("AT+FTM=145");
    ASSERT_TRUE(b.terminal.WaitFor(kConnect));
    b.terminal.Type(std::string(200, '\0') + kDleEtx);
    ASSERT_TRUE(b.terminal.WaitFor(kOk));
    scheduler.RunFor(Seconds(1));
    EXPECT_EQ(a.terminal.Unread(), "");
    // Any character ends the wait.
    a.terminal.Type("x");
    EXPECT_EQ(a.terminal.Until(kOk), kOk);
}

TEST_F(Class1Pair, HardwareFlowHoldsAFastComputerAndAStallCountsAsUnderrun) {
    Connect();
    ExchangeFrames({std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7)});
    a.terminal.Command("AT+FRM=24");
    b.terminal.Command("AT+FTM=24");
    ASSERT_TRUE(b.terminal.WaitFor(kConnect));
    // 19200 baud into a 2400 bit/s line: CTS must stop the port.
    b.terminal.Type(std::string(6000, 'y'));
    scheduler.RunFor(Seconds(8));
    EXPECT_EQ(b.modem.Counters().transmitOverflows, 0);
    EXPECT_EQ(b.modem.Counters().underruns, 0);
    scheduler.RunFor(Seconds(30));  // the computer stalls: the line runs dry
    EXPECT_EQ(b.modem.Counters().underruns, 1);
    b.terminal.Type(kDleEtx);
    EXPECT_TRUE(
        DataThenCarrierLoss(a.terminal.Until(kNoCarrier), kConnect + std::string(6000, 'y')));
}

TEST_F(Class1Pair, RemoteHangUpEndsAReception) {
    Connect();
    ExchangeFrames({std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7)});
    a.terminal.Command("AT+FRH=3");
    scheduler.RunFor(Milliseconds(100));
    b.terminal.Command("ATH0");
    ASSERT_TRUE(b.terminal.WaitFor(kOk));
    EXPECT_EQ(a.terminal.Until(kNoCarrier), kNoCarrier);
    EXPECT_FALSE(a.terminal.port().CheckDCD());
}

TEST(Class1Dialling, ReportsWhatTheLineDoes) {
    struct Case {
        DialOutcome outcome;
        int xLevel;
        std::string result;
    };
    const Case cases[] = {
        {DialOutcome::Busy, 4, "\r\nBUSY\r\n"},
        {DialOutcome::Busy, 2, kNoCarrier},
        {DialOutcome::NoDialTone, 4, "\r\nNO DIALTONE\r\n"},
        {DialOutcome::NoDialTone, 3, kNoCarrier},
        {DialOutcome::Voice, 4, "\r\nVOICE\r\n"},
        {DialOutcome::NoAnswer, 4, "\r\nNO ANSWER\r\n"},
        {DialOutcome::NoAnswer, 1, kNoCarrier},
        {DialOutcome::DataModem, 0, kConnect},
    };
    for (const Case& c : cases) {
        Scheduler scheduler;
        PhoneNetwork network(scheduler);
        network.Assign("300", c.outcome);
        Station a(scheduler, network, "100");
        a.terminal.Command("ATX" + std::to_string(c.xLevel) + "S7=30D300");
        EXPECT_EQ(a.terminal.Until(c.result), c.result)
            << static_cast<int>(c.outcome) << " X" << c.xLevel;
        if (c.outcome == DialOutcome::DataModem) {
            EXPECT_TRUE(a.terminal.WaitFor(kNoCarrier));
        }
        EXPECT_FALSE(a.terminal.port().CheckDCD());
    }
}

TEST(Class1Dialling, EscapeWithGuardTimesLeavesADataCall) {
    Scheduler scheduler;
    PhoneNetwork network(scheduler);
    network.Assign("300", DialOutcome::DataModem);
    Station a(scheduler, network, "100");
    a.terminal.Command("ATD300");
    ASSERT_TRUE(a.terminal.WaitFor(kConnect));
    scheduler.RunFor(Seconds(2));
    a.terminal.Type("a+++");  // no guard before: data
    scheduler.RunFor(Seconds(2));
    EXPECT_EQ(a.terminal.Unread(), "");
    a.terminal.Type("+++");
    EXPECT_EQ(a.terminal.Until(kOk, Seconds(2)), kOk);
    a.terminal.Command("ATH");
    EXPECT_EQ(a.terminal.Until(kOk), kOk);
}

TEST(Class1Answering, AutoAnswersAfterS0Rings) {
    Scheduler scheduler;
    PhoneNetwork network(scheduler);
    Station a(scheduler, network, "100");
    Station b(scheduler, network, "200");
    b.terminal.Command("ATS0=3");
    ASSERT_TRUE(b.terminal.WaitFor(kOk));
    a.terminal.Command("ATD200");
    EXPECT_EQ(b.terminal.Until(kConnect), "\r\nRING\r\n\r\nRING\r\n\r\nRING\r\n" + kConnect);
    EXPECT_EQ(b.modem.Register(1), 3);
}

}  // namespace
}  // namespace corvane::simmodem

namespace corvane::simmodem {
namespace {

// Page data both ways under each kind of flow control: a computer that
// writes faster than the line is held off, and one that reads late loses
// nothing, whichever way it asks the modem to wait.
TEST(Class1Flow, NoByteIsLostEitherWay) {
    struct Case {
        const char* name;
        const char* flowCommand;
        bool software;
    };
    const Case cases[] = {{"RTS/CTS", "AT&K3", false}, {"XON/XOFF", "AT&K4", true}};
    for (const Case& c : cases) {
        Scheduler scheduler;
        PhoneNetwork network(scheduler);
        engine::PortSettings settings;
        settings.inSize = 1024;  // a reader that falls behind fills it quickly
        settings.bufferFull = 900;
        settings.bufferResume = 100;
        settings.hwFlowUseRTS = !c.software;
        settings.hwFlowRequireCTS = !c.software;
        Class1Modem readerModem(network, {});
        Class1Modem writerModem(network, {});
        network.Assign("200", writerModem);
        ModemTerminal reader(scheduler, readerModem, settings);
        ModemTerminal writer(scheduler, writerModem, settings);
        for (ModemTerminal* t : {&reader, &writer}) {
            t->Command(std::string("ATE0+FCLASS=1") + ";" + (c.flowCommand + 2));
            ASSERT_TRUE(t->WaitFor(kOk)) << c.name;
        }
        if (c.software) {
            writer.port().SWFlowEnable(900, 100, engine::FlowDirection::Transmit);
            reader.port().SWFlowEnable(900, 100, engine::FlowDirection::Receive);
        }
        reader.Command("ATD200");
        ASSERT_TRUE(writer.WaitFor("\r\nRING\r\n")) << c.name;
        writer.Command("ATA");
        ASSERT_TRUE(writer.WaitFor(kConnect));
        ASSERT_TRUE(reader.WaitFor(kConnect));
        writer.Type(std::string("\xFF\x13\x80\x00\x4E\xF9\x00", 7) + kDleEtx);
        ASSERT_TRUE(reader.WaitFor(kOk));
        ASSERT_TRUE(writer.WaitFor(kOk));

        reader.Command("AT+FRM=24");  // the caller listens ...
        writer.Command("AT+FTM=24");  // ... and the answerer sends 8000 bytes at 2400 bit/s
        ASSERT_TRUE(writer.WaitFor(kConnect)) << c.name;
        std::string page;
        for (int i = 0; i < 8000; ++i) page += static_cast<char>('a' + i % 26);
        writer.Type(page.substr(0, 4000));
        scheduler.RunFor(Seconds(1));
        writer.Type(page.substr(4000) + kDleEtx);
        ASSERT_TRUE(reader.WaitFor(kConnect)) << c.name;
        // The caller stops reading for a while: its port fills and holds the modem off.
        scheduler.RunFor(Seconds(20));
        EXPECT_TRUE(DataThenCarrierLoss(reader.Until(kNoCarrier, Seconds(60)), page)) << c.name;
        EXPECT_EQ(reader.port().Overruns(), 0u) << c.name;
        EXPECT_EQ(writerModem.Counters().transmitOverflows, 0) << c.name;
        EXPECT_EQ(readerModem.Counters().receiveOverflows, 0) << c.name;
    }
}

}  // namespace
}  // namespace corvane::simmodem
