// Pictures through Qt's image readers (PNG, JPEG, TIFF, BMP, PBM and the
// rest Qt reads), one page per picture of the file. A one-bit picture
// 1728 or 2048 pixels wide is a fax page already and is kept pixel for
// pixel at its own resolution; others keep their physical size.
#pragma once

#include "document_pages.h"

namespace corvane::intake {

// True when Qt recognises the file's content as a picture.
bool IsPicture(const QString& path);
std::unique_ptr<DocumentPages> OpenPictures(const QString& path);

}  // namespace corvane::intake
