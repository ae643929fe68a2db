#include "faxengine/class_commands.h"

#include <algorithm>
#include <cctype>

namespace corvane::engine {

std::string_view Class2RateCode(std::uint32_t desiredBPS) {
    switch (desiredBPS) {
        case 2400:
            return "0";
        case 4800:
            return "1";
        case 7200:
            return "2";
        case 12000:
            return "4";
        case 14400:
            return "5";
        default:
            return "3";
    }
}

std::string_view InitStringFor(bool blindDial, bool detectBusy) {
    // X1..X4: whether the modem waits for dial tone and reports busy.
    if (blindDial) {
        return detectBusy ? "ATE0Q0V1X3S0=0S2=43" : "ATE0Q0V1X1S0=0S2=43";
    }
    return detectBusy ? "ATE0Q0V1X4S0=0S2=43" : "ATE0Q0V1X2S0=0S2=43";
}

std::string NormalizeModemInit(std::string_view text) {
    std::string init(text.substr(0, kMaxModemInit));
    for (char& c : init) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (!init.empty() && init.front() != 'A') {
        init.insert(0, "AT");
        init.resize(std::min(init.size(), kMaxModemInit));
    }
    return init;
}

}  // namespace corvane::engine
