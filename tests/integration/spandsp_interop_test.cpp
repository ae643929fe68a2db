// Our engine against an independent fax stack: spandsp's class 1 modem
// and fax terminal on the far end of the serial line, their modulated line
// between them, all in virtual time. Both directions, at V.27 ter 4800,
// V.29 9600 and V.17 14400, standard and fine, one and three pages; each
// page compared pixel for pixel with what was sent.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fax_tiff.h"
#include "faxengine/cv_receive_fax.h"
#include "receive_rig.h"
#include "send_rig.h"
#include "spandsp_far_end.h"

namespace corvane::integration {
namespace {

using testpeer::SpandspConfig;
using testpeer::SpandspFarEnd;
using testpeer::TiffPage;

constexpr const char* kOurId = "CORVANE BAR";
constexpr const char* kTheirId = "SPANDSP TX";
constexpr int kPageLines = 150;

struct InteropCase {
    const char* name;
    bool weSend;
    int bps;
    bool fine;
    int pages;
    // The far end offers error correction and 2-D coding; we use neither.
    bool farEndExtras = false;
    // The far end's line goes dead in the middle of page 2.
    bool hangUpInPage2 = false;
};

std::vector<Lines> Pages(const InteropCase& c) {
    std::vector<Lines> pages;
    for (int p = 1; p <= c.pages; ++p) {
        // A dense second page lasts long enough on the line to be cut.
        pages.push_back(c.hangUpInPage2 && p == 2 ? DenseRaster(40) : PageRaster(p, kPageLines));
    }
    return pages;
}

SpandspConfig FarEnd(const InteropCase& c, const std::string& file) {
    SpandspConfig config;
    config.calling = !c.weSend;
    config.ident = kTheirId;
    (c.weSend ? config.receiveFile : config.sendFile) = file;
    config.ecm = config.twoDimensional = c.farEndExtras;
    if (c.hangUpInPage2)
        config.hangUpInPage = 2;
    return config;
}

class SpandspInterop : public ::testing::TestWithParam<InteropCase> {};

// Our sender on the serial line to spandsp's modem, the far end answering.
struct SpandspSendRig {
    SpandspSendRig(const SpandspConfig& config, const std::string& fax, int bps)
        : far(scheduler, config), port(scheduler, far) {
        port.Open();
        sender.SetComPort(&port);
        sender.faxClass = FaxClass::fcClass1;
        sender.phoneNumber = kNumber;
        sender.stationID = kOurId;
        sender.desiredBPS = static_cast<std::uint16_t>(bps);
        sender.faxFile = fax;
        sender.headerLine = "Page $P of $N";
        sender.onFaxError = [this](CvCustomAbstractFax&, int code) { errors.push_back(code); };
        sender.onFaxFinish = [this](CvCustomAbstractFax&, int code) { finishes.push_back(code); };
        sender.onFaxNext = [n = 0](CvCustomSendFax& f, std::string& number, std::string& file,
                                   std::string& cover) mutable {
            if (n++ == 0) {
                number = f.phoneNumber;
                file = f.faxFile;
                cover = f.coverFile;
            }
        };
    }
    void Run() {
        sender.StartTransmit();
        scheduler.RunUntil([&] { return !finishes.empty() && far.Finished(); },
                           scheduler.Now() + Seconds(1200));
        scheduler.RunFor(Seconds(2));
    }

    Scheduler scheduler;
    SpandspFarEnd far;
    SimComPort port;
    CvSendFax sender{scheduler, scheduler};
    std::vector<int> errors, finishes;
};

void OurSend(const InteropCase& c) {
    const std::string base = TempPath(std::string("spandsp_") + c.name);
    const std::vector<Lines> pages = Pages(c);
    WriteFax(base + ".apf", pages, c.fine);
    std::filesystem::remove(base + ".tif");

    SpandspSendRig rig(FarEnd(c, base + ".tif"), base + ".apf", c.bps);
    rig.Run();
    const std::vector<int>& finishes = rig.finishes;
    const std::vector<int>& errors = rig.errors;
    const SpandspFarEnd& far = rig.far;
    ASSERT_EQ(finishes.size(), 1u);

    if (c.hangUpInPage2) {
        EXPECT_NE(finishes[0], 0) << "a call cut short is no success";
        EXPECT_FALSE(errors.empty());
        return;
    }
    EXPECT_EQ(finishes[0], 0);
    EXPECT_EQ(errors, std::vector<int>{});
    EXPECT_EQ(far.CompletionCode(), 0) << far.CompletionText();
    EXPECT_EQ(far.PagesTransferred(), c.pages);
    EXPECT_EQ(far.BitRate(), c.bps);
    EXPECT_EQ(far.RemoteIdent(), kOurId);
    EXPECT_EQ(rig.sender.RemoteID(), kTheirId);

    const std::vector<TiffPage> got = testpeer::ReadFaxTiff(base + ".tif");
    ASSERT_EQ(got.size(), pages.size());
    const Lines headerRows = TextRows("x", faximage::kSmallFontBytesPerGlyph, c.fine);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_EQ(got[p].fine, c.fine);
        EXPECT_EQ(got[p].width, faximage::kStandardLineWidth);
        const Lines& rows = got[p].rows;
        const Lines body = AsReceived(pages[p]);
        ASSERT_EQ(rows.size(), 8 + headerRows.size() + body.size());
        EXPECT_TRUE(Slice(rows, 0, 8) == Lines(8, Line(216, 0))) << "blank lines differ";
        const std::string header =
            "Page " + std::to_string(p + 1) + " of " + std::to_string(c.pages);
        EXPECT_TRUE(Slice(rows, 8, headerRows.size()) ==
                    TextRows(header, faximage::kSmallFontBytesPerGlyph, c.fine))
            << "header differs";
        EXPECT_TRUE(Slice(rows, 8 + headerRows.size(), body.size()) == body) << "pixels differ";
    }
}

void OurReceive(const InteropCase& c) {
    const std::string base = TempPath(std::string("spandsp_") + c.name);
    const std::vector<Lines> pages = Pages(c);
    std::vector<TiffPage> tiff;
    for (const Lines& page : pages) tiff.push_back({page, c.fine, faximage::kStandardLineWidth});
    ASSERT_TRUE(testpeer::WriteFaxTiff(base + ".tif", tiff));
    const std::string dir = FreshDir(std::string("spandsp_") + c.name);

    Scheduler scheduler;
    SpandspFarEnd far(scheduler, FarEnd(c, base + ".tif"));
    SimComPort port(scheduler, far);
    port.Open();
    CvReceiveFax fax(scheduler, scheduler);
    std::vector<int> errors, finishes;
    std::vector<std::string> files;
    fax.SetComPort(&port);
    fax.faxClass = FaxClass::fcClass1;
    fax.stationID = kOurId;
    fax.desiredBPS = static_cast<std::uint16_t>(c.bps);
    fax.destinationDir = dir;
    fax.oneFax = true;
    fax.onFaxError = [&](CvCustomAbstractFax&, int code) { errors.push_back(code); };
    fax.onFaxFinish = [&](CvCustomAbstractFax&, int code) { finishes.push_back(code); };
    fax.onFaxLog = [&](CvCustomAbstractFax& f, FaxLogCode code) {
        if (code == FaxLogCode::lcReceiveStart)
            files.push_back(f.faxFile);
    };
    fax.StartReceive();
    scheduler.RunFor(Seconds(5));
    far.Call();
    // A failed call ends in an error; the receiver then waits for the next.
    scheduler.RunUntil([&] { return far.Finished() && (!finishes.empty() || !errors.empty()); },
                       scheduler.Now() + Seconds(1200));
    scheduler.RunFor(Seconds(2));
    ASSERT_EQ(files.size(), 1u);

    if (c.hangUpInPage2) {
        // The file keeps exactly the complete first page.
        EXPECT_TRUE(finishes.empty() || finishes[0] != 0);
        EXPECT_FALSE(errors.empty());
        const std::vector<Lines> kept = FilePages(files[0]);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_TRUE(kept[0] == pages[0]) << "pixels differ";
        return;
    }
    ASSERT_EQ(finishes.size(), 1u);
    EXPECT_EQ(finishes[0], 0);
    EXPECT_EQ(errors, std::vector<int>{});
    EXPECT_EQ(far.CompletionCode(), 0) << far.CompletionText();
    EXPECT_EQ(far.PagesTransferred(), c.pages);
    EXPECT_EQ(far.BitRate(), c.bps);
    EXPECT_EQ(far.RemoteIdent(), kOurId);

    EXPECT_EQ(fax.RemoteID(), kTheirId);
    // The file keeps the identifier in its 20-character field, blanks after it.
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(files[0], header), 0);
    EXPECT_EQ(header.StationId(),
              std::string(kTheirId) + std::string(20 - std::strlen(kTheirId), ' '));
    const std::vector<Lines> got = FilePages(files[0]);
    ASSERT_EQ(got.size(), pages.size());
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_TRUE(got[p] == pages[p]) << "pixels differ";
        faximage::ApfPageHeader page;
        ASSERT_EQ(faximage::LookupPageHeader(files[0], static_cast<int>(p + 1), page), 0);
        EXPECT_EQ((page.pageFlags & faximage::pfFine) != 0, c.fine);
    }
}

TEST_P(SpandspInterop, PagesArriveExactlyAsSent) {
    const InteropCase& c = GetParam();
    c.weSend ? OurSend(c) : OurReceive(c);
}

// Pages in a form the far end does not take, or of mixed resolutions, sent
// to spandsp: each arrives in a form it takes, at its true aspect.
struct FormCase {
    const char* name;
    std::vector<Lines> pages;
    std::vector<bool> fine;
    bool farEndFine;
    // What the far end should hold below each page's header.
    std::vector<Lines> expected;
    std::vector<bool> expectedFine;
};

// Wide lines as a 1728-pixel far end should get them: scaled, black wins.
Lines Narrowed(const Lines& wide) {
    Lines narrow;
    for (const Line& line : wide) {
        Line out(216, 0);
        for (int x = 0; x < 2048; ++x)
            if ((line[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1) {
                const int to = x * 1728 / 2048;
                out[static_cast<std::size_t>(to / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (to % 8));
            }
        narrow.push_back(out);
    }
    return narrow;
}

std::vector<FormCase> FormCases() {
    const Lines fine1 = PageRaster(1, 81), standard = PageRaster(2, 40), fine3 = PageRaster(3, 81);
    const Lines wide = PageRaster(4, 60, faximage::kWideLineWidth);
    return {
        {"FinePagesToAStandardOnlyFarEnd",
         {fine1, fine3},
         {true, true},
         false,
         {MergedPairs(AsReceived(fine1)), MergedPairs(AsReceived(fine3))},
         {false, false}},
        {"WidePageToANarrowFarEnd", {wide}, {true}, true, {Narrowed(AsReceived(wide))}, {true}},
        {"MixedResolutions",
         {fine1, standard, fine3},
         {true, false, true},
         true,
         {AsReceived(fine1), EachTwice(AsReceived(standard)), AsReceived(fine3)},
         {true, true, true}},
    };
}

class SpandspForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(SpandspForms, EveryPageArrivesInAFormTheFarEndTakes) {
    const FormCase& c = GetParam();
    const std::string base = TempPath(std::string("spandsp_") + c.name);
    WriteFax(base + ".apf", c.pages, true, true, c.fine);
    std::filesystem::remove(base + ".tif");
    SpandspConfig config;
    config.receiveFile = base + ".tif";
    config.fine = c.farEndFine;
    SpandspSendRig rig(config, base + ".apf", 14400);
    rig.Run();
    ASSERT_EQ(rig.finishes, std::vector<int>{0});
    EXPECT_EQ(rig.errors, std::vector<int>{});
    EXPECT_EQ(rig.far.CompletionCode(), 0) << rig.far.CompletionText();

    const std::vector<TiffPage> got = testpeer::ReadFaxTiff(base + ".tif");
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t p = 0; p < got.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_EQ(got[p].fine, c.expectedFine[p]);
        EXPECT_EQ(got[p].width, faximage::kStandardLineWidth);
        const std::size_t top =
            8 + TextRows("x", faximage::kSmallFontBytesPerGlyph, c.expectedFine[p]).size();
        ASSERT_EQ(got[p].rows.size(), top + c.expected[p].size());
        EXPECT_TRUE(Slice(got[p].rows, top, c.expected[p].size()) == c.expected[p])
            << "pixels differ";
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, SpandspForms, ::testing::ValuesIn(FormCases()),
                         [](const ::testing::TestParamInfo<FormCase>& info) {
                             return std::string(info.param.name);
                         });

std::vector<InteropCase> Matrix() {
    std::vector<InteropCase> cases;
    static std::vector<std::string> names;
    names.reserve(64);
    for (const bool weSend : {true, false}) {
        for (const int bps : {4800, 9600, 14400}) {
            for (const bool fine : {false, true}) {
                for (const int pages : {1, 3}) {
                    names.push_back(std::string(weSend ? "Send" : "Receive") + std::to_string(bps) +
                                    (fine ? "Fine" : "Standard") + std::to_string(pages) + "Pages");
                    cases.push_back({names.back().c_str(), weSend, bps, fine, pages});
                }
            }
        }
        names.push_back(std::string(weSend ? "Send" : "Receive") + "ToAFarEndOfferingEcmAnd2D");
        cases.push_back({names.back().c_str(), weSend, 9600, true, 2, true});
        names.push_back(std::string(weSend ? "Send" : "Receive") + "FarEndHangsUpInPage2");
        cases.push_back({names.back().c_str(), weSend, 9600, false, 3, false, true});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Matrix, SpandspInterop, ::testing::ValuesIn(Matrix()),
                         [](const ::testing::TestParamInfo<InteropCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace corvane::integration
