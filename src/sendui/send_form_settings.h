// The send dialog's controls from the settings record and back, as the
// Send command hands them over and takes them back.
#pragma once

#include "app/fax_settings.h"

namespace corvane::sendui {

class SendFaxForm;

void FillSendForm(SendFaxForm& form, const app::FaxSettings& settings);
// Count boxes that do not hold a decimal integer leave their setting as
// it was.
void ReadSendForm(const SendFaxForm& form, app::FaxSettings& settings);

}  // namespace corvane::sendui
