// The send machine: asks its owner for each fax of a batch, dials with
// retries, negotiates in class 1 (T.30 frames of its own) or class 2 and
// 2.0 (the modem negotiates), sends the cover and the pages of the APF file
// with a header line stamped on each, and hangs up.
//
// A page the remote rejects (RTN in class 1, a page status of 2 in class
// 2 and 2.0) is sent again after the retrain, at most pageTryLimit times
// per page; one more rejection fails the fax with -8079.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "faxengine/machine_steps.h"
#include "faxengine/send_files.h"
#include "faxengine/state_machine.h"
#include "faximage/text_converter.h"

namespace corvane::engine {

enum class SendState {
    NextFax,
    PrepareFax,
    Class1Selected,
    ClassSelected,
    LocalIDSet,
    FlowSet,
    ParamsReady,
    ParamsSet,
    Dial,
    RedialWait,
    Class1Dialing,
    TSIReady,
    DCSReady,
    DCSSent,
    TCFReady,
    TCFSent,
    TrainingReply,
    PageConnect,
    Class2Dialing,
    Class2Negotiating,
    XONWait,
    BufferWait,
    PageStart,
    CoverStart,
    CoverText,
    PageDataStart,
    PageData,
    PageDrain,
    Class1DataEnd,
    PostPage,
    PostPageReady,
    PostPageSent,
    PostPageReply,
    DCNReady,
    DCNSent,
    HangupReply,
    Class2PageEnd,
    Class2DataEnd,
    Class2PageStatus,
    Class20PageStatus,
    Class2Resend,
    NextPage,
    FaxDone,
    AllDone,
    FaxFailed,
    Stopped,
    Count
};

class SendMachine
    : public StateMachine<SendMachine, SendState, static_cast<std::size_t>(SendState::Count)>,
      private MachineSteps {
  public:
    SendMachine(FaxSession& session, SessionOwner& owner);
    ~SendMachine() override;

    std::uint16_t maxSendCount = 50;
    std::uint16_t bufferMinimum = 1000;
    std::string headerLine;
    int pageTryLimit = 2;

    int PageTries() const { return pageTries_; }

    std::string dialPrefix;

  private:
    static const Table kTable;

    void Prepare() override;
    void RunState(const SessionEvent& event) override;
    bool FrameReceived() override;
    // The collector's rules for every reply line: true when it failed the fax.
    bool LineFailed();

    // Helpers.
    void Fail(int code);
    void ArmForPageData();
    int OpenFax(const std::string& name);
    int OpenCover();
    void CloseFiles();
    int PositionPage();
    void UpdateResolution();
    bool NextPageFile();
    bool MorePages();
    bool ResendPage();
    // +FTM for a page: the short V.17 training after a passed training check.
    void SendPageModulation();
    std::string Expand(std::string_view text);
    void ZeroFill();
    void PutTextRow(std::string_view text, int row);
    void PutTextRows(std::string_view text);
    int PutPageBlock();
    void BusyRule();
    bool DialOutcome();
    // A set-up command's OK; any other line fails the fax with -8073.
    bool Accepted(const SessionEvent& event);

    // States.
    void NextFax(const SessionEvent&);
    void PrepareFax(const SessionEvent&);
    void Class1Selected(const SessionEvent&);
    void ClassSelected(const SessionEvent&);
    void LocalIDSet(const SessionEvent&);
    void FlowSet(const SessionEvent&);
    void ParamsReady(const SessionEvent&);
    void ParamsSet(const SessionEvent&);
    void Dial(const SessionEvent&);
    void RedialWait(const SessionEvent&);
    void Class1Dialing(const SessionEvent&);
    void TSIReady(const SessionEvent&);
    void DCSReady(const SessionEvent&);
    void DCSSent(const SessionEvent&);
    void TCFReady(const SessionEvent&);
    void TCFSent(const SessionEvent&);
    void TrainingReply(const SessionEvent&);
    void PageConnect(const SessionEvent&);
    void Class2Dialing(const SessionEvent&);
    void Class2Negotiating(const SessionEvent&);
    void XONWait(const SessionEvent&);
    void BufferWait(const SessionEvent&);
    void PageStart(const SessionEvent&);
    void CoverStart(const SessionEvent&);
    void CoverText(const SessionEvent&);
    void PageDataStart(const SessionEvent&);
    void PageData(const SessionEvent&);
    void PageDrain(const SessionEvent&);
    void Class1DataEnd(const SessionEvent&);
    void PostPage(const SessionEvent&);
    void PostPageReady(const SessionEvent&);
    void PostPageSent(const SessionEvent&);
    void PostPageReply(const SessionEvent&);
    void DCNReady(const SessionEvent&);
    void DCNSent(const SessionEvent&);
    void HangupReply(const SessionEvent&);
    void Class2PageEnd(const SessionEvent&);
    void Class2DataEnd(const SessionEvent&);
    void Class2PageStatus(const SessionEvent&);
    void Class20PageStatus(const SessionEvent&);
    void Class2Resend(const SessionEvent&);
    void NextPage(const SessionEvent&);
    void FaxDone(const SessionEvent&);
    void AllDone(const SessionEvent&);
    void FaxFailed(const SessionEvent&);
    void Stopped(const SessionEvent&) {}

    // Timeout rules.
    void ReplyTimedOut();
    void PostPageTimedOut();
    void HangupTimedOut();

    ApfPageReader fax_;
    std::unique_ptr<faximage::TextConverter> text_;
    std::ifstream coverText_;
    bool coverTextOpen_ = false;
    std::string coverLine_;  // the cover text line being sent
    int coverRow_ = 0;       // its next font row; 0 when none is pending
    bool coverIsApf_ = false;
    int pageTries_ = 0;
    bool resendPage_ = false;  // a rejected page waits for the retrain
};

}  // namespace corvane::engine
