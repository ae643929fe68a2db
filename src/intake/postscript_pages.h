// PostScript documents: Ghostscript turns them into PDF in a private
// temporary directory, then they are read as PDF.
#pragma once

#include "document_pages.h"

namespace corvane::intake {

// progress is asked (0, 0) while Ghostscript runs, so it can cancel it.
// Returns nullptr when cancelled.
std::unique_ptr<DocumentPages> OpenPostScript(const QString& path, const ProgressHandler& progress);

}  // namespace corvane::intake
