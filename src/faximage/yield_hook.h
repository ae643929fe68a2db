// "Process one pending window message" for long file work. The platform
// layer installs a hook that handles one queued event and reports whether
// it was a quit request (re-posting it); without one, nothing happens.
#pragma once

#include <functional>

namespace corvane::faximage {

using YieldHook = std::function<bool()>;  // returns true when a quit was seen

// Installs hook (an empty one restores the default no-op); returns the old one.
YieldHook SetYieldHook(YieldHook hook);
// Runs the hook once; true when the caller should end with ecGotQuitMsg.
bool ProcessOnePendingMessage();

}  // namespace corvane::faximage
