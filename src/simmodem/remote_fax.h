// A remote fax machine on the phone line, answering (it receives) or
// calling (it sends): a strict T.30 station of its own that checks every
// frame it gets (address, control, FCS, X bit, length, content), checks
// the training check, decodes every received page, and keeps a record the
// tests read. Faults per call make it fail training at chosen rates,
// answer a page with RTN, hang up mid-document, stay silent or send a
// damaged or short training check.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "simmodem/line_transmitter.h"
#include "simmodem/page_scan.h"
#include "simmodem/t30_codec.h"
#include "simmodem/t30_reader.h"

namespace corvane::simmodem {

struct RemoteFaxFaults {
    std::set<int> failTrainingAt;        // bit/s: TCF at these rates gets FTT
    std::set<int> rtnAfterPages;         // 1-based pages answered with RTN
    std::optional<int> hangUpAfterPage;  // DCN instead of the answer to this page
    bool silent = false;                 // answers the call and says nothing
    // A calling machine's training check: this share (percent) of its bytes
    // made non-zero, spread evenly, and its length if not the 1.5 s due.
    int tcfNonzeroPercent = 0;
    std::optional<std::size_t> tcfBytes;
    // A calling machine sends this frame (address, control, FCF, info; a
    // good FCS is added) in place of its TSI, and may mark its DCS as not
    // the last frame.
    std::optional<std::vector<std::uint8_t>> tsiFrame;
    bool dcsNotFinal = false;
    // A calling machine drops the line, without DCN, once this many pages
    // are confirmed (0: as soon as the DIS arrives).
    std::optional<int> dropAfterPages;
};

struct FaxPage {
    std::vector<std::uint8_t> data;  // T.4 coded, ending in RTC
    bool fine = false;
    bool wide = false;
};

struct RemoteFaxConfig {
    std::string stationId = "5550100";
    t30::Capabilities capabilities;
    int maxBitsPerSecond = 14400;
    int answerOnRing = 1;
    RemoteFaxFaults faults;
    std::vector<FaxPage> pagesToSend;  // a calling machine sends these
};

struct ReceivedPage {
    FaxPage page;
    PageScan scan;
    Modulation modulation;
    std::size_t minLineBytes = 0;
    bool accepted = false;  // answered with MCF
};

class RemoteFax : public LineParty {
  public:
    RemoteFax(PhoneNetwork& network, RemoteFaxConfig config);
    ~RemoteFax() override;

    // Calls the number and sends the configured pages.
    void Dial(const std::string& number);

    bool Finished() const { return finished_; }
    // All pages exchanged and the call closed with DCN.
    bool Succeeded() const { return succeeded_; }
    const std::string& FailureReason() const { return failure_; }
    // Protocol faults of the other station, in the order found.
    const std::vector<std::string>& Violations() const { return violations_; }
    // "rx DIS", "tx DCS", "tx TCF 9600", "rx page 1", ... in order.
    const std::vector<std::string>& Log() const { return log_; }
    const std::vector<ReceivedPage>& Pages() const { return pages_; }
    const std::string& RemoteId() const { return remoteId_; }
    int PagesSent() const { return pagesSent_; }
    const std::optional<t30::SessionChoice>& Session() const { return session_; }

    // LineParty
    void Ringing(const std::shared_ptr<Call>& call, int ring) override;
    void Answered() override;
    void DialFailed(DialOutcome outcome) override;
    void Receive(const LineSignal& signal) override;
    void CallEnded() override;
    bool OffHook() const override { return call_ != nullptr; }

  private:
    enum class State {
        Idle,
        // answering
        AwaitCommand,
        AwaitTcf,
        AwaitPage,
        AwaitPostPage,
        AwaitDcn,
        // calling
        AwaitDis,
        AwaitTrainingAnswer,
        AwaitPageAnswer,
        Done,
    };

    void Enter(State state, engine::Micros timeout);
    void Timeout();
    void Violation(const std::string& text);
    void Note(const std::string& text) { log_.push_back(text); }
    void Finish(bool success, const std::string& reason = {});
    void HangUpNow();

    using Frames = std::vector<std::vector<std::uint8_t>>;
    void SendFrames(Frames frames, std::function<void()> then);
    void SendResponse(std::uint8_t command, State next, engine::Micros timeout);
    void Disconnect(bool success, const std::string& reason);
    void Later(engine::Micros delay, std::function<void()> action);
    std::uint8_t OurFcf(std::uint8_t command) const;

    void FrameArrived(const std::vector<std::uint8_t>& bytes);
    void MessageEnded();
    void HighSpeedStarted(const Modulation& modulation);
    void HighSpeedEnded();

    // answering
    void SendIdentification();
    void OnCommand(const t30::Frame& frame);
    void TrainingChecked();
    void PageReceived();
    void OnPostPage(std::uint8_t command);
    // calling
    void OnDis(const t30::Frame& frame);
    void SendTraining();
    std::vector<std::uint8_t> TrainingCheck(const Modulation& modulation) const;
    void SendPage();
    void OnTrainingAnswer(std::uint8_t response);
    void OnPageAnswer(std::uint8_t response);
    // The scripted drop of a calling machine; true when it hung up.
    bool DropsNow();

    PhoneNetwork& network_;
    RemoteFaxConfig config_;
    LineTransmitter transmitter_;
    std::shared_ptr<Call> call_;
    bool calling_ = false;

    State state_ = State::Idle;
    unsigned timerGeneration_ = 0;
    int repeats_ = 0;

    t30::MessageReader reader_;

    // High-speed reception.
    bool receivingHighSpeed_ = false;
    bool carrierMatches_ = false;
    engine::Micros controlEndedAt_ = 0;  // when the last V.21 message ended
    Modulation incoming_ = kV21;
    std::vector<std::uint8_t> received_;

    std::optional<t30::SessionChoice> session_;
    t30::Capabilities remoteCapabilities_;
    std::string remoteId_;
    std::uint8_t lastResponse_ = 0;
    Frames lastFrames_;  // repeated when the other side does not answer
    bool pageGood_ = false;
    int pageNumber_ = 0;  // pages received, or the page being sent (0-based)
    int pagesSent_ = 0;
    bool resendPage_ = false;

    bool finished_ = false;
    bool succeeded_ = false;
    std::string failure_;
    std::vector<std::string> violations_;
    std::vector<std::string> log_;
    std::vector<ReceivedPage> pages_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::simmodem
