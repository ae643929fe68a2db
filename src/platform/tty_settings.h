// Line settings of a terminal device: raw bytes, the port's baud, parity,
// data and stop bits, and RTS/CTS flow in the driver.
#pragma once

#include <cstdint>

#include "faxengine/com_port.h"

namespace corvane::platform {

// 0, -1002 for a setting the device cannot take, or the file error code of the failing call.
int ApplyLineSettings(int fd, const engine::PortSettings& settings);
int ApplyBaud(int fd, std::uint32_t baud);

}  // namespace corvane::platform
