#include "simmodem/class1_modem.h"

#include <algorithm>
#include <charconv>

#include "simmodem/hdlc.h"
#include "simmodem/t30_codec.h"

namespace corvane::simmodem {

using engine::Milliseconds;

namespace {

// A whole-number argument, or -1.
int NumberArgument(const std::string& text) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 ? value : -1;
}

std::string List(const std::vector<int>& codes) {
    std::string list;
    for (int code : codes) {
        list += (list.empty() ? "" : ",") + std::to_string(code);
    }
    return list;
}

bool Contains(const std::vector<int>& codes, int code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

Class1Modem::Class1Modem(PhoneNetwork& network, ModemConfig config)
    : SimModem(network, std::move(config)), noise_(this->config().noiseSeed) {}

std::vector<std::uint8_t> Class1Modem::DemodulatorTail() {
    std::uniform_int_distribution<int> ones(2, 5);
    std::uniform_int_distribution<int> noisy(3, 9);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(ones(noise_)), 0xFF);
    for (int i = noisy(noise_); i > 0; --i) {
        tail.push_back(static_cast<std::uint8_t>(byte(noise_)));
    }
    return tail;
}

void Class1Modem::FactoryReset() {
    Enter(State::Command);
}

void Class1Modem::Enter(State state) {
    state_ = state;
    ++generation_;
    SetDataMode(state != State::Command && state != State::Silence);
}

void Class1Modem::BackToCommand(ResultCode result) {
    Enter(State::Command);
    SendResult(result);
}

SimModem::Reply Class1Modem::ClassCommand(const AtCommand& command) {
    if (FaxClass() != "1") {
        return Reply::Error;
    }
    const std::string& name = command.name;
    const bool frames = name == "+FTH" || name == "+FRH";
    const bool data = name == "+FTM" || name == "+FRM";
    const bool silence = name == "+FTS" || name == "+FRS";
    if (!frames && !data && !silence) {
        return Reply::Error;
    }
    const bool transmit = name[2] == 'T';
    if (command.op == AtCommand::Op::Test) {
        SendInfo(frames    ? "3"
                 : silence ? "0-255"
                           : List(transmit ? config().transmitRates : config().receiveRates));
        return Reply::Ok;
    }
    if (command.op != AtCommand::Op::Set) {
        return Reply::Error;
    }
    const int value = NumberArgument(command.value);
    if (call() == nullptr || !call()->Answered() || value < 0) {
        return Reply::Error;
    }
    if (silence) {
        if (value > 255)
            return Reply::Error;
        return transmit ? TransmitSilence(value) : ReceiveSilence(value);
    }
    if (frames) {
        if (value != 3)
            return Reply::Error;
        return transmit ? TransmitFrames() : ReceiveFrames();
    }
    const auto modulation = HighSpeedModulation(value);
    if (!modulation ||
        !Contains(transmit ? config().transmitRates : config().receiveRates, value)) {
        return Reply::Error;
    }
    return transmit ? TransmitData(*modulation) : ReceiveData(*modulation);
}

// ---- transmitting --------------------------------------------------------

SimModem::Reply Class1Modem::TransmitFrames() {
    Enter(State::TxHdlc);
    frame_.clear();
    frameTooLong_ = false;
    dleSeen_ = false;
    dataEnded_ = false;
    if (!transmitter().CarrierOn()) {
        transmitter().StartCarrier(kV21);
    }
    SendResult(ResultCode::Connect);
    return Reply::Later;
}

SimModem::Reply Class1Modem::TransmitData(const Modulation& modulation) {
    Enter(State::TxData);
    dleSeen_ = false;
    dataEnded_ = false;
    connected_ = false;
    transmitter().StartCarrier(modulation);
    const unsigned generation = generation_;
    scheduler().After(StartUpTime(modulation), [this, generation, alive = Alive()] {
        if (!alive.expired() && generation == generation_) {
            connected_ = true;
            SendResult(ResultCode::Connect);
        }
    });
    return Reply::Later;
}

SimModem::Reply Class1Modem::TransmitSilence(int tenMilliseconds) {
    Enter(State::Silence);
    silenceTicks_ = 0;
    transmitter().StopCarrier();
    const unsigned generation = generation_;
    transmitter().WhenIdle([this, generation, tenMilliseconds, alive = Alive()] {
        scheduler().After(Milliseconds(10) * static_cast<engine::Micros>(tenMilliseconds),
                          [this, generation, alive] {
                              if (!alive.expired() && generation == generation_) {
                                  Enter(State::Command);
                                  FinishCommand(Reply::Ok);
                              }
                          });
    });
    return Reply::Later;
}

bool Class1Modem::TransmitDataMode() const {
    return state_ == State::TxHdlc || state_ == State::TxData;
}

void Class1Modem::DataByte(std::uint8_t byte) {
    if (state_ != State::TxHdlc && state_ != State::TxData) {
        // Any character ends a reception the computer no longer wants.
        if (state_ != State::Command && state_ != State::Silence) {
            BackToCommand(ResultCode::Ok);
        }
        return;
    }
    if (dataEnded_) {
        return;  // after DLE ETX, until the result
    }
    if (dleSeen_) {
        dleSeen_ = false;
        if (byte == kEtx) {
            state_ == State::TxHdlc ? FrameFromComputer() : FinishTransmission();
            return;
        }
        if (byte != kDle) {
            return;  // other DLE pairs are modem commands this modem does not take
        }
    } else if (byte == kDle) {
        dleSeen_ = true;
        return;
    }
    if (state_ == State::TxHdlc) {
        if (frame_.size() >= kMaxFrame) {
            frameTooLong_ = true;
        } else {
            frame_.push_back(byte);
        }
        return;
    }
    QueueForLine(byte);
}

void Class1Modem::FrameFromComputer() {
    if (frameTooLong_) {
        transmitter().Abort();
        BackToCommand(ResultCode::Error);
        return;
    }
    if (frame_.empty()) {
        FinishTransmission();
        return;
    }
    const bool final = frame_.size() >= 2 && (frame_[1] & 0x10) != 0;
    transmitter().SendFrame(frame_);
    frame_.clear();
    if (final) {
        FinishTransmission();
        return;
    }
    // The carrier stays up; the computer may send the next frame.
    const unsigned generation = generation_;
    transmitter().WhenIdle([this, generation] {
        if (generation == generation_) {
            SendResult(ResultCode::Connect);
        }
    });
}

void Class1Modem::FinishTransmission() {
    dataEnded_ = true;
    transmitter().StopCarrier();
    const unsigned generation = generation_;
    transmitter().WhenIdle([this, generation] {
        if (generation == generation_) {
            BackToCommand(ResultCode::Ok);
        }
    });
}

void Class1Modem::Drained() {
    CheckTransmitFlow();
    if (state_ == State::TxData && connected_ && !dataEnded_ && transmitter().PendingBytes() == 0) {
        ++counters().underruns;
    }
}

// ---- receiving -----------------------------------------------------------

SimModem::Reply Class1Modem::ReceiveFrames() {
    if (CarrierIn() && CarrierInModulation().family == Family::V21) {
        Enter(State::RxHdlc);
        SendResult(ResultCode::Connect);
    } else {
        Enter(State::RxHdlcWait);
    }
    return Reply::Later;
}

SimModem::Reply Class1Modem::ReceiveData(const Modulation& modulation) {
    if (CarrierIn() && CarrierInModulation().family == Family::V21) {
        SendResult(ResultCode::FcError);
        return Reply::Later;
    }
    Enter(State::RxDataWait);
    expected_ = modulation;
    if (CarrierIn() && CarrierInModulation().SameCarrier(modulation)) {
        // A carrier still in its training sequence can be locked on to; one
        // past it has trained without us, so the modem waits for the next.
        const engine::Micros trainedAt = CarrierInSince() + StartUpTime(CarrierInModulation());
        if (scheduler().Now() < trainedAt) {
            TrainOn(trainedAt - scheduler().Now());
        }
    }
    return Reply::Later;
}

void Class1Modem::TrainOn(engine::Micros remaining) {
    Enter(State::RxDataTraining);
    const unsigned generation = generation_;
    scheduler().After(remaining, [this, generation, alive = Alive()] {
        if (!alive.expired() && generation == generation_) {
            Enter(State::RxData);
            SendResult(ResultCode::Connect);
        }
    });
}

SimModem::Reply Class1Modem::ReceiveSilence(int tenMilliseconds) {
    Enter(State::Silence);
    silenceTicks_ = tenMilliseconds;
    if (!CarrierIn()) {
        ArmSilenceTimer();
    }
    return Reply::Later;
}

void Class1Modem::ArmSilenceTimer() {
    const unsigned generation = ++generation_;
    scheduler().After(Milliseconds(10) * static_cast<engine::Micros>(silenceTicks_),
                      [this, generation, alive = Alive()] {
                          if (!alive.expired() && generation == generation_ && !CarrierIn()) {
                              Enter(State::Command);
                              FinishCommand(Reply::Ok);
                          }
                      });
}

void Class1Modem::CallUpAsCaller() {
    // The answering side's V.21 flags make the connection (see LineSignalArrived).
    Enter(State::RxHdlcWait);
    SetDataMode(false);
}

void Class1Modem::CallUpAsAnswerer() {
    Enter(State::Silence);
    silenceTicks_ = 0;
    const unsigned generation = generation_;
    scheduler().After(t30::kAnswerTone, [this, generation, alive = Alive()] {
        if (!alive.expired() && generation == generation_) {
            TransmitFrames();
        }
    });
}

void Class1Modem::LineSignalArrived(const LineSignal& signal) {
    switch (signal.kind) {
        case LineSignal::Kind::CarrierOn:
            if (signal.modulation.family == Family::V21) {
                if (state_ == State::RxHdlcWait) {
                    StopCarrierWait();
                    Enter(State::RxHdlc);
                    SendResult(ResultCode::Connect);
                } else if (state_ == State::RxDataWait) {
                    BackToCommand(ResultCode::FcError);
                }
            } else if (state_ == State::RxDataWait && signal.modulation.SameCarrier(expected_)) {
                TrainOn(StartUpTime(signal.modulation));
            }
            return;
        case LineSignal::Kind::Frame:
            if (state_ != State::RxHdlc) {
                ++counters().missedFrames;
                return;
            }
            SendShielded(signal.bytes);
            SendRaw(std::string{static_cast<char>(kDle), static_cast<char>(kEtx)});
            BackToCommand(FrameCheckGood(signal.bytes) ? ResultCode::Ok : ResultCode::Error);
            return;
        case LineSignal::Kind::Data:
            if (state_ == State::RxData) {
                SendShielded(signal.bytes);
            }
            return;
        case LineSignal::Kind::CarrierOff:
            if (state_ == State::RxData) {
                SendShielded(DemodulatorTail());
                SendRaw(std::string{static_cast<char>(kDle), static_cast<char>(kEtx)});
                BackToCommand(ResultCode::NoCarrier);
            } else if (state_ == State::RxHdlc) {
                BackToCommand(ResultCode::NoCarrier);
            } else if (state_ == State::RxDataTraining) {
                Enter(State::RxDataWait);
            } else if (state_ == State::Silence && silenceTicks_ > 0) {
                ArmSilenceTimer();
            }
            return;
    }
}

void Class1Modem::CallFinished(bool remote) {
    const bool report = remote && DataMode();
    Enter(State::Command);
    silenceTicks_ = 0;
    if (report) {
        SendResult(ResultCode::NoCarrier);
    }
}

}  // namespace corvane::simmodem
