#include "faxengine/t30_frames.h"

#include <gtest/gtest.h>

#include "session_rig.h"

namespace corvane::engine {
namespace {

std::string AsText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(T30FramesTest, StationIDTravelsReversedAheadOfBlanks) {
    const std::vector<std::uint8_t> frame = IDFrame(kFcfTSI, "ABC");
    ASSERT_EQ(frame.size(), 3u + 20u + 2u);
    EXPECT_EQ(AsText(frame),
              "\xFF\x03\x43"
              "CBA" +
                  std::string(17, ' ') + "\x10\x03");
    EXPECT_EQ(IDFrame(kFcfCSI, "ABC")[2], 0x40);
    EXPECT_EQ(AsText(IDFrame(kFcfTSI, "123456789012345678901234")).substr(3, 20),
              "09876543210987654321")
        << "only the first 20 characters are sent";
    EXPECT_EQ(AsText(IDFrame(kFcfTSI, "A\x10")).substr(3),
              "\x10\x10"
              "A" +
                  std::string(18, ' ') + "\x10\x03")
        << "a DLE inside the identifier is doubled so it cannot end the frame";
}

TEST(T30FramesTest, ShortFramesAreFinal) {
    EXPECT_EQ(ShortFrame(kFcfMCF), Bytes({0xFF, 0x13, 0x8C, 0x10, 0x03}));
}

TEST(T30FramesTest, CapabilityFrameOctets) {
    struct Case {
        CapabilityKind kind;
        int rateIndex;
        int scanCode;
        bool fine, wide;
        std::uint8_t octet2, octet3;
    };
    const Case cases[] = {
        {CapabilityKind::DIS, 1, 0, false, false, 0x42, 0xF9},
        {CapabilityKind::DIS, 2, 0, false, false, 0x4A, 0xF9},
        {CapabilityKind::DIS, 3, 0, false, false, 0x4E, 0xF9},
        {CapabilityKind::DIS, 4, 0, false, false, 0x4E, 0xF9},
        {CapabilityKind::DIS, 5, 0, false, false, 0x6E, 0xF9},
        {CapabilityKind::DIS, 6, 5, true, true, 0x6E, 0xF9},
        {CapabilityKind::DCS, 1, 0, false, false, 0x02, 0xF8},
        {CapabilityKind::DCS, 4, 5, false, false, 0x06, 0x88},
        {CapabilityKind::DCS, 4, 4, true, false, 0x46, 0xA8},  // fine 10 ms
        {CapabilityKind::DCS, 5, 6, false, true, 0x2A, 0xC9},  // V.17 12000
        {CapabilityKind::DCS, 6, 2, true, false, 0x62, 0x98},
        {CapabilityKind::DCS, 3, 1, false, false, 0x0E, 0x98},
        {CapabilityKind::DCS, 2, 7, false, true, 0x0A, 0xC9},
    };
    for (const Case& c : cases) {
        SessionParameters params;
        params.rateIndex = c.rateIndex;
        params.scanCode = c.scanCode;
        params.sessionFine = c.fine;
        params.sessionWide = c.wide;
        const std::vector<std::uint8_t> frame = CapabilityFrame(c.kind, params);
        const bool dis = c.kind == CapabilityKind::DIS;
        const std::string label = std::string(dis ? "DIS" : "DCS") + " rate " +
                                  std::to_string(c.rateIndex) + " scan " +
                                  std::to_string(c.scanCode);
        EXPECT_EQ(frame, Bytes({0xFF, 0x13, dis ? 0x80 : 0x83, 0x00, c.octet2, c.octet3, 0x00, 0x10,
                                0x03}))
            << label;
    }
}

TEST(T30FramesTest, WritersWaitThenSendWholeFrames) {
    SessionRig rig;
    rig.session.data.stationID = "ABC";
    rig.session.modem.params.rateIndex = 5;
    SendIDFrame(rig.session, kFcfCSI);
    EXPECT_GE(rig.scheduler.Now(), Milliseconds(20));
    SendCapabilityFrame(rig.session, CapabilityKind::DCS);
    EXPECT_EQ(rig.session.modem.params.modulationCode, "121");
    std::vector<std::uint8_t> expected = IDFrame(kFcfCSI, "ABC");
    const std::vector<std::uint8_t> dcs =
        CapabilityFrame(CapabilityKind::DCS, rig.session.modem.params);
    expected.insert(expected.end(), dcs.begin(), dcs.end());
    EXPECT_EQ(rig.Sent(), expected);
}

TEST(T30FramesTest, TrainingCheckLength) {
    struct Case {
        std::uint32_t bps;
        std::size_t zeros;
    };
    for (const Case c : {Case{14400, 2592}, Case{9600, 1728}, Case{2400, 432}}) {
        SessionRig rig;
        rig.session.modem.params.sessionBPS = c.bps;
        SendTrainingCheck(rig.session);
        std::vector<std::uint8_t> expected(c.zeros, 0);
        expected.push_back(0x10);
        expected.push_back(0x03);
        EXPECT_EQ(rig.Sent(), expected) << c.bps;
    }
}

TEST(T30FramesTest, ParseFrameReadsTheRemoteID) {
    SessionRig rig;
    // Garbage before the address byte is dropped; the two FCS bytes
    // a modem passes on are not part of the identifier.
    rig.Collect(
        "CONNECT\x01\xFF\x03\x40"
        "CBA" +
        std::string(17, ' ') + "\x5A\xA5\x10\x03");
    const ParsedFrame parsed = ParseFrame(rig.session);
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(rig.session.data.remoteID, "ABC");
    EXPECT_EQ(rig.session.data.faxProgress, 41);
    EXPECT_TRUE(rig.session.modem.statusChanged);
    EXPECT_FALSE(rig.session.modem.params.finalFrame);
    EXPECT_EQ(rig.session.modem.params.lastFCF, 0x40);
    EXPECT_EQ(rig.session.modem.control.ResponseBuffer(), "") << "the response is reset";
}

TEST(T30FramesTest, ReceivedIdentifierLosesPaddingOnEitherSide) {
    const struct {
        std::string field;  // as transmitted: last character first
        std::string id;
    } cases[] = {
        {"CBA" + std::string(17, ' '), "ABC"},
        {std::string(17, ' ') + "CBA", "ABC"},
        {"  C B  " + std::string(13, ' '), "B C"},
        {std::string(20, ' '), ""},
        {"1", "1"},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        rig.Collect("\xFF\x03\x43" + c.field + "\x10\x03");
        ParseFrame(rig.session);
        EXPECT_EQ(rig.session.data.remoteID, c.id) << '"' << c.field << '"';
    }
}

TEST(T30FramesTest, ParseFrameByControlField) {
    struct Case {
        const char* name;
        std::string frame;
        int result;
        bool retrain;
        bool final;
        bool cfr;
    };
    const Case cases[] = {
        {"CFR", "\xFF\x13\x84\x10\x03", 0, false, true, true},
        {"FTT", "\xFF\x13\x44\x10\x03", 0, true, true, false},
        {"RTN with X bit", "\xFF\x13\x4D\x10\x03", 0, true, true, false},
        {"DCN", "\xFF\x13\xFB\x10\x03", -6005, false, true, false},
        {"MCF", "\xFF\x13\x8C\x10\x03", 0, false, true, false},
        {"lone address", "\xFF\x10\x03", 0, false, false, false},
        {"no address at all", "\x10\x03", 0, false, false, false},
    };
    for (const Case& c : cases) {
        SessionRig rig;
        rig.Collect(c.frame);
        const ParsedFrame parsed = ParseFrame(rig.session);
        EXPECT_EQ(parsed.result, c.result) << c.name;
        EXPECT_EQ(parsed.retrain, c.retrain) << c.name;
        EXPECT_EQ(rig.session.modem.params.finalFrame, c.final) << c.name;
        EXPECT_EQ(rig.session.modem.params.cfrReceived, c.cfr) << c.name;
    }
}

TEST(T30FramesTest, ADisSettlesTheSessionOnWhatTheRemoteTakes) {
    // Standard and 1728 pixels are mandatory in T.30: a page the remote
    // cannot take as it is goes in that form, never refused.
    struct Case {
        bool pageFine, pageWide;
        std::uint8_t octet2, octet3;
        bool sessionFine, sessionWide;
    };
    const Case cases[] = {
        {false, false, 0x0C, 0x00, false, false}, {true, false, 0x4C, 0x00, true, false},
        {true, false, 0x0C, 0x00, false, false},  {false, true, 0x0C, 0x00, false, false},
        {false, true, 0x0C, 0x01, false, true},   {true, true, 0x4C, 0x01, true, true},
        {false, false, 0x4C, 0x01, false, false},
    };
    for (const Case& c : cases) {
        SessionRig rig;
        rig.session.modem.pageHeader.pageFlags =
            (c.pageFine ? faximage::pfFine : 0) | (c.pageWide ? faximage::pfWide : 0);
        rig.Collect(std::string("\xFF\x13\x80\x00", 4) + char(c.octet2) + char(c.octet3) +
                    "\x10\x03");
        EXPECT_EQ(ParseFrame(rig.session).result, 0);
        EXPECT_EQ(rig.session.data.faxProgress, 40);
        EXPECT_EQ(rig.session.modem.params.sessionFine, c.sessionFine);
        EXPECT_EQ(rig.session.modem.params.sessionWide, c.sessionWide);
    }
}

TEST(T30FramesTest, ParseFrameDecodesDcsAndUnshieldsDle) {
    SessionRig rig;
    // DCS at 9600, 20 ms; the remote's ID below carries a doubled DLE.
    rig.Collect(std::string("\xFF\x13\x83\x00\x04\x00\x00\x10\x03", 9));
    EXPECT_EQ(ParseFrame(rig.session).result, 0);
    EXPECT_EQ(rig.session.modem.params.modulationCode, "96");
    EXPECT_EQ(rig.session.modem.params.minLineBytes, 24);
    rig.Collect("\xFF\x03\x43" + std::string(19, ' ') + "\x10\x10\x10\x03");
    ParseFrame(rig.session);
    EXPECT_EQ(rig.session.data.remoteID, "\x10");
}

}  // namespace
}  // namespace corvane::engine
