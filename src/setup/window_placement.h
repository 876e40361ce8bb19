#pragma once
// Where a window opens beside another one so that it lies wholly on the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kestrav {

// The top-left corner of a window whose frame measures `frame_size`, opened beside the frame
// `anchor` of another window on a screen whose available area is `available`: to the right
// of the anchor, `gap` pixels away and at its top, when it fits there; otherwise to its left;
// otherwise at the anchor's top-left corner held inside the area. The window always lies
// inside the area, except that one larger than the area keeps the area's top-left corner.
QPoint place_beside(const QRect& anchor, const QSize& frame_size, const QRect& available,
                    int gap = 8);

} // namespace kestrav
