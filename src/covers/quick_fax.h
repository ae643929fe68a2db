// New, Add Cover and Edit on a row with a cover: the cover editor, then
// the cover drawn, the outgoing row written and the cover data file saved.
#pragma once

#include <string>

#include "covers/files/cover_values.h"

namespace corvane::app {
class MainScreen;
struct FaxSettings;
}  // namespace corvane::app

namespace corvane::covers {

// isNew: a stand-alone cover on a new row; otherwise the current row's
// cover is added or edited.
void EditAddQuickFax(app::MainScreen& screen, bool isNew);

// Date and time now in the system's long formats, sender values from the
// settings; the rest is the editor's.
void FillSenderAndTime(const app::FaxSettings& settings, CoverValues& values);

}  // namespace corvane::covers
