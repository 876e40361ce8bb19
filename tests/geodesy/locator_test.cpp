// Locator to position and back: the documented examples, the range edges and a round trip
// over random locators.
#include "geodesy/locator.h"
#include "geodesy/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace kestrav;

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

QString shown(double signed_degrees) {
    set_decimal_separator(QLatin1Char('.'));
    return format_fixed(std::fabs(signed_degrees), 3, 7) + (signed_degrees >= 0 ? "+" : "-");
}

TEST(Locator, CentreOfSubsquare) {
    const struct {
        const char* locator;
        const char* latitude; // magnitude as shown, then the hemisphere sign
        const char* longitude;
    } rows[] = {
        {"JN18EU", "48.854+", "2.375+"},   {"AA00AA", "89.979-", "179.958-"},
        {"RR99XX", "89.979+", "179.958+"}, {"JJ00AA", "0.021+", "0.042+"},
        {"II99XX", "0.021-", "0.042-"},
    };
    for (const auto& row : rows) {
        const SignedPosition p = locator_to_position(QString::fromLatin1(row.locator));
        EXPECT_EQ(shown(p.latitude), QLatin1String(row.latitude)) << row.locator;
        EXPECT_EQ(shown(p.longitude), QLatin1String(row.longitude)) << row.locator;
    }
    EXPECT_NEAR(locator_to_position(u"JN18EU").latitude, 48.854166666, 1e-8);
    const SignedPosition short_text = locator_to_position(u"JN18");
    EXPECT_EQ(short_text.latitude, 0);
    EXPECT_EQ(short_text.longitude, 0);
}

TEST(Locator, FromPositionAndRangeEdges) {
    const struct {
        const char* name;
        double latitude;
        bool north;
        double longitude;
        bool east;
        const char* expected; // "" = out of range
    } rows[] = {
        {"origin", 0, true, 0, true, "JJ00AA"},
        {"Malta", 35.83, true, 14.58, true, "JM75GT"},
        {"south west", 45.5, false, 73.6, false, "FE34EM"},
        {"Paris", 48.854, true, 2.375, true, "JN18EU"},
        {"latitude limit north", 89.99, true, 10, true, "JR"},
        {"latitude limit south", 89.99, false, 10, true, "JA"},
        {"latitude over limit", 89.995, true, 10, true, ""},
        {"pole", 90, true, 10, true, ""},
        {"180 west", 0, true, 180, false, "AJ00AA"},
        {"180 east", 0, true, 180, true, ""},
        {"just below 180 east", 0, true, std::nextafter(180.0, 0.0), true, "RJ9"},
        {"over 180 west", 0, true, 180.0001, false, ""},
        {"negative latitude", -1, true, 10, true, ""},
        {"negative longitude", 10, true, -0.1, false, ""},
        {"NaN latitude", kNan, true, 10, true, ""},
        {"NaN longitude", 10, true, kNan, false, ""},
        {"infinite longitude", 10, true, std::numeric_limits<double>::infinity(), false, ""},
    };
    for (const auto& row : rows) {
        const QString locator =
            position_to_locator(row.latitude, row.north, row.longitude, row.east);
        const QString expected = QLatin1String(row.expected);
        if (expected.isEmpty()) {
            EXPECT_TRUE(locator.isEmpty()) << row.name;
            continue;
        }
        EXPECT_TRUE(locator.startsWith(expected)) << row.name << ": " << locator.toStdString();
        ASSERT_EQ(locator.size(), 6) << row.name;
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(locator_char_fits(i + 1, locator[i]))
                << row.name << ": " << locator.toStdString();
    }
}

TEST(Locator, RoundTripThroughSubsquareCentre) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> field(0, 17), square(0, 9), subsquare(0, 23);
    for (int i = 0; i < 20000; ++i) {
        QString locator(6, Qt::Uninitialized);
        locator[0] = QLatin1Char(static_cast<char>('A' + field(rng)));
        locator[1] = QLatin1Char(static_cast<char>('A' + field(rng)));
        locator[2] = QLatin1Char(static_cast<char>('0' + square(rng)));
        locator[3] = QLatin1Char(static_cast<char>('0' + square(rng)));
        locator[4] = QLatin1Char(static_cast<char>('A' + subsquare(rng)));
        locator[5] = QLatin1Char(static_cast<char>('A' + subsquare(rng)));
        const SignedPosition p = locator_to_position(locator);
        ASSERT_EQ(position_to_locator(std::fabs(p.latitude), p.latitude >= 0,
                                      std::fabs(p.longitude), p.longitude >= 0),
                  locator);
    }
}

TEST(Locator, CharacterClasses) {
    const struct {
        int position;
        char c;
        bool fits;
    } rows[] = {
        {1, 'A', true},  {1, 'R', true},  {1, 'S', false}, {1, 'a', false}, {2, 'R', true},
        {2, '5', false}, {3, '0', true},  {3, '9', true},  {3, 'A', false}, {4, '/', false},
        {4, ':', false}, {5, 'X', true},  {5, 'Y', false}, {5, '@', false}, {6, 'x', false},
        {6, 'A', true},  {0, 'A', false}, {7, 'A', false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(locator_char_fits(row.position, QLatin1Char(row.c)), row.fits)
            << row.position << row.c;
}

} // namespace
