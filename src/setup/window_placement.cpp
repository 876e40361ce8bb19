#include "setup/window_placement.h"

#include <algorithm>

namespace kestrav {

namespace {

// `start` moved so that [start, start + length) lies in [low, high); a length beyond the
// room keeps `low`.
int held_inside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

QPoint place_beside(const QRect& anchor, const QSize& frame_size, const QRect& available, int gap) {
    const int area_right = available.x() + available.width();
    const int area_bottom = available.y() + available.height();
    const int y = held_inside(anchor.y(), frame_size.height(), available.y(), area_bottom);
    const int right = anchor.x() + anchor.width() + gap;
    if (right >= available.x() && right + frame_size.width() <= area_right)
        return {right, y};
    const int left = anchor.x() - gap - frame_size.width();
    if (left >= available.x() && left + frame_size.width() <= area_right)
        return {left, y};
    return {held_inside(anchor.x(), frame_size.width(), available.x(), area_right), y};
}

} // namespace kestrav
