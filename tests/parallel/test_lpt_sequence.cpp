// The calibrated byte of the parallel-port interfaces and their write sequences, recorded by
// the fake library with real pauses.

#include "rotor/lpt_sequence.h"
#include "rotor/rotor_protocol.h"
#include "support/parallel_port_fake.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace kestrav {
namespace {

TEST(LptOutputValue, CalibrationBranchesUnderBothStopSides) {
    struct Row {
        const char* name;
        double factor;
        double zero;
        StopSide side;
        double azimuth; // true azimuth, before the end-stop mapping
        int expected;
    };
    const Row rows[] = {
        {"fodtrack 90", 0.711, 0, StopSide::N, 90, 64},
        {"fodtrack 180", 0.711, 0, StopSide::N, 180, 128},
        {"fodtrack 359", 0.711, 0, StopSide::N, 359, 255},
        {"256 held at 255", 0.711, 0, StopSide::N, 359.9, 255},
        {"poursat 180", 0.5138901, 0, StopSide::N, 180, 93},
        {"poursat 359", 0.5138901, 0, StopSide::N, 359, 184},
        {"below a positive zero wraps", 0.711, 10, StopSide::N, 5, 252},
        {"above 255 with a negative zero wraps", 0.711, -10, StopSide::N, 355, 4},
        {"S: 90 sent as 270", 0.711, 0, StopSide::S, 90, 192},
        {"S: 200 sent as 20", 0.711, 0, StopSide::S, 200, 14},
        {"S: below a positive zero wraps", 0.711, 10, StopSide::S, 185, 252},
        {"S: held at 255", 0.711, 0, StopSide::S, 179.9, 255},
        {"S: negative zero wraps", 0.711, -10, StopSide::S, 175, 4},
        {"negative result, zero not positive", -0.711, 0, StopSide::N, 90, 0},
        {"S: negative result, zero not positive", -0.711, 0, StopSide::S, 270, 0},
        {"wrap of a positive zero still above 255", 1, 10, StopSide::N, 5, 255},
        {"wrap of a negative zero below 0 held at 0", 1, -10, StopSide::N, 340, 0},
        {"S: wrap below 0 held at 0", 1, -10, StopSide::S, 160, 0},
        {"wrap of a negative zero above 255 held", 10, -90, StopSide::N, 350, 255},
        {"S: wrap above 255 held", 10, -90, StopSide::S, 170, 255},
        {"huge factor", 1e20, 0, StopSide::N, 90, 255},
        {"huge factor, negative zero", 1e20, -10, StopSide::N, 90, 0},
        {"huge negative factor below a positive zero", -1e20, 10, StopSide::N, 5, 255},
    };
    for (const Row& r : rows)
        EXPECT_EQ(lpt_output_value(map_stop_side(r.azimuth, r.side), r.zero, r.factor), r.expected)
            << r.name;
}

struct Expected {
    std::uint16_t address;
    int value;
    int pause_ms; // least gap to the next write
};

void expect_writes(const FakeParallelPort& port, const std::vector<Expected>& expected) {
    ASSERT_EQ(port.writes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(port.writes[i].address, expected[i].address) << "write " << i + 1;
        EXPECT_EQ(port.writes[i].value, expected[i].value) << "write " << i + 1;
        if (i + 1 < expected.size()) {
            EXPECT_GE(port.writes[i + 1].time - port.writes[i].time,
                      std::chrono::milliseconds(expected[i].pause_ms))
                << "pause after write " << i + 1;
        }
    }
}

TEST(LptSequence, PourSatWritesEightRegistersAtOnce) {
    FakeParallelPort port;
    run_lpt_sequence(port, 0x378, lpt_sequence(RotorInterface::PourSat), 0xA5, pause_milliseconds);
    expect_writes(port, {{0x37A, 0, 0},
                         {0x37A, 8, 0},
                         {0x378, 0xA5, 0},
                         {0x37A, 10, 0},
                         {0x37A, 1, 0},
                         {0x378, 1, 0},
                         {0x37A, 3, 0},
                         {0x37A, 0, 0}});
}

TEST(LptSequence, FodTrackWritesTenRegistersWithTheirPauses) {
    FakeParallelPort port;
    port.addresses = {0x378, 0x278, 0};
    const auto start = std::chrono::steady_clock::now();
    run_lpt_sequence(port, 0x278, lpt_sequence(RotorInterface::FodTrack), 200, pause_milliseconds);
    expect_writes(port, {{0x27A, 2, 10},
                         {0x278, 200, 10},
                         {0x27A, 2, 5},
                         {0x27A, 3, 10},
                         {0x27A, 2, 10},
                         {0x27A, 0, 10},
                         {0x278, 1, 10},
                         {0x27A, 0, 5},
                         {0x27A, 1, 10},
                         {0x27A, 0, 0}});
    EXPECT_GE(port.writes.back().time - start, std::chrono::milliseconds(80));
}

} // namespace
} // namespace kestrav
