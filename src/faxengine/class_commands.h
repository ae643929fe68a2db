// The per-class vocabulary of the modem conversation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::engine {

// The class 2 or class 2.0 commands and the tags of the reports a modem
// of that class sends; reports are found by a substring search.
struct ClassCommandTable {
    std::string_view selectClass;
    std::string_view sessionParameters;
    std::string_view localID;
    std::string_view capabilities;
    std::string_view connectReport;
    std::string_view remoteCapabilitiesReport;
    std::string_view sessionParametersReport;
    std::string_view transmittingIDReport;
    std::string_view calledIDReport;
    std::string_view pageStatusReport;
    std::string_view hangupTag;
};

inline constexpr ClassCommandTable kClass2Commands{"AT+FCLASS=2", "AT+FDIS", "AT+FLID", "AT+FDCC",
                                                   "+FCON",       "+FDIS",   "+FDCS",   "+FTSI",
                                                   "+FCSI",       "+FPTS",   "FHNG"};
inline constexpr ClassCommandTable kClass20Commands{"AT+FCLASS=2.0", "AT+FIS", "AT+FLI", "AT+FCC",
                                                    "+FCO",          "+FIS",   "+FCS",   "+FTI",
                                                    "+FCI",          "+FPS",   "FHS"};

inline constexpr std::string_view kClass1Select = "AT+FCLASS=1";

// The rate digit of the class 2 and class 2.0 parameter commands; rates
// without a digit of their own ask for 9600.
std::string_view Class2RateCode(std::uint32_t desiredBPS);

// The built-in initialisation command for the dialling options.
std::string_view InitStringFor(bool blindDial, bool detectBusy);

inline constexpr std::size_t kMaxModemInit = 40;
// The user's initialisation command as stored: upper case, "AT" put in
// front when it does not begin with "A", at most 40 characters.
std::string NormalizeModemInit(std::string_view text);

}  // namespace corvane::engine
