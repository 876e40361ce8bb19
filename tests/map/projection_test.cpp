// The azimuthal equidistant projection around the own station, checked against the
// program's own bearing and distance, and the paths and rings drawn on it.

#include "geodesy/bearing.h"
#include "geodesy/locator.h"
#include "map/azimuthal_projection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kestrav;

namespace {

constexpr double kAntipodeKm = kCircumferenceKm / 2;

double heading_difference(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360);
    return std::min(d, 360 - d);
}

GeoPoint antipode(GeoPoint p) {
    return {-p.latitude, p.longitude > 0 ? p.longitude - 180 : p.longitude + 180};
}

GeoPoint paris() {
    const SignedPosition p = locator_to_position(u"JN18EU");
    return {p.latitude, p.longitude};
}

TEST(Projection, CentreAntipodeAndNorthUp) {
    const struct {
        const char* name;
        GeoPoint centre;
    } centres[] = {
        {"JN18EU", paris()},         {"equator on the date line", {0, 180}},
        {"south of NZ", {-47, 168}}, {"near the north pole", {89.9, -40}},
        {"Hawaii", {20, -157.75}},
    };
    for (const auto& row : centres) {
        const AzimuthalProjection projection(row.centre);
        const MapPoint c = projection.forward(row.centre);
        EXPECT_NEAR(c.x, 0, 1e-12) << row.name;
        EXPECT_NEAR(c.y, 0, 1e-12) << row.name;
        EXPECT_NEAR(map_radius(projection.forward(antipode(row.centre))), 1, 1e-9) << row.name;
        // A point just short of the antipode lies just inside the rim.
        GeoPoint near = antipode(row.centre);
        near.latitude += near.latitude > 0 ? -1 : 1;
        EXPECT_NEAR(map_radius(projection.forward(near)), 1 - 1.0 / 180, 1e-9) << row.name;
        if (row.centre.latitude < 80) {
            const MapPoint north =
                projection.forward({row.centre.latitude + 5, row.centre.longitude});
            EXPECT_NEAR(north.x, 0, 1e-12) << row.name;
            EXPECT_NEAR(north.y, 5.0 / 180, 1e-12) << row.name << ": due north is straight up";
            const MapPoint east =
                projection.forward({row.centre.latitude, row.centre.longitude + 0.01});
            EXPECT_GT(east.x, 0) << row.name << ": east is to the right";
        }
    }
}

// Every reference heading of the bearing computation, seen on the map from JN18EU.
TEST(Projection, DirectionAndRadiusAreTheBearingAndDistance) {
    const GeoPoint home = paris();
    const AzimuthalProjection projection(home);
    const GeoPoint dx[] = {{35.83, 14.58}, {38, -97},      {36, 138},  {-41, 174},
                           {20, -157.75},  {-10, 20},      {70, -30},  {-34, -58.5},
                           {-48.8, -177},  {48.9, 2.3751}, {0, 179.9}, {-89.9, 0}};
    for (const GeoPoint& p : dx) {
        const Bearing b =
            great_circle_bearing(home.latitude, home.longitude, p.latitude, p.longitude);
        const MapPoint m = projection.forward(p);
        EXPECT_LE(heading_difference(map_azimuth(m), b.azimuth), 0.1)
            << p.latitude << " " << p.longitude;
        EXPECT_NEAR(map_radius(m) * kAntipodeKm, b.distance_km, 1e-6)
            << p.latitude << " " << p.longitude;
    }
}

TEST(Projection, RandomPairsAgreeWithTheBearingBothWays) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> lat(-89.9, 89.9), lon(-180, 180);
    for (int i = 0; i < 2000; ++i) {
        const GeoPoint a{lat(rng), lon(rng)}, b{lat(rng), lon(rng)};
        const AzimuthalProjection projection(a);
        const MapPoint m = projection.forward(b);
        const Bearing ref = great_circle_bearing(a.latitude, a.longitude, b.latitude, b.longitude);
        // Within a few km of either station the azimuth rests on few digits; both sides are
        // exact elsewhere.
        if (ref.distance_km > 5 && ref.distance_km < kAntipodeKm - 5) {
            ASSERT_LE(heading_difference(map_azimuth(m), ref.azimuth), 0.1) << i;
        }
        GeoPoint back;
        ASSERT_TRUE(projection.inverse(m, back));
        ASSERT_NEAR(back.latitude, b.latitude, 1e-8) << i;
        ASSERT_LE(heading_difference(back.longitude, b.longitude), 1e-8) << i;
    }
}

TEST(Projection, InverseOfMapPoints) {
    const AzimuthalProjection projection(paris());
    GeoPoint p;
    ASSERT_TRUE(projection.inverse({0, 0}, p));
    EXPECT_DOUBLE_EQ(p.latitude, paris().latitude);
    ASSERT_TRUE(projection.inverse({0, 0.25}, p)); // 5000.4 km due north, over the pole
    EXPECT_NEAR(p.latitude, 90 - (45 - (90 - paris().latitude)), 1e-9);
    EXPECT_NEAR(p.longitude, paris().longitude - 180, 1e-9);
    ASSERT_TRUE(projection.inverse({-1, 0}, p)); // the rim is the antipode from any side
    EXPECT_NEAR(p.latitude, -paris().latitude, 1e-9);
    EXPECT_FALSE(projection.inverse({0.8, 0.61}, p)) << "beyond the rim";
}

TEST(GreatCirclePath, ShortPathIsAStraightLineFromTheCentre) {
    const GeoPoint home = paris(), japan{36, 138};
    const AzimuthalProjection projection(home);
    const std::vector<GeoPoint> path = great_circle_path(home, japan, false, 2);
    const Bearing b = great_circle_bearing(home.latitude, home.longitude, 36, 138);
    ASSERT_EQ(path.size(), static_cast<std::size_t>(std::ceil(b.distance_km / 111.12 / 2)) + 1);
    EXPECT_EQ(path.back().latitude, 36);
    double last_radius = -1;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const MapPoint m = projection.forward(path[i]);
        EXPECT_NEAR(map_azimuth(m), b.azimuth, 1e-6) << i;
        EXPECT_GT(map_radius(m), last_radius) << i;
        last_radius = map_radius(m);
    }
    EXPECT_NEAR(last_radius * kAntipodeKm, b.distance_km, 1e-6);
}

TEST(GreatCirclePath, LongPathCrossesTheRimAndComesBackOnTheOtherSide) {
    const GeoPoint home = paris(), japan{36, 138};
    const AzimuthalProjection projection(home);
    const Bearing lp = long_path(great_circle_bearing(home.latitude, home.longitude, 36, 138));
    std::vector<MapPoint> line;
    for (const GeoPoint& p : great_circle_path(home, japan, true, 2))
        line.push_back(projection.forward(p));
    const auto pieces = split_at_rim(line);
    ASSERT_EQ(pieces.size(), 2u);
    // Out along the long-path heading to the rim, then in from the rim along the short one.
    EXPECT_NEAR(map_radius(pieces[0].back()), 1, 1e-12);
    EXPECT_NEAR(map_azimuth(pieces[0].back()), lp.azimuth, 1e-6);
    EXPECT_NEAR(map_azimuth(pieces[0][1]), lp.azimuth, 1e-6);
    EXPECT_NEAR(map_radius(pieces[1].front()), 1, 1e-12);
    EXPECT_NEAR(map_azimuth(pieces[1].front()), reverse_azimuth(lp.azimuth), 1e-6);
    const MapPoint end = projection.forward(japan);
    EXPECT_NEAR(pieces[1].back().x, end.x, 1e-12);
    // Its length on the map: out to the rim and back in to the DX station.
    EXPECT_NEAR((2 - map_radius(end)) * kAntipodeKm, lp.distance_km, 1e-6);
}

TEST(GreatCirclePath, UndeterminedCirclesFollowTheAzimuthOfTheBearing) {
    const GeoPoint home = paris();
    const AzimuthalProjection projection(home);
    // Coincident stations: azimuth 0, so the long path sets out due south.
    EXPECT_EQ(great_circle_path(home, home, false).size(), 2u);
    const auto around = great_circle_path(home, home, true, 2);
    EXPECT_EQ(around.size(), 181u);
    EXPECT_NEAR(map_azimuth(projection.forward(around[1])), 180, 1e-6);
    // Antipodal stations: the short path due north, the long one due south, half the globe.
    const auto north = great_circle_path(home, antipode(home), false, 2);
    EXPECT_EQ(north.size(), 91u);
    EXPECT_NEAR(map_azimuth(projection.forward(north[1])), 0, 1e-6);
    const auto south = great_circle_path(home, antipode(home), true, 2);
    EXPECT_NEAR(map_azimuth(projection.forward(south[1])), 180, 1e-6);
}

TEST(DistanceRings, EveryFiveThousandKmOrTwoAndAHalfThousandMiles) {
    const auto km = distance_rings(false);
    ASSERT_EQ(km.size(), 3u) << "20,000 km lies within 1 % of the rim";
    for (std::size_t i = 0; i < km.size(); ++i) {
        EXPECT_EQ(km[i].distance, 5000 * static_cast<int>(i + 1));
        EXPECT_NEAR(km[i].radius * kAntipodeKm, km[i].distance, 1e-9);
    }
    const auto miles = distance_rings(true);
    ASSERT_EQ(miles.size(), 4u);
    EXPECT_EQ(miles.back().distance, 10000);
    EXPECT_NEAR(miles.back().radius * kAntipodeKm, 10000 * 1.609, 1e-9);
}

} // namespace
