#include "rotor/overlap.h"

#include <cmath>

namespace kestrav {

std::optional<double> overlap_position(double bearing, const RotorRange& range,
                                       const std::optional<HeadingReading>& heading) {
    if (!std::isfinite(bearing))
        return std::nullopt;
    if (range.northToNorth())
        return bearing;
    const bool fresh = heading && std::isfinite(heading->position) && heading->ageSeconds >= 0 &&
                       heading->ageSeconds < kHeadingFreshSeconds;
    // With no fresh heading, the bearing itself is where the antenna is taken to be.
    const double from = fresh ? heading->position : bearing;
    std::optional<double> best;
    // The bearing itself first, so that it wins a tie.
    for (const double candidate : {bearing, bearing - 360, bearing + 360}) {
        if (!range.reaches(candidate))
            continue;
        if (!best || std::fabs(candidate - from) < std::fabs(*best - from))
            best = candidate;
    }
    return best;
}

double bearing_of_position(double position) {
    const double bearing = position - 360 * std::floor(position / 360);
    return bearing >= 360 ? 0 : bearing; // a hair below a multiple of 360 rounds up to it
}

} // namespace kestrav
