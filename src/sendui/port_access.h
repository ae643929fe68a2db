// A serial device the user may not open: on Linux the devices belong to
// the "dialout" group, and the fix is to join it.
#pragma once

#include <QString>

namespace corvane::sendui {

// The open failed for want of permission.
bool IsAccessDenied(int openCode);
// What to do about it.
QString AccessDeniedAdvice();

}  // namespace corvane::sendui
