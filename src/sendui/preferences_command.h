// Opening Preferences from the program: the main window's command (every
// setting) and the cover editor's "Change Sender Info" (the sender and
// dialing values). Both fill the dialog from the settings, show it, and
// on Accept update the record and write "CV.INI".
#pragma once

#include "app/fax_settings.h"

class QWidget;

namespace corvane::sendui {

class Preferences;

// True when accepted (and saved). firstRunNotice: no port was ever chosen.
bool EditPreferences(app::FaxSettings& settings, bool firstRunNotice, QWidget* parent);
bool ChangeSenderInfo(app::FaxSettings& settings, QWidget* parent);

// The controls from the record and back. ReadPreferences expects the
// number boxes to hold numbers (Accept makes sure of it); a box that does
// not keeps its setting.
void FillPreferences(Preferences& dialog, const app::FaxSettings& settings);
void ReadPreferences(const Preferences& dialog, app::FaxSettings& settings);
// The twelve values "Change Sender Info" fills and reads.
void FillSenderInfo(Preferences& dialog, const app::FaxSettings& settings);
void ReadSenderInfo(const Preferences& dialog, app::FaxSettings& settings);

}  // namespace corvane::sendui
