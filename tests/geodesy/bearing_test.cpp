// Great-circle azimuth and distance, checked against independent formulas: the atan2 form of
// the forward azimuth and the haversine form of the central angle.
#include "geodesy/bearing.h"
#include "geodesy/locator.h"
#include "geodesy/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kestrav;

namespace {

double radians(double degrees) {
    return degrees * kPi / 180;
}

double haversine_km(double lat_a, double lon_a, double lat_b, double lon_b) {
    const double h = std::pow(std::sin(radians(lat_b - lat_a) / 2), 2) +
                     std::cos(radians(lat_a)) * std::cos(radians(lat_b)) *
                         std::pow(std::sin(radians(lon_b - lon_a) / 2), 2);
    return 2 * std::asin(std::sqrt(std::min(h, 1.0))) * 180 / kPi * kKmPerDegree;
}

double atan2_azimuth(double lat_a, double lon_a, double lat_b, double lon_b) {
    const double dl = radians(lon_b - lon_a);
    const double az =
        std::atan2(std::sin(dl) * std::cos(radians(lat_b)),
                   std::cos(radians(lat_a)) * std::sin(radians(lat_b)) -
                       std::sin(radians(lat_a)) * std::cos(radians(lat_b)) * std::cos(dl)) *
        180 / kPi;
    return az < 0 ? az + 360 : az;
}

// Angular difference that treats 0 and 360 as the same heading.
double heading_difference(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360);
    return std::min(d, 360 - d);
}

void expect_sane(const Bearing& b, const char* name) {
    EXPECT_TRUE(std::isfinite(b.azimuth) && std::isfinite(b.distance_km)) << name;
    EXPECT_GE(b.azimuth, 0) << name;
    EXPECT_LE(b.azimuth, 360) << name;
    EXPECT_GE(b.distance_km, 0) << name;
    EXPECT_LE(b.distance_km, kCircumferenceKm / 2 + 1e-6) << name;
}

TEST(Bearing, FromParisShortAndLongPath) {
    set_decimal_separator(QLatin1Char('.'));
    const SignedPosition home = locator_to_position(u"JN18EU");
    const struct {
        double latitude;
        double longitude;
        const char* azimuth;
        const char* long_path;
    } rows[] = {
        {35.83, 14.58, "141.0", "321.0"}, {38, -97, "302.8", "122.8"},
        {36, 138, "34.5", "214.5"},       {-41, 174, "40.1", "220.1"},
        {20, -157.75, "340.3", "160.3"},  {-10, 20, "160.0", "340.0"},
        {70, -30, "335.4", "155.4"},      {-34, -58.5, "227.2", "47.2"},
    };
    for (const auto& row : rows) {
        const Bearing shortest =
            great_circle_bearing(home.latitude, home.longitude, row.latitude, row.longitude);
        EXPECT_EQ(format_fixed(shortest.azimuth, 1, 5), QLatin1String(row.azimuth)) << row.azimuth;
        const double km = haversine_km(home.latitude, home.longitude, row.latitude, row.longitude);
        EXPECT_NEAR(shortest.distance_km, km, 1e-6) << row.azimuth;

        const Bearing longest = long_path(shortest);
        EXPECT_EQ(format_fixed(longest.azimuth, 1, 5), QLatin1String(row.long_path)) << row.azimuth;
        EXPECT_NEAR(longest.distance_km, 40003.2 - km, 1e-6) << row.azimuth;
    }
}

TEST(Bearing, AgreesWithAtan2FormOnRandomPairs) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> latitude(-89, 89), longitude(-180, 180);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        const double la = latitude(rng), oa = longitude(rng), lb = latitude(rng),
                     ob = longitude(rng);
        const Bearing b = great_circle_bearing(la, oa, lb, ob);
        ASSERT_NEAR(b.distance_km, haversine_km(la, oa, lb, ob), 1e-6);
        // The half-angle form loses digits within about 100 km of the same point or of its
        // antipode (0.001 degree at 1 km); the hard places below cover those.
        if (b.distance_km < 100 || b.distance_km > kCircumferenceKm / 2 - 100)
            continue;
        ++compared;
        ASSERT_LT(heading_difference(b.azimuth, atan2_azimuth(la, oa, lb, ob)), 1e-6)
            << la << ' ' << oa << " to " << lb << ' ' << ob;
    }
    EXPECT_GT(compared, 19000);
}

TEST(Bearing, HardPlaces) {
    const struct {
        const char* name;
        double lat_a, lon_a, lat_b, lon_b;
        double azimuth;  // expected heading, or -1 when the heading is undetermined
        double distance; // expected km
    } rows[] = {
        {"coincident", 48.85, 2.37, 48.85, 2.37, 0, 0},
        {"coincident where the cosine rounds past 1", -88.96283, 2.37, -88.96283, 2.37, 0, 0},
        {"under a metre apart", 48.85, 2.37, 48.85 + 1e-6, 2.37, 0, 1e-6 * kKmPerDegree},
        {"two metres north", 48, 2, 48.00002, 2, 0, 0.00002 * kKmPerDegree},
        {"eastwards across the date line", 0, 179, 0, -179, 90, 2 * kKmPerDegree},
        {"westwards across the date line", 0, -179, 0, 179, 270, 2 * kKmPerDegree},
        {"180 west to 180 east", 0, -180, 10, 180, 0, 10 * kKmPerDegree},
        {"to the north pole", 48.85, 2.37, 90, 0, 0, (90 - 48.85) * kKmPerDegree},
        {"to the south pole", 48.85, 2.37, -90, 0, 180, (90 + 48.85) * kKmPerDegree},
        {"from the locator limit", 89.99, 10, 0, 10, 180, 89.99 * kKmPerDegree},
        {"sideways from the locator limit", 89.99, 10, 0, -50, 240,
         haversine_km(89.99, 10, 0, -50)},
        {"from the pole", 90, 10, 0, -50, -1, 90 * kKmPerDegree},
        {"from the south pole", -90, 0, 10, 20, -1, 100 * kKmPerDegree},
        {"antipodes", 10, 20, -10, -160, -1, kCircumferenceKm / 2},
        {"antipodes on the equator", 0, 0, 0, 180, -1, kCircumferenceKm / 2},
        {"one km north", 30, 40, 30 + 1 / kKmPerDegree, 40, 0, 1},
        {"nearly antipodal", 30, 40, -30.01, -140, -1, haversine_km(30, 40, -30.01, -140)},
        {"pole to pole", 90, 0, -90, 0, -1, kCircumferenceKm / 2},
    };
    for (const auto& row : rows) {
        const Bearing b = great_circle_bearing(row.lat_a, row.lon_a, row.lat_b, row.lon_b);
        expect_sane(b, row.name);
        EXPECT_NEAR(b.distance_km, row.distance, 1e-3) << row.name;
        if (row.azimuth >= 0) {
            // The half-angle form is good to a few degrees within metres and to a hundredth of
            // a degree within a kilometre of the same point.
            const double tolerance = row.distance < 0.01 ? 5 : row.distance < 10 ? 0.01 : 1e-4;
            EXPECT_LT(heading_difference(b.azimuth, row.azimuth), tolerance)
                << row.name << ": " << b.azimuth;
        }
    }
    // Half way round in longitude the path runs over the pole; at a difference of exactly -180
    // degrees the heading stays on the east side: 0, not 360.
    EXPECT_LT(great_circle_bearing(40, 90, 10, -90).azimuth, 1);
    const Bearing undefined = great_circle_bearing(std::nan(""), 0, 10, 10);
    EXPECT_EQ(undefined.azimuth, 0);
    EXPECT_EQ(undefined.distance_km, 0);
}

// Rounding pushes the cosine of the central angle just past 1 or -1 at scattered latitudes;
// a sweep finds them without naming one.
TEST(Bearing, CoincidentAndAntipodalSweep) {
    for (int i = -9000; i <= 9000; ++i) {
        const double latitude = i / 100.0, longitude = i % 360 - 179.5;
        const Bearing same = great_circle_bearing(latitude, longitude, latitude, longitude);
        ASSERT_EQ(same.azimuth, 0) << latitude;
        // The cosine form leaves about 0.1 m of noise, well under the coincidence threshold.
        ASSERT_LT(same.distance_km, kCoincidenceKm) << latitude;
        const Bearing opposite =
            great_circle_bearing(latitude, longitude, -latitude, longitude + 180);
        expect_sane(opposite, "antipode");
        ASSERT_NEAR(opposite.distance_km, kCircumferenceKm / 2, 1e-3) << latitude;
    }
}

TEST(Bearing, ReverseHeading) {
    const struct {
        double azimuth, reversed;
    } rows[] = {{0, 180}, {179.9, 359.9}, {180, 0}, {359.9, 179.9}, {360, 180}, {90, 270}};
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(reverse_azimuth(row.azimuth), row.reversed) << row.azimuth;
    const Bearing longest = long_path({141, 1000});
    EXPECT_DOUBLE_EQ(longest.azimuth, 321);
    EXPECT_DOUBLE_EQ(longest.distance_km, 39003.2);
}

} // namespace
