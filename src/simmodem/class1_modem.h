// A class 1 fax modem: the computer runs T.30 and the modem only moves
// HDLC frames (V.21, +FTH/+FRH) and page data (+FTM/+FRM) between the
// serial line and the phone line, with the result codes and timing of the
// T.31 service.
#pragma once

#include <random>
#include <vector>

#include "simmodem/sim_modem.h"

namespace corvane::simmodem {

class Class1Modem : public SimModem {
  public:
    // Longest frame a class 1 modem takes from the computer.
    static constexpr std::size_t kMaxFrame = 256;

    Class1Modem(PhoneNetwork& network, ModemConfig config);

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
    enum class State {
        Command,
        TxHdlc,      // frames from the computer go out on V.21
        TxData,      // page data from the computer goes out at a high speed
        RxHdlcWait,  // waiting for V.21 flags
        RxHdlc,      // receiving a frame
        RxDataWait,  // waiting for the high-speed carrier
        RxDataTraining,
        RxData,
        Silence,  // +FTS / +FRS
    };

    void Enter(State state);
    Reply TransmitFrames();
    Reply TransmitData(const Modulation& modulation);
    Reply ReceiveFrames();
    Reply ReceiveData(const Modulation& modulation);
    Reply TransmitSilence(int tenMilliseconds);
    Reply ReceiveSilence(int tenMilliseconds);
    // Follows the far carrier's training; CONNECT once it is over.
    void TrainOn(engine::Micros remaining);
    void ArmSilenceTimer();
    void FrameFromComputer();
    void FinishTransmission();
    // After a command's result: back to command mode.
    void BackToCommand(ResultCode result);
    // What a real demodulator hands over after the carrier's last data bit,
    // while it notices the carrier is gone: ones, then noise.
    std::vector<std::uint8_t> DemodulatorTail();

    State state_ = State::Command;
    unsigned generation_ = 0;  // delayed actions of an earlier state are void
    Modulation expected_ = kV21;
    std::vector<std::uint8_t> frame_;
    bool frameTooLong_ = false;
    bool dleSeen_ = false;
    bool dataEnded_ = false;
    bool connected_ = false;  // CONNECT sent for the current transmission
    int silenceTicks_ = 0;    // +FRS, in 10 ms
    std::mt19937 noise_;
};

}  // namespace corvane::simmodem
