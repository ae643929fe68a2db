// The short fax the simulated line's callers send: a few lines of text in
// the built-in fax font, so a newcomer sees a readable fax arrive.
#pragma once

#include <vector>

#include "simmodem/remote_fax.h"

namespace corvane::simmodem {

inline constexpr char kDemoCallerId[] = "+1 555 0123";

std::vector<FaxPage> DemoFaxPages();

// A calling machine that sends the demo fax.
RemoteFaxConfig DemoCaller();

}  // namespace corvane::simmodem
