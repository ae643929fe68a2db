// The compiled-in icons and help pages of the program.
#pragma once

namespace corvane::app {

// Call once after the application object exists.
void InitResources();

}  // namespace corvane::app
