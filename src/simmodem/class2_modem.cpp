#include "simmodem/class2_modem.h"

#include <algorithm>
#include <cstdio>

#include "simmodem/page_scan.h"

namespace corvane::simmodem {

using namespace t30;
using engine::Milliseconds;
using engine::Seconds;

namespace {

// Hang-up codes of the class 2 services.
constexpr int kNormalEnd = 0;
constexpr int kAborted = 2;
constexpr int kNoAnswer = 11;
constexpr int kPhaseBTransmit = 20;
constexpr int kDcsUnanswered = 25;
constexpr int kTrainingFailed = 27;
constexpr int kPostPageUnanswered = 52;
constexpr int kPhaseDTransmit = 50;
constexpr int kPhaseBReceive = 70;
constexpr int kNoPage = 73;
constexpr int kPhaseDReceive = 100;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

Class2Modem::Class2Modem(PhoneNetwork& network, ModemConfig config)
    : Class1Modem(network, std::move(config)),
      reader_(false, [this](const std::string& text) { complaints_.push_back(text); }) {
    FactoryReset();  // the base's constructor could not reach this class's defaults
}

bool Class2Modem::Active() const {
    return FaxClass() == "2" || FaxClass() == "2.0";
}

void Class2Modem::FactoryReset() {
    Class1Modem::FactoryReset();
    phase_ = Phase::Idle;
    pending_ = Pending::None;
    localId_.clear();
    sessionParams_ = Class2Params{};
    capabilities_ = Class2Params{};
    sessionParams_.vr() = 0;
    canReceive_ = true;
    pageQuality_ = 1;
}

t30::ModemSupport Class2Modem::LocalModems() const {
    ModemSupport support{false, false, false};
    for (int code : config().transmitRates) {
        const auto modulation = HighSpeedModulation(code);
        if (!modulation)
            continue;
        support.v27ter |= modulation->family == Family::V27ter;
        support.v29 |= modulation->family == Family::V29;
        support.v17 |= modulation->family == Family::V17;
    }
    return support;
}

t30::Capabilities Class2Modem::LocalCapabilities() const {
    Capabilities capabilities;
    capabilities.modems = LocalModems();
    capabilities.fine = capabilities_.vr() == 1;
    capabilities.wide = capabilities_.wd() >= 1;
    Class2ScanTimes(capabilities_.st(), capabilities.scanNormalMs, capabilities.scanFineMs);
    return capabilities;
}

std::uint8_t Class2Modem::OurFcf(std::uint8_t command) const {
    return Dialled() ? static_cast<std::uint8_t>(command | kXBit) : command;
}

// ---- the computer's commands ----------------------------------------------

SimModem::Reply Class2Modem::ClassCommand(const AtCommand& command) {
    if (!Active()) {
        return Class1Modem::ClassCommand(command);
    }
    const std::string& name = command.name;
    const bool two = !Class20();
    const auto is = [&](const char* class2, const char* class20) {
        return name == (two ? class2 : class20);
    };
    if (is("+FLID", "+FLI")) {
        if (command.op == AtCommand::Op::Set) {
            const std::string id = Unquoted(command.value);
            if (id.size() > kIdLength)
                return Reply::Error;
            localId_ = id;
            return Reply::Ok;
        }
        if (command.op == AtCommand::Op::Query)
            SendInfo(Quoted(localId_));
        else if (command.op == AtCommand::Op::Test)
            SendInfo("(20)(32-127)");
        else
            return Reply::Error;
        return Reply::Ok;
    }
    if (is("+FDIS", "+FIS"))
        return ParameterCommand(command, sessionParams_);
    if (is("+FDCC", "+FCC"))
        return ParameterCommand(command, capabilities_);
    if (is("+FPTS", "+FPS")) {
        if (command.op == AtCommand::Op::Set && command.value.size() == 1 &&
            command.value[0] >= '1' && command.value[0] <= '5') {
            pageQuality_ = command.value[0] - '0';
            return Reply::Ok;
        }
        if (command.op == AtCommand::Op::Query) {
            SendInfo(std::to_string(pageQuality_));
            return Reply::Ok;
        }
        return Reply::Error;
    }
    if (name == "+FCR" || name == "+FAA" || name == "+FLO" || name == "+FNR" || name == "+FBOR") {
        // Settings the firmware keeps: receive capability; the others change nothing it simulates.
        if (command.op == AtCommand::Op::Set) {
            if (name == "+FCR")
                canReceive_ = command.value != "0";
            return Reply::Ok;
        }
        return command.op == AtCommand::Op::Test || command.op == AtCommand::Op::Query
                   ? (SendInfo("0"), Reply::Ok)
                   : Reply::Error;
    }
    if (command.op != AtCommand::Op::Action && name != "+FET") {
        return Reply::Error;
    }
    if (name == "+FDT")
        return TransmitPage();
    if (name == "+FDR")
        return ReceivePage();
    if (name == "+FET" && two && command.op == AtCommand::Op::Set) {
        return PostPageCommand(command.value == "0"   ? 0
                               : command.value == "1" ? 1
                               : command.value == "2" ? 2
                                                      : -1);
    }
    if (name == "+FKS" || name == "+FK") {
        if (call() != nullptr) {
            SendFrames({BuildFrame(OurFcf(kDCN), true)}, [this] {
                HangUp();
                ReportHangup(kAborted);
                FinishCommand(Reply::Ok);
            });
            return Reply::Later;
        }
        return Reply::Ok;
    }
    return Reply::Error;
}

SimModem::Reply Class2Modem::ParameterCommand(const AtCommand& command, Class2Params& params) {
    switch (command.op) {
        case AtCommand::Op::Set: {
            const auto parsed = ParseClass2Params(command.value, params);
            if (!parsed)
                return Reply::Error;
            params = *parsed;
            needTraining_ = true;
            return Reply::Ok;
        }
        case AtCommand::Op::Query:
            SendInfo(FormatClass2Params(params));
            return Reply::Ok;
        case AtCommand::Op::Test:
            SendInfo(Class2ParamRanges());
            return Reply::Ok;
        case AtCommand::Op::Action:
            return Reply::Error;
    }
    return Reply::Error;
}

void Class2Modem::Complete(Pending pending, ResultCode result) {
    if (pending_ == pending) {
        pending_ = Pending::None;
        SendResult(result);
    }
}

void Class2Modem::ReportHangup(int code) {
    hangupCode_ = code;
    char text[8];
    std::snprintf(text, sizeof text, Class20() ? "%02X" : "%d", code);
    Report(Tag("+FHNG", "+FHS"), text);
}

// Ends the call after a failure: DCN to the other station, hang-up
// report, then ERROR to the waiting command.
void Class2Modem::Fail(int hangupCode) {
    const Pending pending = pending_;
    pending_ = Pending::None;
    phase_ = Phase::Idle;
    ++timer_;
    SetDataMode(false);
    auto finish = [this, pending, hangupCode] {
        HangUp();
        ReportHangup(hangupCode);
        if (pending != Pending::None) {
            SendResult(ResultCode::Error);
        }
    };
    if (call() == nullptr) {
        finish();
        return;
    }
    transmitter().Abort();
    SendFrames({BuildFrame(OurFcf(kDCN), true)}, finish);
}

void Class2Modem::Arm(engine::Micros timeout) {
    const unsigned timer = ++timer_;
    scheduler().After(timeout, [this, timer, alive = Alive()] {
        if (!alive.expired() && timer == timer_ && call() != nullptr) {
            TimedOut();
        }
    });
}

void Class2Modem::TimedOut() {
    switch (phase_) {
        case Phase::Training:
        case Phase::PostPageOut:
        case Phase::AwaitDcs:
            if (++repeats_ > kMaxRepeats) {
                Fail(phase_ == Phase::Training      ? kDcsUnanswered
                     : phase_ == Phase::PostPageOut ? kPostPageUnanswered
                                                    : kPhaseBReceive);
                return;
            }
            if (phase_ == Phase::Training) {
                SendTraining();
            } else {
                SendFrames(lastFrames_, [this] { Arm(kT4); });
            }
            return;
        case Phase::AwaitDis:
            Fail(kNoAnswer);
            return;
        case Phase::AwaitPage:
        case Phase::ReceiveTcf:
            Fail(kNoPage);
            return;
        case Phase::AwaitPostPage:
        case Phase::AwaitDcn:
            Fail(kPhaseDReceive);
            return;
        default:
            return;
    }
}

void Class2Modem::SendFrames(std::vector<std::vector<std::uint8_t>> frames,
                             std::function<void()> then) {
    transmitter().StartCarrier(kV21);
    for (const auto& frame : frames) {
        transmitter().SendFrame(frame);
    }
    transmitter().StopCarrier();
    lastFrames_ = std::move(frames);
    transmitter().WhenIdle([then = std::move(then), alive = Alive()] {
        if (!alive.expired() && then)
            then();
    });
}

// ---- calling ---------------------------------------------------------------

void Class2Modem::CallUpAsCaller() {
    if (!Active()) {
        Class1Modem::CallUpAsCaller();
        return;
    }
    pending_ = Pending::Dial;
    phase_ = Phase::AwaitDis;
    reader_.SetTheyReceivedDis(false);
    sawDis_ = false;
    connectReported_ = false;
    needTraining_ = true;
}

SimModem::Reply Class2Modem::TransmitPage() {
    if (phase_ != Phase::Ready) {
        return Reply::Error;
    }
    pending_ = Pending::Fdt;
    if (needTraining_) {
        SessionChoice choice;
        const auto modulation =
            BestModulation(LocalModems(), remote_.modems, Class2RateBps(sessionParams_.br()));
        if (!modulation) {
            return Reply::Error;
        }
        choice.modulation = *modulation;
        choice.fine = sessionParams_.vr() == 1 && remote_.fine;
        choice.wide = sessionParams_.wd() == 1 && remote_.wide;
        choice.scanMs = choice.fine ? remote_.scanFineMs : remote_.scanNormalMs;
        session_ = choice;
        repeats_ = 0;
        scheduler().After(kTurnaround, [this, alive = Alive()] {
            if (!alive.expired() && call() != nullptr)
                SendTraining();
        });
    } else {
        StartPage();
    }
    return Reply::Later;
}

void Class2Modem::SendTraining() {
    phase_ = Phase::Training;
    const Modulation modulation = session_->modulation;
    SendFrames({BuildFrame(OurFcf(kTSI), false, EncodeId(localId_)),
                BuildFrame(OurFcf(kDCS), true, EncodeDCS(*session_))},
               [this, modulation] {
                   scheduler().After(kTurnaround, [this, modulation, alive = Alive()] {
                       if (alive.expired() || call() == nullptr)
                           return;
                       transmitter().StartCarrier(modulation);
                       transmitter().SendData(
                           std::vector<std::uint8_t>(TrainingCheckBytes(modulation), 0));
                       transmitter().StopCarrier();
                       transmitter().WhenIdle([this] { Arm(kT4); });
                   });
               });
}

void Class2Modem::StartPage() {
    phase_ = Phase::PageOut;
    dleSeen_ = false;
    postPage_ = 0;
    scheduler().After(kTurnaround, [this, alive = Alive()] {
        if (alive.expired() || call() == nullptr)
            return;
        const Modulation carrier = PageCarrier(session_->modulation);
        transmitter().StartCarrier(carrier);
        scheduler().After(StartUpTime(carrier), [this, alive = Alive()] {
            if (alive.expired() || phase_ != Phase::PageOut)
                return;
            Report(Tag("+FDCS", "+FCS"), FormatClass2Params(ParamsOfSession(*session_)));
            Complete(Pending::Fdt, ResultCode::Connect);
            SetDataMode(true);
            if (!Class20()) {
                SendRaw(std::string(1, static_cast<char>(kXon)));  // ready for data
            }
        });
    });
}

bool Class2Modem::TransmitDataMode() const {
    return Active() ? phase_ == Phase::PageOut && DataMode() : Class1Modem::TransmitDataMode();
}

void Class2Modem::Drained() {
    if (!Active()) {
        Class1Modem::Drained();
        return;
    }
    CheckTransmitFlow();
    if (phase_ == Phase::PageOut && DataMode() && transmitter().PendingBytes() == 0) {
        ++counters().underruns;
    }
}

void Class2Modem::DataByte(std::uint8_t byte) {
    if (!Active()) {
        Class1Modem::DataByte(byte);
        return;
    }
    if (phase_ == Phase::PageOut) {
        if (dleSeen_) {
            dleSeen_ = false;
            if (byte == kEtx)
                return EndPage(Class20() ? kEOP : 0);
            if (Class20() && byte == ',')
                return EndPage(kMPS);
            if (Class20() && byte == '.')
                return EndPage(kEOP);
            if (Class20() && byte == ';')
                return EndPage(kEOM);
            if (byte != kDle)
                return;
        } else if (byte == kDle) {
            dleSeen_ = true;
            return;
        }
        QueueForLine(byte);
        return;
    }
    // Receiving: DC2 lets the page flow, CAN abandons the call.
    if (byte == kDc2 && !forwarding_) {
        forwarding_ = true;
        DeliverPage();
    } else if (byte == kCan) {
        Fail(kAborted);
    }
}

void Class2Modem::EndPage(std::uint8_t postPage) {
    SetDataMode(false);
    postPage_ = postPage;
    transmitter().StopCarrier();
    transmitter().WhenIdle([this, alive = Alive()] {
        if (alive.expired() || call() == nullptr)
            return;
        if (postPage_ == 0) {
            phase_ = Phase::PageOutDone;
            SendResult(ResultCode::Ok);  // class 2: +FET names the post-page command
        } else {
            pending_ = Pending::Fdt;
            SendPostPage();
        }
    });
}

SimModem::Reply Class2Modem::PostPageCommand(int code) {
    if (phase_ != Phase::PageOutDone || code < 0) {
        return Reply::Error;
    }
    postPage_ = code == 0 ? kMPS : code == 1 ? kEOM : kEOP;
    pending_ = Pending::Fet;
    SendPostPage();
    return Reply::Later;
}

void Class2Modem::SendPostPage() {
    phase_ = Phase::PostPageOut;
    repeats_ = 0;
    scheduler().After(kTurnaround, [this, alive = Alive()] {
        if (alive.expired() || call() == nullptr)
            return;
        SendFrames({BuildFrame(OurFcf(postPage_), true)}, [this] { Arm(kT4); });
    });
}

void Class2Modem::PageAnswered(std::uint8_t response) {
    const Pending pending = pending_;
    const int quality = response == kMCF ? 1 : response == kRTP ? 3 : 2;
    pageQuality_ = quality;
    needTraining_ = response != kMCF;
    if (!Class20()) {
        Report("+FPTS", std::to_string(quality));
    }
    if (postPage_ == kEOP && response == kMCF) {
        SendFrames({BuildFrame(OurFcf(kDCN), true)}, [this, pending] {
            HangUp();
            ReportHangup(kNormalEnd);
            pending_ = pending;
            Complete(pending, ResultCode::Ok);
        });
        return;
    }
    phase_ = Phase::Ready;
    // Class 2.0 tells a refused page by ERROR; the quality is then read with +FPS?.
    Complete(pending, Class20() && response != kMCF ? ResultCode::Error : ResultCode::Ok);
}

// ---- answering -------------------------------------------------------------

void Class2Modem::CallUpAsAnswerer() {
    if (!Active()) {
        Class1Modem::CallUpAsAnswerer();
        return;
    }
    pending_ = Pending::Answer;
    reader_.SetTheyReceivedDis(true);
    connectReported_ = false;
    repeats_ = 0;
    scheduler().After(kAnswerTone, [this, alive = Alive()] {
        if (alive.expired() || call() == nullptr)
            return;
        if (!canReceive_) {
            Fail(kPhaseBReceive);
            return;
        }
        Report(Tag("+FCON", "+FCO"));
        connectReported_ = true;
        SendIdentification();
    });
}

void Class2Modem::SendIdentification() {
    phase_ = Phase::AwaitDcs;
    SendFrames({BuildFrame(kCSI, false, EncodeId(localId_)),
                BuildFrame(kDIS, true, EncodeDIS(LocalCapabilities()))},
               [this] { Arm(kT4); });
}

SimModem::Reply Class2Modem::ReceivePage() {
    const bool undelivered = phase_ == Phase::AwaitPostPage && pageComplete_;
    const bool waiting = phase_ == Phase::AwaitPage || phase_ == Phase::PageIn ||
                         phase_ == Phase::ReceiveTcf || phase_ == Phase::AwaitDcs || undelivered;
    if (phase_ == Phase::PostPageIn) {
        pending_ = Pending::Fdr;
        AnswerPostPage();
        return Reply::Later;
    }
    if (!waiting || Dialled()) {
        return Reply::Error;
    }
    pending_ = Pending::Fdr;
    if (phase_ == Phase::PageIn || undelivered) {
        PageStarted();
    }
    return Reply::Later;
}

void Class2Modem::DcsArrived(const std::vector<Frame>& frames) {
    if (auto id =
            IdentityIn(frames, [this](const std::string& text) { complaints_.push_back(text); })) {
        Report(Tag("+FTSI", "+FTI"), Quoted(*id));
    }
    std::string problem;
    session_ = DecodeDCS(frames.back().info, problem);
    if (!problem.empty()) {
        complaints_.push_back(problem);
    }
    if (session_) {
        Report(Tag("+FDCS", "+FCS"), FormatClass2Params(ParamsOfSession(*session_)));
    }
    phase_ = Phase::ReceiveTcf;
    Arm(kT2);
    Complete(Pending::Answer, ResultCode::Ok);
}

void Class2Modem::TrainingEnded() {
    std::string problem;
    const bool pass =
        session_ && carrierMatches_ && TrainingCheckPasses(tcf_, session_->modulation, problem);
    if (!problem.empty())
        complaints_.push_back(problem);
    scheduler().After(kTurnaround, [this, pass, alive = Alive()] {
        if (alive.expired() || call() == nullptr)
            return;
        SendFrames({BuildFrame(pass ? kCFR : kFTT, true)}, [this, pass] {
            phase_ = pass ? Phase::AwaitPage : Phase::AwaitDcs;
            Arm(pass ? kT2 : kT4);
        });
    });
}

void Class2Modem::PageStarted() {
    if (pending_ == Pending::Fdr) {
        SendResult(ResultCode::Connect);
        SetDataMode(true);
    }
}

// Sends what has arrived of the page once the computer is ready for it.
void Class2Modem::DeliverPage() {
    if (!forwarding_)
        return;
    std::vector<std::uint8_t> bytes(page_.begin() + static_cast<std::ptrdiff_t>(delivered_),
                                    page_.end());
    delivered_ = page_.size();
    if (!Class20()) {
        std::transform(bytes.begin(), bytes.end(), bytes.begin(), ReverseBits);
    }
    SendShielded(bytes);
    if (pageComplete_) {
        SendRaw(std::string{static_cast<char>(kDle), static_cast<char>(kEtx)});
        forwarding_ = false;
        pageComplete_ = false;
        SetDataMode(false);
        FinishReceivedPage();
    }
}

void Class2Modem::PageEnded() {
    pageComplete_ = true;
    pageScan_ = ScanPage(page_, session_ ? MinLineBytes(*session_) : 0);
    const PageScan& scan = pageScan_;
    pageQuality_ =
        carrierMatches_ && scan.lines > 0 && scan.BadLines() * 10 <= scan.codedLines ? 1 : 2;
    page_.insert(page_.end(), kCarrierLossBytes, 0);
    phase_ = Phase::AwaitPostPage;
    postPageKnown_ = false;
    Arm(kT2);
    DeliverPage();
}

// Reports the page once its data is with the computer and the sender's post-page command is in.
void Class2Modem::FinishReceivedPage() {
    if (!postPageKnown_ || pageComplete_ || forwarding_ || DataMode())
        return;
    phase_ = Phase::PostPageIn;
    // Quality, lines, bad lines, consecutive bad lines, lost bytes.
    Report(Tag("+FPTS", "+FPS"), std::to_string(pageQuality_) + "," +
                                     std::to_string(pageScan_.lines) + "," +
                                     std::to_string(pageScan_.BadLines()) + ",0,0");
    Report("+FET", postPage_ == kMPS ? "0" : postPage_ == kEOM ? "1" : "2");
    Complete(Pending::Fdr, ResultCode::Ok);
}

void Class2Modem::AnswerPostPage() {
    const std::uint8_t response = pageQuality_ == 1 ? kMCF : pageQuality_ == 3 ? kRTP : kRTN;
    const Phase next = response != kMCF    ? Phase::AwaitDcs
                       : postPage_ == kEOP ? Phase::AwaitDcn
                       : postPage_ == kEOM ? Phase::AwaitDcs
                                           : Phase::AwaitPage;
    pageQuality_ = 1;
    scheduler().After(kTurnaround, [this, response, next, alive = Alive()] {
        if (alive.expired() || call() == nullptr)
            return;
        SendFrames({BuildFrame(response, true)}, [this, next] {
            phase_ = next;
            Arm(next == Phase::AwaitPage ? kT2 : next == Phase::AwaitDcn ? kT2 : kT4);
        });
    });
}

// ---- the line ----------------------------------------------------------------

void Class2Modem::LineSignalArrived(const LineSignal& signal) {
    if (!Active()) {
        Class1Modem::LineSignalArrived(signal);
        return;
    }
    switch (signal.kind) {
        case LineSignal::Kind::CarrierOn:
            if (signal.modulation.family == Family::V21) {
                reader_.CarrierOn();
                if (phase_ == Phase::AwaitDis && !connectReported_) {
                    StopCarrierWait();
                    connectReported_ = true;
                    Report(Tag("+FCON", "+FCO"));
                    Arm(kT1);
                }
                return;
            }
            highSpeedIn_ = true;
            carrierMatches_ =
                session_ && signal.modulation.SameCarrier(phase_ == Phase::ReceiveTcf
                                                              ? session_->modulation
                                                              : PageCarrier(session_->modulation));
            if (phase_ == Phase::ReceiveTcf) {
                tcf_.clear();
                ++timer_;
            } else if (phase_ == Phase::AwaitPage) {
                page_.clear();
                delivered_ = 0;
                pageComplete_ = false;
                forwarding_ = false;
                phase_ = Phase::PageIn;
                ++timer_;
                PageStarted();
            }
            return;
        case LineSignal::Kind::Frame:
            reader_.FrameArrived(signal.bytes);
            return;
        case LineSignal::Kind::Data:
            if (!carrierMatches_)
                return;
            if (phase_ == Phase::ReceiveTcf) {
                tcf_.insert(tcf_.end(), signal.bytes.begin(), signal.bytes.end());
            } else if (phase_ == Phase::PageIn) {
                page_.insert(page_.end(), signal.bytes.begin(), signal.bytes.end());
                DeliverPage();
            }
            return;
        case LineSignal::Kind::CarrierOff:
            if (highSpeedIn_) {
                highSpeedIn_ = false;
                if (phase_ == Phase::ReceiveTcf)
                    TrainingEnded();
                else if (phase_ == Phase::PageIn)
                    PageEnded();
                return;
            }
            if (auto frames = reader_.CarrierOff()) {
                MessageArrived(std::move(*frames));
            }
            return;
    }
}

void Class2Modem::MessageArrived(std::vector<Frame> frames) {
    const std::uint8_t command = frames.back().Command();
    if (command == kDCN) {
        const bool expected = phase_ == Phase::AwaitDcn;
        const Pending pending = pending_;
        pending_ = Pending::None;
        const bool sending = Dialled();
        HangUp();
        SetDataMode(false);
        ReportHangup(expected ? kNormalEnd : sending ? kPhaseDTransmit : kPhaseDReceive);
        if (pending != Pending::None)
            SendResult(expected ? ResultCode::Ok : ResultCode::Error);
        return;
    }
    repeats_ = 0;
    switch (phase_) {
        case Phase::AwaitDis:
            if (command != kDIS)
                return;
            if (auto id = IdentityIn(
                    frames, [this](const std::string& text) { complaints_.push_back(text); })) {
                Report(Tag("+FCSI", "+FCI"), Quoted(*id));
            }
            remote_ = DecodeDIS(frames.back().info).capabilities;
            sawDis_ = true;
            ++timer_;
            Report(Tag("+FDIS", "+FIS"), FormatClass2Params(ParamsOfCapabilities(remote_, 14400)));
            phase_ = Phase::Ready;
            Complete(Pending::Dial, ResultCode::Ok);
            return;
        case Phase::Training:
            ++timer_;
            if (command == kCFR) {
                needTraining_ = false;
                StartPage();
            } else if (command == kFTT) {
                const auto lower = FallBack(session_->modulation, LocalModems(), remote_.modems);
                if (!lower) {
                    Fail(kTrainingFailed);
                    return;
                }
                session_->modulation = *lower;
                scheduler().After(kTurnaround, [this, alive = Alive()] {
                    if (!alive.expired() && call() != nullptr)
                        SendTraining();
                });
            }
            return;
        case Phase::PostPageOut:
            ++timer_;
            if (command == kMCF || command == kRTN || command == kRTP)
                PageAnswered(command);
            return;
        case Phase::AwaitDcs:
        case Phase::ReceiveTcf:
        case Phase::AwaitPage:
            if (command == kDCS)
                DcsArrived(frames);
            return;
        case Phase::AwaitPostPage:
            if (command == kMPS || command == kEOP || command == kEOM) {
                ++timer_;
                postPage_ = command;
                postPageKnown_ = true;
                FinishReceivedPage();
            }
            return;
        default:
            return;
    }
}

void Class2Modem::CallFinished(bool remote) {
    if (!Active()) {
        Class1Modem::CallFinished(remote);
        return;
    }
    ++timer_;
    const Phase phase = phase_;
    const Pending pending = pending_;
    pending_ = Pending::None;
    phase_ = Phase::Idle;
    highSpeedIn_ = false;
    forwarding_ = false;
    pageComplete_ = false;
    if (remote) {
        SetDataMode(false);
        ReportHangup(Dialled() || phase == Phase::AwaitDis || phase == Phase::Ready
                         ? kPhaseBTransmit
                         : kPhaseBReceive);
        if (pending != Pending::None)
            SendResult(ResultCode::Error);
    }
}

}  // namespace corvane::simmodem
