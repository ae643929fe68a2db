// Progress codes of a running session and the log codes of the history,
// with the texts a status display shows.
#pragma once

#include <string_view>

namespace corvane::engine {

// FaxProgress values the engine sets.
inline constexpr int kProgressInitializing = 1;
inline constexpr int kProgressDialing = 2;
inline constexpr int kProgressBusyWait = 3;
inline constexpr int kProgressSendingPage = 4;
inline constexpr int kProgressSendingEOP = 5;
inline constexpr int kProgressPageError = 6;
inline constexpr int kProgressPageAccepted = 7;
inline constexpr int kProgressWaitingForCall = 20;
inline constexpr int kProgressNoConnect = 21;
inline constexpr int kProgressAnswering = 22;
inline constexpr int kProgressCallIsFax = 23;
inline constexpr int kProgressGettingPage = 24;
inline constexpr int kProgressGettingPageEnd = 25;
inline constexpr int kProgressGettingDocumentEnd = 26;
inline constexpr int kProgressGettingHangup = 27;
inline constexpr int kProgressGotHangup = 28;
inline constexpr int kProgressConnectionParams = 40;
inline constexpr int kProgressGotRemoteID = 41;
inline constexpr int kProgressUserAbort = 42;
inline constexpr int kProgressFinished = 43;

// The text of a progress code; empty for a code without one.
std::string_view ProgressText(int code);

enum class FaxLogCode {
    lcTransmitStart = 1,
    lcTransmitOK = 2,
    lcTransmitFail = 3,
    lcReceiveStart = 4,
    lcReceiveOK = 5,
    lcReceiveSkip = 6,
    lcReceiveFail = 7,
};

// "lcTransmitStart" ...; empty for a value outside the table.
std::string_view LogCodeName(int code);

}  // namespace corvane::engine
