#include "modem_probe.h"

#include <cctype>
#include <string>

#include "faxengine/ticks.h"

namespace corvane::sendui {

namespace {

bool CommandAndWaitOK(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
                      std::string_view command, std::uint32_t ticks) {
    port.FlushInBuffer();
    if (port.PutString(std::string(command) + "\r") != 0)
        return false;
    return WaitForString(port, clock, platform, "OK", ticks);
}

}  // namespace

bool WaitForString(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
                   std::string_view text, std::uint32_t ticks) {
    if (text.empty())
        return true;
    const bool wasSuspended = port.SuspendEvents(true);
    const engine::TickTimer timer = engine::StartTimer(clock, ticks);
    std::string wanted;
    for (const char c : text)
        wanted += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string window;  // the last bytes received, as many as the text has
    bool found = false;
    while (!found) {
        while (!found && port.CharReady()) {
            const int next = port.GetChar();
            if (next < 0)
                break;
            window += static_cast<char>(std::tolower(next & 0xFF));
            if (window.size() > wanted.size())
                window.erase(0, 1);
            found = window == wanted;
        }
        if (found || engine::TimerExpired(timer, clock) || !port.IsOpen())
            break;
        platform.PollMessages();
    }
    port.SuspendEvents(wasSuspended);
    return found;
}

bool ModemAnswers(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform) {
    return CommandAndWaitOK(port, clock, platform, "AT", 18);
}

bool ResetModem(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform) {
    return CommandAndWaitOK(port, clock, platform, "AT&F", 36);
}

}  // namespace corvane::sendui
