// Any document Corvane takes in (PDF, PostScript, pictures, plain UTF-8
// text) into one fax file of fine-resolution 1728-pixel pages, one fax page
// per document page. The kind is found from the content, not the name.
#pragma once

#include <QString>
#include <string>

#include "document_pages.h"

namespace corvane::intake {

struct ConversionResult {
    enum Status { Done, Cancelled, Failed };
    Status status = Failed;
    int pages = 0;
    QString message;  // for Failed: what went wrong, for the user
};

// Writes faxFile under a temporary name and renames it when complete; on
// failure or cancel no file is left.
ConversionResult ConvertDocument(const QString& document, const std::string& faxFile,
                                 const ProgressHandler& progress = {});

}  // namespace corvane::intake
