// The Preferences command of the main window, also opened by itself on a
// first run when no port was ever chosen.
#include "main_screen.h"
#include "sendui/preferences_command.h"

namespace corvane::app {

void MainScreen::PreferencesClick() {
    const bool firstRunNotice = portUnset_;
    portUnset_ = false;
    sendui::EditPreferences(settings_, firstRunNotice, this);
}

}  // namespace corvane::app
