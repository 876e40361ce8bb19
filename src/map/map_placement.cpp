#include "map/map_placement.h"

#include "setup/window_placement.h"

#include <algorithm>
#include <array>

namespace kestrav {

namespace {

int held_inside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

QRect map_frame_beside(const QRect& anchor, const QSize& wanted, const QRect& available,
                       const QSize& smallest, int gap) {
    const int area_right = available.x() + available.width();
    const int area_bottom = available.y() + available.height();
    const int anchor_right = anchor.x() + anchor.width();
    const int anchor_bottom = anchor.y() + anchor.height();
    // The room on each side, in the order place_beside tries them.
    const std::array<QRect, 4> rooms = {
        QRect(QPoint(anchor_right + gap, available.y()), QPoint(area_right - 1, area_bottom - 1)),
        QRect(available.topLeft(), QPoint(anchor.x() - gap - 1, area_bottom - 1)),
        QRect(QPoint(available.x(), anchor_bottom + gap), QPoint(area_right - 1, area_bottom - 1)),
        QRect(available.topLeft(), QPoint(area_right - 1, anchor.y() - gap - 1))};
    for (const QRect& room : rooms)
        if (room.width() >= wanted.width() && room.height() >= wanted.height())
            return QRect(place_beside(anchor, wanted, available, gap), wanted);

    int best = -1;
    QSize best_size;
    for (int side = 0; side < 4; ++side) {
        const QSize size = wanted.boundedTo(rooms[side].size().expandedTo(QSize(0, 0)));
        if (size.width() < smallest.width() || size.height() < smallest.height())
            continue;
        if (best < 0 || std::min(size.width(), size.height()) >
                            std::min(best_size.width(), best_size.height())) {
            best = side;
            best_size = size;
        }
    }
    if (best < 0) {
        const QSize size = wanted.boundedTo(available.size());
        return QRect(place_beside(anchor, size, available, gap), size);
    }
    const QRect& room = rooms[best];
    const int w = best_size.width();
    const int h = best_size.height();
    const int x_held = held_inside(anchor.x(), w, available.x(), area_right);
    const int y_held = held_inside(anchor.y(), h, available.y(), area_bottom);
    switch (best) {
    case 0:
        return QRect(room.x(), y_held, w, h);
    case 1:
        return QRect(anchor.x() - gap - w, y_held, w, h);
    case 2:
        return QRect(x_held, room.y(), w, h);
    default:
        return QRect(x_held, anchor.y() - gap - h, w, h);
    }
}

} // namespace kestrav
