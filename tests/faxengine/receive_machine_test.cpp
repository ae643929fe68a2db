// The class 2 receive machine against a scripted modem: what the data
// loop stores (bit order, DLE pairs), a page the modem calls bad being
// replaced by its repeat, and a sender that stops sending page data.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "faxengine/cv_receive_fax.h"
#include "faxengine/scripted_modem.h"
#include "faximage/apf_file.h"

namespace corvane::engine {
namespace {

using L = ScriptedModem;

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

// One page: CONNECT, the data as the modem sends it, then its reports.
void Page(ScriptedModem& modem, const std::string& data, const std::string& status,
          const std::string& post, bool stall = false) {
    modem.Reply(L::Line("CONNECT")).Reply(data, Milliseconds(100));
    if (stall)
        return;
    modem.Reply(Bytes({0x10, 0x03}))
        .Reply(L::Line("+FPTS:" + status))
        .Reply(L::Line("+FET:" + post))
        .Reply(L::Line("OK"));
}

struct DataCase {
    const char* name;
    std::vector<std::string> pages;  // as sent by the modem, one per AT+FDR
    std::vector<std::string> status;
    bool stall;
    std::string stored;  // the one page kept
    std::vector<int> logCodes;
    std::vector<int> errors;
};

class ReceiveData : public ::testing::TestWithParam<DataCase> {};

TEST_P(ReceiveData, StoresWhatThePageCarried) {
    const DataCase c = GetParam();
    const std::string dir = ::testing::TempDir() + "corvane_rxdata_" + c.name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    Scheduler scheduler;
    ScriptedModem modem;
    SimComPort port(scheduler, modem);
    port.Open();
    modem.ExpectMatching("ATE0.*").Reply(L::Line("OK"));
    modem.Expect("AT+FCLASS=2").Reply(L::Line("OK"));
    modem.Expect("AT+FCR=1").Reply(L::Line("OK"));
    modem.Expect("AT+FLID=\"5550123\"").Reply(L::Line("OK"));
    modem.Expect("AT+FAA=0").Reply(L::Line("OK"));
    modem.Expect("AT+FCLASS=2").Reply(L::Line("OK"));
    modem.ExpectMatching("AT\\+FDCC=1,3,1,2,0,0,0,0").Reply(L::Line("OK"));
    modem.Expect("ATA")
        .Reply(L::Line("+FCON"), Milliseconds(500))
        .Reply(L::Line("+FTSI:\"5550100\""))
        .Reply(L::Line("+FDCS:1,3,0,2,0,0,0,0"))
        .Reply(L::Line("OK"));
    for (std::size_t p = 0; p < c.pages.size(); ++p) {
        modem.ExpectMatching(".*AT\\+FDR");
        const bool last = p + 1 == c.pages.size();
        Page(modem, c.pages[p], c.status[p], last ? "2" : "0", c.stall && last);
    }
    if (!c.stall)
        modem.ExpectMatching(".*AT\\+FDR").Reply(L::Line("+FHNG:0")).Reply(L::Line("OK"));

    CvReceiveFax fax(scheduler, scheduler);
    fax.SetComPort(&port);
    fax.faxClass = FaxClass::fcClass2;
    fax.stationID = "5550123";
    fax.destinationDir = dir;
    fax.oneFax = true;
    fax.exitOnError = true;
    std::vector<int> logCodes, errors;
    std::optional<int> finish;
    fax.onFaxLog = [&](CvCustomAbstractFax&, FaxLogCode code) {
        logCodes.push_back(static_cast<int>(code));
    };
    fax.onFaxError = [&](CvCustomAbstractFax&, int code) { errors.push_back(code); };
    fax.onFaxFinish = [&](CvCustomAbstractFax&, int code) { finish = code; };
    fax.StartReceive();
    scheduler.RunFor(Seconds(2));
    modem.SendAfter(L::Line("RING"), Milliseconds(10));
    scheduler.RunUntil([&] { return finish.has_value(); }, scheduler.Now() + Seconds(120));

    EXPECT_TRUE(finish.has_value());
    EXPECT_EQ(logCodes, c.logCodes);
    EXPECT_EQ(errors, c.errors);
    const std::string file = dir + "/FAX0001.APF";
    ASSERT_TRUE(faximage::IsApfFile(file));
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(file, header), 0);
    EXPECT_EQ(header.pageCount, c.stored.empty() ? 0 : 1);
    EXPECT_EQ(header.StationId(), "5550100             ");
    if (!c.stored.empty()) {
        faximage::ApfPageHeader page;
        ASSERT_EQ(faximage::LookupPageHeader(file, 1, page), 0);
        EXPECT_EQ(page.pageFlags, faximage::pfFine);
        ASSERT_EQ(page.dataLength, c.stored.size());
        std::ifstream in(file, std::ios::binary);
        in.seekg(faximage::kApfFileHeaderSize + faximage::kApfPageHeaderSize);
        std::string data(c.stored.size(), '\0');
        in.read(data.data(), static_cast<std::streamsize>(data.size()));
        EXPECT_EQ(data, c.stored);
    }
}

// Class 2 hands data over bit-reversed: 0x01 is stored as 0x80, a
// shielded DLE (0x10) as 0x08.
const DataCase kDataCases[] = {
    {"reversed", {Bytes({0x01, 0x02, 0xF0})}, {"1"}, false, Bytes({0x80, 0x40, 0x0F}), {4, 5}, {}},
    {"dle_pairs",
     {Bytes({0x10, 0x10, 0x01, 0x10, 0x41})},
     {"1"},
     false,
     Bytes({0x08, 0x80, 0x82}),
     {4, 5},
     {}},
    {"bad_page_replaced",
     {Bytes({0x01}), Bytes({0x02})},
     {"2", "1"},
     false,
     Bytes({0x40}),
     {4, 5},
     {}},
    {"sender_stops", {Bytes({0x01, 0x02})}, {"1"}, true, "", {4, 7}, {-6006}},
};

INSTANTIATE_TEST_SUITE_P(Class2, ReceiveData, ::testing::ValuesIn(kDataCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::engine
