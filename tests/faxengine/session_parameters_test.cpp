#include "faxengine/session_parameters.h"

#include <gtest/gtest.h>

namespace corvane::engine {
namespace {

SessionParameters AllLocalRates() {
    SessionParameters params;
    params.localRates = {false, true, true, true, true, true, true};
    params.desiredBPS = 14400;
    return params;
}

TEST(SessionParametersTest, DisOffersAndTheChosenRate) {
    struct Case {
        std::uint8_t octet2;
        std::uint16_t desired;
        RateFlags remote;
        int rateIndex;
    };
    const Case cases[] = {
        {0x00, 14400, {false, true, true, false, false, false, false}, 2},
        {0x08, 14400, {false, true, true, false, false, false, false}, 2},  // 0x08: only V.27 ter
        {0x04, 14400, {false, true, true, false, true, false, false}, 4},
        {0x0C, 14400, {false, true, true, true, true, false, false}, 4},
        {0x2C, 14400, {false, true, true, true, true, true, true}, 6},
        {0x2C, 12000, {false, true, true, true, true, true, true}, 5},
        // V.33 alone: nothing above 9600 that a class 1 modem trains with.
        {0x1C, 14400, {false, true, true, true, true, false, false}, 4},
        {0x2C, 9600, {false, true, true, true, true, true, true}, 4},
        {0x2C, 7200, {false, true, true, true, true, true, true}, 3},
        // Below every rate: no rate qualifies, 2400 is kept as the floor.
        {0x2C, 1200, {false, true, true, true, true, true, true}, 1},
    };
    for (const Case& c : cases) {
        SessionParameters params = AllLocalRates();
        params.desiredBPS = c.desired;
        DecodeCapabilities(params, CapabilityKind::DIS, c.octet2, 0x00, false, false);
        EXPECT_EQ(params.remoteRates, c.remote) << int(c.octet2);
        EXPECT_EQ(params.rateIndex, c.rateIndex) << int(c.octet2) << " " << c.desired;
        EXPECT_EQ(params.sessionBPS, RateBPS(c.rateIndex));
    }
}

TEST(SessionParametersTest, DisRespectsTheLocalRates) {
    SessionParameters params;  // a modem with 2400 and 4800 only
    params.desiredBPS = 14400;
    DecodeCapabilities(params, CapabilityKind::DIS, 0x2C, 0x00, false, false);
    EXPECT_EQ(params.rateIndex, 2);
}

TEST(SessionParametersTest, DcsRateResolutionWidthAndScanTime) {
    struct Case {
        std::uint8_t octet2, octet3;
        int rateIndex;
        bool fine, wide;
        int scanCode;
        int minLineBytes;
    };
    const Case cases[] = {
        {0x04, 0x00, 4, false, false, 5, 24},  // 9600, 20 ms
        {0x00, 0x70, 1, false, false, 0, 0},   // no minimum: lines go without fill
        {0x08, 0x10, 2, false, false, 1, 3},
        {0x0C, 0x20, 3, false, false, 3, 9},
        {0x68, 0x30, 5, true, false, 4, 15},   // V.17 12000, fine 10 ms
        {0x60, 0x41, 6, true, true, 7, 72},    // V.17 14400, 40 ms
        {0x50, 0x30, 6, true, false, 4, 18},   // V.33 14400
        {0x18, 0x00, 5, false, false, 5, 30},  // V.33 12000
        {0x24, 0x00, 4, false, false, 5, 24},  // V.17 9600
        {0x2C, 0x00, 3, false, false, 5, 18},  // V.17 7200
        {0x04, 0x51, 4, false, true, 6, 48},
        {0x04, 0x62, 4, false, false, 2, 12},  // width bits 2: not 2048
    };
    for (const Case& c : cases) {
        SessionParameters params;
        DecodeCapabilities(params, CapabilityKind::DCS, c.octet2, c.octet3, false, false);
        const std::string label = std::to_string(c.octet2) + "/" + std::to_string(c.octet3);
        EXPECT_EQ(params.rateIndex, c.rateIndex) << label;
        EXPECT_EQ(params.sessionFine, c.fine) << label;
        EXPECT_EQ(params.sessionWide, c.wide) << label;
        EXPECT_EQ(params.scanCode, c.scanCode) << label;
        EXPECT_EQ(params.minLineBytes, c.minLineBytes) << label;
        EXPECT_FALSE(params.sessionECM);
    }
}

TEST(SessionParametersTest, DisTakesThePagesFormAsFarAsTheRemoteTakesIt) {
    SessionParameters params = AllLocalRates();
    DecodeCapabilities(params, CapabilityKind::DIS, 0x40, 0x01, true, false);
    EXPECT_TRUE(params.sessionFine);
    EXPECT_FALSE(params.sessionWide);
    EXPECT_TRUE(params.remoteFine);
    EXPECT_TRUE(params.remoteWide);
    // A remote without fine or 2048 pixels gets standard and 1728.
    DecodeCapabilities(params, CapabilityKind::DIS, 0x00, 0x03, true, true);
    EXPECT_FALSE(params.remoteFine);
    EXPECT_FALSE(params.remoteWide);
    EXPECT_FALSE(params.sessionFine);
    EXPECT_FALSE(params.sessionWide);
}

TEST(SessionParametersTest, FallBackFindsTheNextRateBothSidesAccept) {
    struct Case {
        std::uint8_t disOctet2;
        std::vector<int> steps;  // rate indexes after each fall-back, 0 when none
    };
    const Case cases[] = {
        {0x08, {2, 1, 0}},  // remote offers 2400 and 4800 only
        {0x0C, {3, 2, 1, 0}},
        {0x2C, {5, 4, 3, 2, 1, 0}},  // from 14400 through V.17 12000
    };
    for (const Case& c : cases) {
        SessionParameters params = AllLocalRates();
        DecodeCapabilities(params, CapabilityKind::DIS, c.disOctet2, 0x00, false, false);
        params.rateIndex = c.disOctet2 == 0x2C ? 6 : 4;
        for (const int expected : c.steps) {
            EXPECT_EQ(FallBack(params), expected != 0);
            EXPECT_EQ(params.rateIndex, expected);
            if (expected != 0) {
                EXPECT_EQ(params.sessionBPS, RateBPS(expected));
            }
        }
    }
}

TEST(SessionParametersTest, FallBackRecomputesTheLineMinimum) {
    SessionParameters params = AllLocalRates();
    DecodeCapabilities(params, CapabilityKind::DIS, 0x08, 0x00, false, false);
    params.rateIndex = 4;
    ASSERT_TRUE(FallBack(params));
    EXPECT_EQ(params.minLineBytes, 20 * 4800 / 8000);
}

TEST(SessionParametersTest, Class2ReportsFillTheSession) {
    struct Case {
        const char* report;
        std::uint32_t bps;
        bool fine, wide, ecm;
        int scanCode;
    };
    const Case cases[] = {
        {"1,5,0,2,0,0,0,5", 14400, true, false, false, 5},
        {"0,3,1,2,0,1,0,0", 9600, false, true, true, 0},
        {"0,0,0,2,0,2,0,3", 2400, false, false, true, 3},
        {"0,4,0,2,0,0,0,7", 12000, false, false, false, 7},
        // Too short or garbled: the rate falls to 9600, the scan time to
        // the longest, and nothing is read past the text.
        {"1", 9600, true, false, false, 7},
        {"", 9600, false, false, false, 7},
        {"0,1,0,2,0,0,0,Z", 4800, false, false, false, 7},
    };
    for (const Case& c : cases) {
        SessionParameters params;
        DecodeClass2Report(params, c.report);
        EXPECT_EQ(params.sessionBPS, c.bps) << c.report;
        EXPECT_EQ(params.sessionFine, c.fine) << c.report;
        EXPECT_EQ(params.remoteFine, c.fine) << c.report;
        EXPECT_EQ(params.sessionWide, c.wide) << c.report;
        EXPECT_EQ(params.remoteWide, c.wide) << c.report;
        EXPECT_EQ(params.sessionECM, c.ecm) << c.report;
        EXPECT_EQ(params.scanCode, c.scanCode) << c.report;
        EXPECT_EQ(params.minLineBytes,
                  ScanTimeMs(c.scanCode, c.fine) * static_cast<int>(c.bps) / 8000)
            << c.report;
    }
}

}  // namespace
}  // namespace corvane::engine
