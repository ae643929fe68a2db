// The T.30 session subparameters of the class 2 and class 2.0 commands and
// reports: VR,BR,WD,LN,DF,EC,BF,ST, each a small number.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "simmodem/t30_codec.h"

namespace corvane::simmodem {

struct Class2Params {
    // vr 0-1, br 0-5, wd 0-2, ln 0-2, df 0-3, ec 0-2, bf 0-1, st 0-7
    std::array<int, 8> values{1, 5, 0, 2, 0, 0, 0, 0};

    int& vr() { return values[0]; }
    int& br() { return values[1]; }
    int& wd() { return values[2]; }
    int& st() { return values[7]; }
    int vr() const { return values[0]; }
    int br() const { return values[1]; }
    int wd() const { return values[2]; }
    int st() const { return values[7]; }
};

// "1,3" sets the first two and keeps the rest; empty places keep theirs.
// Nothing when a value is out of range or not a number.
std::optional<Class2Params> ParseClass2Params(const std::string& text, const Class2Params& current);
std::string FormatClass2Params(const Class2Params& params);
// The answer to "=?".
std::string Class2ParamRanges();

// Class 2 page data towards the computer: each byte's bit order reversed.
std::uint8_t ReverseBits(std::uint8_t byte);

int Class2RateCode(int bitsPerSecond);  // 2400 -> 0 ... 14400 -> 5
int Class2RateBps(int code);
// ST code from the receiver's minimum scan times, and back.
int Class2ScanCode(int normalMs, int fineMs);
void Class2ScanTimes(int code, int& normalMs, int& fineMs);

// What a DIS offers, or a DCS selects, as a parameter list.
Class2Params ParamsOfCapabilities(const t30::Capabilities& capabilities, int maxBps);
Class2Params ParamsOfSession(const t30::SessionChoice& session);

}  // namespace corvane::simmodem
