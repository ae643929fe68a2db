#include "faxengine/modem_control.h"

namespace corvane::engine {

namespace {
constexpr std::uint32_t kCommandWait = 100;
constexpr std::uint32_t kModulationWait = 40;
constexpr std::uint32_t kLineDropWait = 500;
constexpr std::uint32_t kGuardTime = 1000;
constexpr std::uint32_t kBaudSwitchTicks = 9;
// After each rate line the rest of the list must follow within 2 seconds.
constexpr std::uint32_t kRateLineTicks = 36;
constexpr std::uint8_t kCR = 13;
}  // namespace

FaxClasses ParseClassList(std::string_view list) {
    FaxClasses classes;
    std::string token;
    // A trailing separator ends the last token.
    for (const char c : std::string(list) + ",") {
        if (c == ',') {
            classes.class1 = classes.class1 || token == "1";
            classes.class2 = classes.class2 || token == "2";
            classes.class20 = classes.class20 || token == "2.0";
            token.clear();
        } else if (c != '(' && c != ')' && c != ' ') {
            token += c;
        }
    }
    return classes;
}

ModemControl::ModemControl(ComPort& port, const Clock& clock, Platform& platform)
    : port_(port), clock_(clock), platform_(platform) {
    ChooseInitString();
}

void ModemControl::SetBlindDial(bool on) {
    blindDial_ = on;
    ChooseInitString();
}

void ModemControl::SetDetectBusy(bool on) {
    detectBusy_ = on;
    ChooseInitString();
}

void ModemControl::ChooseInitString() {
    initString_ = InitStringFor(blindDial_, detectBusy_);
}

bool ModemControl::LocalRate(int index) const {
    return index >= 1 && index <= kRateCount && localRates_[index];
}

int ModemControl::SendAfterWait(std::string_view text, std::uint32_t waitMilliseconds) {
    platform_.BusyWait(waitMilliseconds);
    for (char c : text) {
        if (const int result = port_.PutChar(static_cast<std::uint8_t>(c)); result < 0) {
            return result;
        }
    }
    if (const int result = port_.PutChar(kCR); result < 0) {
        return result;
    }
    ResetResponse();
    return 0;
}

int ModemControl::SendCommand(std::string_view text) {
    return SendAfterWait(text, kCommandWait);
}

int ModemControl::SendModulationCommand(std::string_view text) {
    return SendAfterWait(text, kModulationWait);
}

int ModemControl::ReceiveFrameCommand() {
    return SendAfterWait("AT+FRH=3", kModulationWait);
}

int ModemControl::TransmitFrameCommand() {
    return SendAfterWait("AT+FTH=3", kModulationWait);
}

void ModemControl::ResetResponse() {
    ClearResponseBuffer();
    lineMatcher_.Reset();
    unpairedDLE_ = false;
    if (timeoutTrigger_) {
        port_.SetTimerTrigger(*timeoutTrigger_, replyTimeout, true);
    }
    localDeadline_ = StartTimer(clock_, replyTimeout);
}

ModemControl::Collected ModemControl::CollectResponse(std::uint8_t byte) {
    if (response_.size() < kMaxResponse) {
        response_ += static_cast<char>(byte);
    }
    if (byte >= 33) {
        textSinceLine_ = true;
    }
    const bool lineEnd = lineMatcher_.Advance(byte);
    // A shielded DLE followed by the byte 3 is frame data, not its end.
    const bool frameEnd = unpairedDLE_ && byte == kETX;
    unpairedDLE_ = byte == kDLE && !unpairedDLE_;
    if (frameEnd) {
        return Collected::Frame;
    }
    if (lineEnd) {
        response_ = TrimControls(response_);
        const bool newLine = textSinceLine_ && !response_.empty();
        textSinceLine_ = false;
        return newLine ? Collected::Line : Collected::Nothing;
    }
    return Collected::Nothing;
}

bool ModemControl::ReplyHangup() const {
    return classCommands != nullptr && Contains(classCommands->hangupTag);
}

std::optional<std::string> ModemControl::ReadLine() {
    while (port_.CharReady()) {
        const int next = port_.GetChar();
        if (next < 0) {
            break;
        }
        const auto byte = static_cast<std::uint8_t>(next);
        if (byte == kCR) {
            if (!partialLine_.empty()) {
                std::string line = std::move(partialLine_);
                partialLine_.clear();
                return line;
            }
        } else if (byte >= 32) {
            if (partialLine_.size() == kMaxReadLine) {
                partialLine_.erase(0, 1);
            }
            partialLine_ += static_cast<char>(byte);
        }
    }
    return std::nullopt;
}

std::optional<std::string> ModemControl::WaitForLine() {
    while (true) {
        if (std::optional<std::string> line = ReadLine()) {
            return line;
        }
        if (LocalDeadlineExpired()) {
            return std::nullopt;
        }
        platform_.PollMessages();
    }
}

bool ModemControl::CommandAndWait(std::string_view text) {
    if (SendCommand(text) != 0) {
        return false;
    }
    ResetResponse();
    const bool wasSuspended = port_.SuspendEvents(true);
    partialLine_.clear();
    std::optional<std::string> line = WaitForLine();
    while (line && *line == text) {  // the modem's echo
        line = WaitForLine();
    }
    bool result = false;
    if (line) {
        response_ = line->substr(0, kMaxResponse);
        if (Contains("ERROR")) {
            result = false;
        } else if (Contains("OK")) {
            result = true;
        } else {
            // Normally the modem's OK; an ERROR there is still a refusal.
            const std::optional<std::string> last = WaitForLine();
            result = last && last->find("ERROR") == std::string::npos;
        }
    }
    port_.FlushInBuffer();
    partialLine_.clear();
    port_.SuspendEvents(wasSuspended);
    return result;
}

bool ModemControl::InitModem() {
    if (!modemInit_.empty() && !CommandAndWait(modemInit_)) {
        return false;
    }
    if (!CommandAndWait(initString_)) {
        return false;
    }
    modemReady = true;
    return true;
}

void ModemControl::ResetModemLine() {
    port_.FlushInBuffer();
    port_.FlushOutBuffer();
    port_.SetModem(false, false);
    platform_.BusyWait(kLineDropWait);
    port_.SetModem(true, true);
    platform_.BusyWait(kLineDropWait);
}

FaxClasses ModemControl::DetectFaxClasses(bool reset) {
    const bool wasSuspended = port_.SuspendEvents(true);
    FaxClasses classes;
    bool ready = true;
    if (reset) {
        ready = false;
        for (int attempt = 0; attempt < 2; ++attempt) {
            ResetModemLine();
            if (!CommandAndWait(initString_)) {
                break;
            }
            if (ReplyOK()) {
                ready = true;
                break;
            }
        }
    }
    if (ready && CommandAndWait("AT+FCLASS=?")) {
        classes = ParseClassList(StripTag(response_));
        classes.detected = true;
    }
    port_.SuspendEvents(wasSuspended);
    return classes;
}

bool ModemControl::QueryClass1Rates(bool sending) {
    if (!CommandAndWait(kClass1Select)) {
        return false;
    }
    localRates_ = {false, true, true, false, false, false, false};
    highestLocalRate_ = 1;
    if (SendCommand(sending ? "AT+FTM=?" : "AT+FRM=?") != 0) {
        return true;
    }
    const bool wasSuspended = port_.SuspendEvents(true);
    partialLine_.clear();
    static constexpr std::string_view kRateDigits[kRateCount + 1] = {"",   "",    "",   "72",
                                                                     "96", "121", "145"};
    while (std::optional<std::string> line = WaitForLine()) {
        if (line->find(',') != std::string::npos) {
            for (int index = 3; index <= kRateCount; ++index) {
                if (line->find(kRateDigits[index]) != std::string::npos) {
                    localRates_[index] = true;
                }
            }
            for (int index = kRateCount; index >= 1; --index) {
                if (localRates_[index]) {
                    highestLocalRate_ = index;
                    break;
                }
            }
        }
        localDeadline_ = StartTimer(clock_, kRateLineTicks);
        if (line->find("OK") != std::string::npos || line->find("ERROR") != std::string::npos) {
            break;
        }
    }
    port_.SuspendEvents(wasSuspended);
    return true;
}

void ModemControl::SetInitBaud(std::uint32_t initBaud, std::uint32_t normalBaud) {
    initBaud_ = initBaud;
    normalBaud_ = normalBaud != 0 ? normalBaud : port_.Baud();
    SwitchToInitBaud();
}

void ModemControl::SwitchBaud(std::uint32_t baud, bool toInit) {
    platform_.BusyWait(kBaudSwitchTicks * kMillisecondsPerTick);
    port_.ChangeBaud(baud);
    atInitBaud_ = toInit;
}

void ModemControl::SwitchToNormalBaud() {
    if (initBaud_ != 0 && atInitBaud_) {
        SwitchBaud(normalBaud_, false);
    }
}

void ModemControl::SwitchToInitBaud() {
    if (initBaud_ != 0 && !atInitBaud_) {
        SwitchBaud(initBaud_, true);
    }
}

void ModemControl::SenderHangUp() {
    if (port_.CheckDCD()) {
        platform_.BusyWait(kGuardTime);
        port_.PutString("+++");
        platform_.BusyWait(kGuardTime);
        SendCommand("ATH0");
        platform_.BusyWait(kGuardTime);
        port_.FlushInBuffer();
        if (port_.CheckDCD()) {
            ResetModemLine();
        }
    } else {
        SendCommand("ATH0");
        platform_.BusyWait(kGuardTime);
        port_.FlushInBuffer();
    }
}

void ModemControl::ReceiverHangUp() {
    ResetModemLine();
    platform_.BusyWait(kGuardTime);
    port_.PutString("+++");
    platform_.BusyWait(kGuardTime);
    SendCommand("ATH");
    platform_.BusyWait(kGuardTime);
    port_.FlushInBuffer();
}

}  // namespace corvane::engine
