#include "udp_rotor/turn_position.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

// Where a logger's bearing goes: the position nearest the antenna that reaches it, and for an
// antenna that works both ways the shorter turn of the two, on the rotator's own scale (the end
// stops count, not the circle).
TEST(TurnPosition, BearingsTheNearWayAndBothWaysTheShorterTurn) {
    const RotorRange r360{0, 360};
    const RotorRange r450{0, 450};
    const struct {
        double goazi;
        bool both;
        std::optional<double> now;
        RotorRange range;
        double position;
    } rows[] = {
        {55, false, 250, r360, 55},          {55, true, 250, r360, 235},
        {55, true, 100, r360, 55},           {55, true, std::nullopt, r360, 55},
        {350, true, 10, r360, 170}, // across north is no shorter past the end stop
        {10, true, 350, r450, 370}, // the overlap reaches 10 as 370, next to 350
        {90, true, 180, r360, 90},  // a tie keeps goazi
        {360, false, 200, r360, 0}, // north is 0, never the far end stop
        {-0.0, false, 200, r360, 0},         {360, true, 100, r360, 180},
        {10, false, std::nullopt, r450, 10}, {400, false, 10, r450, 400},
        {720, true, 100, r360, 720},         {-5, false, 100, r360, -5}, // left for the range
    };
    for (const auto& row : rows)
        EXPECT_EQ(turn_position(row.goazi, row.both, row.now, row.range), row.position)
            << row.goazi << (row.both ? " both ways" : "") << " from " << row.now.value_or(-1);
}

} // namespace
} // namespace kestrav
