#include "simmodem/class2_modem.h"

#include <gtest/gtest.h>

#include <functional>

#include "class1_driver.h"
#include "fax_pages.h"
#include "line_bytes.h"
#include "modem_terminal.h"
#include "simmodem/remote_fax.h"

namespace corvane::simmodem {
namespace {

using engine::Milliseconds;
using engine::Scheduler;
using engine::Seconds;
using namespace testing;

// The report names of the two command sets.
struct Dialect {
    const char* faxClass;
    const char* localId;
    const char* sessionParams;
    const char* connect;
    const char* calledId;
    const char* remoteCaps;
    const char* sessionReport;
    const char* transmitId;
    const char* pageStatus;
    const char* hangUp;
};
const Dialect kClass2{"2",     "+FLID", "+FDIS", "+FCON", "+FCSI",
                      "+FDIS", "+FDCS", "+FTSI", "+FPTS", "+FHNG:0"};
const Dialect kClass20{"2.0",  "+FLI", "+FIS", "+FCO", "+FCI",
                       "+FIS", "+FCS", "+FTI", "+FPS", "+FHS:00"};

std::string Line(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

// What a class 2 computer receives for a page, in line bit order.
std::vector<std::uint8_t> LineOrder(const std::string& delivered, bool reversed) {
    std::vector<std::uint8_t> bytes;
    for (char c : Unshield(delivered)) {
        const auto byte = static_cast<std::uint8_t>(c);
        bytes.push_back(reversed ? ReverseBits(byte) : byte);
    }
    return bytes;
}

struct Class2Station {
    Class2Station(Scheduler& scheduler, PhoneNetwork& network, const std::string& number,
                  const Dialect& dialect)
        : modem(network, Config()), terminal(scheduler, modem) {
        network.Assign(number, modem);
        terminal.Command(std::string("ATE0+FCLASS=") + dialect.faxClass + ";" + dialect.localId +
                         "=\"" + number + "\"");
        EXPECT_TRUE(terminal.WaitFor(kOk));
    }
    static ModemConfig Config() {
        ModemConfig config;
        config.classes = {"1", "2", "2.0"};
        return config;
    }
    Class2Modem modem;
    ModemTerminal terminal;
};

class Class2Dialects : public ::testing::TestWithParam<Dialect> {
  protected:
    Scheduler scheduler;
    PhoneNetwork network{scheduler};
};

TEST_P(Class2Dialects, SendsTwoPagesToARemoteMachine) {
    const Dialect& d = GetParam();
    const bool class2 = std::string(d.faxClass) == "2";
    RemoteFax remote(network, {});
    network.Assign("555", remote);
    Class2Station station(scheduler, network, "100", d);
    ModemTerminal& computer = station.terminal;
    computer.Command(std::string("AT") + d.sessionParams + "=0,3,0,2,0,0,0,0");
    ASSERT_TRUE(computer.WaitFor(kOk));

    computer.Command("ATD555");
    EXPECT_EQ(computer.Until(kOk), Line(d.connect) +
                                       Line(std::string(d.calledId) + ":\"5550100\"") +
                                       Line(std::string(d.remoteCaps) + ":1,5,1,2,0,0,0,0") + kOk);
    const std::vector<std::vector<std::uint8_t>> pages = {CodedPage(20), CodedPage(30)};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const bool last = i + 1 == pages.size();
        computer.Command("AT+FDT");
        EXPECT_EQ(computer.Until(kConnect),
                  Line(std::string(d.sessionReport) + ":0,3,0,2,0,0,0,0") + kConnect);
        if (class2) {
            EXPECT_TRUE(computer.WaitFor("\x11"));  // XON: ready for data
        }
        const std::string data(pages[i].begin(), pages[i].end());
        if (class2) {
            computer.Type(Shield(data) + kDleEtx);
            ASSERT_EQ(computer.Until(kOk), kOk);
            computer.Command(last ? "AT+FET=2" : "AT+FET=0");
            EXPECT_EQ(computer.Until(kOk), Line("+FPTS:1") + (last ? Line(d.hangUp) : "") + kOk);
        } else {
            computer.Type(Shield(data) + (last ? "\x10." : "\x10,"));
            EXPECT_EQ(computer.Until(kOk), (last ? Line(d.hangUp) : "") + kOk);
        }
    }
    scheduler.RunFor(Seconds(2));
    EXPECT_TRUE(remote.Succeeded()) << remote.FailureReason();
    EXPECT_EQ(remote.Violations(), std::vector<std::string>{});
    EXPECT_EQ(remote.RemoteId(), "100");
    ASSERT_EQ(remote.Pages().size(), 2u);
    EXPECT_EQ(remote.Pages()[0].scan.lines, 20);
    EXPECT_EQ(remote.Pages()[1].scan.lines, 30);
    EXPECT_EQ(remote.Pages()[1].page.data, pages[1]);
    EXPECT_EQ(station.modem.HangupCode(), 0);
}

TEST_P(Class2Dialects, ReceivesFromACallingMachine) {
    const Dialect& d = GetParam();
    const bool class2 = std::string(d.faxClass) == "2";
    RemoteFaxConfig config;
    config.stationId = "777";
    config.pagesToSend = {{CodedPage(12)}, {CodedPage(25)}};
    RemoteFax caller(network, config);
    Class2Station station(scheduler, network, "200", d);
    ModemTerminal& computer = station.terminal;
    computer.Command("AT+FCR=1");
    ASSERT_TRUE(computer.WaitFor(kOk));

    caller.Dial("200");
    ASSERT_TRUE(computer.WaitFor(Line("RING")));
    computer.Command("ATA");
    EXPECT_EQ(computer.Until(kOk), Line(d.connect) + Line(std::string(d.transmitId) + ":\"777\"") +
                                       Line(std::string(d.sessionReport) + ":0,5,0,2,0,0,0,0") +
                                       kOk);
    for (std::size_t i = 0; i < config.pagesToSend.size(); ++i) {
        const bool last = i + 1 == config.pagesToSend.size();
        computer.Command("AT+FDR");
        ASSERT_EQ(computer.Until(kConnect), kConnect);
        computer.Type("\x12");  // DC2: ready for the page
        const std::string data = computer.Until(kDleEtx);
        EXPECT_EQ(LineOrder(data.substr(0, data.size() - kClass2PageEnd.size()), class2),
                  config.pagesToSend[i].data);
        const std::string lines = std::to_string(i == 0 ? 12 : 25);
        EXPECT_EQ(computer.Until(kOk), Line(std::string(d.pageStatus) + ":1," + lines + ",0,0,0") +
                                           Line(last ? "+FET:2" : "+FET:0") + kOk);
    }
    computer.Command("AT+FDR");
    EXPECT_EQ(computer.Until(kOk), Line(d.hangUp) + kOk);
    scheduler.RunFor(Seconds(1));
    EXPECT_TRUE(caller.Succeeded()) << caller.FailureReason();
    EXPECT_EQ(caller.PagesSent(), 2);
    EXPECT_EQ(caller.Violations(), std::vector<std::string>{});
    EXPECT_EQ(station.modem.Complaints(), std::vector<std::string>{});
}

TEST_P(Class2Dialects, ReportsWhatARemoteMachineDoesWrong) {
    const Dialect& d = GetParam();
    const bool class2 = std::string(d.faxClass) == "2";
    struct Case {
        const char* name;
        RemoteFaxFaults faults;
        const char* fdtClass2;  // +FDT's answer
        const char* fdtClass20;
        const char* pageClass2;  // +FET=0's answer (class 2) or the page end's (class 2.0)
        const char* pageClass20;
    };
    const Case cases[] = {
        {"training fails everywhere",
         {{2400, 4800, 7200, 9600, 12000, 14400}, {}, {}, false},
         "\r\n+FHNG:27\r\n\r\nERROR\r\n",
         "\r\n+FHS:1B\r\n\r\nERROR\r\n",
         "",
         ""},
        {"RTN after page 1",
         {{}, {1}, {}, false},
         "",
         "",
         "\r\n+FPTS:2\r\n\r\nOK\r\n",
         "\r\nERROR\r\n"},
        {"hang-up after page 1",
         {{}, {}, 1, false},
         "",
         "",
         "\r\n+FHNG:50\r\n\r\nERROR\r\n",
         "\r\n+FHS:32\r\n\r\nERROR\r\n"},
    };
    for (const Case& c : cases) {
        Scheduler scheduler;
        PhoneNetwork network(scheduler);
        RemoteFaxConfig config;
        config.faults = c.faults;
        RemoteFax remote(network, config);
        network.Assign("555", remote);
        Class2Station station(scheduler, network, "100", d);
        ModemTerminal& computer = station.terminal;
        computer.Command("ATD555");
        ASSERT_TRUE(computer.WaitFor(kOk)) << c.name;
        computer.Command("AT+FDT");
        const std::string fdtFailure = class2 ? c.fdtClass2 : c.fdtClass20;
        if (!fdtFailure.empty()) {
            EXPECT_EQ(computer.Until("ERROR\r\n"), fdtFailure) << c.name;
            scheduler.RunFor(Seconds(1));
            EXPECT_EQ(remote.FailureReason(), "DCN from the other station before the end")
                << c.name;
            continue;
        }
        ASSERT_TRUE(computer.WaitFor(kConnect)) << c.name;
        const std::vector<std::uint8_t> page = CodedPage(10);
        computer.Type(Shield(std::string(page.begin(), page.end())) + (class2 ? kDleEtx : "\x10,"));
        if (class2) {
            ASSERT_TRUE(computer.WaitFor(kOk)) << c.name;
            computer.Command("AT+FET=0");
        }
        const std::string expected = class2 ? c.pageClass2 : c.pageClass20;
        EXPECT_EQ(computer.Until(expected.substr(expected.size() - 4)), expected) << c.name;
    }
}

// A computer that answers the modem's lines as they come, while the test
// drives the other side.
class Responder {
  public:
    Responder(Scheduler& scheduler, ModemTerminal& terminal)
        : scheduler_(scheduler), terminal_(terminal) {}
    Responder& When(std::string text, std::string reply) {
        rules_.push_back({std::move(text), std::move(reply)});
        return *this;
    }
    void Start() { Poll(); }
    bool Done() const { return next_ == rules_.size(); }

  private:
    void Poll() {
        while (next_ < rules_.size() && terminal_.Seen(rules_[next_].first)) {
            terminal_.Type(rules_[next_++].second);
        }
        if (!Done())
            scheduler_.After(Milliseconds(5), [this] { Poll(); });
    }

    Scheduler& scheduler_;
    ModemTerminal& terminal_;
    std::vector<std::pair<std::string, std::string>> rules_;
    std::size_t next_ = 0;
};

TEST_P(Class2Dialects, TakesAFaxFromAClass1Computer) {
    const Dialect& d = GetParam();
    const bool class2 = std::string(d.faxClass) == "2";
    Class2Station receiver(scheduler, network, "555", d);
    receiver.terminal.Command("ATS0=1");
    ASSERT_TRUE(receiver.terminal.WaitFor(kOk));
    Responder responder(scheduler, receiver.terminal);
    responder.When(std::string(d.sessionReport) + ":0,3,0,2,0,0,0,0\r\n" + kOk, "AT+FDR\r")
        .When(kConnect, "\x12")
        .When("+FET:2\r\n" + kOk, "AT+FDR\r")
        .When(Line(d.hangUp) + kOk, "");
    responder.Start();

    Class1Modem sender(network, {});
    ModemTerminal computer(scheduler, sender);
    computer.Command("ATE0+FCLASS=1");
    ASSERT_TRUE(computer.WaitFor(kOk));
    Class1Driver driver(computer);
    EXPECT_EQ(driver.Train("555", "555"), kCFR);
    const std::vector<std::uint8_t> page = CodedPage(33);
    driver.SendPage(page, kEOP);
    EXPECT_EQ(driver.ReceiveFrame().substr(0, 3), kMCF);
    driver.Disconnect();
    scheduler.RunFor(Seconds(2));

    EXPECT_TRUE(responder.Done());
    const std::string& all = receiver.terminal.All();
    const std::size_t start = all.find(kConnect) + kConnect.size();
    const std::size_t end = all.find(kClass2PageEnd + "\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(LineOrder(all.substr(start, end - start), class2), page);
    EXPECT_EQ(receiver.modem.Complaints(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(CommandSets, Class2Dialects, ::testing::Values(kClass2, kClass20),
                         [](const auto& info) {
                             return std::string(info.param.faxClass) == "2" ? "Class2" : "Class20";
                         });

}  // namespace
}  // namespace corvane::simmodem
