#pragma once
// Where the map window opens beside the main window: wholly on the screen and, where the
// screen allows, without covering the main window, whose command buttons must stay in reach.

#include <QRect>
#include <QSize>

namespace kestrav {

// The frame of a map that wants to measure `wanted`, opened beside the frame `anchor` of the
// main window on a screen whose available area is `available`, `gap` pixels away:
// - at the wanted size on the first side with room for it (right, left, below, above);
// - otherwise on the side with the most room for a map (the largest shorter side), shrunk to
//   that room, when it keeps at least `smallest`;
// - otherwise at the wanted size, no larger than the area, where it covers least of `anchor`.
QRect map_frame_beside(const QRect& anchor, const QSize& wanted, const QRect& available,
                       const QSize& smallest, int gap = 8);

} // namespace kestrav
