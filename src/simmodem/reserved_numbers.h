// The numbers of the simulated phone line that do not reach a fax
// machine, so that failures can be tried without hardware. Every other
// number answers with a fax machine that takes what it is sent.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "simmodem/phone_network.h"

namespace corvane::simmodem {

struct ReservedNumber {
    std::string_view number;  // digits as dialled, without blanks
    DialOutcome outcome;
    std::string_view what;  // for help texts: "busy", ...
};

std::span<const ReservedNumber> ReservedNumbers();

// The outcome of a reserved number (blanks, dashes and dial modifiers
// ignored); nothing for a number a fax machine answers.
std::optional<DialOutcome> ReservedOutcome(const std::string& dialString);

// Assigns every reserved number its outcome.
void AssignReservedNumbers(PhoneNetwork& network);

}  // namespace corvane::simmodem
