// The carriers a fax call uses: V.21 channel 2 for HDLC control frames and
// the high-speed page modulations, named by their class 1 codes.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "faxengine/scheduler.h"

namespace corvane::simmodem {

using engine::Micros;

enum class Family { V21, V27ter, V29, V17, Data };

struct Modulation {
    int code = 3;  // class 1 code; 3 is V.21 (+FTH=3/+FRH=3)
    Family family = Family::V21;
    int bitsPerSecond = 300;
    bool shortTraining = false;

    // A receiver trained for one carrier hears only the same family at the
    // same rate, and a V.17 receiver only the training it listens for: one
    // waiting for the long training never locks onto a short one, nor the
    // other way round.
    bool SameCarrier(const Modulation& other) const {
        return family == other.family && bitsPerSecond == other.bitsPerSecond &&
               shortTraining == other.shortTraining;
    }
};

inline constexpr Modulation kV21{3, Family::V21, 300, false};
// What a data modem puts on the line after answering.
inline constexpr Modulation kDataCarrier{0, Family::Data, 2400, false};

// A high-speed modulation by its class 1 code (24, 48, 72, 73, 74, 96, 97,
// 98, 121, 122, 145, 146), or nothing for an unknown code.
std::optional<Modulation> HighSpeedModulation(int code);
// The carrier of the pages after a training check on the given one passed:
// V.17 sends them with its short training, the others have only one.
Modulation PageCarrier(const Modulation& training);
// Every high-speed code, in the order +FTM=? lists them.
const std::vector<int>& AllHighSpeedCodes();

// Time from carrier on until the first data bit: the training sequence for a
// high-speed carrier, the flag preamble for V.21.
Micros StartUpTime(const Modulation& modulation);
Micros ByteTime(const Modulation& modulation);

// Zero bytes a class 2 modem's firmware appends after a page it hands over,
// as its demodulator did after the carrier's last data bit. A page thus
// never ends on the last bit of its RTC: decoders that read ahead of the code
// they are on (efax does) would otherwise miss the RTC.
inline constexpr std::size_t kCarrierLossBytes = 2;

}  // namespace corvane::simmodem
