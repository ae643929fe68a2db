#include "status_values.h"

#include <cmath>
#include <cstdio>

#include "faxengine/fax_components.h"
#include "faxengine/fax_progress.h"

namespace corvane::sendui {

std::string SixCharacterTime(std::uint32_t seconds) {
    char text[24];
    std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    char padded[24];
    std::snprintf(padded, sizeof padded, "%6s", text);
    return padded;
}

void StatusTimers::Update(int progress, std::uint32_t nowTick, std::uint32_t retryWaitSeconds) {
    using namespace engine;
    if (!elapsedRunning_ &&
        (progress == kProgressGotRemoteID || progress == kProgressConnectionParams)) {
        elapsed_ = {nowTick, nowTick};
        elapsedRunning_ = true;
    }
    if (progress == kProgressFinished || progress == kProgressUserAbort ||
        progress == kProgressGotHangup) {
        elapsedRunning_ = false;
    }
    if (!countdownRunning_ && progress == kProgressBusyWait) {
        countdown_ = {nowTick, nowTick + SecondsToTicks(retryWaitSeconds)};
        countdownRunning_ = true;
    } else if (countdownRunning_ && progress != kProgressBusyWait) {
        countdownRunning_ = false;
    }
}

std::string StatusTimers::ElapsedText(std::uint32_t nowTick) const {
    if (!elapsedRunning_)
        return "00:00";
    return SixCharacterTime(engine::TicksToSeconds(engine::ElapsedTicks(elapsed_, nowTick)));
}

std::string StatusTimers::CountdownText(std::uint32_t nowTick) const {
    const std::uint32_t interval = countdown_.expireTick - countdown_.startTick;
    const std::uint32_t passed = engine::ElapsedTicks(countdown_, nowTick);
    return SixCharacterTime(engine::TicksToSeconds(passed < interval ? interval - passed : 0));
}

StatusTexts RefreshStatus(const engine::CvCustomSendFax& fax, StatusTimers& timers,
                          std::uint32_t nowTick) {
    const int progress = fax.FaxProgress();
    timers.Update(progress, nowTick, fax.DialRetryWait());
    StatusTexts texts;
    texts.phoneNumber = fax.phoneNumber;
    texts.dialAttempt = std::to_string(fax.DialAttempt());
    texts.totalPages = std::to_string(fax.TotalPages());
    texts.remoteID = fax.RemoteID();
    texts.connectBPS = std::to_string(fax.SessionBPS());
    texts.resolution = fax.SessionResolution() ? "high" : "standard";
    texts.width = fax.SessionWidth() ? "2048" : "1728";
    texts.errorControl = fax.SessionECM() ? "on" : "off";
    const int page = fax.CurrentPage();
    texts.currentPage = page == 0 ? "<cover page>" : std::to_string(page);
    texts.pageLength = std::to_string(fax.PageLength());
    texts.bytesTransferred = std::to_string(fax.BytesTransferred());
    texts.elapsedTime = timers.ElapsedText(nowTick);
    texts.statusMsg = std::string(engine::ProgressText(progress));
    if (progress == engine::kProgressBusyWait)
        texts.statusMsg += timers.CountdownText(nowTick);
    if (fax.PageLength() != 0) {
        texts.progress = static_cast<int>(
            std::lround(static_cast<double>(fax.BytesTransferred()) / fax.PageLength() * 100.0));
    }
    return texts;
}

}  // namespace corvane::sendui
