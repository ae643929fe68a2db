// The port behind the user's ComN: the device section "Ports" of the
// settings file maps it to, or the built-in simulated modem.
#pragma once

#include <memory>
#include <string>

#include "faxengine/com_port.h"
#include "platform/fax_port.h"

namespace corvane::app {

// settings.comNumber (1..6) picks the device; another number gives a port
// that does not open (-2001). With demoCalls the simulated modem gets the
// demo callers of "SimCallEvery".
std::unique_ptr<platform::FaxPort> MakeComPort(const std::string& iniPath,
                                               const engine::PortSettings& settings,
                                               bool demoCalls = false);

}  // namespace corvane::app
