// Opening a fax port for a command, with the user's message when it fails.
#pragma once

#include <string>

#include "platform/fax_port.h"

namespace corvane::platform {

// Empties message and opens the port; true when it opened. Otherwise
// false, and message says why in the user's words ("\r" breaks lines):
// in use, missing, or the port error's text.
bool OpenPortReporting(FaxPort& port, std::string& message);

// The message for an opening that failed with code, on port comNumber.
std::string OpenFailureMessage(int code, int comNumber);

}  // namespace corvane::platform
