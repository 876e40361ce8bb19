#pragma once
// Where a window opens: wholly on one screen, never partly off it.

#include <QPoint>
#include <QRect>

namespace kestrav {

// The top-left corner for a window frame that wants to stand at `frame` on a screen whose
// usable area is `available`: the wanted corner when the frame fits there, otherwise moved
// just far enough to lie inside. A frame wider or taller than the area keeps its left or top
// edge on it, so that the title bar and the menus stay within reach.
QPoint place_inside(const QRect& frame, const QRect& available);

} // namespace kestrav
