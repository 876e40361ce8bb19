// The coastline file: the one built into the program, hand-made files with their faults, and
// which side of each ring the map fills.

#include "map/land_outline.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>

using namespace kestrav;

namespace {

void varint(QByteArray& out, std::uint64_t v) {
    do {
        const auto b = static_cast<char>(v & 0x7f);
        v >>= 7;
        out.append(v ? static_cast<char>(b | 0x80) : b);
    } while (v);
}

// An outline file holding `rings` of (longitude, latitude) points in hundredths of a degree.
QByteArray outline_file(const std::vector<std::vector<std::pair<int, int>>>& rings) {
    QByteArray out("KLND\x01", 5);
    varint(out, rings.size());
    for (const auto& ring : rings) {
        varint(out, ring.size());
        int lon = 0, lat = 0;
        for (const auto& [x, y] : ring) {
            for (const int d : {x - lon, y - lat})
                varint(out, d >= 0 ? 2 * static_cast<std::uint64_t>(d) : -2 * std::int64_t{d} - 1);
            lon = x;
            lat = y;
        }
    }
    return out;
}

// A square of 2 by 2 degrees around a point, walked clockwise seen from above: its inside is
// on the right, as the land of the file is.
std::vector<std::pair<int, int>> square_around(int lon, int lat) {
    return {{lon - 100, lat - 100},
            {lon - 100, lat + 100},
            {lon + 100, lat + 100},
            {lon + 100, lat - 100}};
}

TEST(LandOutline, TheBuiltInFileIsTheWholeWorld) {
    QFile file(QStringLiteral(KESTRAV_LAND_FILE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto outline = decode_land_outline(file.readAll());
    ASSERT_TRUE(outline);
    EXPECT_EQ(outline->rings.size(), 1419u);
    EXPECT_EQ(outline->point_count, 58925u);
}

TEST(LandOutline, ReadsAHandMadeFile) {
    const auto outline = decode_land_outline(outline_file({square_around(-17800, -4500)}));
    ASSERT_TRUE(outline);
    ASSERT_EQ(outline->rings.size(), 1u);
    ASSERT_EQ(outline->rings[0].size(), 4u);
    const GeoPoint first = to_geo(outline->rings[0][0]);
    EXPECT_NEAR(first.longitude, -179, 1e-9);
    EXPECT_NEAR(first.latitude, -46, 1e-9);
}

TEST(LandOutline, DamagedFilesAreRefusedWhole) {
    const QByteArray good = outline_file({square_around(0, 0), square_around(1000, 1000)});
    QByteArray version = good;
    version[4] = 2;
    QByteArray endless = good;
    endless.append(QByteArray(6, '\xff'));
    const struct {
        const char* name;
        QByteArray data;
    } rows[] = {
        {"empty", {}},
        {"wrong magic", "KLNE" + good.mid(4)},
        {"next version", version},
        {"cut inside a ring", good.first(good.size() - 3)},
        {"more rings than bytes", outline_file({}).first(5) + QByteArray("\x90\x4e", 2)},
        {"latitude beyond the pole", outline_file({{{0, 9001}, {1, 0}, {2, 0}}})},
        {"longitude off the globe", outline_file({{{-18001, 0}, {1, 0}, {2, 0}}})},
        {"more points than bytes", outline_file({{{0, 0}}}).first(6) + QByteArray("\x64", 1)},
    };
    EXPECT_TRUE(decode_land_outline(good));
    for (const auto& row : rows)
        EXPECT_FALSE(decode_land_outline(row.data)) << row.name;
    EXPECT_TRUE(decode_land_outline(endless)) << "bytes after the last ring are not read";
}

TEST(LandOutline, RingsHoldingTheAntipodeAreFilledOutToTheRim) {
    // Centre 45 N 0 E; its antipode is 45 S 180 E.
    const AzimuthalProjection projection({45, 0});
    const auto outline = decode_land_outline(outline_file({
        square_around(2000, 3000), // an island 20 E 30 N
        square_around(0, 4500),    // the own station's island
        // the antipode's island, across the date line
        {{17900, -4600}, {17900, -4400}, {-17900, -4400}, {-17900, -4600}},
    }));
    ASSERT_TRUE(outline);
    const auto rings = project_outline(projection, *outline);
    ASSERT_EQ(rings.size(), 3u);
    EXPECT_FALSE(rings[0].around_rim);
    EXPECT_FALSE(rings[1].around_rim);
    EXPECT_TRUE(rings[2].around_rim);
    // Near the antipode an edge of 2 degrees spans a quarter of the rim: it is followed in
    // small steps instead of cutting across the disc.
    EXPECT_GT(rings[2].points.size(), 100u);
    for (std::size_t i = 0; i < rings[2].points.size(); ++i) {
        const MapPoint a = rings[2].points[i];
        const MapPoint b = rings[2].points[(i + 1) % rings[2].points.size()];
        EXPECT_LE(std::hypot(a.x - b.x, a.y - b.y), 0.01) << i;
        EXPECT_GT(map_radius(a), 0.98) << i;
    }
    EXPECT_LE(rings[0].points.size(), 8u) << "far from the antipode an edge is halved once at most";
}

TEST(LandOutline, OnlyTheLandAroundTheAntipodeWrapsTheRimOnTheRealCoasts) {
    QFile file(QStringLiteral(KESTRAV_LAND_FILE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto outline = decode_land_outline(file.readAll());
    ASSERT_TRUE(outline);
    const struct {
        const char* name;
        GeoPoint centre;
        int around_rim;
    } rows[] = {
        {"JN18EU, antipode in the Pacific", {48.854, 2.375}, 0},
        {"Spain, antipode in the North Island of New Zealand", {38.5, -4}, 1},
        {"the North Pole, antipode in Antarctica", {90, 0}, 1},
        {"Santiago de Chile, antipode in China", {-33.45, -70.67}, 1},
    };
    for (const auto& row : rows) {
        int around = 0;
        for (const ProjectedRing& ring : project_outline(AzimuthalProjection(row.centre), *outline))
            around += ring.around_rim ? 1 : 0;
        EXPECT_EQ(around, row.around_rim) << row.name;
    }
}

} // namespace
