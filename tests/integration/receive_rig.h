// A receive component on a simulated modem that a remote fax machine
// calls, all in virtual time, and the reading of the files it leaves.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "faxengine/cv_receive_fax.h"
#include "faxengine/receive_machine.h"
#include "send_rig.h"
#include "simmodem/apf_pages.h"

namespace corvane::integration {

inline constexpr const char* kOurNumber = "5550123";

// A page as a calling machine sends it: coded lines ending in RTC.
inline FaxPage CodedPage(const Lines& raster, bool fine) {
    FaxPage page;
    const int width = static_cast<int>(raster.front().size() * 8);
    for (const Line& line : raster) {
        const Line code = Coded(line, width);
        page.data.insert(page.data.end(), code.begin(), code.end());
    }
    page.data.insert(page.data.end(), faximage::kEndOfPageRecord.begin(),
                     faximage::kEndOfPageRecord.end());
    page.fine = fine;
    page.wide = width == faximage::kWideLineWidth;
    return page;
}

inline std::vector<FaxPage> TestPages(int count, bool fine,
                                      int width = faximage::kStandardLineWidth, int lines = 60) {
    std::vector<FaxPage> pages;
    for (int p = 1; p <= count; ++p) pages.push_back(CodedPage(PageRaster(p, lines, width), fine));
    return pages;
}

// A fresh directory per test.
inline std::string FreshDir(const std::string& name) {
    const std::string dir = ::testing::TempDir() + "corvane_receive_" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

struct ReceiveRig {
    explicit ReceiveRig(FaxClass faxClass, const std::string& dirName,
                        RemoteFaxConfig callerConfig = {}, ModemConfig modemConfig = {})
        : dir(FreshDir(dirName)) {
        if (faxClass == FaxClass::fcClass1) {
            modemConfig.classes = {"1"};
            modem = std::make_unique<Class1Modem>(network, modemConfig);
        } else {
            modemConfig.classes = {"1", "2", "2.0"};
            modem = std::make_unique<Class2Modem>(network, modemConfig);
        }
        network.Assign(kOurNumber, *modem);
        port = std::make_unique<SimComPort>(scheduler, *modem);
        port->Open();
        caller = std::make_unique<RemoteFax>(network, std::move(callerConfig));
        fax.SetComPort(port.get());
        fax.faxClass = faxClass;
        fax.stationID = "5550123";
        fax.destinationDir = dir;
        fax.onFaxError = [this](CvCustomAbstractFax&, int code) { errors.push_back(code); };
        fax.onFaxFinish = [this](CvCustomAbstractFax&, int code) { finishes.push_back(code); };
        fax.onFaxLog = [this](CvCustomAbstractFax& f, FaxLogCode code) {
            logCodes.push_back(static_cast<int>(code));
            if (code == FaxLogCode::lcReceiveStart)
                files.push_back(f.faxFile);
        };
        fax.onFaxStatus = [this](CvCustomAbstractFax&, bool first, bool last) {
            firsts += first;
            lasts += last;
        };
    }

    void Start() {
        fax.StartReceive();
        scheduler.RunFor(Seconds(5));
    }
    // The caller dials and the call runs to its end.
    void Call(Micros limit = Seconds(900)) {
        caller->Dial(kOurNumber);
        scheduler.RunUntil([&] { return caller->Finished(); }, scheduler.Now() + limit);
        scheduler.RunFor(Seconds(20));
    }
    // A second calling machine for the next call.
    void NewCaller(RemoteFaxConfig config) {
        caller = std::make_unique<RemoteFax>(network, std::move(config));
    }

    Scheduler scheduler;
    PhoneNetwork network{scheduler};
    std::string dir;
    std::unique_ptr<SimModem> modem;
    std::unique_ptr<SimComPort> port;
    std::unique_ptr<RemoteFax> caller;
    CvReceiveFax fax{scheduler, scheduler};
    std::vector<int> errors;
    std::vector<int> finishes;
    std::vector<int> logCodes;
    std::vector<std::string> files;
    int firsts = 0;
    int lasts = 0;
};

// The decoded lines of every page of a received file.
inline std::vector<Lines> FilePages(const std::string& path) {
    std::vector<FaxPage> pages;
    EXPECT_EQ(ReadApfPages(path, pages), 0) << path;
    std::vector<Lines> decoded;
    for (const FaxPage& page : pages) decoded.push_back(Decode(page.data));
    return decoded;
}

inline void ExpectSamePages(const std::string& path, const std::vector<FaxPage>& sent) {
    ASSERT_TRUE(faximage::IsApfFile(path)) << path;
    const std::vector<Lines> got = FilePages(path);
    ASSERT_EQ(got.size(), sent.size());
    for (std::size_t p = 0; p < sent.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_TRUE(got[p] == Decode(sent[p].data)) << "pixels differ";
        faximage::ApfPageHeader header;
        ASSERT_EQ(faximage::LookupPageHeader(path, static_cast<int>(p + 1), header), 0);
        EXPECT_EQ((header.pageFlags & faximage::pfFine) != 0, sent[p].fine);
        EXPECT_EQ((header.pageFlags & faximage::pfWide) != 0, sent[p].wide);
    }
}

}  // namespace corvane::integration
