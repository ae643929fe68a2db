// The telephone network in virtual time: numbers, ringing, answering and
// the signals two parties put on the line once a call is up. Faults are
// injected per call from a seeded generator so a failure reproduces.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "faxengine/scheduler.h"
#include "simmodem/modulation.h"

namespace corvane::simmodem {

using engine::Scheduler;

// What answers a number when it is not a party of its own.
enum class DialOutcome { Answer, Busy, NoAnswer, Voice, NoDialTone, DataModem };

struct LineSignal {
    enum class Kind { CarrierOn, Frame, Data, CarrierOff };
    Kind kind = Kind::CarrierOn;
    Modulation modulation = kV21;
    // A frame: address, control, FCF, information, then the two FCS octets.
    std::vector<std::uint8_t> bytes;
};

struct LineFaults {
    std::uint32_t seed = 1;
    double bitErrorRate = 0.0;  // per bit of frames and page data
    std::set<int> lostFrames;   // 0-based index of V.21 frames on the call
    double frameLossRate = 0.0;
    std::optional<std::size_t> dropCarrierAfterBytes;  // high-speed bytes on the call
};

class Call;

// Anything that plugs into the line: a simulated modem, a remote fax machine.
class LineParty {
  public:
    virtual ~LineParty() = default;
    // An incoming call rings: ring 1 about 2 s after dialling, then every 6 s.
    virtual void Ringing(const std::shared_ptr<Call>& /*call*/, int /*ring*/) {}
    // The called number went off hook.
    virtual void Answered() {}
    // The call could not be made; the outcome says what the caller heard.
    virtual void DialFailed(DialOutcome /*outcome*/) {}
    virtual void Receive(const LineSignal& signal) = 0;
    // The other party hung up.
    virtual void CallEnded() {}
    // A party already in a call gives callers a busy tone.
    virtual bool OffHook() const = 0;
};

class Call : public std::enable_shared_from_this<Call> {
  public:
    Call(Scheduler& scheduler, LineParty* caller, LineParty* callee, LineFaults faults);

    void Answer();
    void HangUp(const LineParty& who);
    // Delivered to the other party, with this call's faults applied.
    void Send(const LineParty& from, LineSignal signal);

    bool Answered() const { return answered_; }
    bool Ended() const { return ended_; }
    Scheduler& scheduler() { return scheduler_; }

  private:
    friend class PhoneNetwork;

    LineParty* Other(const LineParty& me) const;
    // What was sent before a hang-up still reaches the side that stays.
    bool StillListening(const LineParty* party) const { return !ended_ || endedBy_ != party; }
    bool LoseFrame();
    void Damage(std::vector<std::uint8_t>& bytes);
    bool ChanceOf(double probability);

    Scheduler& scheduler_;
    LineParty* caller_;
    LineParty* callee_;
    LineFaults faults_;
    std::mt19937 random_;
    bool answered_ = false;
    bool ended_ = false;
    const LineParty* endedBy_ = nullptr;
    int frames_ = 0;
    std::size_t dataBytes_ = 0;
    bool carrierCut_ = false;  // the current high-speed carrier was dropped
};

class PhoneNetwork {
  public:
    static constexpr engine::Micros kFirstRing = engine::Seconds(2);
    static constexpr engine::Micros kRingPeriod = engine::Seconds(6);

    explicit PhoneNetwork(Scheduler& scheduler) : scheduler_(scheduler) {}

    void Assign(const std::string& number, LineParty& party);
    void Assign(const std::string& number, DialOutcome outcome);
    // Every number not assigned otherwise reaches the party this gives,
    // asked once per call.
    void AssignOthers(std::function<LineParty&()> party) { others_ = std::move(party); }
    // Faults for every call made to this number.
    void SetFaults(const std::string& number, LineFaults faults);

    // Places a call; what happens is told to the caller through LineParty.
    // A number nobody has rings nowhere: the caller gives up on its own.
    std::shared_ptr<Call> Dial(LineParty& caller, const std::string& number);

    Scheduler& scheduler() { return scheduler_; }

  private:
    struct Entry {
        LineParty* party = nullptr;
        DialOutcome outcome = DialOutcome::NoAnswer;
        LineFaults faults;
    };

    void Ring(const std::shared_ptr<Call>& call, int ring);
    void Scripted(const std::shared_ptr<Call>& call, DialOutcome outcome);

    Scheduler& scheduler_;
    std::map<std::string, Entry> numbers_;
    std::function<LineParty&()> others_;
};

// The digits of a dial string (T and P prefixes, commas and blanks dropped),
// so "T 555-12,34" reaches "5551234".
std::string DialledDigits(const std::string& dialString);

}  // namespace corvane::simmodem
