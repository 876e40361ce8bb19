// Where the map opens beside the main window: at its size where a side has room, shrunk to
// the roomiest side rather than over the main window, and over it only when even a small map
// finds no room.

#include "map/map_placement.h"

#include <gtest/gtest.h>

using namespace kestrav;

namespace {

TEST(MapPlacement, BesideTheMainWindowShrunkRatherThanOverIt) {
    // The main window's frame at its design place.
    const QRect main(196, 100, 476, 336);
    const QSize smallest(320, 320);
    const struct {
        const char* name;
        QSize screen;
        QSize wanted;
        QRect expected;
    } rows[] = {
        {"room on the right", {1400, 900}, {562, 586}, {680, 100, 562, 586}},
        {"1024 x 768: narrower on the right", {1024, 768}, {562, 586}, {680, 100, 344, 586}},
        {"taller than the right's room", {1024, 500}, {562, 586}, {680, 0, 344, 500}},
        {"1280 x 800: room on the right", {1280, 800}, {562, 586}, {680, 100, 562, 586}},
        {"800 x 600: nowhere, over the least of it", {800, 600}, {562, 586}, {0, 14, 562, 586}},
    };
    for (const auto& row : rows) {
        const QRect got =
            map_frame_beside(main, row.wanted, QRect(QPoint(0, 0), row.screen), smallest);
        EXPECT_EQ(got, row.expected) << row.name << ": " << got.x() << "," << got.y() << " "
                                     << got.width() << "x" << got.height();
        EXPECT_TRUE(QRect(QPoint(0, 0), row.screen).contains(got)) << row.name;
        if (got.size() != row.wanted) {
            EXPECT_FALSE(got.intersects(main)) << row.name;
        }
    }
}

} // namespace
