// A fax modem that also offers class 2 and class 2.0: with either of those
// selected its firmware runs T.30 on the line itself and reports to the
// computer with +F reports; with class 1 selected it behaves as the class 1
// modem it derives from. In class 2, received page data reaches the
// computer with each byte's bit order reversed, as real class 2 modems
// deliver it; sent data is taken in line order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "simmodem/class1_modem.h"
#include "simmodem/class2_params.h"
#include "simmodem/page_scan.h"
#include "simmodem/t30_reader.h"

namespace corvane::simmodem {

class Class2Modem : public Class1Modem {
  public:
    Class2Modem(PhoneNetwork& network, ModemConfig config);

    // The last hang-up code reported (0: normal end).
    int HangupCode() const { return hangupCode_; }
    // Frames from the other station that a strict receiver would refuse.
    const std::vector<std::string>& Complaints() const { return complaints_; }

  protected:
    Reply ClassCommand(const AtCommand& command) override;
    void CallUpAsCaller() override;
    void CallUpAsAnswerer() override;
    void LineSignalArrived(const LineSignal& signal) override;
    void DataByte(std::uint8_t byte) override;
    bool TransmitDataMode() const override;
    void CallFinished(bool remote) override;
    void FactoryReset() override;
    void Drained() override;

  private:
    enum class Phase {
        Idle,
        // calling
        AwaitDis,
        Ready,        // phase B done: +FDT may start a page
        Training,     // DCS and TCF sent, waiting for CFR or FTT
        PageOut,      // page data from the computer goes out
        PageOutDone,  // class 2: waiting for +FET
        PostPageOut,  // post-page command sent, waiting for the answer
        // answering
        AwaitDcs,
        ReceiveTcf,
        AwaitPage,
        PageIn,
        AwaitPostPage,
        PostPageIn,  // reports given, waiting for +FDR to answer
        AwaitDcn,
    };
    enum class Pending { None, Dial, Answer, Fdt, Fet, Fdr };

    bool Active() const;
    bool Class20() const { return FaxClass() == "2.0"; }
    std::string Tag(const char* class2, const char* class20) const {
        return Class20() ? class20 : class2;
    }
    void Report(const std::string& tag, const std::string& value = {}) {
        SendInfo(value.empty() ? tag : tag + ":" + value);
    }
    void Complete(Pending pending, ResultCode result);
    void Fail(int hangupCode);
    void ReportHangup(int code);
    void Arm(engine::Micros timeout);
    void TimedOut();
    std::uint8_t OurFcf(std::uint8_t command) const;
    void SendFrames(std::vector<std::vector<std::uint8_t>> frames, std::function<void()> then);
    t30::ModemSupport LocalModems() const;
    t30::Capabilities LocalCapabilities() const;

    Reply ParameterCommand(const AtCommand& command, Class2Params& params);
    Reply TransmitPage();
    Reply PostPageCommand(int code);
    Reply ReceivePage();
    void MessageArrived(std::vector<t30::Frame> frames);
    // calling
    void SendTraining();
    void StartPage();
    void EndPage(std::uint8_t postPage);
    void SendPostPage();
    void PageAnswered(std::uint8_t response);
    // answering
    void SendIdentification();
    void DcsArrived(const std::vector<t30::Frame>& frames);
    void TrainingEnded();
    void PageStarted();
    void PageEnded();
    void DeliverPage();
    void FinishReceivedPage();
    void AnswerPostPage();

    t30::MessageReader reader_;
    Phase phase_ = Phase::Idle;
    Pending pending_ = Pending::None;
    unsigned timer_ = 0;
    int repeats_ = 0;
    std::vector<std::vector<std::uint8_t>> lastFrames_;

    std::string localId_;
    Class2Params sessionParams_;  // +FDIS / +FIS
    Class2Params capabilities_;   // +FDCC / +FCC
    bool canReceive_ = true;      // +FCR
    int pageQuality_ = 1;         // +FPTS / +FPS: what +FDR answers

    t30::Capabilities remote_;
    std::optional<t30::SessionChoice> session_;
    bool needTraining_ = true;
    bool sawDis_ = false;
    bool connectReported_ = false;
    bool dleSeen_ = false;
    std::uint8_t postPage_ = 0;  // of the page being sent or received

    bool highSpeedIn_ = false;
    bool carrierMatches_ = false;
    std::vector<std::uint8_t> tcf_;
    std::vector<std::uint8_t> page_;
    std::size_t delivered_ = 0;  // page bytes already with the computer
    bool pageComplete_ = false;
    bool forwarding_ = false;  // DC2 received: page bytes go to the computer
    bool postPageKnown_ = false;
    PageScan pageScan_;

    int hangupCode_ = 0;
    std::vector<std::string> complaints_;
};

}  // namespace corvane::simmodem
