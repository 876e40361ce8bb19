#include "map/land_outline.h"

#include <cmath>
#include <cstdint>

namespace kestrav {

namespace {

constexpr int kMaxHalvings = 10;

class Reader {
public:
    explicit Reader(QByteArrayView data) : data_(data) {}

    bool read_magic() {
        if (data_.size() < 5 || data_.first(4) != QByteArrayView("KLND") || data_[4] != 1)
            return false;
        pos_ = 5;
        return true;
    }

    // LEB128, at most 5 bytes (35 bits): more would be no count or coordinate of ours.
    std::optional<std::uint64_t> varint() {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (pos_ >= data_.size())
                return std::nullopt;
            const auto byte = static_cast<std::uint8_t>(data_[pos_++]);
            value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        return std::nullopt;
    }

    std::optional<std::int64_t> zigzag() {
        const auto v = varint();
        if (!v)
            return std::nullopt;
        return (*v & 1) ? -static_cast<std::int64_t>(*v >> 1) - 1
                        : static_cast<std::int64_t>(*v >> 1);
    }

    // Each point takes at least two bytes, so no count can exceed what is left over two.
    qsizetype remaining() const { return data_.size() - pos_; }

private:
    QByteArrayView data_;
    qsizetype pos_ = 0;
};

double squared_distance(MapPoint a, MapPoint b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

EarthVector midpoint(EarthVector a, EarthVector b) {
    const EarthVector m{a.x + b.x, a.y + b.y, a.z + b.z};
    const double l = std::sqrt(m.x * m.x + m.y * m.y + m.z * m.z);
    return l > 0 ? EarthVector{m.x / l, m.y / l, m.z / l} : a;
}

// Appends the points strictly between a and b.
void refine(const AzimuthalProjection& projection, EarthVector a, MapPoint pa, EarthVector b,
            MapPoint pb, double tolerance2, int halvings, std::vector<MapPoint>& out) {
    if (halvings == 0 || squared_distance(pa, pb) <= tolerance2)
        return;
    const EarthVector m = midpoint(a, b);
    const MapPoint pm = projection.forward_vector(m);
    refine(projection, a, pa, m, pm, tolerance2, halvings - 1, out);
    out.push_back(pm);
    refine(projection, m, pm, b, pb, tolerance2, halvings - 1, out);
}

// Twice the signed area, x east and y north: positive when the ring turns anticlockwise.
double signed_area2(const std::vector<MapPoint>& ring) {
    double s = 0;
    for (std::size_t i = 0, n = ring.size(); i < n; ++i) {
        const MapPoint& p = ring[i];
        const MapPoint& q = ring[(i + 1) % n];
        s += p.x * q.y - q.x * p.y;
    }
    return s;
}

} // namespace

std::optional<LandOutline> decode_land_outline(QByteArrayView data) {
    Reader in(data);
    if (!in.read_magic())
        return std::nullopt;
    const auto ring_count = in.varint();
    if (!ring_count || *ring_count > static_cast<std::uint64_t>(in.remaining()))
        return std::nullopt;
    LandOutline outline;
    outline.rings.reserve(*ring_count);
    for (std::uint64_t r = 0; r < *ring_count; ++r) {
        const auto point_count = in.varint();
        if (!point_count || *point_count > static_cast<std::uint64_t>(in.remaining() / 2))
            return std::nullopt;
        std::vector<EarthVector> ring;
        ring.reserve(*point_count);
        std::int64_t lon = 0;
        std::int64_t lat = 0;
        for (std::uint64_t i = 0; i < *point_count; ++i) {
            const auto dlon = in.zigzag();
            const auto dlat = in.zigzag();
            if (!dlon || !dlat)
                return std::nullopt;
            lon += *dlon;
            lat += *dlat;
            if (lon < -18000 || lon > 18000 || lat < -9000 || lat > 9000)
                return std::nullopt;
            ring.push_back(to_vector({lat / 100.0, lon / 100.0}));
        }
        outline.point_count += ring.size();
        outline.rings.push_back(std::move(ring));
    }
    return outline;
}

std::vector<ProjectedRing> project_outline(const AzimuthalProjection& projection,
                                           const LandOutline& outline, double tolerance) {
    std::vector<ProjectedRing> projected;
    projected.reserve(outline.rings.size());
    const double tolerance2 = tolerance * tolerance;
    for (const std::vector<EarthVector>& ring : outline.rings) {
        if (ring.empty())
            continue;
        ProjectedRing out;
        out.points.reserve(ring.size() + ring.size() / 8);
        const MapPoint first = projection.forward_vector(ring.front());
        MapPoint pa = first;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const EarthVector& a = ring[i];
            const bool last = i + 1 == ring.size();
            const EarthVector& b = last ? ring.front() : ring[i + 1];
            const MapPoint pb = last ? first : projection.forward_vector(b);
            out.points.push_back(pa);
            refine(projection, a, pa, b, pb, tolerance2, kMaxHalvings, out.points);
            pa = pb;
        }
        // The map keeps the Earth's sense of turning (east is right of north on both). A
        // ring with its filled side on the right turns clockwise around that side; turning
        // anticlockwise, the filled side is the outer one, toward the rim.
        out.around_rim = signed_area2(out.points) > 0;
        projected.push_back(std::move(out));
    }
    return projected;
}

} // namespace kestrav
