#include "faxengine/fax_log.h"

#include <cerrno>
#include <ctime>
#include <fstream>

#include "faxengine/fax_components.h"
#include "faximage/fax_errors.h"

namespace corvane::engine {

namespace {
constexpr const char* kCRLF = "\r\n";

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[80];
    return std::string(text, std::strftime(text, sizeof text, "%x %X", &local));
}
}  // namespace

std::string HistoryEntry(const CvCustomAbstractFax& fax, int logCode, const std::string& date) {
    const std::string errorText = "  (" + ErrorText(fax.FaxErrorCode()) + ")";
    if (const auto* send = dynamic_cast<const CvCustomSendFax*>(&fax)) {
        const std::string p = "Transmit ";
        switch (static_cast<FaxLogCode>(logCode)) {
            case FaxLogCode::lcTransmitStart:
                return p + fax.faxFile + " to " + send->phoneNumber + " started at " + date + kCRLF;
            case FaxLogCode::lcTransmitOK:
                return p + "to " + fax.RemoteID() + " finished OK at " + date + " " +
                       std::to_string(fax.HangupCode()) + kCRLF + kCRLF;
            case FaxLogCode::lcTransmitFail:
                return p + "failed at " + date + kCRLF + errorText + " " +
                       std::to_string(fax.HangupCode()) + kCRLF + kCRLF;
            default:
                return {};
        }
    }
    const std::string p = "Receive ";
    switch (static_cast<FaxLogCode>(logCode)) {
        case FaxLogCode::lcReceiveStart:
            return p + fax.faxFile + " from " + fax.RemoteID() + " started at " + date + kCRLF;
        case FaxLogCode::lcReceiveOK:
            return p + "finished OK at " + date + kCRLF + kCRLF;
        case FaxLogCode::lcReceiveSkip:
            return p + "skipped at " + date + kCRLF + kCRLF;
        case FaxLogCode::lcReceiveFail:
            return p + "failed at " + date + kCRLF + errorText + kCRLF + kCRLF;
        default:
            return {};
    }
}

void CvFaxLog::UpdateLog(int logCode) {
    if (faxHistoryName.empty() || fax == nullptr) {
        return;
    }
    const std::string entry = HistoryEntry(*fax, logCode, Now());
    std::ofstream file(faxHistoryName, std::ios::binary | std::ios::app);
    if (!file) {
        throw FaxError(FileErrorCode(errno));
    }
    file << entry;
    file.close();
    if (!file) {
        throw FaxError(FileErrorCode(errno == 0 ? EIO : errno));
    }
}

}  // namespace corvane::engine
