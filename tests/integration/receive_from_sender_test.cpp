// Our sender to our receiver, each on its own simulated modem of the same
// class: every page arrives with its pixels, resolution and width, and
// the sender's station id is the file's. Class 1 against class 1 has the
// sender's training start while the receiver is still asking for it.
#include <gtest/gtest.h>

#include "receive_rig.h"

namespace corvane::integration {
namespace {

struct PairCase {
    FaxClass faxClass;
    std::uint16_t bps;
    bool fine;
    int width;
};

class SenderToReceiver : public ::testing::TestWithParam<PairCase> {};

std::unique_ptr<SimModem> ModemFor(FaxClass c, PhoneNetwork& network) {
    ModemConfig config;
    if (c == FaxClass::fcClass1) {
        config.classes = {"1"};
        return std::make_unique<Class1Modem>(network, config);
    }
    config.classes = {"1", "2", "2.0"};
    return std::make_unique<Class2Modem>(network, config);
}

TEST_P(SenderToReceiver, FileHoldsThePagesSent) {
    const PairCase c = GetParam();
    const std::string name = "pair" + std::to_string(static_cast<int>(c.faxClass)) + "_" +
                             std::to_string(c.bps) + (c.fine ? "f" : "s") + std::to_string(c.width);
    const std::string dir = FreshDir(name);
    std::vector<Lines> rasters;
    for (int p = 1; p <= 2; ++p) rasters.push_back(PageRaster(p, 80, c.width));
    const std::string faxPath = TempPath(name + ".apf");
    WriteFax(faxPath, rasters, c.fine);

    Scheduler scheduler;
    PhoneNetwork network(scheduler);
    const auto receivingModem = ModemFor(c.faxClass, network);
    const auto sendingModem = ModemFor(c.faxClass, network);
    network.Assign(kOurNumber, *receivingModem);
    SimComPort receivePort(scheduler, *receivingModem);
    SimComPort sendPort(scheduler, *sendingModem);
    receivePort.Open();
    sendPort.Open();

    CvReceiveFax receiver(scheduler, scheduler);
    receiver.SetComPort(&receivePort);
    receiver.faxClass = c.faxClass;
    receiver.desiredBPS = 14400;
    receiver.destinationDir = dir;
    receiver.oneFax = true;
    std::vector<int> receiveErrors;
    std::optional<int> receiveFinish;
    receiver.onFaxError = [&](CvCustomAbstractFax&, int code) { receiveErrors.push_back(code); };
    receiver.onFaxFinish = [&](CvCustomAbstractFax&, int code) { receiveFinish = code; };

    CvSendFax sender(scheduler, scheduler);
    sender.SetComPort(&sendPort);
    sender.faxClass = c.faxClass;
    sender.desiredBPS = c.bps;
    sender.stationID = "5550199";
    sender.phoneNumber = kOurNumber;
    sender.faxFile = faxPath;
    std::optional<int> sendFinish;
    sender.onFaxFinish = [&](CvCustomAbstractFax&, int code) { sendFinish = code; };

    receiver.StartReceive();
    scheduler.RunFor(Seconds(5));
    sender.StartTransmit();
    scheduler.RunUntil([&] { return sendFinish && receiveFinish; }, scheduler.Now() + Seconds(900));

    EXPECT_EQ(sendFinish, 0);
    EXPECT_EQ(receiveFinish, 0);
    EXPECT_EQ(receiveErrors, std::vector<int>{});
    const std::string file = dir + "/FAX0001.APF";
    ASSERT_TRUE(faximage::IsApfFile(file));
    const std::vector<Lines> got = FilePages(file);
    ASSERT_EQ(got.size(), rasters.size());
    for (std::size_t p = 0; p < got.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const Lines expected = AsReceived(rasters[p]);
        ASSERT_GE(got[p].size(), expected.size());
        // Below whatever the sender puts above the page.
        EXPECT_TRUE(Slice(got[p], got[p].size() - expected.size(), expected.size()) == expected);
        faximage::ApfPageHeader header;
        ASSERT_EQ(faximage::LookupPageHeader(file, static_cast<int>(p + 1), header), 0);
        EXPECT_EQ((header.pageFlags & faximage::pfFine) != 0, c.fine);
        EXPECT_EQ((header.pageFlags & faximage::pfWide) != 0, c.width == faximage::kWideLineWidth);
    }
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(file, header), 0);
    EXPECT_EQ(header.StationId(), "5550199             ");
    EXPECT_EQ(receiver.SessionBPS(), c.bps);
}

INSTANTIATE_TEST_SUITE_P(
    SameClass, SenderToReceiver,
    ::testing::Values(PairCase{FaxClass::fcClass1, 9600, true, faximage::kStandardLineWidth},
                      PairCase{FaxClass::fcClass1, 14400, false, faximage::kWideLineWidth},
                      PairCase{FaxClass::fcClass1, 2400, true, faximage::kWideLineWidth},
                      PairCase{FaxClass::fcClass2, 9600, true, faximage::kStandardLineWidth},
                      PairCase{FaxClass::fcClass2, 14400, false, faximage::kWideLineWidth},
                      PairCase{FaxClass::fcClass2_0, 14400, true, faximage::kStandardLineWidth},
                      PairCase{FaxClass::fcClass2_0, 2400, false, faximage::kWideLineWidth}));

}  // namespace
}  // namespace corvane::integration
