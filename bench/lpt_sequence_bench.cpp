// Duration of the PourSat and FODTrack write sequences, with the real pauses, on the
// recording parallel port library, and the processor time they use: the pauses sleep, so a
// FODTrack sequence should take its 80 ms of wall time and next to no processor time.
//
//   bench_lpt_sequence [runs]

#include "rotor/lpt_sequence.h"
#include "support/parallel_port_fake.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void measure(const char* name, kestrav::RotorInterface which, int runs) {
    std::vector<double> ms;
    const double cpu_start = cpu_ms();
    for (int i = 0; i < runs; ++i) {
        kestrav::FakeParallelPort port;
        const auto start = std::chrono::steady_clock::now();
        kestrav::run_lpt_sequence(port, 0x378, kestrav::lpt_sequence(which), i % 256,
                                  kestrav::pause_milliseconds);
        ms.push_back(
            std::chrono::duration<double, std::milli>(port.writes.back().time - start).count());
    }
    const double cpu = cpu_ms() - cpu_start;
    std::sort(ms.begin(), ms.end());
    std::printf("%-9s %d runs: median %.3f ms, max %.3f ms; processor time %.1f us per run\n", name,
                runs, ms[ms.size() / 2], ms.back(), cpu * 1e3 / runs);
    if (which == kestrav::RotorInterface::FodTrack)
        std::printf("FODTrack  floor 80 ms: median %+.3f ms, max %+.3f ms above it\n",
                    ms[ms.size() / 2] - 80, ms.back() - 80);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    measure("PourSat", kestrav::RotorInterface::PourSat, runs);
    measure("FODTrack", kestrav::RotorInterface::FodTrack, runs);
    return 0;
}
