// PDF documents through poppler: each page rendered at fax resolution and
// its true size, landscape pages turned.
#pragma once

#include "document_pages.h"

namespace corvane::intake {

// shownName names the document in messages (a PostScript file's name when
// the PDF was made from it).
std::unique_ptr<DocumentPages> OpenPdf(const QString& path, const QString& shownName);

}  // namespace corvane::intake
