#pragma once
// The land of the map: coastlines read from the compact outline file made once from
// Natural Earth's public-domain polygons (tools/map_data/make_land.mjs describes the
// format), and their projection around the own station.

#include "map/azimuthal_projection.h"

#include <QByteArrayView>

#include <optional>
#include <vector>

namespace kestrav {

// Closed rings with the filled side on the right when walked (land, or the water of a lake
// inside land); an even-odd fill of all of them gives the land.
struct LandOutline {
    std::vector<std::vector<EarthVector>> rings;
    std::size_t point_count = 0;
};

// Reads an outline file. A wrong magic or version, a ring or point count beyond what the
// data can hold, a coordinate off the globe or data ending inside a ring makes the whole
// file unreadable.
std::optional<LandOutline> decode_land_outline(QByteArrayView data);

struct ProjectedRing {
    std::vector<MapPoint> points;
    // The ring's filled side holds the antipode, so on the map it lies between the ring and
    // the rim: the rim circle is added to the ring for the fill.
    bool around_rim = false;
};

// The rings on the map. Each edge is followed along its great circle, halved until its
// projected steps are at most `tolerance` (in map radii) or it has been halved 10 times, so
// that coasts near the antipode, stretched along the rim, stay curves and never cut across
// the disc.
std::vector<ProjectedRing> project_outline(const AzimuthalProjection& projection,
                                           const LandOutline& outline, double tolerance = 0.01);

} // namespace kestrav
