// What every simulated fax modem shares: the serial side (command lines,
// echo, result codes, DLE shielding, RTS/CTS and XON/XOFF towards the
// computer at the port's byte rate), the S registers, and the phone side
// (dialling, rings, answering, hanging up, carrier detect). The fax class
// on top supplies the +F commands and what happens once a call is up.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "faxengine/sim_port.h"
#include "simmodem/at_parser.h"
#include "simmodem/line_transmitter.h"
#include "simmodem/phone_network.h"

namespace corvane::simmodem {

inline constexpr std::uint8_t kDle = 16;
inline constexpr std::uint8_t kEtx = 3;
inline constexpr std::uint8_t kXon = 17;
inline constexpr std::uint8_t kXoff = 19;
inline constexpr std::uint8_t kDc2 = 18;
inline constexpr std::uint8_t kCan = 24;

enum class FlowControl { None, Hardware, Software, Both };

struct ModemConfig {
    // Fax classes offered besides data class 0: "1", "2", "2.0".
    std::vector<std::string> classes{"1"};
    std::vector<int> transmitRates = AllHighSpeedCodes();
    std::vector<int> receiveRates = AllHighSpeedCodes();
    std::size_t transmitBufferSize = 2048;  // computer to line
    std::size_t receiveBufferSize = 8192;   // line to computer
    FlowControl flow = FlowControl::Hardware;
    // Seeds the noise a demodulator hands over as a carrier dies.
    std::uint32_t noiseSeed = 1;
};

struct ModemCounters {
    int underruns = 0;          // the line ran dry while page data was expected
    int transmitOverflows = 0;  // bytes from the computer lost at a full buffer
    int receiveOverflows = 0;   // bytes for the computer lost at a full buffer
    int missedFrames = 0;       // frames that arrived while nobody listened
};

enum class ResultCode {
    Ok,
    Connect,
    Ring,
    NoCarrier,
    Error,
    NoDialTone,
    Busy,
    NoAnswer,
    Voice,
    FcError
};

class SimModem : public engine::FarEndpoint, public LineParty {
  public:
    SimModem(PhoneNetwork& network, ModemConfig config);
    ~SimModem() override;

    // FarEndpoint
    void Attach(engine::SimLine& line) override;
    void ReceiveFromComputer(std::uint8_t byte) override;
    void ControlLinesChanged(bool dtr, bool rts) override;
    void BaudChanged(std::uint32_t baud) override { baud_ = baud; }

    // LineParty
    void Ringing(const std::shared_ptr<Call>& call, int ring) override;
    void Answered() override;
    void DialFailed(DialOutcome outcome) override;
    void Receive(const LineSignal& signal) override;
    void CallEnded() override;
    bool OffHook() const override { return call_ != nullptr; }

    const ModemCounters& Counters() const { return counters_; }
    // Tells each call's dialling, answering and end, for a program's log.
    void SetCallLog(std::function<void(const std::string&)> log) { callLog_ = std::move(log); }
    const std::string& FaxClass() const { return faxClass_; }
    int Register(int index) const { return registers_.at(static_cast<std::size_t>(index)); }

  protected:
    enum class Reply { Ok, Error, Later };  // Later: the command answers on its own

    // +F commands of the selected class (and +FCLASS=? is answered here).
    virtual Reply ClassCommand(const AtCommand& command) = 0;
    virtual void CallUpAsCaller() = 0;
    virtual void CallUpAsAnswerer() = 0;
    virtual void LineSignalArrived(const LineSignal& signal) = 0;
    // A byte from the computer while the class has the data mode.
    virtual void DataByte(std::uint8_t byte) = 0;
    // True while computer bytes are page or frame data, so XON/XOFF are data.
    virtual bool TransmitDataMode() const = 0;
    // The call is gone; drop per-call state. remote: the other side hung up.
    virtual void CallFinished(bool remote) = 0;
    virtual void FactoryReset() {}
    // A data byte has left the transmit buffer.
    virtual void Drained() { CheckTransmitFlow(); }

    void SendResult(ResultCode code);
    // An information line: CR LF text CR LF (text only, in numeric mode CR).
    void SendInfo(const std::string& text);
    void SendRaw(std::string_view bytes);
    // Page or frame bytes with every DLE doubled.
    void SendShielded(std::span<const std::uint8_t> bytes);
    // An answer for a command that said Later.
    void FinishCommand(Reply reply);

    void SetDataMode(bool on) { dataMode_ = on; }
    bool DataMode() const { return dataMode_; }
    void HangUp();
    // Dialling: the connection counts as made once the class hears its carrier.
    void StopCarrierWait();
    bool WaitingForCarrier() const { return waitingForCarrier_; }
    // Receive-buffer room, for classes that pace what they hand over.
    std::size_t PendingToComputer() const { return toComputer_.size(); }

    Scheduler& scheduler() { return network_.scheduler(); }
    LineTransmitter& transmitter() { return transmitter_; }
    const ModemConfig& config() const { return config_; }
    ModemCounters& counters() { return counters_; }
    Call* call() { return call_.get(); }
    bool Dialled() const { return dialled_; }
    // Incoming carrier (what the far end is sending right now).
    bool CarrierIn() const { return carrierIn_; }
    const Modulation& CarrierInModulation() const { return carrierInModulation_; }
    engine::Micros CarrierInSince() const { return carrierInSince_; }
    // Computer-to-line flow control around the transmit buffer.
    void CheckTransmitFlow();
    // A page-data byte from the computer onto the line; lost when the buffer is full.
    void QueueForLine(std::uint8_t byte);
    bool OfferedClass(const std::string& name) const;

  private:
    void CommandChar(std::uint8_t byte);
    void ExecuteLine(const std::string& body);
    Reply Execute(const AtCommand& command);
    Reply BasicCommand(const AtCommand& command);
    Reply Dial(const std::string& dialString);
    Reply AnswerCall();
    void Defaults();
    void StartWaitForCarrier();
    void DataOnlineByte(std::uint8_t byte);
    void PumpToComputer();
    std::string CountersText() const;
    void SetHoldComputer(bool hold);

    PhoneNetwork& network_;
    ModemConfig config_;
    engine::SimLine* line_ = nullptr;
    LineTransmitter transmitter_;
    std::shared_ptr<Call> call_;
    std::shared_ptr<Call> ringingCall_;
    std::uint32_t baud_ = 19200;

    // Settings.
    bool echo_ = true;
    bool verbose_ = true;
    bool quiet_ = false;
    int callProgress_ = 4;  // X level
    std::array<int, 256> registers_{};
    FlowControl flow_;
    std::string faxClass_ = "0";

    // Command line.
    enum class Prefix { WantA, WantT, Body } prefix_ = Prefix::WantA;
    std::string lineBuffer_;
    std::string lastLine_;
    bool lineTooLong_ = false;
    bool commandPending_ = false;

    // Call.
    bool dialled_ = false;
    bool waitingForCarrier_ = false;
    unsigned waitGeneration_ = 0;
    bool dataOnline_ = false;  // a data modem answered
    bool dataMode_ = false;
    bool carrierIn_ = false;
    Modulation carrierInModulation_ = kV21;
    engine::Micros carrierInSince_ = 0;
    bool lastDtr_ = false;
    int escapePluses_ = 0;
    engine::Micros lastDataByteAt_ = 0;

    // Towards the computer.
    std::deque<std::uint8_t> toComputer_;
    bool pumping_ = false;
    bool computerXoff_ = false;
    bool holdingComputer_ = false;  // CTS off or XOFF sent

    ModemCounters counters_;
    std::function<void(const std::string&)> callLog_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

  protected:
    std::weak_ptr<bool> Alive() const { return alive_; }
};

}  // namespace corvane::simmodem
