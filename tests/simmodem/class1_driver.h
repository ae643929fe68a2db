// A computer that drives a class 1 modem by hand: the T.30 steps of a
// sending station as AT commands, frames and page data through the port.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_bytes.h"
#include "modem_terminal.h"

namespace corvane::simmodem::testing {

// An identity field as T.30 sends it: last character first, blanks behind.
inline std::string Id(const std::string& id) {
    return std::string(id.rbegin(), id.rend()) + std::string(20 - id.size(), ' ');
}

// DCS for 9600 bit/s V.29, normal resolution, with the given scan-time bits.
inline std::string Dcs9600(int scanBits = 0x70) {
    return Bytes({0xFF, 0x13, 0x83, 0x00, 0x06, scanBits});
}

inline const std::string kCFR = Bytes({0xFF, 0x13, 0x84});
inline const std::string kFTT = Bytes({0xFF, 0x13, 0x44});
inline const std::string kMCF = Bytes({0xFF, 0x13, 0x8C});
inline const std::string kRTN = Bytes({0xFF, 0x13, 0x4C});
inline const std::string kDCN = Bytes({0xFF, 0x13, 0xFA});
inline constexpr int kEOP = 0x2F;
inline constexpr int kMPS = 0x4F;

class Class1Driver {
  public:
    explicit Class1Driver(ModemTerminal& computer) : computer_(computer) {}

    // The frame the modem hands over (without DLE shielding or DLE ETX) after its result.
    std::string Frame(const std::string& result = kOk) {
        const std::string frame = computer_.Until(kDleEtx);
        EXPECT_EQ(computer_.Until(result), result);
        return Unshield(frame.substr(0, frame.size() - 2));
    }
    std::string ReceiveFrame() {
        computer_.Command("AT+FRH=3");
        EXPECT_EQ(computer_.Until(kConnect), kConnect);
        return Frame();
    }
    void SendFrames(const std::vector<std::string>& frames) {
        computer_.Command("AT+FTH=3");
        for (const std::string& frame : frames) {
            ASSERT_EQ(computer_.Until(kConnect), kConnect);
            computer_.Type(Shield(frame) + kDleEtx);
        }
        ASSERT_EQ(computer_.Until(kOk), kOk);
    }
    // The 75 ms T.30 asks for between V.21 flags and a training.
    void Silence() {
        computer_.Command("AT+FTS=8");
        ASSERT_EQ(computer_.Until(kOk), kOk);
    }
    void SendData(int modulation, const std::string& data) {
        computer_.Command("AT+FTM=" + std::to_string(modulation));
        ASSERT_EQ(computer_.Until(kConnect), kConnect);
        computer_.Type(Shield(data) + kDleEtx);
        ASSERT_EQ(computer_.Until(kOk), kOk);
    }
    // Dials, reads CSI and DIS, sends TSI, DCS and the training check at
    // 9600 bit/s; returns the answer's address, control and FCF.
    std::string Train(const std::string& number, const std::string& calledId,
                      const std::string& dcs = Dcs9600()) {
        computer_.Command("ATD" + number);
        EXPECT_EQ(computer_.Until(kConnect), kConnect);
        EXPECT_EQ(Frame().substr(0, 23), Bytes({0xFF, 0x03, 0x40}) + Id(calledId));
        dis = ReceiveFrame();
        SendFrames({Bytes({0xFF, 0x03, 0x43}) + Id("4321"), dcs});
        Silence();
        SendData(96, std::string(1800, '\0'));
        return ReceiveFrame().substr(0, 3);
    }
    void SendPage(const std::vector<std::uint8_t>& page, int postPage) {
        SendData(96, std::string(page.begin(), page.end()));
        SendFrames({Bytes({0xFF, 0x13, postPage})});
    }
    void Disconnect() {
        SendFrames({Bytes({0xFF, 0x13, 0xFB})});
        computer_.Command("ATH");
        EXPECT_EQ(computer_.Until(kOk), kOk);
    }

    std::string dis;  // the last DIS frame read by Train

  private:
    ModemTerminal& computer_;
};

}  // namespace corvane::simmodem::testing
