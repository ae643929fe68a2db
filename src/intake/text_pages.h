// Plain UTF-8 text laid out on fax pages: a monospace font of 10 points on
// 12-point lines, margins of half an inch above and below and three
// quarters at the sides, long lines wrapped (at a space when there is one),
// tabs every eight columns, a form feed starting a new page.
#pragma once

#include <QStringList>
#include <vector>

#include "document_pages.h"

namespace corvane::intake {

// True when the bytes can be text: no NUL among them.
bool LooksLikeText(const QByteArray& head);

// Lines of text on pages of lines; never an empty list of pages for text
// that has a visible character.
std::vector<QStringList> LayOutText(const QString& text, int columns, int linesPerPage);

std::unique_ptr<DocumentPages> OpenText(const QString& path);

}  // namespace corvane::intake
