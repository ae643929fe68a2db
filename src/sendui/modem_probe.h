// Short synchronous talks with a modem on an open port, for the modem
// tools: is there a modem, and a reset to factory settings.
#pragma once

#include <cstdint>
#include <string_view>

#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"

namespace corvane::sendui {

// Waits up to the given ticks for text among the received bytes, compared
// without regard to case. The port's events are held meanwhile; pending
// messages are processed so that a port fed by the event loop keeps
// receiving. Port errors give false.
bool WaitForString(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
                   std::string_view text, std::uint32_t ticks);

// "AT" and up to 18 ticks (about a second) for "OK".
bool ModemAnswers(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform);

// "AT&F" and up to 36 ticks (about two seconds) for "OK".
bool ResetModem(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform);

}  // namespace corvane::sendui
