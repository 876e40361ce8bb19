#pragma once
// The azimuthal equidistant projection centred on the own station: every straight line from
// the centre is a great circle, its direction is the beam heading and its length the
// distance. The whole Earth fills the unit disc; the antipode is the rim.

#include <vector>

namespace kestrav {

// Signed degrees, north and east positive.
struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
};

// A position on the map: x east, y north (up), radius 1 at the antipode.
struct MapPoint {
    double x = 0;
    double y = 0;
};

// A direction on the Earth: the unit vector from its centre through a position.
struct EarthVector {
    double x = 0;
    double y = 0;
    double z = 0;
};

EarthVector to_vector(GeoPoint p);
GeoPoint to_geo(EarthVector v); // longitude in -180 to 180

class AzimuthalProjection {
public:
    explicit AzimuthalProjection(GeoPoint centre);

    GeoPoint centre() const { return centre_; }
    // Where a position lies on the map. The centre itself gives (0, 0); the antipode, whose
    // direction is undetermined, gives the top of the rim.
    MapPoint forward(GeoPoint p) const { return forward_vector(to_vector(p)); }
    MapPoint forward_vector(EarthVector v) const;
    // The position at a point of the map; a point beyond the rim has none.
    bool inverse(MapPoint m, GeoPoint& p) const;
    // The centre's unit vector and the local east and north there.
    EarthVector up() const { return up_; }
    EarthVector east() const { return east_; }
    EarthVector north() const { return north_; }

private:
    GeoPoint centre_;
    EarthVector up_;    // the centre
    EarthVector east_;  // local east at the centre
    EarthVector north_; // local north at the centre
};

// Beam heading (0 to 360, clockwise from north) and radius (0 to 1) of a map point.
double map_azimuth(MapPoint m);
double map_radius(MapPoint m);
// The map point at a beam heading and a radius.
MapPoint map_point(double azimuth, double radius);

// Points along the great circle from `from` to `to`, every `step_degrees` of arc or closer,
// both ends included. The short path is the shorter arc; the long path leaves `from` the
// other way round and passes through the antipode of `from`. Coincident or antipodal
// stations have no determined great circle: the short path is then the two ends alone and
// the long path goes out due north.
std::vector<GeoPoint> great_circle_path(GeoPoint from, GeoPoint to, bool long_path,
                                        double step_degrees = 2);

// Splits a projected line where it crosses the rim: two points in a row further apart than
// `jump` belong to its two sides of the antipode.
std::vector<std::vector<MapPoint>> split_at_rim(const std::vector<MapPoint>& line,
                                                double jump = 0.5);

// A distance ring: its radius on the map and the distance it stands for, in the unit shown.
struct DistanceRing {
    double radius = 0;
    int distance = 0;
};

// Rings every 5,000 km, or every 2,500 miles when `miles`, out to the antipode; a ring that
// would lie within 1 % of the rim is left out, the rim being drawn anyway.
std::vector<DistanceRing> distance_rings(bool miles);

} // namespace kestrav
