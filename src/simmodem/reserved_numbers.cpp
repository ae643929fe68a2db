#include "simmodem/reserved_numbers.h"

#include <array>

namespace corvane::simmodem {

namespace {

constexpr std::array<ReservedNumber, 3> kReserved{{
    {"5550001", DialOutcome::Busy, "busy"},
    {"5550002", DialOutcome::NoAnswer, "rings, nobody answers"},
    {"5550003", DialOutcome::Voice, "a voice answers"},
}};

}  // namespace

std::span<const ReservedNumber> ReservedNumbers() {
    return kReserved;
}

std::optional<DialOutcome> ReservedOutcome(const std::string& dialString) {
    const std::string digits = DialledDigits(dialString);
    for (const ReservedNumber& reserved : kReserved) {
        if (digits == reserved.number) {
            return reserved.outcome;
        }
    }
    return std::nullopt;
}

void AssignReservedNumbers(PhoneNetwork& network) {
    for (const ReservedNumber& reserved : kReserved) {
        network.Assign(std::string(reserved.number), reserved.outcome);
    }
}

}  // namespace corvane::simmodem
