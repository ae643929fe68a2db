#include "faxengine/fax_progress.h"

#include <array>
#include <utility>

namespace corvane::engine {

namespace {

constexpr std::pair<int, std::string_view> kProgressTexts[] = {
    {kProgressInitializing, "Initializing modem for fax processing"},
    {kProgressDialing, "Dialing"},
    {kProgressBusyWait, "Busy, waiting until redial..."},
    {kProgressSendingPage, "Sending page data"},
    {kProgressSendingEOP, "Sending EOP"},
    {kProgressPageError, "Error sending page"},
    {kProgressPageAccepted, "Page accepted by remote"},
    {kProgressWaitingForCall, "Waiting for incoming call"},
    {kProgressNoConnect, "No connect on this call"},
    {kProgressAnswering, "Answering incoming call"},
    {kProgressCallIsFax, "Incoming call validated as fax"},
    {kProgressGettingPage, "Getting page data"},
    {kProgressGettingPageEnd, "Getting end-of-page signal"},
    {kProgressGettingDocumentEnd, "Getting end-of-document status"},
    {kProgressGettingHangup, "Getting hangup command"},
    {kProgressGotHangup, "Got Class 2 FHNG code"},
    {kProgressConnectionParams, "Getting connection params"},
    {kProgressGotRemoteID, "Got called-station ID"},
    {kProgressUserAbort, "User abort"},
    {kProgressFinished, "Finished"},
};

constexpr std::array<std::string_view, 8> kLogCodeNames{
    "",
    "lcTransmitStart",
    "lcTransmitOK",
    "lcTransmitFail",
    "lcReceiveStart",
    "lcReceiveOK",
    "lcReceiveSkip",
    "lcReceiveFail",
};

}  // namespace

std::string_view ProgressText(int code) {
    for (const auto& [entry, text] : kProgressTexts) {
        if (entry == code) {
            return text;
        }
    }
    return {};
}

std::string_view LogCodeName(int code) {
    return code >= 1 && code < static_cast<int>(kLogCodeNames.size()) ? kLogCodeNames[code]
                                                                      : std::string_view{};
}

}  // namespace corvane::engine
