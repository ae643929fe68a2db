#include "simmodem/remote_fax.h"

#include <algorithm>
#include <cstdio>

#include "simmodem/hdlc.h"
#include "simmodem/t30_reader.h"

namespace corvane::simmodem {

using namespace t30;

namespace {

std::string Bps(const Modulation& modulation) {
    return std::to_string(modulation.bitsPerSecond);
}

}  // namespace

RemoteFax::RemoteFax(PhoneNetwork& network, RemoteFaxConfig config)
    : network_(network),
      config_(std::move(config)),
      transmitter_(network.scheduler(), *this),
      reader_(true, [this](const std::string& text) { Violation(text); }) {}

RemoteFax::~RemoteFax() {
    if (call_) {
        call_->HangUp(*this);
    }
}

void RemoteFax::Later(engine::Micros delay, std::function<void()> action) {
    network_.scheduler().After(
        delay, [this, action = std::move(action), alive = std::weak_ptr<bool>(alive_)] {
            if (!alive.expired() && call_ && !finished_) {
                action();
            }
        });
}

void RemoteFax::Enter(State state, engine::Micros timeout) {
    state_ = state;
    const unsigned generation = ++timerGeneration_;
    if (timeout > 0) {
        Later(timeout, [this, generation] {
            if (generation == timerGeneration_) {
                Timeout();
            }
        });
    }
}

void RemoteFax::Violation(const std::string& text) {
    violations_.push_back(text);
    Note("violation: " + text);
}

void RemoteFax::Finish(bool success, const std::string& reason) {
    if (finished_) {
        return;
    }
    finished_ = true;
    succeeded_ = success;
    failure_ = reason;
    Note(success ? "finished" : "failed: " + reason);
}

void RemoteFax::HangUpNow() {
    transmitter_.Abort();
    if (call_) {
        call_->HangUp(*this);
        call_.reset();
    }
    transmitter_.SetCall(nullptr);
    ++timerGeneration_;
    state_ = State::Done;
}

void RemoteFax::Disconnect(bool success, const std::string& reason) {
    Later(kTurnaround, [this, success, reason] {
        SendFrames({BuildFrame(OurFcf(kDCN), true)}, [this, success, reason] {
            Finish(success, reason);
            HangUpNow();
        });
    });
}

// The station that received DIS sets the X bit in all its frames.
std::uint8_t RemoteFax::OurFcf(std::uint8_t command) const {
    return calling_ ? static_cast<std::uint8_t>(command | kXBit) : command;
}

void RemoteFax::SendFrames(Frames frames, std::function<void()> then) {
    transmitter_.StartCarrier(kV21);
    for (const auto& frame : frames) {
        transmitter_.SendFrame(frame);
        Note(frame.size() > 2 ? "tx " + FcfName(frame[2])
                              : "tx frame of " + std::to_string(frame.size()) + " bytes");
    }
    transmitter_.StopCarrier();
    lastFrames_ = std::move(frames);
    if (then) {
        transmitter_.WhenIdle([this, then = std::move(then), alive = std::weak_ptr<bool>(alive_)] {
            if (!alive.expired() && call_) {
                then();
            }
        });
    }
}

void RemoteFax::SendResponse(std::uint8_t command, State next, engine::Micros timeout) {
    lastResponse_ = command;
    Later(kTurnaround, [this, command, next, timeout] {
        SendFrames({BuildFrame(OurFcf(command), true)},
                   [this, next, timeout] { Enter(next, timeout); });
    });
}

// ---- the call ------------------------------------------------------------

void RemoteFax::Ringing(const std::shared_ptr<Call>& call, int ring) {
    if (call_ || finished_ || ring < config_.answerOnRing) {
        return;
    }
    call_ = call;
    transmitter_.SetCall(call_);
    call_->Answer();
    Note("answered");
    if (config_.faults.silent) {
        return;
    }
    Later(kAnswerTone, [this] { SendIdentification(); });
}

void RemoteFax::Dial(const std::string& number) {
    calling_ = true;
    reader_.SetTheyReceivedDis(false);
    call_ = network_.Dial(*this, number);
    transmitter_.SetCall(call_);
    Note("dialled " + number);
    Enter(State::AwaitDis, kT1);
}

void RemoteFax::Answered() {
    Note("answered");
}

void RemoteFax::DialFailed(DialOutcome outcome) {
    call_.reset();
    Finish(false, "the call failed (" + std::to_string(static_cast<int>(outcome)) + ")");
}

void RemoteFax::CallEnded() {
    call_.reset();
    transmitter_.Abort();
    transmitter_.SetCall(nullptr);
    ++timerGeneration_;
    if (state_ == State::AwaitDcn) {
        Violation("hung up without DCN");
        Finish(true);
    } else {
        Finish(false, "the other station hung up");
    }
    state_ = State::Done;
}

void RemoteFax::Timeout() {
    switch (state_) {
        case State::AwaitCommand:
        case State::AwaitTrainingAnswer:
        case State::AwaitPageAnswer:
            if (++repeats_ > kMaxRepeats) {
                Disconnect(false, "no answer from the other station after " +
                                      std::to_string(kMaxRepeats) + " repeats");
                return;
            }
            Note("repeat");
            if (state_ == State::AwaitTrainingAnswer) {
                SendTraining();
            } else {
                const State waiting = state_;
                SendFrames(lastFrames_, [this, waiting] { Enter(waiting, kT4); });
            }
            return;
        case State::AwaitTcf:
            Violation("no training check within 6 s of DCS");
            Enter(State::AwaitCommand, kT4);
            return;
        case State::AwaitPage:
            Disconnect(false, "no page data within 6 s");
            return;
        case State::AwaitPostPage:
            Disconnect(false, "no post-page command within 6 s of the page");
            return;
        case State::AwaitDcn:
            Violation("no DCN within 6 s of the last MCF");
            Finish(true);
            HangUpNow();
            return;
        case State::AwaitDis:
            Disconnect(false, "no DIS within 35 s");
            return;
        case State::Idle:
        case State::Done:
            return;
    }
}

// ---- what arrives --------------------------------------------------------

void RemoteFax::Receive(const LineSignal& signal) {
    if (finished_) {
        return;
    }
    switch (signal.kind) {
        case LineSignal::Kind::CarrierOn:
            if (signal.modulation.family == Family::V21) {
                reader_.CarrierOn();
            } else if (signal.modulation.family != Family::Data) {
                HighSpeedStarted(signal.modulation);
            }
            return;
        case LineSignal::Kind::Frame:
            FrameArrived(signal.bytes);
            return;
        case LineSignal::Kind::Data:
            if (receivingHighSpeed_ && carrierMatches_) {
                received_.insert(received_.end(), signal.bytes.begin(), signal.bytes.end());
            }
            return;
        case LineSignal::Kind::CarrierOff:
            if (receivingHighSpeed_) {
                HighSpeedEnded();
            } else {
                MessageEnded();
            }
            return;
    }
}

void RemoteFax::FrameArrived(const std::vector<std::uint8_t>& bytes) {
    if (const Frame* frame = reader_.FrameArrived(bytes)) {
        Note("rx " + FcfName(frame->fcf));
    } else if (!FrameCheckGood(bytes)) {
        Note("rx frame with a bad FCS");
    }
}

void RemoteFax::MessageEnded() {
    controlEndedAt_ = network_.scheduler().Now();
    auto message = reader_.CarrierOff();
    if (!message) {
        return;
    }
    // Acted on at once (the training check may follow within 75 ms); our
    // own answers wait for the turnaround.
    const std::vector<Frame> frames = std::move(*message);
    if (auto id = IdentityIn(frames, [this](const std::string& text) { Violation(text); })) {
        remoteId_ = *id;
    }
    const Frame& last = frames.back();
    const std::uint8_t command = last.Command();
    if (command == kDCN) {
        if (state_ == State::AwaitDcn) {
            Finish(true);
        } else {
            Finish(false, "DCN from the other station before the end");
        }
        HangUpNow();
        return;
    }
    repeats_ = 0;
    ++timerGeneration_;  // answered: the wait is over
    if (calling_) {
        if (state_ == State::AwaitDis && command == kDIS) {
            OnDis(last);
        } else if (state_ == State::AwaitTrainingAnswer) {
            OnTrainingAnswer(command);
        } else if (state_ == State::AwaitPageAnswer) {
            OnPageAnswer(command);
        } else {
            Violation("unexpected " + FcfName(last.fcf));
        }
        return;
    }
    OnCommand(last);
}

void RemoteFax::HighSpeedStarted(const Modulation& modulation) {
    receivingHighSpeed_ = true;
    incoming_ = modulation;
    received_.clear();
    if (calling_) {
        Violation("high-speed carrier from the answering station");
        return;
    }
    ++timerGeneration_;  // no timeout while the carrier lasts
    // A training check comes with the long training, pages with the short one.
    const bool training = state_ == State::AwaitTcf;
    const std::optional<Modulation> expected =
        session_
            ? std::optional(training ? session_->modulation : PageCarrier(session_->modulation))
            : std::nullopt;
    carrierMatches_ = expected && modulation.SameCarrier(*expected);
    if (expected && !carrierMatches_) {
        Violation("carrier " + std::to_string(modulation.code) +
                  (training ? " for the training check" : " for a page") + " after DCS for " +
                  std::to_string(session_->modulation.code) + ", where " +
                  std::to_string(expected->code) + " was due");
    }
    const engine::Micros gap = network_.scheduler().Now() - controlEndedAt_;
    if (training && gap < kMinTrainingGap) {
        Violation("training check " + std::to_string(gap / 1000) +
                  " ms after the DCS; T.30 asks for 75 ms of silence");
    }
}

void RemoteFax::HighSpeedEnded() {
    receivingHighSpeed_ = false;
    if (calling_) {
        return;
    }
    if (state_ == State::AwaitTcf) {
        TrainingChecked();
    } else if (state_ == State::AwaitPage) {
        PageReceived();
    } else {
        Violation("high-speed carrier when neither TCF nor a page was due");
        Enter(state_, kT4);
    }
}

// ---- answering -----------------------------------------------------------

void RemoteFax::SendIdentification() {
    SendFrames({BuildFrame(kCSI, false, EncodeId(config_.stationId)),
                BuildFrame(kDIS, true, EncodeDIS(config_.capabilities))},
               [this] { Enter(State::AwaitCommand, kT4); });
}

void RemoteFax::OnCommand(const Frame& frame) {
    const std::uint8_t command = frame.Command();
    if (command == kDCS) {
        std::string problem;
        session_ = DecodeDCS(frame.info, problem);
        const Capabilities& ours = config_.capabilities;
        if (session_) {
            const Modulation& m = session_->modulation;
            const bool offered = m.bitsPerSecond <= config_.maxBitsPerSecond &&
                                 BestModulation(ours.modems, ours.modems, m.bitsPerSecond) &&
                                 (m.family != Family::V17 || ours.modems.v17) &&
                                 (m.family != Family::V29 || ours.modems.v29);
            const int required = session_->fine ? ours.scanFineMs : ours.scanNormalMs;
            if (!offered)
                problem = "DCS selects " + Bps(m) + " bit/s, which the DIS did not offer";
            else if (session_->fine && !ours.fine)
                problem = "DCS selects fine resolution, which the DIS did not offer";
            else if (session_->wide && !ours.wide)
                problem = "DCS selects 2048-pixel lines, which the DIS did not offer";
            else if (session_->scanMs < required)
                problem = "DCS scan time " + std::to_string(session_->scanMs) + " ms below the " +
                          std::to_string(required) + " ms of the DIS";
            else if (session_->twoDimensional)
                problem = "DCS selects 2-D coding, which the DIS did not offer";
            else if (session_->errorCorrection)
                problem = "DCS selects error correction, which the DIS did not offer";
        }
        if (!problem.empty()) {
            Violation(problem);
            session_.reset();  // the training check then fails
        } else {
            Note("DCS " + Bps(session_->modulation) + (session_->fine ? " fine" : " normal"));
        }
        Enter(State::AwaitTcf, kT2);
        return;
    }
    const bool postPage = command == kMPS || command == kEOP || command == kEOM;
    if (postPage && state_ == State::AwaitPostPage) {
        OnPostPage(command);
        return;
    }
    if ((postPage || command == kCRP) && lastResponse_ != 0 &&
        (state_ == State::AwaitPage || state_ == State::AwaitDcn ||
         state_ == State::AwaitCommand)) {
        // Our answer was lost: say it again.
        SendResponse(lastResponse_, state_, state_ == State::AwaitCommand ? kT4 : kT2);
        return;
    }
    Violation("unexpected " + FcfName(frame.fcf));
}

void RemoteFax::TrainingChecked() {
    bool pass = session_.has_value() && carrierMatches_;
    if (pass) {
        Note("rx TCF " + std::to_string(received_.size()) + " bytes");
        std::string problem;
        pass = TrainingCheckPasses(received_, session_->modulation, problem);
        if (!problem.empty()) {
            Violation(problem);
        }
        if (config_.faults.failTrainingAt.count(session_->modulation.bitsPerSecond) > 0) {
            pass = false;
        }
    }
    if (pass) {
        SendResponse(kCFR, State::AwaitPage, kT2);
    } else {
        SendResponse(kFTT, State::AwaitCommand, kT4);
    }
}

void RemoteFax::PageReceived() {
    ReceivedPage page;
    page.page.fine = session_ && session_->fine;
    page.page.wide = session_ && session_->wide;
    page.modulation = incoming_;
    if (session_) {
        page.minLineBytes = MinLineBytes(*session_);
    }
    page.page.data = std::move(received_);
    received_.clear();
    page.scan = ScanPage(page.page.data, page.minLineBytes);
    const int number = ++pageNumber_;
    const std::string which = "page " + std::to_string(number);
    Note("rx " + which + ": " + std::to_string(page.scan.lines) + " lines");
    const PageScan& scan = page.scan;
    if (scan.shortLines > 0) {
        Violation(which + ": " + std::to_string(scan.shortLines) + " coded lines shorter than " +
                  std::to_string(page.minLineBytes) + " bytes");
    }
    const int width = page.page.wide ? 2048 : 1728;
    if (scan.lines > 0 && (scan.width != width || scan.mixedWidths)) {
        Violation(which + ": lines of " + std::to_string(scan.width) + " pixels, DCS said " +
                  std::to_string(width));
    }
    if (!scan.endOfPage) {
        Violation(which + ": page data without RTC");
    }
    pageGood_ = carrierMatches_ && scan.lines > 0 && scan.BadLines() * 10 <= scan.codedLines;
    pages_.push_back(std::move(page));
    Enter(State::AwaitPostPage, kT2);
}

void RemoteFax::OnPostPage(std::uint8_t command) {
    const int page = pageNumber_;
    if (config_.faults.hangUpAfterPage == page) {
        Later(kTurnaround, [this, page] {
            Disconnect(false, "hung up after page " + std::to_string(page) + " as scripted");
        });
        return;
    }
    const bool accept = pageGood_ && config_.faults.rtnAfterPages.count(page) == 0;
    pages_.back().accepted = accept;
    if (!accept) {
        // The sender retrains (DCS, TCF) before it goes on.
        SendResponse(kRTN, State::AwaitCommand, kT4);
    } else if (command == kEOP) {
        SendResponse(kMCF, State::AwaitDcn, kT2);
    } else {
        SendResponse(kMCF, command == kEOM ? State::AwaitCommand : State::AwaitPage,
                     command == kEOM ? kT4 : kT2);
    }
}

// ---- calling -------------------------------------------------------------

void RemoteFax::OnDis(const Frame& frame) {
    const DecodedDIS dis = DecodeDIS(frame.info);
    if (dis.reservedRates) {
        char bits[8];
        std::snprintf(bits, sizeof bits, "0x%02X",
                      frame.info.size() > 1 ? frame.info[1] & 0x3C : 0);
        Violation(std::string("DIS rate bits ") + bits + " are not a T.30 combination");
    }
    remoteCapabilities_ = dis.capabilities;
    if (DropsNow()) {
        return;
    }
    if (config_.pagesToSend.empty()) {
        Disconnect(true, {});
        return;
    }
    const FaxPage& first = config_.pagesToSend.front();
    if ((first.fine && !remoteCapabilities_.fine) || (first.wide && !remoteCapabilities_.wide)) {
        Disconnect(false, "the answering station cannot take the page's resolution or width");
        return;
    }
    const auto modulation = BestModulation(config_.capabilities.modems, remoteCapabilities_.modems,
                                           config_.maxBitsPerSecond);
    if (!modulation) {
        Disconnect(false, "no common modulation");
        return;
    }
    SessionChoice choice;
    choice.modulation = *modulation;
    choice.fine = first.fine;
    choice.wide = first.wide;
    choice.scanMs = first.fine ? remoteCapabilities_.scanFineMs : remoteCapabilities_.scanNormalMs;
    session_ = choice;
    SendTraining();
}

void RemoteFax::SendTraining() {
    const Modulation modulation = session_->modulation;
    Later(kTurnaround, [this, modulation] {
        const RemoteFaxFaults& faults = config_.faults;
        SendFrames(
            {faults.tsiFrame.value_or(BuildFrame(OurFcf(kTSI), false, EncodeId(config_.stationId))),
             BuildFrame(OurFcf(kDCS), !faults.dcsNotFinal, EncodeDCS(*session_))},
            [this, modulation] {
                Later(kTurnaround, [this, modulation] {
                    transmitter_.StartCarrier(modulation);
                    transmitter_.SendData(TrainingCheck(modulation));
                    transmitter_.StopCarrier();
                    Note("tx TCF " + Bps(modulation));
                    transmitter_.WhenIdle([this] { Enter(State::AwaitTrainingAnswer, kT4); });
                });
            });
    });
}

std::vector<std::uint8_t> RemoteFax::TrainingCheck(const Modulation& modulation) const {
    const RemoteFaxFaults& faults = config_.faults;
    std::vector<std::uint8_t> bytes(faults.tcfBytes.value_or(TrainingCheckBytes(modulation)), 0);
    const auto percent = static_cast<std::size_t>(std::clamp(faults.tcfNonzeroPercent, 0, 100));
    const std::size_t damaged = bytes.size() * percent / 100;
    for (std::size_t i = 0; i < damaged; ++i) {
        // Not DLE, so the share on the serial line stays the share sent.
        bytes[i * bytes.size() / damaged] = 0x55;
    }
    return bytes;
}

void RemoteFax::OnTrainingAnswer(std::uint8_t response) {
    if (response == kCFR) {
        SendPage();
    } else if (response == kFTT) {
        const auto lower =
            FallBack(session_->modulation, config_.capabilities.modems, remoteCapabilities_.modems);
        if (!lower) {
            Disconnect(false, "training failed at every rate");
            return;
        }
        session_->modulation = *lower;
        SendTraining();
    } else {
        Violation("unexpected " + FcfName(response) + " after TCF");
    }
}

void RemoteFax::SendPage() {
    const FaxPage& page = config_.pagesToSend.at(static_cast<std::size_t>(pageNumber_));
    const std::vector<std::uint8_t> data = PadLines(page.data, MinLineBytes(*session_));
    const bool more = static_cast<std::size_t>(pageNumber_) + 1 < config_.pagesToSend.size();
    Later(kTurnaround, [this, data, more] {
        transmitter_.StartCarrier(PageCarrier(session_->modulation));
        transmitter_.SendData(data);
        transmitter_.StopCarrier();
        Note("tx page " + std::to_string(pageNumber_ + 1));
        transmitter_.WhenIdle([this, more] {
            Later(kTurnaround, [this, more] {
                SendFrames({BuildFrame(OurFcf(more ? kMPS : kEOP), true)},
                           [this] { Enter(State::AwaitPageAnswer, kT4); });
            });
        });
    });
}

bool RemoteFax::DropsNow() {
    if (config_.faults.dropAfterPages != pagesSent_) {
        return false;
    }
    Note("dropped the line after " + std::to_string(pagesSent_) + " page(s) as scripted");
    HangUpNow();
    Finish(false, "dropped the line as scripted");
    return true;
}

void RemoteFax::OnPageAnswer(std::uint8_t response) {
    const bool more = static_cast<std::size_t>(pageNumber_) + 1 < config_.pagesToSend.size();
    if (response == kRTN && !resendPage_) {
        // Retrain and send the page once more.
        resendPage_ = true;
        SendTraining();
        return;
    }
    if (response != kMCF && response != kRTP && response != kRTN) {
        Violation("unexpected " + FcfName(response) + " after a page");
        return;
    }
    resendPage_ = false;
    if (response == kMCF || response == kRTP) {
        ++pagesSent_;
    }
    ++pageNumber_;
    if (DropsNow()) {
        return;
    }
    if (!more) {
        Disconnect(pagesSent_ == static_cast<int>(config_.pagesToSend.size()),
                   "pages not confirmed");
    } else if (response == kMCF) {
        SendPage();
    } else {
        SendTraining();
    }
}

}  // namespace corvane::simmodem
