// Receptions that do not go as planned: the ring to answer on, a refused
// caller, a carrier lost mid-page, and what each leaves on disk.
#include <gtest/gtest.h>

#include <fstream>

#include "faxengine/engine_codes.h"
#include "faxengine/fax_log.h"
#include "receive_rig.h"

namespace corvane::integration {
namespace {

const FaxClass kClasses[] = {FaxClass::fcClass1, FaxClass::fcClass2, FaxClass::fcClass2_0};

std::string ClassName(FaxClass c) {
    return c == FaxClass::fcClass1 ? "1" : c == FaxClass::fcClass2 ? "2" : "2.0";
}

RemoteFaxConfig Caller(int pages) {
    RemoteFaxConfig config;
    config.pagesToSend = TestPages(pages, false);
    return config;
}

TEST(ReceiveFaults, AnswersOnTheConfiguredRing) {
    for (const int ring : {1, 3}) {
        SCOPED_TRACE(ring);
        ReceiveRig rig(FaxClass::fcClass1, "ring" + std::to_string(ring), Caller(1));
        rig.fax.answerOnRing = static_cast<std::uint16_t>(ring);
        int ringsWhenAnswered = 0;
        rig.fax.onFaxStatus = [&](CvCustomAbstractFax& f, bool, bool) {
            if (f.FaxProgress() == kProgressAnswering && ringsWhenAnswered == 0)
                ringsWhenAnswered = rig.modem->Register(1);
        };
        rig.Start();
        rig.Call();
        EXPECT_TRUE(rig.caller->Succeeded()) << rig.caller->FailureReason();
        EXPECT_EQ(ringsWhenAnswered, ring);
    }
}

TEST(ReceiveFaults, RefusedCallerIsSkippedAndTheNextOneTaken) {
    for (const FaxClass cls : kClasses) {
        SCOPED_TRACE(ClassName(cls));
        ReceiveRig rig(cls, "refuse" + ClassName(cls), Caller(1));
        bool refuse = true;
        rig.fax.onFaxAccept = [&](CvCustomReceiveFax&, bool& accept) { accept = !refuse; };
        rig.Start();
        rig.Call();
        EXPECT_FALSE(rig.caller->Succeeded());
        EXPECT_EQ(rig.errors, std::vector<int>{-6011});
        EXPECT_EQ(rig.logCodes, std::vector<int>{6});
        EXPECT_TRUE(std::filesystem::is_empty(rig.dir));

        refuse = false;
        rig.NewCaller(Caller(2));
        rig.Call();
        EXPECT_TRUE(rig.caller->Succeeded()) << rig.caller->FailureReason();
        EXPECT_EQ(rig.logCodes, (std::vector<int>{6, 4, 5}));
        ASSERT_EQ(rig.files.size(), 1u);
        ExpectSamePages(rig.files[0], Caller(2).pagesToSend);
        EXPECT_TRUE(rig.finishes.empty());
    }
}

TEST(ReceiveFaults, HistoryTellsEachCall) {
    ReceiveRig rig(FaxClass::fcClass2, "history", Caller(1));
    CvFaxLog log;
    log.faxHistoryName = rig.dir + "/../corvane_receive_history.his";
    std::filesystem::remove(log.faxHistoryName);
    rig.fax.SetFaxLog(&log);
    bool refuse = true;
    rig.fax.onFaxAccept = [&](CvCustomReceiveFax&, bool& accept) { accept = !refuse; };
    rig.Start();
    rig.Call();
    refuse = false;
    rig.NewCaller(Caller(1));
    rig.Call();
    std::ifstream in(log.faxHistoryName, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t skipped = text.find("Receive skipped at ");
    const std::size_t started =
        text.find("Receive " + rig.dir + "/FAX0001.APF from 5550100 started at ");
    const std::size_t ok = text.find("Receive finished OK at ");
    EXPECT_NE(skipped, std::string::npos) << text;
    EXPECT_NE(started, std::string::npos) << text;
    EXPECT_NE(ok, std::string::npos) << text;
    EXPECT_TRUE(skipped < started && started < ok) << text;
}

TEST(ReceiveFaults, OneFaxFinishesAfterTheFirstGoodCall) {
    ReceiveRig rig(FaxClass::fcClass2, "onefax", Caller(1));
    rig.fax.oneFax = true;
    rig.Start();
    rig.Call();
    EXPECT_EQ(rig.finishes, std::vector<int>{0});
    EXPECT_EQ(rig.logCodes, (std::vector<int>{4, 5}));
}

TEST(ReceiveFaults, AbortWhileWaitingFinishesAtOnce) {
    ReceiveRig rig(FaxClass::fcClass1, "abort", Caller(1));
    rig.Start();
    rig.fax.CancelFax();
    rig.scheduler.RunFor(Seconds(1));
    EXPECT_EQ(rig.finishes, std::vector<int>{-6005});
    EXPECT_EQ(rig.lasts, 1);
}

TEST(ReceiveFaults, StatusDisplayOpensPerCallUnlessConstant) {
    for (const bool constant : {false, true}) {
        SCOPED_TRACE(constant);
        ReceiveRig rig(FaxClass::fcClass2_0, constant ? "constant" : "percall", Caller(1));
        rig.fax.constantStatus = constant;
        rig.Start();
        rig.Call();
        rig.NewCaller(Caller(1));
        rig.Call();
        EXPECT_EQ(rig.firsts, constant ? 1 : 2);
        EXPECT_EQ(rig.lasts, constant ? 0 : 2);
    }
}

// Whatever a caller calls itself, at most 20 printable characters reach
// the owner, the log and the file header.
TEST(ReceiveFaults, CallerIdentifiersAreCleanedBeforeUse) {
    const std::string ids[] = {
        "", "1", "12345678901234567890", "123456789012345678901",
        std::string("\x01\x1b[2J<script>$(rm -rf ~)\x7f") + std::string(230, '\xfe')};
    for (const FaxClass cls : kClasses) {
        for (std::size_t i = 0; i < std::size(ids); ++i) {
            SCOPED_TRACE(ClassName(cls) + " id " + std::to_string(i));
            RemoteFaxConfig caller = Caller(1);
            caller.stationId = ids[i];
            ReceiveRig rig(cls, "id" + ClassName(cls) + std::to_string(i), caller);
            std::string seenAtAccept;
            rig.fax.onFaxAccept = [&](CvCustomReceiveFax& f, bool&) {
                seenAtAccept = f.RemoteID();
            };
            rig.Start();
            rig.Call();
            ASSERT_EQ(rig.files.size(), 1u);
            faximage::ApfFileHeader header;
            ASSERT_EQ(faximage::ReadApfHeader(rig.files[0], header), 0);
            for (const std::string& text : {seenAtAccept, header.StationId()}) {
                EXPECT_LE(text.size(), 20u);
                for (const char c : text) {
                    EXPECT_TRUE(c >= 0x20 && c <= 0x7E)
                        << "byte " << int(static_cast<unsigned char>(c));
                }
            }
            EXPECT_TRUE(rig.caller->Succeeded()) << rig.caller->FailureReason();
        }
    }
}

// A class 1 caller whose frames are not what T.30 allows. Each call ends,
// with the pages when the frames that matter were sound, and whatever
// file is left is valid; the receiver then takes the next call.
TEST(ReceiveFaults, HostileFramesEndTheCallCleanly) {
    using namespace simmodem::t30;
    const std::uint8_t tsi = kTSI | kXBit;
    const auto withId = [](std::vector<std::uint8_t> head, std::size_t infoBytes) {
        head.insert(head.end(), infoBytes, '7');
        return head;
    };
    struct HostileCase {
        const char* name;
        std::optional<std::vector<std::uint8_t>> tsiFrame;
        bool dcsNotFinal;
        bool pagesArrive;
        int error;  // the receiver's report, when the pages do not arrive
    };
    const HostileCase cases[] = {
        {"empty", std::vector<std::uint8_t>{}, false, true, 0},
        {"300 bytes", withId({kAddress, kControlMore, tsi}, 297), false, true, 0},
        {"bad address", withId({0x00, kControlMore, tsi}, 20), false, true, 0},
        {"bad control", withId({kAddress, 0x07, tsi}, 20), false, true, 0},
        // Taken as the message's end: the DCS then comes where TCF is due,
        // and the modem's +FCERROR fails the call.
        {"final TSI", withId({kAddress, kControlFinal, tsi}, 20), false, false,
         ecFaxBadModemResult},
        // The receiver waits for a final frame; the caller gives up with DCN.
        {"DCS not final", std::nullopt, true, false, ecCancelRequested},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        RemoteFaxConfig caller = Caller(1);
        caller.faults.tsiFrame = c.tsiFrame;
        caller.faults.dcsNotFinal = c.dcsNotFinal;
        ReceiveRig rig(FaxClass::fcClass1, std::string("hostile_") + c.name, caller);
        rig.Start();
        rig.Call();
        EXPECT_TRUE(rig.caller->Finished());
        EXPECT_EQ(rig.caller->Succeeded(), c.pagesArrive) << rig.caller->FailureReason();
        for (const std::string& file : rig.files) {
            EXPECT_TRUE(faximage::IsApfFile(file)) << file;
        }
        EXPECT_EQ(rig.errors, c.pagesArrive ? std::vector<int>{} : std::vector<int>{c.error});
        if (c.pagesArrive) {
            ASSERT_EQ(rig.files.size(), 1u);
            ExpectSamePages(rig.files[0], caller.pagesToSend);
        }
        rig.NewCaller(Caller(1));
        rig.Call();
        EXPECT_TRUE(rig.caller->Succeeded()) << "the next call: " << rig.caller->FailureReason();
    }
}

// The carrier drops at a seeded offset of the page data. Whatever the
// call's outcome, the file is valid, holds no more pages than were sent,
// a good end means every page, and the receiver takes the next call. In
// class 1 the receiver itself refuses a page that lost its end, so every
// page kept is the page sent; in class 2 and 2.0 that is the modem's call.
TEST(ReceiveFaults, CarrierLostMidPageKeepsOnlyCompletePages) {
    std::mt19937 random(7);
    for (const FaxClass cls : kClasses) {
        for (int trial = 0; trial < 4; ++trial) {
            const std::size_t offset = 200 + random() % 6000;
            SCOPED_TRACE(ClassName(cls) + " offset " + std::to_string(offset));
            const RemoteFaxConfig caller = Caller(3);
            ReceiveRig rig(cls, "drop" + ClassName(cls) + std::to_string(trial), caller);
            LineFaults faults;
            faults.dropCarrierAfterBytes = offset;
            rig.network.SetFaults(kOurNumber, faults);
            rig.Start();
            rig.Call();
            for (const std::string& file : rig.files) {
                ASSERT_TRUE(faximage::IsApfFile(file));
                const std::vector<Lines> got = FilePages(file);
                ASSERT_LE(got.size(), caller.pagesToSend.size());
                for (std::size_t p = 0; cls == FaxClass::fcClass1 && p < got.size(); ++p) {
                    EXPECT_TRUE(got[p] == Decode(caller.pagesToSend[p].data)) << "page " << p + 1;
                }
                if (rig.caller->Succeeded()) {
                    EXPECT_EQ(got.size(), caller.pagesToSend.size());
                }
            }
            const bool good = !rig.logCodes.empty() && rig.logCodes.back() == 5;
            EXPECT_EQ(good, rig.caller->Succeeded());

            rig.network.SetFaults(kOurNumber, {});
            rig.NewCaller(Caller(1));
            rig.Call();
            EXPECT_TRUE(rig.caller->Succeeded())
                << "the next call: " << rig.caller->FailureReason();
        }
    }
}

}  // namespace
}  // namespace corvane::integration
