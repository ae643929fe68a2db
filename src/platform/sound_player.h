// Plays a sound file once, without waiting for it to end. A missing file,
// no sound device or no sound server is silent and never an error: the
// sound only tells that something happened.
#pragma once

#include <string>

namespace corvane::platform {

// False when nothing was started (no file, no sound system).
bool PlaySoundFile(const std::string& path);

}  // namespace corvane::platform
