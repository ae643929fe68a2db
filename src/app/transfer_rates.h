// The six transfer rates the dialogs offer, by list index.
#pragma once

#include <array>

namespace corvane::app {

inline constexpr std::array<int, 6> kTransferRates = {2400, 4800, 7200, 9600, 12000, 14400};

// Index 3 and every index outside the list give 9600.
int BpsFromIndex(int index);
// Every rate outside the list gives index 3 (9600).
int IndexFromBps(int bps);

}  // namespace corvane::app
