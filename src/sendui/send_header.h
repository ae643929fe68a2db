// The header line stamped at the top of every sent page. The engine
// replaces $P, $N and $I with the page number, the page count and the
// station identifier.
#pragma once

#include <QDateTime>
#include <string>

namespace corvane::sendui {

// "Page $P of $N, Sent by NAME, $I  on 9 Dec 2026 at 02:05pm": "by "
// when name and station together are not blank, the name and "," when the
// name is set, " $I " when the station is set.
std::string BuildHeader(const std::string& name, const std::string& station, const QDateTime& now);

// "hh:mmam": twelve-hour clock, 00:30 reads 12:30am.
std::string TwelveHourTime(const QTime& time);

}  // namespace corvane::sendui
