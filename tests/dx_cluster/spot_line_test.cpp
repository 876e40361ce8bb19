// Spot lines as DX cluster nodes send them, and the lines around them that are no spots.

#include "dx_cluster/cluster_setting.h"
#include "dx_cluster/recent_spots.h"
#include "dx_cluster/spot_line.h"

#include "setup/qstring_printer.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

TEST(SpotLine, NodesFormatsAndLinesThatAreNoSpots) {
    const struct {
        const char* line;
        std::optional<Spot> spot;
    } rows[] = {
        // DX Spider: fixed columns, the time at column 70.
        {"DX de EA4XY:     14025.0  JA1ABC       CW 599                         1234Z",
         Spot{"EA4XY", 14025.0, "JA1ABC", "CW 599", "1234", ""}},
        // A skimmer's spot ("-#"), a portable prefix and a grid the node adds after the time.
        {"DX de W3LPL-#:   1296100.0 EA8/DL1ABC  EME 15 dB                   2359Z FN20",
         Spot{"W3LPL-#", 1296100.0, "EA8/DL1ABC", "EME 15 dB", "2359", "FN20"}},
        // AR-Cluster, bells at the end, a suffix after the slash.
        {"DX de K1TTT:     3525.5  VP2V/W1AW    up 2\a\a                         0001Z",
         Spot{"K1TTT", 3525.5, "VP2V/W1AW", "up 2", "0001", ""}},
        // CC Cluster: a continent after the time (no grid), lower case call.
        {"DX de OH2BH:  50313.0  ja1abc  FT8 -12 dB JN18EU<>PM95  1805Z EU",
         Spot{"OH2BH", 50313.0, "JA1ABC", "FT8 -12 dB JN18EU<>PM95", "1805", ""}},
        // Above 1 GHz, a six-character grid, no comment.
        {"DX de DL0SHF:  10368100.0  OK1KIR  0800Z JO70FD",
         Spot{"DL0SHF", 10368100.0, "OK1KIR", "", "0800", "JO70FD"}},
        // No time: the rest is the comment; a time-looking word inside stays in it.
        {"DX de G4ABC: 7012.0 4X4XM QRV 1200Z-1300Z daily",
         Spot{"G4ABC", 7012.0, "4X4XM", "QRV 1200Z-1300Z daily", "", ""}},
        // No spots: other lines of a node, and malformed ones.
        {"WWV de W0MU <18>:   SFI=72, A=4, K=1, No Storms -> No Storms", std::nullopt},
        {"To ALL de EA4XY: contest this weekend", std::nullopt},
        {"EA4XY de GB7DJK  8-Dec-2026 1234Z dxspider >", std::nullopt},
        {"DX de EA4XY  14025.0 JA1ABC no colon 1234Z", std::nullopt},
        {"DX de EA4XY: abc JA1ABC CW 1234Z", std::nullopt},
        {"DX de EA4XY: 0.5 JA1ABC CW 1234Z", std::nullopt},
        {"DX de EA4XY: 1e309 JA1ABC CW 1234Z", std::nullopt},
        {"DX de EA4XY: 14025.0 QRZ CW 1234Z", std::nullopt},
        {"DX de EA4XY: 14025.0 /JA1ABC CW 1234Z", std::nullopt},
        {"DX de EA4XY: 14025.0 JA1ABCDEFGHIJKLMNOPQR CW 1234Z", std::nullopt},
        {"DX de EA4XY:", std::nullopt},
        {"DX de : 14025.0 JA1ABC", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const std::optional<Spot> spot = parse_spot_line(QString::fromLatin1(row.line));
        ASSERT_EQ(spot.has_value(), row.spot.has_value());
        if (spot) {
            EXPECT_EQ(*spot, *row.spot) << (spot->comment + u'|' + spot->grid + u'|' + spot->time +
                                            u'|' + spot->call + u'|' + spot->spotter)
                                               .toStdString();
        }
    }
    // A time that is no time (25h) is comment; a line of any length is bounded.
    EXPECT_EQ(parse_spot_line(u"DX de A1B: 14000 K1ABC test 2560Z")->comment,
              QStringLiteral("test 2560Z"));
    EXPECT_FALSE(parse_spot_line(QStringLiteral("DX de A1B: 14000 K1ABC ") + QString(600, u'x')));
    EXPECT_EQ(parse_spot_line(QStringLiteral("DX de A1B: 14000 K1ABC ") + QString(300, u'x'))
                  ->comment.size(),
              100);
}

TEST(SpotLine, TextOfAnyEncodingAndBands) {
    EXPECT_EQ(cluster_line_text("caf\xc3\xa9"), QString::fromUtf8("café"));
    EXPECT_EQ(cluster_line_text("caf\xe9"), QString::fromUtf8("café")) << "Latin-1 where not UTF-8";
    const std::pair<double, const char*> bands[] = {
        {1840, "160m"},    {3573, "80m"},     {7074, "40m"},  {10136, "30m"},
        {14074, "20m"},    {18100, "17m"},    {21074, "15m"}, {24915, "12m"},
        {28074, "10m"},    {50313, "6m"},     {144174, "2m"}, {432174, "70cm"},
        {1296100, "23cm"}, {10368100, "3cm"}, {9000, ""},     {14350.1, ""},
    };
    for (const auto& [khz, band] : bands)
        EXPECT_EQ(band_of(khz), QString::fromLatin1(band)) << khz;
}

// The node's row reads back as written; anything else is no row of it.
TEST(ClusterSetting, RowsReadBackAndMalformedOnesAreRefused) {
    const std::pair<const char*, bool> rows[] = {
        {"dxc.example.org,7300,F4ABC", true},
        {"192.168.1.10,8000,EA8/DL1ABC,OFF", true},
        {"[::1],7300,F4ABC", false},
        {"dxc example,7300,F4ABC", false},
        {"dxc.example.org,0,F4ABC", false},
        {"dxc.example.org,7300,F4", false},
        {"dxc.example.org,7300,F4 ABC", false},
        {"dxc.example.org,7300", false},
        {"dxc.example.org,7300,F4ABC,on", false},
    };
    for (const auto& [value, readable] : rows) {
        const std::optional<ClusterSetting> s = read_cluster_setting(QString::fromLatin1(value));
        ASSERT_EQ(s.has_value(), readable) << value;
        if (s) {
            EXPECT_EQ(cluster_setting_line(*s), QStringLiteral("DXCLUSTER=") + value) << value;
        }
    }
}

// Newest first, one per call and band, and never more than the capacity.
TEST(RecentSpots, NewestFirstOnePerCallAndBandBounded) {
    RecentSpots recent(3);
    const auto spot = [](const char* call, double khz) {
        return Spot{"EA4XY", khz, call, "", "1234", ""};
    };
    recent.add(spot("JA1ABC", 14025), 1);
    recent.add(spot("JA1ABC", 7012), 2);
    recent.add(spot("K1ABC", 14070), 3);
    recent.add(spot("JA1ABC", 14030), 4); // replaces the 20 m spot, keeps the 40 m one
    std::vector<double> kept;
    for (const RecentSpot& r : recent.spots())
        kept.push_back(r.spot.frequency_khz);
    EXPECT_EQ(kept, (std::vector<double>{14030, 14070, 7012}));
    EXPECT_EQ(recent.spots().front().band, QStringLiteral("20m"));
    EXPECT_EQ(recent.spots().front().received_ms, 4);
    for (int i = 0; i < 10000; ++i)
        recent.add(spot("W1AW", 1000 + i), 5 + i); // outside the bands: told apart by frequency
    EXPECT_EQ(recent.spots().size(), 3u);
    EXPECT_EQ(recent.spots().front().spot.frequency_khz, 10999);
}

} // namespace
} // namespace kestrav
