#include "fax_errors.h"

#include <cerrno>
#include <string_view>

namespace corvane {
namespace {

struct ErrorEntry {
    int code;
    std::string_view text;
};

// File-system codes (negated system codes), file run-time errors (-100..-199)
// and the engine's own codes.
constexpr ErrorEntry kErrorTexts[] = {
    {-2, "File not found"},
    {-3, "Path not found"},
    {-4, "Too many open files"},
    {-5, "File access denied"},
    {-6, "Invalid file handle"},
    {-8, "Insufficient memory"},
    {-12, "Invalid file access code"},
    {-15, "Invalid drive number"},
    {-16, "Cannot remove current directory"},
    {-17, "Cannot rename across drives"},
    {-18, "No more files"},
    {-31, "General failure"},
    {-100, "Attempt to read beyond end of file"},
    {-101, "Disk write error"},
    {-102, "File not assigned"},
    {-103, "File not open"},
    {-104, "File not open for input"},
    {-105, "File not open for output"},
    {-106, "Invalid numeric format"},
    {-150, "Disk is write-protected"},
    {-152, "Drive not ready"},
    {-154, "CRC error in data"},
    {-156, "Disk seek error"},
    {-158, "Sector not found"},
    {-160, "Device write error"},
    {-161, "Device read error"},
    {-162, "Hardware failure"},
    {-1002, "Bad argument passed to function"},
    {-1003, "Got quit message"},
    {-1005, "ComPort component not assigned"},
    {-1006, "Internal error creating window class"},
    {-1009, "Component not compatible with WinSock"},
    {-2001, "Serial port does not exist"},
    {-2005, "Serial port is in use by another program"},
    {-2008, "Serial port is already open"},
    {-3001, "Serial port is not open"},
    {-3004, "No character waiting in the input buffer"},
    {-3006, "Output buffer too small for block"},
    {-5001, "No more trigger slots"},
    {-5002, "Trigger not found"},
    {-5003, "Event procedure already registered"},
    {-6005, "Cancel requested"},
    {-6006, "Fatal time out"},
    {-6010, "No filename specified in protocol receive"},
    {-6011, "File was rejected"},
    {-8001, "File is not an APF file"},
    {-8003, "User aborted fax conversion"},
    {-8005, "CreateBitmapIndirect API failure"},
    {-8050, "no image loaded into viewer"},
    {-8051, "no block of image marked"},
    {-8052, "Fax font not found"},
    {-8070, "Fax incompatible with remote fax"},
    {-8071, "Bad response from modem"},
    {-8072, "Modems failed to train"},
    {-8073, "Error while initializing modem"},
    {-8074, "Called fax number was busy"},
    {-8075, "Called fax number answered with voice"},
    {-8076, "Incoming data call"},
    {-8077, "No dial tone"},
    {-8078, "Failed to connect to remote fax"},
    {-8079, "Fax failed in mid-session"},
    {-8080, "Fax failed at page end"},
    {-8082, "Multiple resolutions per session not supported"},
};

constexpr bool TextsFit() {
    for (const ErrorEntry& entry : kErrorTexts)
        if (entry.code >= 0 || entry.text.empty() || entry.text.size() > 79)
            return false;
    return true;
}
static_assert(TextsFit(), "error texts are at most 79 characters");

}  // namespace

std::string ErrorText(int code) {
    for (const ErrorEntry& entry : kErrorTexts)
        if (entry.code == code)
            return std::string(entry.text);
    return {};
}

int FileErrorCode(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return -2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return -3;
        case EMFILE:
        case ENFILE:
            return -4;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
        case EBUSY:
        case EEXIST:
        case ENOTEMPTY:
            return -5;
        case EBADF:
            return -6;
        case ENOMEM:
            return -8;
        case EXDEV:
            return -17;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return -101;
        case ESPIPE:
            return -156;
        case EIO:
            return -162;
        default:
            return -31;
    }
}

FaxError::FaxError(int code) : FaxError(code, ErrorText(code)) {}

FaxError::FaxError(int code, const std::string& text)
    : std::runtime_error(text.empty() ? "Error " + std::to_string(code) : text), code_(code) {}

}  // namespace corvane
