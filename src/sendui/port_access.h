// A serial device the user may not open: on Linux the devices belong to
// the "dialout" group, and the fix is to join it.
#pragma once

#include <QString>
#include <string>

namespace corvane::sendui {

// The open of device failed for want of permission (not for another
// reason the same file error code stands for).
bool IsAccessDenied(int openCode, const std::string& device);
// What to do about it.
QString AccessDeniedAdvice();

}  // namespace corvane::sendui
