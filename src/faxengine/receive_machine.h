// The receive machine: keeps the modem waiting for calls, answers on the
// configured ring, runs the called side in class 1 (T.30 frames of its
// own) or class 2 and 2.0 (the modem negotiates), asks its owner whether
// to take the call, writes the pages into one APF file per call and goes
// back to waiting.
//
// Page data that stops arriving for the reply timeout ends the call as a
// failed one. A class 2 or 2.0 page the modem reports as bad is cut off
// the file, so the page the sender repeats takes its place and the page
// count stays that of the good pages. A failed call keeps the complete
// pages in a valid file; a page cut short is not kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "faxengine/receive_files.h"
#include "faxengine/state_machine.h"

namespace corvane::engine {

enum class ReceiveState {
    CallReset,
    RxClass1Selected,
    RxClassSelected,
    RxCapsSet,
    RxFlowSet,
    RxReady,
    AwaitRing,
    Answer,
    Class1Answered,
    DISReady,
    AwaitDCS,
    DISRetry,
    DISRetryReady,
    TCFConnect,
    ReceiveTCF,
    FTTReady,
    TCFEnd,
    CFRReady,
    RxPageConnect,
    Class2Answered,
    RxClass2Negotiating,
    Class2AwaitPage,
    RxPageStart,
    RxPageData,
    Class1PageEnd,
    AwaitPostPage,
    ClosePage,
    MCFReady,
    AwaitDCN,
    RxHangupReply,
    Class2PostPage,
    Class2AwaitHangup,
    CallDone,
    CallFailed,
    Stopped,
    Count
};

// What the next page starts; the post-page report gives 0 and 1 for
// commands that start nothing here.
inline constexpr std::uint8_t kNextInOpenFile = 2;
inline constexpr std::uint8_t kNextNewFile = 3;
inline constexpr std::uint8_t kNextDocumentEnd = 4;

class ReceiveMachine : public StateMachine<ReceiveMachine, ReceiveState,
                                           static_cast<std::size_t>(ReceiveState::Count)> {
  public:
    ReceiveMachine(FaxSession& session, SessionOwner& owner);
    ~ReceiveMachine() override;

    bool oneFax = false;
    bool constantStatus = false;

    // Bytes read per data event, so other events keep flowing.
    static constexpr int kMaxBurst = 10000;

    int PagesInFile() const { return file_.PageCount(); }

  private:
    static const Table kTable;

    FaxSessionData& data() { return session().data; }
    FaxModemData& modem() { return session().modem; }
    ModemControl& control() { return session().modem.control; }
    SessionParameters& params() { return session().modem.params; }
    bool Class1() { return data().faxClass == FaxClass::fcClass1; }
    bool Class20() { return data().faxClass == FaxClass::fcClass2_0; }

    void Prepare() override;
    void RunState(const SessionEvent& event) override;
    bool FrameReceived() override;
    bool LineFailed();

    // Helpers.
    void Fail(int code);
    void SetTimeout(std::uint32_t ticks);
    void TimerOff();
    void SoftwareFlow(bool on);
    void Progress(int code);
    bool Awaited(const SessionEvent& event, bool awaited);
    // A set-up command's OK; other lines fail the call with -8073.
    bool Accepted(const SessionEvent& event);
    // An OK after a frame with the final bit; other lines are dropped and
    // a frame without it asks for the next one.
    bool FinalFrameArrived(const SessionEvent& event);
    // Asks the owner; on acceptance the file is made. False when the call failed.
    bool AcceptStep(bool class2);
    bool CreateReceiveFile();
    bool WritePageStart();
    bool StoreByte(std::uint8_t byte);
    bool FlushData();
    bool UpdatePageHeader();
    void CloseFile();
    void DecodeParameters();
    // +FRM for a page: the sender trains short for pages (V.17).
    void ReceivePageModulation();

    // States.
    void CallReset(const SessionEvent&);
    void RxClass1Selected(const SessionEvent&);
    void RxClassSelected(const SessionEvent&);
    void RxCapsSet(const SessionEvent&);
    void RxFlowSet(const SessionEvent&);
    void RxReady(const SessionEvent&);
    void AwaitRing(const SessionEvent&);
    void Answer(const SessionEvent&);
    void Class1Answered(const SessionEvent&);
    void DISReady(const SessionEvent&);
    void AwaitDCS(const SessionEvent&);
    void DISRetry(const SessionEvent&);
    void DISRetryReady(const SessionEvent&);
    void TCFConnect(const SessionEvent&);
    void ReceiveTCF(const SessionEvent&);
    void FTTReady(const SessionEvent&);
    void TCFEnd(const SessionEvent&);
    void CFRReady(const SessionEvent&);
    void RxPageConnect(const SessionEvent&);
    void Class2Answered(const SessionEvent&);
    void RxClass2Negotiating(const SessionEvent&);
    void Class2AwaitPage(const SessionEvent&);
    void RxPageStart(const SessionEvent&);
    void RxPageData(const SessionEvent&);
    void Class1PageEnd(const SessionEvent&);
    void AwaitPostPage(const SessionEvent&);
    void ClosePage(const SessionEvent&);
    void MCFReady(const SessionEvent&);
    void AwaitDCN(const SessionEvent&);
    void RxHangupReply(const SessionEvent&);
    void Class2PostPage(const SessionEvent&);
    void Class2AwaitHangup(const SessionEvent&);
    void CallDone(const SessionEvent&);
    void CallFailed(const SessionEvent&);
    void Stopped(const SessionEvent&) {}

    // Timeout rules.
    void ReplyTimedOut();
    void AnswerTimedOut();
    void DCSTimedOut();
    void DCNTimedOut();

    void CheckDCS(const std::vector<std::uint8_t>& frame);
    // The data loop's end of page.
    void PageEnded();
    // DLE ETX after the training check: CFR or FTT.
    void TrainingCheckEnded();

    ReceiveFile file_;
    EndOfPageWatch pageEnd_;
    bool pageRefused_ = false;  // a class 1 page cut short, answered with RTN
    bool statusOpen_ = false;
    std::uint8_t dleState_ = 0xFF;
    std::uint8_t nextPage_ = kNextNewFile;
    std::uint16_t disTries_ = 0;
    TrainingCheckTally tcf_;
    TickTimer deadline_;
    int offeredRate_ = 0;  // the highest rate of our DIS
    bool dcsAcceptable_ = false;
    bool morePages_ = false;
};

}  // namespace corvane::engine
