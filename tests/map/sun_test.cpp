// The Sun's position, the light it gives and its rising and setting, against a table computed
// once with PyEphem (Debian's python3-ephem 4.1.4, arc-second accuracy), by
//   /usr/bin/python3 tests/map/sun_table.py
// Rising and setting are the Sun's centre at -0:50 without refraction (pressure 0), the
// rising before and the setting after 12:00 UTC less the longitude's hours.

#include "map/sun.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrav;

namespace {

QDateTime utc(const char* text) {
    QDateTime t = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    t.setTimeSpec(Qt::UTC);
    return t;
}

TEST(Sun, PositionAgainstTheReference) {
    const struct {
        const char* utc;
        double declination;        // degrees
        double equation_of_time;   // minutes
        double subsolar_longitude; // degrees
    } rows[] = {
        {"1950-01-01T06:00:00", -23.0513, -3.359, 90.8396},
        {"2026-02-11T12:00:00", -13.9272, -14.175, 3.5438},
        {"2026-03-20T14:46:00", 0.0001, -7.403, -39.6493},
        {"2026-06-21T08:24:00", 23.4379, -1.784, 54.4461},
        {"2026-09-23T00:05:00", 0.0000, 7.453, 176.8868},
        {"2026-11-03T17:30:00", -15.2222, 16.446, -86.6114},
        {"2026-12-21T20:50:00", -23.4374, 1.752, -132.9381},
        {"2100-07-15T21:15:00", 21.3817, -6.233, -137.1919},
    };
    for (const auto& row : rows) {
        const SunPosition sun = sun_position(utc(row.utc));
        EXPECT_NEAR(sun.declination, row.declination, 0.1) << row.utc;
        EXPECT_NEAR(sun.subsolar.latitude, row.declination, 0.1) << row.utc;
        EXPECT_NEAR(sun.equation_of_time, row.equation_of_time, 0.5) << row.utc; // 30 s
        EXPECT_NEAR(sun.subsolar.longitude, row.subsolar_longitude, 0.125) << row.utc;
    }
}

TEST(Sun, RisingAndSettingAgainstTheReference) {
    const struct {
        double latitude, longitude;
        const char* date;
        const char* sunrise;
        const char* sunset;
        bool polar_day = false;
    } rows[] = {
        {48.854, 2.375, "1950-01-01", "1950-01-01T07:44:11", "1950-01-01T16:03:55"},
        {48.854, 2.375, "2026-06-21", "2026-06-21T03:46:52", "2026-06-21T19:57:45"},
        {35.680, 139.690, "2026-03-20", "2026-03-19T20:45:37", "2026-03-20T08:52:31"},
        {-33.870, 151.210, "2026-12-21", "2026-12-20T18:40:38", "2026-12-21T09:05:24"},
        {21.310, -157.860, "2026-09-23", "2026-09-23T16:20:35", "2026-09-24T04:26:25"},
        {21.310, -157.860, "2100-12-31", "2100-12-31T17:08:40", "2101-01-01T04:00:23"},
        {-77.850, 166.670, "2026-03-20", "2026-03-19T18:38:59", "2026-03-20T07:18:54"},
        {69.650, 18.960, "2026-06-21", "", "", true},
        {69.650, 18.960, "2026-12-21", "", "", false},
        {-77.850, 166.670, "2026-06-21", "", "", false},
    };
    for (const auto& row : rows) {
        const SunEvents events =
            sun_events({row.latitude, row.longitude},
                       QDate::fromString(QString::fromLatin1(row.date), Qt::ISODate));
        const QString where =
            QStringLiteral("%1 %2 %3").arg(row.latitude).arg(row.longitude).arg(row.date);
        if (*row.sunrise == '\0') {
            EXPECT_FALSE(events.sunrise) << qPrintable(where);
            EXPECT_FALSE(events.sunset) << qPrintable(where);
            EXPECT_EQ(events.polar_day, row.polar_day) << qPrintable(where);
            continue;
        }
        ASSERT_TRUE(events.sunrise && events.sunset) << qPrintable(where);
        EXPECT_LE(std::abs(events.sunrise->secsTo(utc(row.sunrise))), 120) << qPrintable(where);
        EXPECT_LE(std::abs(events.sunset->secsTo(utc(row.sunset))), 120) << qPrintable(where);
    }
}

} // namespace
