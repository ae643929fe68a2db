#include "transfer_rates.h"

#include <algorithm>

namespace corvane::app {

namespace {
constexpr int kDefaultIndex = 3;
}

int BpsFromIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kTransferRates.size())) {
        return kTransferRates[kDefaultIndex];
    }
    return kTransferRates[static_cast<std::size_t>(index)];
}

int IndexFromBps(int bps) {
    const auto found = std::find(kTransferRates.begin(), kTransferRates.end(), bps);
    return found == kTransferRates.end() ? kDefaultIndex
                                         : static_cast<int>(found - kTransferRates.begin());
}

}  // namespace corvane::app
