#include "simmodem/phone_network.h"

#include <cctype>

namespace corvane::simmodem {

using engine::Seconds;

Call::Call(Scheduler& scheduler, LineParty* caller, LineParty* callee, LineFaults faults)
    : scheduler_(scheduler),
      caller_(caller),
      callee_(callee),
      faults_(std::move(faults)),
      random_(faults_.seed) {}

LineParty* Call::Other(const LineParty& me) const {
    if (&me == caller_) {
        return callee_;
    }
    return &me == callee_ ? caller_ : nullptr;
}

void Call::Answer() {
    if (answered_ || ended_) {
        return;
    }
    answered_ = true;
    if (caller_ != nullptr) {
        scheduler_.After(0, [self = shared_from_this()] {
            if (!self->ended_ && self->caller_ != nullptr) {
                self->caller_->Answered();
            }
        });
    }
}

void Call::HangUp(const LineParty& who) {
    if (ended_) {
        return;
    }
    ended_ = true;
    endedBy_ = &who;
    LineParty* other = Other(who);
    if (other != nullptr) {
        scheduler_.After(0, [other] { other->CallEnded(); });
    }
}

bool Call::ChanceOf(double probability) {
    if (probability <= 0.0) {
        return false;
    }
    // Raw generator output keeps the sequence the same on every library.
    return static_cast<double>(random_()) < probability * 4294967296.0;
}

bool Call::LoseFrame() {
    const int index = frames_++;
    return faults_.lostFrames.count(index) > 0 || ChanceOf(faults_.frameLossRate);
}

void Call::Damage(std::vector<std::uint8_t>& bytes) {
    if (faults_.bitErrorRate <= 0.0) {
        return;
    }
    for (std::uint8_t& byte : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            if (ChanceOf(faults_.bitErrorRate)) {
                byte ^= static_cast<std::uint8_t>(1u << bit);
            }
        }
    }
}

void Call::Send(const LineParty& from, LineSignal signal) {
    LineParty* to = Other(from);
    if (!answered_ || ended_ || to == nullptr) {
        return;
    }
    switch (signal.kind) {
        case LineSignal::Kind::CarrierOn:
            carrierCut_ = false;
            break;
        case LineSignal::Kind::Frame:
            if (LoseFrame()) {
                return;
            }
            Damage(signal.bytes);
            break;
        case LineSignal::Kind::Data: {
            if (carrierCut_) {
                return;
            }
            Damage(signal.bytes);
            const std::size_t before = dataBytes_;
            dataBytes_ += signal.bytes.size();
            if (faults_.dropCarrierAfterBytes && before < *faults_.dropCarrierAfterBytes &&
                dataBytes_ >= *faults_.dropCarrierAfterBytes) {
                signal.bytes.resize(*faults_.dropCarrierAfterBytes - before);
                carrierCut_ = true;
                LineSignal lost{LineSignal::Kind::CarrierOff, signal.modulation, {}};
                scheduler_.After(0, [to, signal, lost, self = shared_from_this()] {
                    if (self->StillListening(to)) {
                        if (!signal.bytes.empty()) {
                            to->Receive(signal);
                        }
                        to->Receive(lost);
                    }
                });
                return;
            }
            break;
        }
        case LineSignal::Kind::CarrierOff:
            if (carrierCut_) {
                return;
            }
            break;
    }
    scheduler_.After(0, [to, signal = std::move(signal), self = shared_from_this()] {
        if (self->StillListening(to)) {
            to->Receive(signal);
        }
    });
}

void PhoneNetwork::Assign(const std::string& number, LineParty& party) {
    Entry& entry = numbers_[DialledDigits(number)];
    entry.party = &party;
    entry.outcome = DialOutcome::Answer;
}

void PhoneNetwork::Assign(const std::string& number, DialOutcome outcome) {
    Entry& entry = numbers_[DialledDigits(number)];
    entry.party = nullptr;
    entry.outcome = outcome;
}

void PhoneNetwork::SetFaults(const std::string& number, LineFaults faults) {
    numbers_[DialledDigits(number)].faults = std::move(faults);
}

std::shared_ptr<Call> PhoneNetwork::Dial(LineParty& caller, const std::string& number) {
    const auto found = numbers_.find(DialledDigits(number));
    Entry entry = found == numbers_.end() ? Entry{} : found->second;
    if (found == numbers_.end() && others_) {
        entry.party = &others_();
        entry.outcome = DialOutcome::Answer;
    }
    auto call = std::make_shared<Call>(scheduler_, &caller, entry.party, entry.faults);
    if (entry.party != nullptr) {
        if (entry.party->OffHook()) {
            Scripted(call, DialOutcome::Busy);
        } else {
            scheduler_.After(kFirstRing, [this, call] { Ring(call, 1); });
        }
    } else {
        Scripted(call, entry.outcome);
    }
    return call;
}

void PhoneNetwork::Ring(const std::shared_ptr<Call>& call, int ring) {
    if (call->ended_ || call->answered_) {
        return;
    }
    call->callee_->Ringing(call, ring);
    scheduler_.After(kRingPeriod, [this, call, ring] { Ring(call, ring + 1); });
}

void PhoneNetwork::Scripted(const std::shared_ptr<Call>& call, DialOutcome outcome) {
    LineParty* caller = call->caller_;
    auto failLater = [this, call, caller](engine::Micros delay, DialOutcome outcome) {
        scheduler_.After(delay, [call, caller, outcome] {
            if (!call->ended_) {
                call->ended_ = true;
                caller->DialFailed(outcome);
            }
        });
    };
    switch (outcome) {
        case DialOutcome::Answer:
        case DialOutcome::NoAnswer:
            break;  // rings with nobody to answer
        case DialOutcome::Busy:
            failLater(kFirstRing + Seconds(1), outcome);
            break;
        case DialOutcome::NoDialTone:
            failLater(Seconds(2), outcome);
            break;
        case DialOutcome::Voice:
            failLater(kFirstRing + Seconds(4), outcome);
            break;
        case DialOutcome::DataModem:
            // Answers at the first ring and sends its carrier until it gives up.
            scheduler_.After(kFirstRing, [call, caller] {
                if (call->ended_) {
                    return;
                }
                call->answered_ = true;
                caller->Answered();
                caller->Receive({LineSignal::Kind::CarrierOn, kDataCarrier, {}});
            });
            scheduler_.After(kFirstRing + Seconds(10), [call, caller] {
                if (!call->ended_) {
                    call->ended_ = true;
                    caller->CallEnded();
                }
            });
            break;
    }
}

std::string DialledDigits(const std::string& dialString) {
    std::string digits;
    for (char c : dialString) {
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#') {
            digits += c;
        }
    }
    return digits;
}

}  // namespace corvane::simmodem
