#include "send_header.h"

#include <QLocale>
#include <cstdio>

#include "app/text_utils.h"

namespace corvane::sendui {

std::string TwelveHourTime(const QTime& time) {
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d%s", hour, time.minute(),
                  time.hour() < 12 ? "am" : "pm");
    return text;
}

std::string BuildHeader(const std::string& name, const std::string& station, const QDateTime& now) {
    std::string header = "Page $P of $N, Sent ";
    if (!app::TrimSpaces(name + station).empty())
        header += "by ";
    if (!name.empty())
        header += name + ",";
    if (!station.empty())
        header += " $I ";
    header += " on " + QLocale().toString(now.date(), QStringLiteral("d MMM yyyy")).toStdString();
    header += " at " + TwelveHourTime(now.time());
    return header;
}

}  // namespace corvane::sendui
