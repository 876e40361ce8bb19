#pragma once
// Where a window opens: wholly on one screen, beside another one or where it was last.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kestrav {

// The top-left corner of a window whose frame measures `frame_size`, opened beside the frame
// `anchor` of another window on a screen whose available area is `available`: `gap` pixels
// away to the right of the anchor, level with its top, when it fits there; otherwise to its
// left, then below it, then above it (level with its left edge). When no side has room, the
// place on the screen's edges that covers the least of the anchor. The window always lies
// inside the area, except that one larger than the area keeps the area's top-left corner.
QPoint place_beside(const QRect& anchor, const QSize& frame_size, const QRect& available,
                    int gap = 8);

// The top-left corner for a window frame that wants to stand at `frame` on a screen whose
// usable area is `available`: the wanted corner when the frame fits there, otherwise moved
// just far enough to lie inside. A frame wider or taller than the area keeps its left or top
// edge on it, so that the title bar and the menus stay within reach.
QPoint place_inside(const QRect& frame, const QRect& available);

} // namespace kestrav
