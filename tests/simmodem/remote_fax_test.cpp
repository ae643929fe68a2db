#include "simmodem/remote_fax.h"

#include <gtest/gtest.h>

#include "class1_driver.h"
#include "fax_pages.h"
#include "line_bytes.h"
#include "modem_terminal.h"
#include "simmodem/class1_modem.h"
#include "simmodem/page_scan.h"

namespace corvane::simmodem {
namespace {

using engine::Milliseconds;
using engine::Scheduler;
using engine::Seconds;
using namespace testing;

// A computer driving a class 1 modem by hand against a remote fax machine.
class ByHand : public ::testing::Test {
  protected:
    void SetUpRemote(RemoteFaxConfig config) {
        remote = std::make_unique<RemoteFax>(network, std::move(config));
        network.Assign("555", *remote);
    }

    std::string Train(const std::string& dcs = Dcs9600()) {
        const std::string answer = driver.Train("555", "5550100", dcs);
        dis = driver.dis;
        return answer;
    }
    void SendPage(const std::vector<std::uint8_t>& page, int postPage) {
        driver.SendPage(page, postPage);
    }
    std::string ReceiveFrame() { return driver.ReceiveFrame(); }

    Scheduler scheduler;
    PhoneNetwork network{scheduler};
    Class1Modem modem{network, {}};
    ModemTerminal computer{scheduler, modem};
    Class1Driver driver{computer};
    std::unique_ptr<RemoteFax> remote;
    std::string dis;

    void SetUp() override {
        SetUpRemote({});
        computer.Command("ATE0+FCLASS=1");
        ASSERT_TRUE(computer.WaitFor(kOk));
    }
};

TEST_F(ByHand, OnePageFaxReachesTheRemoteMachine) {
    EXPECT_EQ(Train(), kCFR);
    EXPECT_EQ(dis.substr(0, 6), Bytes({0xFF, 0x13, 0x80, 0x00, 0x6E, 0x71}));
    SendPage(CodedPage(40), kEOP);
    EXPECT_EQ(ReceiveFrame().substr(0, 3), kMCF);
    driver.Disconnect();
    scheduler.RunFor(Seconds(1));

    EXPECT_TRUE(remote->Succeeded()) << remote->FailureReason();
    EXPECT_EQ(remote->Violations(), std::vector<std::string>{});
    EXPECT_EQ(remote->RemoteId(), "4321");
    ASSERT_EQ(remote->Pages().size(), 1u);
    const ReceivedPage& page = remote->Pages()[0];
    EXPECT_EQ(page.scan.lines, 40);
    EXPECT_EQ(page.scan.width, 1728);
    EXPECT_EQ(page.scan.BadLines(), 0);
    EXPECT_TRUE(page.accepted);
    EXPECT_EQ(page.modulation.bitsPerSecond, 9600);
    EXPECT_EQ(page.page.data, CodedPage(40));
}

TEST_F(ByHand, ScriptedFaultsGiveTheirAnswers) {
    struct Case {
        const char* name;
        RemoteFaxFaults faults;
        std::string training;  // answer to TCF
        std::string pageAnswer;
    };
    const Case cases[] = {
        {"training fails at 9600", {{9600}, {}, {}, false}, kFTT, ""},
        {"RTN after page 1", {{}, {1}, {}, false}, kCFR, kRTN},
        {"hang-up after page 1", {{}, {}, 1, false}, kCFR, kDCN},
    };
    for (const Case& c : cases) {
        RemoteFaxConfig config;
        config.faults = c.faults;
        SetUpRemote(config);
        EXPECT_EQ(Train(), c.training) << c.name;
        if (!c.pageAnswer.empty()) {
            SendPage(CodedPage(10), kMPS);
            EXPECT_EQ(ReceiveFrame().substr(0, 3), c.pageAnswer) << c.name;
        }
        computer.Command("ATH");
        ASSERT_TRUE(computer.WaitFor(kOk));
        scheduler.RunFor(Seconds(10));
        EXPECT_EQ(remote->Violations(), std::vector<std::string>{}) << c.name;
    }
}

TEST_F(ByHand, ASilentMachineNeverConnects) {
    RemoteFaxConfig config;
    config.faults.silent = true;
    SetUpRemote(config);
    computer.Command("ATS7=20D555");
    EXPECT_EQ(computer.Until("\r\nNO CARRIER\r\n"), "\r\nNO CARRIER\r\n");
}

TEST_F(ByHand, ProtocolMistakesAreRecorded) {
    struct Case {
        const char* name;
        std::string dcs;
        std::vector<std::uint8_t> page;
        const char* violation;
    };
    std::vector<std::uint8_t> noRtc = CodedPage(5);
    noRtc.resize(noRtc.size() - faximage::kEndOfPageRecord.size());
    const Case cases[] = {
        {"DCS cut short",
         Bytes({0xFF, 0x13, 0x83, 0x00, 0x06}),
         {},
         "DCS information field of 2 octets, its extension bits ask for 0"},
        {"DCS without the X bit", Bytes({0xFF, 0x13, 0x82, 0x00, 0x06, 0x70}), CodedPage(5),
         "DCS without the X bit"},
        {"12000 as the description codes it",
         Bytes({0xFF, 0x13, 0x83, 0x00, 0x12, 0x70}),
         {},
         "DCS rate bits 0x10 name a V.33 rate, which was not offered"},
        {"lines below the minimum", Dcs9600(0x20), CodedPage(5),
         "page 1: 5 coded lines shorter than 12 bytes"},
        {"no RTC", Dcs9600(), noRtc, "page 1: page data without RTC"},
    };
    for (const Case& c : cases) {
        SetUpRemote({});
        const std::string answer = Train(c.dcs);
        if (!c.page.empty()) {
            EXPECT_EQ(answer, kCFR) << c.name;
            SendPage(c.page, kEOP);
            ReceiveFrame();
        }
        computer.Command("ATH");
        ASSERT_TRUE(computer.WaitFor(kOk));
        scheduler.RunFor(Seconds(10));
        ASSERT_FALSE(remote->Violations().empty()) << c.name;
        EXPECT_EQ(remote->Violations().front(), c.violation) << c.name;
    }
}

TEST(PageScan, PaddingBringsEveryLineToTheMinimum) {
    const std::vector<std::uint8_t> page = CodedPage(30);
    const PageScan plain = ScanPage(page, 0);
    EXPECT_EQ(plain.lines, 30);
    EXPECT_EQ(plain.codedLines, 30);
    EXPECT_TRUE(plain.endOfPage);
    EXPECT_EQ(ScanPage(page, 40).shortLines, 30);
    const std::vector<std::uint8_t> padded = PadLines(page, 40);
    const PageScan scan = ScanPage(padded, 40);
    EXPECT_EQ(scan.lines, 30);
    EXPECT_EQ(scan.shortLines, 0);
    EXPECT_TRUE(scan.endOfPage);
}

}  // namespace
}  // namespace corvane::simmodem

namespace corvane::simmodem {
namespace {

using engine::Scheduler;
using engine::Seconds;
using namespace testing;

// The computer answers with class 1 by hand and takes a page from a
// calling machine; its DIS offers 14400 bit/s with bits 11 and 14 only,
// which T.30 does not define, so the caller keeps to V.29.
TEST(ByHandAnswering, TakesAPageFromACallingMachine) {
    Scheduler scheduler;
    PhoneNetwork network(scheduler);
    Class1Modem modem(network, {});
    network.Assign("200", modem);
    ModemTerminal computer(scheduler, modem);
    Class1Driver driver(computer);
    computer.Command("ATE0+FCLASS=1");
    ASSERT_TRUE(computer.WaitFor(kOk));
    RemoteFaxConfig config;
    config.stationId = "777";
    config.pagesToSend = {{CodedPage(18), false, false}};
    RemoteFax caller(network, config);
    caller.Dial("200");

    ASSERT_TRUE(computer.WaitFor("\r\nRING\r\n"));
    computer.Command("ATA");
    ASSERT_EQ(computer.Until(kConnect), kConnect);
    computer.Type(Shield(Bytes({0xFF, 0x03, 0x40}) + Id("200")) + kDleEtx);
    ASSERT_EQ(computer.Until(kConnect), kConnect);
    computer.Type(Shield(Bytes({0xFF, 0x13, 0x80, 0x00, 0x66, 0xF9, 0x00})) + kDleEtx);
    ASSERT_EQ(computer.Until(kOk), kOk);

    EXPECT_EQ(driver.ReceiveFrame().substr(0, 23), Bytes({0xFF, 0x03, 0x43}) + Id("777"));
    computer.Command("AT+FRH=3");  // the DCS follows under the same carrier
    ASSERT_EQ(computer.Until(kConnect), kConnect);
    const std::string dcs = driver.Frame();
    EXPECT_EQ(dcs.substr(0, 6), Bytes({0xFF, 0x13, 0x83, 0x00, 0x06, 0x70}));  // 9600 bit/s V.29

    computer.Command("AT+FRM=96");
    ASSERT_EQ(computer.Until(kConnect), kConnect);
    EXPECT_TRUE(DataThenCarrierLoss(computer.Until(kNoCarrier), Shield(std::string(1800, '\0'))));
    driver.SendFrames({kCFR});
    computer.Command("AT+FRM=96");
    ASSERT_EQ(computer.Until(kConnect), kConnect);
    EXPECT_TRUE(DataThenCarrierLoss(
        computer.Until(kNoCarrier),
        Shield(std::string(config.pagesToSend[0].data.begin(), config.pagesToSend[0].data.end()))));
    EXPECT_EQ(driver.ReceiveFrame().substr(0, 3), Bytes({0xFF, 0x13, 0x2F}));  // EOP
    driver.SendFrames({kMCF});
    EXPECT_EQ(driver.ReceiveFrame().substr(0, 3), Bytes({0xFF, 0x13, 0xFB}));  // DCN
    scheduler.RunFor(Seconds(1));

    EXPECT_TRUE(caller.Succeeded()) << caller.FailureReason();
    EXPECT_EQ(caller.PagesSent(), 1);
    EXPECT_EQ(caller.RemoteId(), "200");
    EXPECT_EQ(caller.Violations(),
              std::vector<std::string>{"DIS rate bits 0x24 are not a T.30 combination"});
}

}  // namespace
}  // namespace corvane::simmodem
