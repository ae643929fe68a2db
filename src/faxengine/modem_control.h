// The engine's conversation with an AT-command fax modem: sending
// commands, collecting and recognising replies, initialisation, class
// detection, class 1 rate query, baud switching and hang-up. Synchronous
// waits go through the platform, so in tests they pass in virtual time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "faxengine/class_commands.h"
#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"
#include "faxengine/modem_text.h"
#include "faxengine/session_parameters.h"
#include "faxengine/ticks.h"

namespace corvane::engine {

struct FaxClasses {
    bool detected = false;  // the query itself succeeded
    bool class1 = false;
    bool class2 = false;
    bool class20 = false;
};

// The classes of an "AT+FCLASS=?" list such as "0,1,2,2.0" or "(0,1,2)",
// token by token, so "2.1" offers nothing and "2.0" is not class 2.
FaxClasses ParseClassList(std::string_view list);

class ModemControl {
  public:
    static constexpr std::size_t kMaxResponse = 128;
    static constexpr std::size_t kMaxReadLine = 129;

    enum class Collected { Nothing, Line, Frame };

    ModemControl(ComPort& port, const Clock& clock, Platform& platform);

    // Timeouts in ticks.
    std::uint32_t replyTimeout = 182;
    std::uint32_t dataTimeout = 1092;
    std::uint32_t dialWait = 1092;
    bool modemReady = false;
    bool toneDial = true;
    // The class 2 or class 2.0 vocabulary of the running session.
    const ClassCommandTable* classCommands = nullptr;

    // The session's timeout trigger, set on every ResetResponse; none by default.
    void SetTimeoutTrigger(std::optional<int> handle) { timeoutTrigger_ = handle; }

    bool BlindDial() const { return blindDial_; }
    bool DetectBusy() const { return detectBusy_; }
    void SetBlindDial(bool on);
    void SetDetectBusy(bool on);
    const std::string& InitString() const { return initString_; }
    const std::string& ModemInit() const { return modemInit_; }
    void SetModemInit(std::string_view text) { modemInit_ = NormalizeModemInit(text); }

    // Class 1 rates the modem offers, indexes 1..6 (2400 .. 14400).
    bool LocalRate(int index) const;
    const RateFlags& LocalRates() const { return localRates_; }
    int HighestLocalRate() const { return highestLocalRate_; }

    // Each returns 0 or the code of the put that failed.
    int SendCommand(std::string_view text);
    int SendModulationCommand(std::string_view text);
    int ReceiveFrameCommand();
    int TransmitFrameCommand();

    void ResetResponse();
    Collected CollectResponse(std::uint8_t byte);
    const std::string& ResponseBuffer() const { return response_; }
    void ClearResponseBuffer() {
        response_.clear();
        textSinceLine_ = false;
    }
    bool LocalDeadlineExpired() const { return TimerExpired(localDeadline_, clock_); }

    bool ReplyOK() const { return Contains("OK"); }
    bool ReplyConnect() const { return Contains("CONNECT"); }
    bool ReplyNoCarrier() const { return Contains("RRIER"); }
    bool ReplyError() const { return Contains("ERROR"); }
    bool ReplyHangup() const;

    // Synchronous; only while no state machine runs on the port. The line
    // end that follows the reply may still be on its way and reach the
    // event procedure afterwards.
    bool CommandAndWait(std::string_view text);
    bool InitModem();
    void ResetModemLine();
    FaxClasses DetectFaxClasses(bool reset);
    // False when the modem refused class 1; the rates are then unchanged.
    bool QueryClass1Rates(bool sending);

    // Baud switching; nothing happens while the init baud is 0.
    void SetInitBaud(std::uint32_t initBaud, std::uint32_t normalBaud);
    void SwitchToNormalBaud();
    void SwitchToInitBaud();

    void SenderHangUp();
    void ReceiverHangUp();

  private:
    bool Contains(std::string_view text) const { return response_.find(text) != std::string::npos; }
    int SendAfterWait(std::string_view text, std::uint32_t waitMilliseconds);
    std::optional<std::string> ReadLine();
    std::optional<std::string> WaitForLine();
    void ChooseInitString();
    void SwitchBaud(std::uint32_t baud, bool toInit);

    ComPort& port_;
    const Clock& clock_;
    Platform& platform_;
    std::optional<int> timeoutTrigger_;
    std::string response_;
    PatternMatcher lineMatcher_{"\r\n"};
    // A DLE not yet paired: DLE DLE is a data DLE, DLE ETX ends a frame.
    bool unpairedDLE_ = false;
    TickTimer localDeadline_;
    std::string partialLine_;
    // A line end delivers a line only when text came since the last one;
    // the buffer keeps earlier lines, so trimming alone would repeat them.
    bool textSinceLine_ = false;
    bool blindDial_ = false;
    bool detectBusy_ = true;
    std::string initString_;
    std::string modemInit_;
    RateFlags localRates_{false, true, true, false, false, false, false};
    int highestLocalRate_ = 1;
    std::uint32_t initBaud_ = 0;
    std::uint32_t normalBaud_ = 0;
    bool atInitBaud_ = false;
};

}  // namespace corvane::engine
