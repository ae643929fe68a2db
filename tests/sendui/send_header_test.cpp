#include <gtest/gtest.h>

#include <QLocale>

#include "sendui/send_header.h"

namespace corvane::sendui {
namespace {

struct HeaderCase {
    const char* name;
    const char* station;
    const char* expected;
};

TEST(BuildHeader, NameAndStationEachAddTheirPart) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const QDateTime at(QDate(2026, 12, 9), QTime(14, 5));
    const HeaderCase cases[] = {
        {"Ann Lee", "555 0100", "Page $P of $N, Sent by Ann Lee, $I  on 9 Dec 2026 at 02:05pm"},
        {"", "555 0100", "Page $P of $N, Sent by  $I  on 9 Dec 2026 at 02:05pm"},
        {"Ann Lee", "", "Page $P of $N, Sent by Ann Lee, on 9 Dec 2026 at 02:05pm"},
        {"", "", "Page $P of $N, Sent  on 9 Dec 2026 at 02:05pm"},
        // Blanks alone give no "by ", but an untrimmed name is still written.
        {"  ", "", "Page $P of $N, Sent   , on 9 Dec 2026 at 02:05pm"},
    };
    for (const HeaderCase& c : cases)
        EXPECT_EQ(BuildHeader(c.name, c.station, at), c.expected) << c.name << "|" << c.station;
}

TEST(BuildHeader, TwelveHourClock) {
    EXPECT_EQ(TwelveHourTime(QTime(0, 30)), "12:30am");
    EXPECT_EQ(TwelveHourTime(QTime(9, 7)), "09:07am");
    EXPECT_EQ(TwelveHourTime(QTime(12, 0)), "12:00pm");
    EXPECT_EQ(TwelveHourTime(QTime(23, 59)), "11:59pm");
}

}  // namespace
}  // namespace corvane::sendui
