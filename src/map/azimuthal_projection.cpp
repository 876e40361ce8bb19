#include "map/azimuthal_projection.h"

#include "geodesy/bearing.h"

#include <algorithm>
#include <cmath>

namespace kestrav {

namespace {

constexpr double kDegree = kPi / 180;
// Closer than this (in radians of arc, about 0.6 mm on the Earth) two directions count as
// one: the great circle through them, or through a station and its antipode, is undetermined.
constexpr double kSameDirection = 1e-10;

double dot(EarthVector a, EarthVector b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

EarthVector scaled(EarthVector a, double f) {
    return {a.x * f, a.y * f, a.z * f};
}

EarthVector sum(EarthVector a, EarthVector b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

double length(EarthVector a) {
    return std::sqrt(dot(a, a));
}

// Local north at a position; at a pole, the direction of its meridian's continuation.
EarthVector north_at(GeoPoint p) {
    const double phi = p.latitude * kDegree;
    const double lambda = p.longitude * kDegree;
    return {-std::sin(phi) * std::cos(lambda), -std::sin(phi) * std::sin(lambda), std::cos(phi)};
}

} // namespace

EarthVector to_vector(GeoPoint p) {
    const double phi = p.latitude * kDegree;
    const double lambda = p.longitude * kDegree;
    return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

GeoPoint to_geo(EarthVector v) {
    return {std::atan2(v.z, std::hypot(v.x, v.y)) / kDegree, std::atan2(v.y, v.x) / kDegree};
}

AzimuthalProjection::AzimuthalProjection(GeoPoint centre)
    : centre_(centre), up_(to_vector(centre)), north_(north_at(centre)) {
    const double lambda = centre.longitude * kDegree;
    east_ = {-std::sin(lambda), std::cos(lambda), 0};
}

MapPoint AzimuthalProjection::forward_vector(EarthVector v) const {
    const double e = dot(v, east_);
    const double n = dot(v, north_);
    const double s = std::hypot(e, n);
    const double c = std::atan2(s, dot(v, up_)); // central angle, 0 to pi
    if (s < kSameDirection)
        return c < kPi / 2 ? MapPoint{0, 0} : MapPoint{0, 1};
    const double r = c / kPi;
    return {e / s * r, n / s * r};
}

bool AzimuthalProjection::inverse(MapPoint m, GeoPoint& p) const {
    const double r = std::hypot(m.x, m.y);
    if (!(r <= 1))
        return false;
    if (r == 0) {
        p = centre_;
        return true;
    }
    const double c = r * kPi;
    const EarthVector along = sum(scaled(east_, m.x / r), scaled(north_, m.y / r));
    p = to_geo(sum(scaled(up_, std::cos(c)), scaled(along, std::sin(c))));
    return true;
}

double map_azimuth(MapPoint m) {
    if (m.x == 0 && m.y == 0)
        return 0;
    double a = std::atan2(m.x, m.y) / kDegree;
    if (a < 0)
        a += 360;
    // A heading a hair west of north would round up to 360.
    return a < 360 ? a : 0;
}

double map_radius(MapPoint m) {
    return std::hypot(m.x, m.y);
}

MapPoint map_point(double azimuth, double radius) {
    return {radius * std::sin(azimuth * kDegree), radius * std::cos(azimuth * kDegree)};
}

std::vector<GeoPoint> great_circle_path(GeoPoint from, GeoPoint to, bool long_path,
                                        double step_degrees) {
    const EarthVector a = to_vector(from);
    const EarthVector b = to_vector(to);
    // The unit tangent at `from` pointing along the short path toward `to`.
    EarthVector t = sum(b, scaled(a, -dot(a, b)));
    const double t_length = length(t);
    const double d = std::atan2(t_length, dot(a, b));
    if (t_length < kSameDirection) {
        // No great circle is determined: the azimuth is then 0, and its reverse for the long
        // path.
        t = north_at(from);
        if (d < kPi / 2 && !long_path)
            return {from, to};
    } else {
        t = scaled(t, 1 / t_length);
    }
    if (long_path)
        t = scaled(t, -1);
    const double span = long_path ? 2 * kPi - d : d;
    const int steps =
        std::max(1, static_cast<int>(std::ceil(span / (std::max(step_degrees, 0.01) * kDegree))));
    std::vector<GeoPoint> points;
    points.reserve(static_cast<std::size_t>(steps) + 1);
    points.push_back(from);
    for (int i = 1; i < steps; ++i) {
        const double theta = span * i / steps;
        points.push_back(to_geo(sum(scaled(a, std::cos(theta)), scaled(t, std::sin(theta)))));
    }
    points.push_back(to);
    return points;
}

std::vector<std::vector<MapPoint>> split_at_rim(const std::vector<MapPoint>& line, double jump) {
    // A point on the rim itself is the antipode, whose direction tells nothing; each side is
    // carried out to the rim along its own heading instead.
    constexpr double kOnRim = 1 - 1e-9;
    std::vector<std::vector<MapPoint>> pieces;
    std::vector<MapPoint> piece;
    for (const MapPoint& p : line) {
        if (map_radius(p) > kOnRim)
            continue;
        if (!piece.empty() && std::hypot(p.x - piece.back().x, p.y - piece.back().y) > jump) {
            piece.push_back(map_point(map_azimuth(piece.back()), 1));
            pieces.push_back(std::move(piece));
            piece = {map_point(map_azimuth(p), 1)};
        }
        piece.push_back(p);
    }
    if (!piece.empty())
        pieces.push_back(std::move(piece));
    return pieces;
}

std::vector<DistanceRing> distance_rings(bool miles) {
    const int step = miles ? 2500 : 5000;
    const double km_per_unit = miles ? 1.609 : 1;
    const double antipode_km = kCircumferenceKm / 2;
    std::vector<DistanceRing> rings;
    for (int distance = step;; distance += step) {
        const double radius = distance * km_per_unit / antipode_km;
        if (radius > 0.99)
            break;
        rings.push_back({radius, distance});
    }
    return rings;
}

} // namespace kestrav
