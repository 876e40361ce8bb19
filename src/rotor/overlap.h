#pragma once
// Rotators that turn past 360 degrees. A rotator with a 90-degree overlap reaches the
// bearings from 0 to 90 two ways (as 20 and as 380); one that rotctld drives from -180 to 180
// reaches 180 two ways. Which of the positions pointing to a bearing the rotator is sent to.

#include <optional>

namespace kestrav {

// The positions a rotator can reach, in degrees of its own scale.
struct RotorRange {
    double min = 0;
    double max = 360;

    bool reaches(double position) const { return position >= min && position <= max; }
    // The scale of most rotators, 0 to 360, where every bearing has one position (0 and 360
    // are both north, one at each end stop, and the bearing says which).
    bool northToNorth() const { return min == 0 && max == 360; }
};

// A heading this old or older no longer says where the antenna is.
inline constexpr double kHeadingFreshSeconds = 3.0;

// The antenna's heading as the rotator last reported it, on the rotator's scale.
struct HeadingReading {
    double position = 0;
    double ageSeconds = 0;
};

// The position to send for a requested bearing (0 to 360). On the 0 to 360 scale, the
// bearing itself, whatever the heading. On any other range, among bearing - 360, bearing and
// bearing + 360, the reachable one nearest a fresh heading (the short way through the
// overlap), the bearing itself on a tie; with no fresh heading, the bearing itself when it is
// reachable, otherwise the reachable one nearest it. None when no position is reachable.
std::optional<double> overlap_position(double bearing, const RotorRange& range,
                                       const std::optional<HeadingReading>& heading);

// The bearing a position on the rotator's scale points to, 0 to under 360: 360 and -360 are
// north, -160 is 200, 400 is 40.
double bearing_of_position(double position);

} // namespace kestrav
