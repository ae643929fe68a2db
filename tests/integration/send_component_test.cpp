// The send component's own rules: batches with and without OnFaxNext, the
// port checks, the dial waits kept in ticks, and the history it writes.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "faxengine/fax_exceptions.h"
#include "faxengine/fax_log.h"
#include "send_rig.h"

namespace corvane::integration {
namespace {

std::string OnePageFax(const std::string& name) {
    const std::string path = TempPath(name);
    WriteFax(path, {PageRaster(1, 30)}, false);
    return path;
}

TEST(SendComponent, DialWaitsReadBackInSeconds) {
    Scheduler scheduler;
    CvSendFax fax(scheduler, scheduler);
    EXPECT_EQ(fax.DialWait(), 60u);
    EXPECT_EQ(fax.DialRetryWait(), 60u);
    for (const std::uint32_t seconds : {0u, 1u, 2u, 45u, 60u, 3600u, 65535u}) {
        fax.SetDialWait(seconds);
        fax.SetDialRetryWait(seconds);
        EXPECT_EQ(fax.DialWait(), seconds);
        EXPECT_EQ(fax.DialRetryWait(), seconds);
    }
}

TEST(SendComponent, PortChecksRaiseAndStartNothing) {
    Scheduler scheduler;
    CvSendFax fax(scheduler, scheduler);
    EXPECT_THROW(fax.StartTransmit(), PortNotAssigned);

    ModemConfig config;
    PhoneNetwork network(scheduler);
    Class1Modem modem(network, config);
    PortSettings small;
    small.outSize = 4096;
    SimComPort port(scheduler, modem, small);
    port.Open();
    fax.SetComPort(&port);
    EXPECT_THROW(fax.StartTransmit(), OutputBufferTooSmall);
    EXPECT_FALSE(port.FaxRunning());
}

TEST(SendComponent, WithoutOnFaxNextOneStartSendsExactlyOneFax) {
    SendRig rig(FaxClass::fcClass1);
    rig.fax.onFaxNext = nullptr;
    rig.fax.faxFile = OnePageFax("single.apf");
    int dials = 0;
    rig.modem->SetCallLog(
        [&](const std::string& text) { dials += text.rfind("dialling", 0) == 0; });
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(dials, 1);
    EXPECT_EQ(rig.logCodes, (std::vector<int>{1, 2}));
    EXPECT_EQ(rig.remote->Pages().size(), 1u);
}

TEST(SendComponent, OnFaxNextEndingAtOnceFinishesWithoutDialing) {
    SendRig rig(FaxClass::fcClass1);
    rig.fax.onFaxNext = [](CvCustomSendFax&, std::string&, std::string&, std::string&) {};
    int dials = 0;
    rig.modem->SetCallLog(
        [&](const std::string& text) { dials += text.rfind("dialling", 0) == 0; });
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(dials, 0);
    EXPECT_EQ(rig.finishes.size(), 1u);
    EXPECT_EQ(rig.lastSeen, 1);
}

TEST(SendComponent, BatchGoesOnAfterAFailedFaxAndFinishesWithItsCode) {
    SendRig rig(FaxClass::fcClass1);
    rig.network.Assign("5550001", DialOutcome::Voice);
    RemoteFax second(rig.network, {});
    rig.network.Assign("5550002", second);
    const std::vector<std::pair<std::string, std::string>> batch = {
        {"5550001", OnePageFax("batch1.apf")}, {"5550002", OnePageFax("batch2.apf")}};
    std::size_t next = 0;
    rig.fax.onFaxNext = [&](CvCustomSendFax&, std::string& number, std::string& file,
                            std::string&) {
        if (next < batch.size()) {
            number = batch[next].first;
            file = batch[next].second;
            ++next;
        }
    };
    EXPECT_EQ(rig.Run(), -8075) << "the finish keeps the last failure";
    EXPECT_EQ(rig.logCodes, (std::vector<int>{1, 3, 1, 2}));
    EXPECT_TRUE(second.Succeeded());
    EXPECT_EQ(second.Pages().size(), 1u);
}

TEST(SendComponent, SupportedFaxClassesAsksTheModem) {
    for (const auto& [faxClass, mask] :
         {std::pair{FaxClass::fcClass1, 4u}, std::pair{FaxClass::fcClass2, 28u}}) {
        SendRig rig(faxClass);
        EXPECT_EQ(rig.fax.SupportedFaxClasses(), mask);
    }
}

// Counts what the session shows; the first and the last come once each.
class CountingDisplay : public CvAbstractFaxStatus {
  public:
    void CreateDisplay() override {}
    void DestroyDisplay() override {}
    void UpdateDisplay(bool first, bool last) override {
        firsts += first;
        lasts += last;
        ++updates;
        lastProgress = fax->FaxProgress();
    }
    int firsts = 0;
    int lasts = 0;
    int updates = 0;
    int lastProgress = 0;
};

TEST(SendComponent, StatusDisplayFollowsTheSession) {
    SendRig rig(FaxClass::fcClass1);
    CountingDisplay display;
    rig.fax.SetStatusDisplay(&display);
    EXPECT_EQ(display.fax, &rig.fax);
    rig.fax.faxFile = OnePageFax("display.apf");
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(display.firsts, 1);
    EXPECT_EQ(display.lasts, 1);
    EXPECT_GT(display.updates, 5);
    EXPECT_EQ(display.lastProgress, kProgressFinished);
    rig.fax.SetStatusDisplay(nullptr);
    EXPECT_EQ(display.fax, nullptr);
}

// The history with its date and time replaced by "<D>".
std::string History(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return std::regex_replace(text.str(), std::regex(" at [^\r]*?( 0)?\r\n"), " at <D>$1\r\n");
}

TEST(SendComponent, HistoryTellsAGoodAndAFailedFax) {
    const std::string history = TempPath("CVFAX.HIS");
    std::remove(history.c_str());
    const std::string file = OnePageFax("history.apf");

    SendRig good(FaxClass::fcClass1);
    CvFaxLog log;
    log.faxHistoryName = history;
    good.fax.SetFaxLog(&log);
    good.fax.faxFile = file;
    ASSERT_EQ(good.Run(), 0);

    SendRig failed(FaxClass::fcClass1);
    failed.network.Assign(kNumber, DialOutcome::Voice);
    failed.fax.SetFaxLog(&log);
    failed.fax.faxFile = file;
    ASSERT_EQ(failed.Run(), -8075);

    const std::string id = "5550100";
    EXPECT_EQ(History(history), "Transmit " + file +
                                    " to 5551234 started at <D>\r\n"
                                    "Transmit to " +
                                    id +
                                    " finished OK at <D> 0\r\n\r\n"
                                    "Transmit " +
                                    file +
                                    " to 5551234 started at <D>\r\n"
                                    "Transmit failed at <D>\r\n"
                                    "  (Called fax number answered with voice) 0\r\n\r\n");
}

}  // namespace
}  // namespace corvane::integration
