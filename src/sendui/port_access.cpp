#include "port_access.h"

#include <unistd.h>

#include <cerrno>

#include "faximage/fax_errors.h"

namespace corvane::sendui {

bool IsAccessDenied(int openCode, const std::string& device) {
    if (openCode != FileErrorCode(EACCES))
        return false;
    // The code also stands for a directory or a read-only file system.
    return ::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString AccessDeniedAdvice() {
    return QStringLiteral(
        "You are not allowed to open this serial device. Serial devices belong to the group "
        "\"dialout\": add yourself to it with\n\n    sudo usermod -aG dialout $USER\n\n"
        "then log out and in again.");
}

}  // namespace corvane::sendui
