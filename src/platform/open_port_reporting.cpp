#include "platform/open_port_reporting.h"

#include <exception>

#include "faximage/fax_errors.h"

namespace corvane::platform {

namespace {

constexpr int kPortMissing = -2001;
constexpr int kPortInUse = -2005;
constexpr int kPortAlreadyOpen = -2008;

std::string Unable(int comNumber) {
    return "Unable to open the specified communications port ( Com" + std::to_string(comNumber) +
           " )";
}

}  // namespace

std::string OpenFailureMessage(int code, int comNumber) {
    if (code == kPortInUse || code == kPortAlreadyOpen) {
        return "The communications port is in use ( Com " + std::to_string(comNumber) +
               " )\r\rPlease make sure that all communication programs (internet, AOL, etc) are "
               "closed, and then try again.";
    }
    if (code == kPortMissing) {
        return Unable(comNumber);
    }
    const std::string text = ErrorText(code);
    return Unable(comNumber) + "\rError message: " + (text.empty() ? "Unknown error" : text);
}

bool OpenPortReporting(FaxPort& port, std::string& message) {
    message.clear();
    const int comNumber = port.ComNumber();
    try {
        const int code = port.Open();
        if (code == 0) {
            return true;
        }
        message = OpenFailureMessage(code, comNumber);
    } catch (const FaxError& error) {
        message = OpenFailureMessage(error.code(), comNumber);
    } catch (const std::exception& error) {
        message = "Unable to open the specified communications port( Com" +
                  std::to_string(comNumber) + " )\rError message: " + error.what();
    }
    return false;
}

}  // namespace corvane::platform
