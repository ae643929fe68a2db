#include "port_access.h"

#include <cerrno>

#include "faximage/fax_errors.h"

namespace corvane::sendui {

bool IsAccessDenied(int openCode) {
    return openCode == FileErrorCode(EACCES);
}

QString AccessDeniedAdvice() {
    return QStringLiteral(
        "You are not allowed to open this serial device. Serial devices belong to the group "
        "\"dialout\": add yourself to it with\n\n    sudo usermod -aG dialout $USER\n\n"
        "then log out and in again.");
}

}  // namespace corvane::sendui
