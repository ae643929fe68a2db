// What the send and receive commands share: their argument readers and
// running one fax session on a serial device under the Qt event loop.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"
#include "faxengine/fax_class.h"

namespace corvane::cli {

// A decimal count up to max; nothing for other text.
std::optional<unsigned long> CountArgument(const std::string& text, unsigned long max);
// "auto", "1", "2" or "2.0".
std::optional<engine::FaxClass> FaxClassArgument(const std::string& text);

// Runs the event loop until done() holds.
using RunLoop = std::function<void(const std::function<bool()>& done)>;
using DeviceSession = std::function<int(engine::ComPort& port, const engine::Clock& clock,
                                        engine::Platform& platform, const RunLoop& loop)>;

// Opens the device and runs the session on it; a device that does not
// open gives openFailed(code) instead.
int RunOnDevice(const std::string& device, const DeviceSession& session,
                const std::function<int(int code)>& openFailed);

}  // namespace corvane::cli
