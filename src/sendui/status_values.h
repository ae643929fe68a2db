// What the send status window shows, computed from the running session:
// the texts of every value label, the page progress and the two timers
// (elapsed time from connection to the end of the call, and the countdown
// while the session waits to redial).
#pragma once

#include <cstdint>
#include <string>

#include "faxengine/ticks.h"

namespace corvane::engine {
class CvCustomSendFax;
}

namespace corvane::sendui {

struct StatusTexts {
    std::string phoneNumber;
    std::string totalPages;
    std::string dialAttempt;
    std::string remoteID;
    std::string connectBPS;
    std::string resolution;
    std::string width;
    std::string errorControl;
    std::string currentPage;
    std::string pageLength;
    std::string bytesTransferred;
    std::string elapsedTime;
    std::string statusMsg;
    int progress = 0;  // percent of the page
};

// Seconds as minutes (unpadded), ":" and two-digit seconds, right-aligned
// to six characters: 60 gives "  1:00".
std::string SixCharacterTime(std::uint32_t seconds);

class StatusTimers {
  public:
    // Starts or stops the timers by the progress code, at the given tick.
    void Update(int progress, std::uint32_t nowTick, std::uint32_t retryWaitSeconds);
    bool ElapsedRunning() const { return elapsedRunning_; }
    bool CountdownRunning() const { return countdownRunning_; }
    // "00:00" while the elapsed timer is not running.
    std::string ElapsedText(std::uint32_t nowTick) const;
    std::string CountdownText(std::uint32_t nowTick) const;

  private:
    engine::TickTimer elapsed_;
    engine::TickTimer countdown_;
    bool elapsedRunning_ = false;
    bool countdownRunning_ = false;
};

// One refresh: the timers follow the session's progress code first.
StatusTexts RefreshStatus(const engine::CvCustomSendFax& fax, StatusTimers& timers,
                          std::uint32_t nowTick);

}  // namespace corvane::sendui
