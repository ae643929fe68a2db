// Change Sender Info of the cover editor: the sender details a cover shows
// (name, company, fax and voice numbers), saved to "CV.INI" on OK.
#pragma once

#include "app/fax_settings.h"

class QWidget;

namespace corvane::covers {

// True when the user accepted and the settings were saved.
bool EditSenderInfo(QWidget* parent, app::FaxSettings& settings);

}  // namespace corvane::covers
