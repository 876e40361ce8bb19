// The position a rotator that turns past 360 degrees is sent to for a requested bearing.

#include "rotor/overlap.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrav;

namespace {

constexpr RotorRange k360{0, 360};
constexpr RotorRange k450{0, 450};
constexpr RotorRange kHalfEach{-180, 180};
constexpr double kNone = std::nan(""); // no heading in a row
constexpr double kRefused = -999;      // no reachable position

struct Row {
    const char* name;
    RotorRange range;
    double heading; // kNone: no reading
    double age;     // seconds since the reading
    double bearing;
    double expected; // kRefused: none
};

TEST(OverlapPosition, NearestReachablePositionToAFreshHeading) {
    const Row rows[] = {
        // One turn: the bearing as asked, whatever the heading (the original's behaviour).
        {"360: across north stays long", k360, 350, 0, 20, 20},
        {"360: 0 stays 0", k360, 350, 0, 0, 0},
        {"360: 360 stays 360", k360, 10, 0, 360, 360},
        // 450: the short way through the overlap, and back out of it.
        {"450: 350 to 20 goes to 380", k450, 350, 0, 20, 380},
        {"450: 350 to 200 stays 200", k450, 350, 0, 200, 200},
        {"450: 400 to 30 stays in overlap", k450, 400, 0, 30, 390},
        {"450: 400 to 300 leaves overlap", k450, 400, 0, 300, 300},
        {"450: 90 exactly from 440", k450, 440, 0, 90, 450},
        {"450: 90 exactly from 200", k450, 200, 0, 90, 90},
        {"450: 91 has one position", k450, 440, 0, 91, 91},
        {"450: 360 from 10 is 0", k450, 10, 0, 360, 0},
        {"450: 0 from 355 is 360", k450, 355, 0, 0, 360},
        {"450: tie keeps the bearing", k450, 225, 0, 45, 45},
        // A heading that is stale or missing: the bearing itself, as a 360 rotator is sent.
        {"450: stale heading", k450, 350, 3.0, 20, 20},
        {"450: nearly stale heading", k450, 350, 2.9, 20, 380},
        {"450: no heading", k450, kNone, 0, 20, 20},
        // -180 to 180: bearings past 180 exist only as negatives.
        {"-180..180: 270 without heading", kHalfEach, kNone, 0, 270, -90},
        {"-180..180: 180 from -170", kHalfEach, -170, 0, 180, -180},
        {"-180..180: 180 from 170", kHalfEach, 170, 0, 180, 180},
        {"-180..180: 90 from -170", kHalfEach, -170, 0, 90, 90},
        // What cannot be a bearing.
        {"450: not a number", k450, 10, 0, std::nan(""), kRefused},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::optional<HeadingReading> heading;
        if (!std::isnan(r.heading))
            heading = HeadingReading{r.heading, r.age};
        const std::optional<double> got = overlap_position(r.bearing, r.range, heading);
        if (r.expected == kRefused) {
            EXPECT_FALSE(got.has_value());
        } else {
            ASSERT_TRUE(got.has_value());
            EXPECT_DOUBLE_EQ(*got, r.expected);
        }
    }
}

TEST(OverlapPosition, BearingOfAPosition) {
    const double rows[][2] = {{0, 0},      {359.9, 359.9}, {360, 0},  {400, 40},    {450, 90},
                              {-160, 200}, {-180, 180},    {-360, 0}, {-0.5, 359.5}};
    for (const auto& [position, bearing] : rows)
        EXPECT_NEAR(bearing_of_position(position), bearing, 1e-9) << position;
    EXPECT_LT(bearing_of_position(-1e-17), 360) << "never 360 itself";
}

} // namespace
