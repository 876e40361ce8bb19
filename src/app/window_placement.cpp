#include "app/window_placement.h"

#include <algorithm>

namespace kestrav {

namespace {

int place_span(int start, int length, int area_start, int area_length) {
    if (length >= area_length)
        return area_start;
    return std::clamp(start, area_start, area_start + area_length - length);
}

} // namespace

QPoint place_inside(const QRect& frame, const QRect& available) {
    return {place_span(frame.x(), frame.width(), available.x(), available.width()),
            place_span(frame.y(), frame.height(), available.y(), available.height())};
}

} // namespace kestrav
