#pragma once
// Where a logger's turn goes on the rotator. PstRotator and N1MM send bearings (0 to 360, where
// 360 is north as 0 is), not positions on the rotator's scale: a bearing goes to the position
// that reaches it nearest the antenna, so that a rotator with an overlap takes the short way and
// north asked for twice never sends the rotator from one end stop to the other.

#include "rotor/overlap.h"

#include <optional>

namespace kestrav {

// The position to turn to for `azimuth`, or for an antenna that works both ways (N1MM's
// bidirectional) whichever of azimuth and azimuth + 180 the rotator reaches with the shorter
// turn from `position` (where the antenna is, on the rotator's scale; unknown: azimuth), the
// azimuth itself on a tie. An azimuth outside 0 to 360 is returned as sent, as a position for the
// rotor's range to judge (400 on a rotator that turns 450 degrees).
double turn_position(double azimuth, bool both_ways, std::optional<double> position,
                     const RotorRange& range);

} // namespace kestrav
