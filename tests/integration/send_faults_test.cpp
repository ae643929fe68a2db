// Sends that go wrong: the dial outcomes, a remote that cannot take the
// page, training and page rejections, a remote that hangs up, the user's
// abort. Each ends with the described code and exactly one finish.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <functional>
#include <optional>

#include "send_rig.h"

namespace corvane::integration {
namespace {

constexpr int kPages = 3;

struct FaultCase {
    const char* name;
    FaxClass faxClass = FaxClass::fcClass1;
    RemoteFaxFaults faults;
    std::optional<DialOutcome> dialOutcome;  // the number answers so instead of the remote
    bool unassigned = false;                 // nobody has the number
    std::function<void(SendRig&)> configure;
    int finish = 0;
    std::vector<int> errors;  // reported in this order
    std::function<void(SendRig&)> check;
};

int Dials(const std::vector<std::string>& calls) {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.rfind("dialling", 0) == 0;
    }));
}

FaultCase Case(const char* name, int finish = 0, std::vector<int> errors = {}) {
    FaultCase c;
    c.name = name;
    c.finish = finish;
    c.errors = std::move(errors);
    return c;
}

const char* ClassName(FaxClass c) {
    return c == FaxClass::fcClass1 ? "Class1" : c == FaxClass::fcClass2 ? "Class2" : "Class20";
}

std::vector<FaultCase> Cases() {
    static std::deque<std::string> names;  // case names outlive the table
    std::vector<FaultCase> cases;
    const auto retryWait = [](SendRig& rig) {
        rig.fax.dialAttempts = 3;
        rig.fax.SetDialRetryWait(30);
    };
    const auto add = [&](FaultCase c, auto&& edit) {
        edit(c);
        cases.push_back(std::move(c));
    };
    add(Case("BusyThreeAttemptsThenAbortNoConnect", -8074, {-8074}), [&](FaultCase& c) {
        c.dialOutcome = DialOutcome::Busy;
        c.configure = [=](SendRig& rig) {
            retryWait(rig);
            rig.fax.abortNoConnect = true;
        };
        c.check = [](SendRig& rig) {
            EXPECT_EQ(rig.fax.FaxProgress(), kProgressUserAbort);
            EXPECT_GE(rig.scheduler.Now(), Seconds(60)) << "two retry waits";
            EXPECT_EQ(rig.nextFaxAsked, 1);
        };
    });
    add(Case("BusyThreeAttemptsThenNextFax", -8074, {-8074}), [&](FaultCase& c) {
        c.dialOutcome = DialOutcome::Busy;
        c.configure = retryWait;
        c.check = [](SendRig& rig) {
            EXPECT_EQ(rig.logCodes, (std::vector<int>{1, 3}));
            EXPECT_EQ(rig.nextFaxAsked, 2) << "asked again after the busy fax";
        };
    });
    add(Case("NoAnswerCountsAsBusy", -8074, {-8074}), [&](FaultCase& c) {
        c.dialOutcome = DialOutcome::NoAnswer;
        c.configure = retryWait;
    });
    add(Case("UnassignedNumber", -8074, {-8074}), [&](FaultCase& c) {
        c.unassigned = true;
        c.configure = retryWait;
    });
    add(Case("VoiceThenNextFax", -8075, {-8075}), [](FaultCase& c) {
        c.dialOutcome = DialOutcome::Voice;
        c.check = [](SendRig& rig) { EXPECT_EQ(rig.nextFaxAsked, 2); };
    });
    add(Case("VoiceWithExitOnError", -8075, {-8075}), [](FaultCase& c) {
        c.dialOutcome = DialOutcome::Voice;
        c.configure = [](SendRig& rig) { rig.fax.exitOnError = true; };
        c.check = [](SendRig& rig) {
            EXPECT_EQ(rig.nextFaxAsked, 1);
            EXPECT_EQ(rig.fax.FaxProgress(), kProgressUserAbort);
        };
    });
    add(Case("NoDialTone", -8077, {-8077}),
        [](FaultCase& c) { c.dialOutcome = DialOutcome::NoDialTone; });
    add(Case("SilentRemoteNoCarrier", -8078, {-8078}),
        [](FaultCase& c) { c.faults.silent = true; });
    add(Case("Class2SilentRemoteNoCarrier", -8078, {-8078}), [](FaultCase& c) {
        c.faxClass = FaxClass::fcClass2;
        c.faults.silent = true;
    });
    add(Case("FttAt9600FallsBackTo7200"), [](FaultCase& c) {
        c.faults.failTrainingAt = {9600};
        c.check = [](SendRig& rig) {
            const std::vector<std::string>& log = rig.remote->Log();
            EXPECT_EQ(std::count(log.begin(), log.end(), "rx DCS"), 2);
            ASSERT_EQ(rig.remote->Pages().size(), 3u);
            EXPECT_EQ(rig.remote->Pages()[0].modulation.bitsPerSecond, 7200);
            EXPECT_EQ(rig.fax.SessionBPS(), 7200u);
        };
    });
    add(Case("FttAt14400FallsBackToV17At12000"), [](FaultCase& c) {
        c.faults.failTrainingAt = {14400};
        c.configure = [](SendRig& rig) { rig.fax.desiredBPS = 14400; };
        c.check = [](SendRig& rig) {
            const std::vector<std::string>& log = rig.remote->Log();
            EXPECT_EQ(std::count(log.begin(), log.end(), "rx DCS"), 2);
            ASSERT_EQ(rig.remote->Pages().size(), 3u);
            EXPECT_EQ(rig.remote->Pages()[0].modulation.bitsPerSecond, 12000);
            EXPECT_EQ(rig.fax.SessionBPS(), 12000u);
        };
    });
    add(Case("TrainingFailsDownTo2400", -8072, {-8072}), [](FaultCase& c) {
        c.faults.failTrainingAt = {2400, 4800, 7200, 9600};
    });
    add(Case("RtnPageIsSentAgain"), [](FaultCase& c) {
        c.faults.rtnAfterPages = {2};
        c.check = [](SendRig& rig) {
            ASSERT_EQ(rig.remote->Pages().size(), 4u);
            EXPECT_FALSE(rig.remote->Pages()[1].accepted);
            EXPECT_TRUE(rig.remote->Pages()[2].page.data == rig.remote->Pages()[1].page.data)
                << "the rejected page again";
        };
    });
    add(Case("MissingTextCover", -2, {-2}), [](FaultCase& c) {
        c.configure = [](SendRig& rig) { rig.fax.coverFile = "/nonexistent/cover.txt"; };
    });
    add(Case("FaxFileIsNotApf", -8001, {-8001}), [](FaultCase& c) {
        c.configure = [](SendRig& rig) {
            rig.fax.faxFile = TempPath("not_apf.txt");
            std::ofstream(rig.fax.faxFile) << "plain text, not a fax";
        };
    });
    add(Case("NeitherFaxNorCover", -6010, {-6010}),
        [](FaultCase& c) { c.configure = [](SendRig& rig) { rig.fax.faxFile.clear(); }; });
    add(Case("DcnMidDocument", -6005, {-6005}), [](FaultCase& c) { c.faults.hangUpAfterPage = 1; });
    add(Case("AbortDuringPageData", -6005), [](FaultCase& c) {
        c.configure = [](SendRig& rig) {
            rig.fax.onFaxStatus = [&rig](CvCustomAbstractFax& fax, bool, bool last) {
                rig.lastSeen += last;
                if (fax.FaxProgress() == kProgressSendingPage && rig.fax.BytesTransferred() > 0) {
                    fax.CancelFax();
                }
            };
        };
        c.check = [](SendRig& rig) { EXPECT_EQ(rig.fax.FaxProgress(), kProgressUserAbort); };
    });
    for (const FaxClass cls : {FaxClass::fcClass1, FaxClass::fcClass2, FaxClass::fcClass2_0}) {
        names.push_back(std::string("PageRejectedThrice") + ClassName(cls));
        add(Case(names.back().c_str(), -8079, {-8079}), [&](FaultCase& c) {
            c.faxClass = cls;
            c.faults.rtnAfterPages = {1, 2, 3};
            c.check = [](SendRig& rig) {
                EXPECT_EQ(rig.remote->Pages().size(), 3u);
                if (const auto* class2 = dynamic_cast<const Class2Modem*>(rig.modem.get())) {
                    EXPECT_EQ(class2->HangupCode(), 2) << "the session was killed";
                }
            };
        });
    }
    return cases;
}

class SendFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SendFaults, EndWithTheirCode) {
    const FaultCase& c = GetParam();
    const std::string path = TempPath(std::string(c.name) + ".apf");
    std::vector<Lines> pages;
    for (int p = 1; p <= kPages; ++p) pages.push_back(PageRaster(p, 200));
    WriteFax(path, pages, true);

    RemoteFaxConfig config;
    config.faults = c.faults;
    SendRig rig(c.faxClass, config);
    if (c.dialOutcome)
        rig.network.Assign(kNumber, *c.dialOutcome);
    if (c.unassigned)
        rig.fax.phoneNumber = "5559999";
    std::vector<std::string> calls;
    rig.modem->SetCallLog([&](const std::string& text) { calls.push_back(text); });
    rig.fax.faxFile = path;
    if (c.configure)
        c.configure(rig);

    EXPECT_EQ(rig.Run(), c.finish);
    EXPECT_EQ(rig.finishes.size(), 1u);
    EXPECT_EQ(rig.lastSeen, 1) << "one status marked last";
    std::vector<int> errors = rig.errors;
    EXPECT_EQ(errors, c.errors);
    if (c.dialOutcome == DialOutcome::Busy || c.dialOutcome == DialOutcome::NoAnswer ||
        c.unassigned) {
        EXPECT_EQ(Dials(calls), 3);
    }
    if (c.check)
        c.check(rig);
}

INSTANTIATE_TEST_SUITE_P(Table, SendFaults, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SendBusy, DialAttemptsZeroRedialsWithoutLimit) {
    const std::string path = TempPath("unlimited.apf");
    WriteFax(path, {PageRaster(1, 20)}, false);
    SendRig rig(FaxClass::fcClass1);
    rig.network.Assign(kNumber, DialOutcome::Busy);
    rig.fax.faxFile = path;
    rig.fax.dialAttempts = 0;
    rig.fax.SetDialRetryWait(5);
    int dials = 0;
    rig.modem->SetCallLog([&](const std::string& text) {
        if (text.rfind("dialling", 0) == 0 && ++dials == 6)
            rig.fax.CancelFax();
    });
    EXPECT_EQ(rig.Run(), -6005);
    EXPECT_EQ(dials, 6);
    EXPECT_EQ(rig.errors, std::vector<int>{}) << "no busy error before the abort";
}

}  // namespace
}  // namespace corvane::integration
