#include "simmodem/sim_modem.h"

#include <algorithm>
#include <cstdio>

namespace corvane::simmodem {

using engine::Milliseconds;
using engine::Seconds;

namespace {

struct ResultText {
    const char* verbose;
    const char* numeric;
};

ResultText TextOf(ResultCode code) {
    switch (code) {
        case ResultCode::Ok:
            return {"OK", "0"};
        case ResultCode::Connect:
            return {"CONNECT", "1"};
        case ResultCode::Ring:
            return {"RING", "2"};
        case ResultCode::NoCarrier:
            return {"NO CARRIER", "3"};
        case ResultCode::Error:
            return {"ERROR", "4"};
        case ResultCode::NoDialTone:
            return {"NO DIALTONE", "6"};
        case ResultCode::Busy:
            return {"BUSY", "7"};
        case ResultCode::NoAnswer:
            return {"NO ANSWER", "8"};
        case ResultCode::Voice:
            return {"VOICE", "9"};
        case ResultCode::FcError:
            return {"+FCERROR", "+F4"};
    }
    return {"ERROR", "4"};
}

bool IsFinal(ResultCode code) {
    return code != ResultCode::Ring;
}

// Which call-progress results an X level reports; the others are not
// detected and the modem goes on waiting for a carrier.
bool Detects(int xLevel, DialOutcome outcome) {
    switch (outcome) {
        case DialOutcome::NoDialTone:
            return xLevel == 2 || xLevel == 4;
        case DialOutcome::Busy:
        case DialOutcome::Voice:
            return xLevel >= 3;
        default:
            return false;
    }
}

ResultCode ResultFor(DialOutcome outcome) {
    switch (outcome) {
        case DialOutcome::NoDialTone:
            return ResultCode::NoDialTone;
        case DialOutcome::Busy:
            return ResultCode::Busy;
        case DialOutcome::Voice:
            return ResultCode::Voice;
        case DialOutcome::NoAnswer:
            return ResultCode::NoAnswer;
        default:
            return ResultCode::NoCarrier;
    }
}

bool HardwareFlow(FlowControl flow) {
    return flow == FlowControl::Hardware || flow == FlowControl::Both;
}
bool SoftwareFlow(FlowControl flow) {
    return flow == FlowControl::Software || flow == FlowControl::Both;
}

}  // namespace

SimModem::SimModem(PhoneNetwork& network, ModemConfig config)
    : network_(network),
      config_(std::move(config)),
      transmitter_(network.scheduler(), *this),
      flow_(config_.flow) {
    Defaults();
    transmitter_.OnDrain([this] { Drained(); });
}

SimModem::~SimModem() {
    if (call_) {
        call_->HangUp(*this);
    }
}

void SimModem::Attach(engine::SimLine& line) {
    line_ = &line;
}

void SimModem::Defaults() {
    echo_ = true;
    verbose_ = true;
    quiet_ = false;
    callProgress_ = 4;
    registers_.fill(0);
    registers_[2] = 43;   // escape character
    registers_[3] = 13;   // carriage return
    registers_[4] = 10;   // line feed
    registers_[5] = 8;    // backspace
    registers_[6] = 2;    // dial-tone wait, s
    registers_[7] = 50;   // carrier wait, s
    registers_[8] = 2;    // comma pause, s
    registers_[10] = 14;  // carrier loss, 1/10 s
    registers_[12] = 50;  // escape guard time, 1/50 s
    flow_ = config_.flow;
    faxClass_ = "0";
    FactoryReset();
}

bool SimModem::OfferedClass(const std::string& name) const {
    return std::find(config_.classes.begin(), config_.classes.end(), name) != config_.classes.end();
}

std::string SimModem::CountersText() const {
    const ModemCounters& c = counters_;
    if (c.underruns == 0 && c.transmitOverflows == 0 && c.receiveOverflows == 0 &&
        c.missedFrames == 0) {
        return {};
    }
    return " (underruns " + std::to_string(c.underruns) + ", bytes lost from the computer " +
           std::to_string(c.transmitOverflows) + ", to the computer " +
           std::to_string(c.receiveOverflows) + ", frames missed " +
           std::to_string(c.missedFrames) + ")";
}

// ---- towards the computer ------------------------------------------------

void SimModem::SendRaw(std::string_view bytes) {
    for (char c : bytes) {
        if (toComputer_.size() >= config_.receiveBufferSize) {
            ++counters_.receiveOverflows;
            continue;
        }
        toComputer_.push_back(static_cast<std::uint8_t>(c));
    }
    PumpToComputer();
}

void SimModem::SendShielded(std::span<const std::uint8_t> bytes) {
    std::string shielded;
    for (std::uint8_t byte : bytes) {
        shielded += static_cast<char>(byte);
        if (byte == kDle) {
            shielded += static_cast<char>(kDle);
        }
    }
    SendRaw(shielded);
}

void SimModem::SendResult(ResultCode code) {
    if (IsFinal(code)) {
        commandPending_ = false;
    }
    if (quiet_) {
        return;
    }
    const ResultText text = TextOf(code);
    SendRaw(verbose_ ? "\r\n" + std::string(text.verbose) + "\r\n"
                     : std::string(text.numeric) + "\r");
}

void SimModem::SendInfo(const std::string& text) {
    SendRaw(verbose_ ? "\r\n" + text + "\r\n" : text + "\r\n");
}

void SimModem::FinishCommand(Reply reply) {
    commandPending_ = false;
    if (reply != Reply::Later) {
        SendResult(reply == Reply::Ok ? ResultCode::Ok : ResultCode::Error);
    }
}

void SimModem::PumpToComputer() {
    if (pumping_ || toComputer_.empty() || line_ == nullptr) {
        return;
    }
    if ((HardwareFlow(flow_) && !line_->RTS()) || (SoftwareFlow(flow_) && computerXoff_)) {
        return;  // resumed by the RTS change or the XON
    }
    pumping_ = true;
    const char byte = static_cast<char>(toComputer_.front());
    toComputer_.pop_front();
    line_->SendToComputer(std::string_view(&byte, 1));
    const engine::Micros byteTime = baud_ == 0 ? 1 : Seconds(10) / baud_;
    scheduler().After(byteTime, [this, alive = Alive()] {
        if (!alive.expired()) {
            pumping_ = false;
            PumpToComputer();
        }
    });
}

void SimModem::QueueForLine(std::uint8_t byte) {
    if (transmitter_.PendingBytes() >= config_.transmitBufferSize) {
        ++counters_.transmitOverflows;
        return;
    }
    transmitter_.SendData({&byte, 1});
    CheckTransmitFlow();
}

// Holds the computer off while the transmit buffer is three quarters full.
void SimModem::CheckTransmitFlow() {
    const std::size_t pending = transmitter_.PendingBytes();
    if (!holdingComputer_ && pending >= config_.transmitBufferSize * 3 / 4) {
        SetHoldComputer(true);
    } else if (holdingComputer_ && pending <= config_.transmitBufferSize / 4) {
        SetHoldComputer(false);
    }
}

void SimModem::SetHoldComputer(bool hold) {
    holdingComputer_ = hold;
    if (line_ == nullptr) {
        return;
    }
    if (HardwareFlow(flow_)) {
        line_->SetCTS(!hold);
    }
    if (SoftwareFlow(flow_)) {
        const char byte = static_cast<char>(hold ? kXoff : kXon);
        line_->SendToComputer(std::string_view(&byte, 1));
    }
}

// ---- from the computer ---------------------------------------------------

void SimModem::ReceiveFromComputer(std::uint8_t byte) {
    if (line_ == nullptr) {
        return;
    }
    if (SoftwareFlow(flow_) && !TransmitDataMode() && (byte == kXon || byte == kXoff)) {
        computerXoff_ = byte == kXoff;
        PumpToComputer();
        return;
    }
    if (dataOnline_) {
        DataOnlineByte(byte);
        return;
    }
    if (dataMode_) {
        DataByte(byte);
        return;
    }
    if (dialled_ && waitingForCarrier_) {
        // Any character abandons the dialling.
        HangUp();
        SendResult(ResultCode::NoCarrier);
        return;
    }
    if (commandPending_) {
        return;
    }
    CommandChar(byte);
}

void SimModem::CommandChar(std::uint8_t byte) {
    if (echo_) {
        const char c = static_cast<char>(byte);
        SendRaw(std::string_view(&c, 1));
    }
    const char c = static_cast<char>(byte);
    switch (prefix_) {
        case Prefix::WantA:
            if (c == 'A' || c == 'a')
                prefix_ = Prefix::WantT;
            return;
        case Prefix::WantT:
            if (c == 'T' || c == 't') {
                prefix_ = Prefix::Body;
                lineBuffer_.clear();
                lineTooLong_ = false;
            } else if (c == '/') {
                prefix_ = Prefix::WantA;
                ExecuteLine(lastLine_);
            } else if (c != 'A' && c != 'a') {
                prefix_ = Prefix::WantA;
            }
            return;
        case Prefix::Body:
            break;
    }
    if (byte == registers_[3]) {
        prefix_ = Prefix::WantA;
        if (lineTooLong_) {
            SendResult(ResultCode::Error);
        } else {
            lastLine_ = lineBuffer_;
            ExecuteLine(lineBuffer_);
        }
    } else if (byte == registers_[5]) {
        if (!lineBuffer_.empty())
            lineBuffer_.pop_back();
    } else if (byte >= 32 && byte < 127) {
        if (lineBuffer_.size() >= kMaxCommandLine) {
            lineTooLong_ = true;
        } else {
            lineBuffer_ += c;
        }
    }
}

void SimModem::ExecuteLine(const std::string& body) {
    const auto commands = ParseAtCommandLine(body);
    if (!commands) {
        SendResult(ResultCode::Error);
        return;
    }
    for (const AtCommand& command : *commands) {
        // An action command may answer at once (which clears this) or later.
        commandPending_ = true;
        const Reply reply = Execute(command);
        if (reply != Reply::Later) {
            commandPending_ = false;
        }
        if (reply == Reply::Error) {
            SendResult(ResultCode::Error);
            return;
        }
        if (reply == Reply::Later) {
            return;  // whatever follows an action command on the line is not run
        }
    }
    SendResult(ResultCode::Ok);
}

SimModem::Reply SimModem::Execute(const AtCommand& command) {
    switch (command.kind) {
        case AtCommand::Kind::Dial:
            return Dial(command.value);
        case AtCommand::Kind::Basic:
            return BasicCommand(command);
        case AtCommand::Kind::SRegister:
            if (command.op == AtCommand::Op::Query) {
                char text[8];
                std::snprintf(text, sizeof text, "%03d", registers_[command.number]);
                SendInfo(text);
            } else {
                registers_[command.number] = std::stoi(command.value);
            }
            return Reply::Ok;
        case AtCommand::Kind::Extended:
            break;
    }
    if (command.name == "+FCLASS") {
        switch (command.op) {
            case AtCommand::Op::Test: {
                std::string list = "0";
                for (const char* name : {"1", "2", "2.0"}) {
                    if (OfferedClass(name))
                        list += std::string(",") + name;
                }
                SendInfo(list);
                return Reply::Ok;
            }
            case AtCommand::Op::Query:
                SendInfo(faxClass_);
                return Reply::Ok;
            case AtCommand::Op::Set:
                if (command.value != "0" && !OfferedClass(command.value)) {
                    return Reply::Error;
                }
                faxClass_ = command.value;
                return Reply::Ok;
            case AtCommand::Op::Action:
                return Reply::Error;
        }
    }
    if (faxClass_ == "0") {
        return Reply::Error;
    }
    return ClassCommand(command);
}

SimModem::Reply SimModem::BasicCommand(const AtCommand& command) {
    const std::string& name = command.name;
    const int n = command.number;
    auto flag = [&](bool& setting) {
        if (n > 1)
            return Reply::Error;
        setting = n == 1;
        return Reply::Ok;
    };
    if (name == "E")
        return flag(echo_);
    if (name == "V")
        return flag(verbose_);
    if (name == "Q")
        return flag(quiet_);
    if (name == "X") {
        if (n > 4)
            return Reply::Error;
        callProgress_ = n;
        return Reply::Ok;
    }
    if (name == "H") {
        if (n != 0)
            return Reply::Error;
        HangUp();
        return Reply::Ok;
    }
    if (name == "A")
        return AnswerCall();
    if (name == "Z" || name == "&F") {
        if (name == "Z")
            HangUp();
        Defaults();
        return Reply::Ok;
    }
    if (name == "&K") {
        switch (n) {
            case 0:
                flow_ = FlowControl::None;
                return Reply::Ok;
            case 3:
                flow_ = FlowControl::Hardware;
                return Reply::Ok;
            case 4:
                flow_ = FlowControl::Software;
                return Reply::Ok;
            case 6:
                flow_ = FlowControl::Both;
                return Reply::Ok;
            default:
                return Reply::Error;
        }
    }
    if (name == "I") {
        SendInfo("CORVANE SIMULATED FAX MODEM");
        return Reply::Ok;
    }
    // Speaker, volume and line options have nothing to act on here.
    if (name == "M" || name == "L" || name == "&C" || name == "&D" || name == "&S" ||
        name == "&W") {
        return Reply::Ok;
    }
    return Reply::Error;
}

// ---- calls ---------------------------------------------------------------

SimModem::Reply SimModem::Dial(const std::string& dialString) {
    if (call_ || DialledDigits(dialString).empty()) {
        return Reply::Error;
    }
    dialled_ = true;
    if (callLog_)
        callLog_("dialling " + DialledDigits(dialString));
    call_ = network_.Dial(*this, dialString);
    transmitter_.SetCall(call_);
    StartWaitForCarrier();
    return Reply::Later;
}

SimModem::Reply SimModem::AnswerCall() {
    if (call_) {
        return Reply::Error;
    }
    if (!ringingCall_ || ringingCall_->Ended()) {
        ringingCall_.reset();
        SendResult(ResultCode::NoCarrier);
        return Reply::Later;
    }
    call_ = std::move(ringingCall_);
    ringingCall_.reset();
    dialled_ = false;
    transmitter_.SetCall(call_);
    call_->Answer();
    if (callLog_)
        callLog_("answered");
    line_->SetDCD(true);
    CallUpAsAnswerer();
    return Reply::Later;
}

void SimModem::StartWaitForCarrier() {
    waitingForCarrier_ = true;
    const unsigned generation = ++waitGeneration_;
    scheduler().After(Seconds(static_cast<std::uint64_t>(registers_[7])), [this, generation,
                                                                           alive = Alive()] {
        if (alive.expired() || generation != waitGeneration_ || !waitingForCarrier_) {
            return;
        }
        const bool ringingOut = dialled_ && call_ && !call_->Answered() && !call_->Ended();
        HangUp();
        SendResult(ringingOut && callProgress_ >= 3 ? ResultCode::NoAnswer : ResultCode::NoCarrier);
    });
}

void SimModem::StopCarrierWait() {
    waitingForCarrier_ = false;
    ++waitGeneration_;
}

void SimModem::HangUp() {
    ringingCall_.reset();
    transmitter_.Abort();
    const bool hadCall = call_ != nullptr;
    if (call_) {
        call_->HangUp(*this);
        call_.reset();
    }
    transmitter_.SetCall(nullptr);
    StopCarrierWait();
    dialled_ = false;
    dataOnline_ = false;
    dataMode_ = false;
    carrierIn_ = false;
    if (holdingComputer_) {
        SetHoldComputer(false);
    }
    if (line_ != nullptr) {
        line_->SetDCD(false);
    }
    if (hadCall) {
        if (callLog_)
            callLog_("hung up" + CountersText());
        CallFinished(false);
    }
}

void SimModem::Ringing(const std::shared_ptr<Call>& call, int ring) {
    if (call_) {
        return;
    }
    ringingCall_ = call;
    registers_[1] = ring;
    SendResult(ResultCode::Ring);
    if (registers_[0] > 0 && ring >= registers_[0] && !commandPending_) {
        commandPending_ = true;
        AnswerCall();
    }
}

void SimModem::Answered() {
    if (line_ != nullptr) {
        line_->SetDCD(true);
    }
    CallUpAsCaller();
}

void SimModem::DialFailed(DialOutcome outcome) {
    if (!waitingForCarrier_ || !Detects(callProgress_, outcome)) {
        return;  // not heard: the carrier wait runs out instead
    }
    HangUp();
    SendResult(ResultFor(outcome));
}

void SimModem::Receive(const LineSignal& signal) {
    if (signal.kind == LineSignal::Kind::CarrierOn) {
        carrierIn_ = true;
        carrierInModulation_ = signal.modulation;
        carrierInSince_ = scheduler().Now();
        if (signal.modulation.family == Family::Data) {
            if (dialled_ && waitingForCarrier_) {
                StopCarrierWait();
                dataOnline_ = true;
                lastDataByteAt_ = scheduler().Now();
                SendResult(ResultCode::Connect);
            }
            return;
        }
    } else if (signal.kind == LineSignal::Kind::CarrierOff) {
        carrierIn_ = false;
    }
    LineSignalArrived(signal);
}

void SimModem::CallEnded() {
    if (!call_) {
        return;
    }
    const bool report = dataOnline_ || waitingForCarrier_;
    if (callLog_)
        callLog_("the other side hung up" + CountersText());
    transmitter_.Abort();
    call_.reset();
    transmitter_.SetCall(nullptr);
    StopCarrierWait();
    dialled_ = false;
    dataOnline_ = false;
    carrierIn_ = false;
    if (holdingComputer_) {
        SetHoldComputer(false);
    }
    line_->SetDCD(false);
    CallFinished(true);
    dataMode_ = false;
    if (report) {
        SendResult(ResultCode::NoCarrier);
    }
}

// A call to a data modem: computer bytes go nowhere, "+++" with its guard
// times returns to command mode with the call still up.
void SimModem::DataOnlineByte(std::uint8_t byte) {
    const engine::Micros guard = Milliseconds(20) * static_cast<engine::Micros>(registers_[12]);
    const engine::Micros now = scheduler().Now();
    if (byte == registers_[2] && (escapePluses_ > 0 || now - lastDataByteAt_ >= guard)) {
        if (++escapePluses_ == 3) {
            scheduler().After(guard, [this, guard, alive = Alive()] {
                if (!alive.expired() && escapePluses_ == 3 &&
                    scheduler().Now() - lastDataByteAt_ >= guard) {
                    escapePluses_ = 0;
                    dataOnline_ = false;
                    SendResult(ResultCode::Ok);
                }
            });
        }
    } else {
        escapePluses_ = 0;
    }
    lastDataByteAt_ = now;
}

void SimModem::ControlLinesChanged(bool dtr, bool /*rts*/) {
    if (lastDtr_ && !dtr) {
        // DTR dropped: hang up and return to command mode.
        HangUp();
        commandPending_ = false;
        prefix_ = Prefix::WantA;
    }
    lastDtr_ = dtr;
    PumpToComputer();
}

}  // namespace corvane::simmodem
