#include "setup/window_placement.h"

#include <algorithm>
#include <array>

namespace kestrav {

namespace {

// `start` moved so that [start, start + length) lies in [low, high); a length beyond the
// room keeps `low`.
int held_inside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

long long covered_area(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

} // namespace

QPoint place_beside(const QRect& anchor, const QSize& frame_size, const QRect& available, int gap) {
    const int w = frame_size.width();
    const int h = frame_size.height();
    const int area_right = available.x() + available.width();
    const int area_bottom = available.y() + available.height();
    const int x_held = held_inside(anchor.x(), w, available.x(), area_right);
    const int y_held = held_inside(anchor.y(), h, available.y(), area_bottom);
    const std::array<QPoint, 4> sides = {
        QPoint(anchor.x() + anchor.width() + gap, y_held), QPoint(anchor.x() - gap - w, y_held),
        QPoint(x_held, anchor.y() + anchor.height() + gap), QPoint(x_held, anchor.y() - gap - h)};
    for (const QPoint& p : sides)
        if (available.contains(QRect(p, frame_size)))
            return p;
    // No side has room: the corner or edge of the screen where the least of the anchor is
    // covered, nearest to the right of it and level with its top on a tie.
    const std::array<int, 3> xs = {held_inside(area_right - w, w, available.x(), area_right),
                                   available.x(), x_held};
    const std::array<int, 3> ys = {
        y_held, held_inside(area_bottom - h, h, available.y(), area_bottom), available.y()};
    QPoint best(xs[0], ys[0]);
    long long least = covered_area(QRect(best, frame_size), anchor);
    for (int x : xs) {
        for (int y : ys) {
            const long long covered = covered_area(QRect(QPoint(x, y), frame_size), anchor);
            if (covered < least) {
                least = covered;
                best = {x, y};
            }
        }
    }
    return best;
}

QPoint place_inside(const QRect& frame, const QRect& available) {
    return {
        held_inside(frame.x(), frame.width(), available.left(), available.x() + available.width()),
        held_inside(frame.y(), frame.height(), available.top(),
                    available.y() + available.height())};
}

} // namespace kestrav
