// Degrees a 450-degree rotator turns over a session of 200 DX changes, sent as the bearing
// itself (as a 360-degree rotator is) and through the overlap choice, the antenna reaching
// each position before the next change. The bearings are drawn from a fixed seed, so that
// the figures repeat.
//
//   bench_overlap [changes] [seed]

#include "rotor/overlap.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char** argv) {
    const int changes = argc > 1 ? std::atoi(argv[1]) : 200;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 2026;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> bearings(0, 360);
    const kestrav::RotorRange range{0, 450};
    double plain = 0, chosen = 0; // where each antenna points now
    double turned_plain = 0, turned_chosen = 0;
    for (int i = 0; i < changes; ++i) {
        const double bearing = std::round(bearings(random) * 10) / 10;
        turned_plain += std::fabs(bearing - plain);
        plain = bearing;
        const double next =
            *kestrav::overlap_position(bearing, range, kestrav::HeadingReading{chosen, 0});
        turned_chosen += std::fabs(next - chosen);
        chosen = next;
    }
    std::printf("%d DX changes (seed %u), 450-degree rotator starting at 0:\n", changes, seed);
    std::printf("  sent as the bearing          %9.1f degrees turned\n", turned_plain);
    std::printf("  through the overlap choice   %9.1f degrees turned (%.1f %% less)\n",
                turned_chosen, 100 * (1 - turned_chosen / turned_plain));
    return 0;
}
