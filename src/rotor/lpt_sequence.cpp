#include "rotor/lpt_sequence.h"

#include "geodesy/number_text.h"
#include "rotor/parallel_port.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace kestrav {

int lpt_output_value(double azimuth, double zero, double factor) {
    // round_half_even saturates at the ends of long long, so any product is defined.
    long long value = round_half_even((azimuth - zero) * factor);
    if (value < 0)
        value = zero > 0 ? round_half_even((azimuth + 360 - zero) * factor) : 0;
    if (value > 255)
        value = zero >= 0 ? 255 : round_half_even((azimuth - 360 - zero) * factor);
    return static_cast<int>(std::clamp(value, 0LL, 255LL));
}

std::uint16_t lpt_base_address(const std::array<unsigned short, 3>& addresses, int lpt) {
    if (lpt < 0 || lpt >= static_cast<int>(addresses.size()))
        return 0;
    return addresses[static_cast<std::size_t>(lpt)];
}

namespace {

constexpr auto D = LptRegister::Data;
constexpr auto C = LptRegister::Control;

// Each control write names the lines it sets: bit 0 Strobe, bit 1 Auto Feed, bit 3 Select In.
constexpr LptWrite kPourSat[] = {
    {C, 0, false, 0},  // no line
    {C, 8, false, 0},  // Select In
    {D, 0, true, 0},   // the byte
    {C, 10, false, 0}, // Select In, Auto Feed
    {C, 1, false, 0},  // Strobe
    {D, 1, false, 0},  // 1 on the data lines
    {C, 3, false, 0},  // Auto Feed, Strobe
    {C, 0, false, 0},  // no line
};

constexpr LptWrite kFodTrack[] = {
    {C, 2, false, 10}, // Auto Feed
    {D, 0, true, 10},  // the byte
    {C, 2, false, 5},  // Auto Feed
    {C, 3, false, 10}, // Auto Feed, Strobe
    {C, 2, false, 10}, // Auto Feed
    {C, 0, false, 10}, // no line
    {D, 1, false, 10}, // 1 on the data lines
    {C, 0, false, 5},  // no line
    {C, 1, false, 10}, // Strobe
    {C, 0, false, 0},  // no line
};

} // namespace

std::span<const LptWrite> poursat_sequence() {
    return kPourSat;
}

std::span<const LptWrite> fodtrack_sequence() {
    return kFodTrack;
}

std::span<const LptWrite> lpt_sequence(RotorInterface which) {
    switch (which) {
    case RotorInterface::PourSat:
        return kPourSat;
    case RotorInterface::FodTrack:
        return kFodTrack;
    default:
        return {};
    }
}

void run_lpt_sequence(ParallelPortLibrary& port, std::uint16_t base,
                      std::span<const LptWrite> sequence, int output_value, PauseFunction pause) {
    for (const LptWrite& w : sequence) {
        const auto address = static_cast<std::uint16_t>(base + static_cast<std::uint16_t>(w.reg));
        port.Outport(address, w.output_value ? output_value : w.value);
        if (w.pause_ms > 0)
            pause(w.pause_ms);
    }
}

namespace {

long long nanoseconds(const timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

timespec from_nanoseconds(long long ns) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns / 1'000'000'000LL);
    t.tv_nsec = static_cast<long>(ns % 1'000'000'000LL);
    return t;
}

} // namespace

void pause_milliseconds(int n) {
    if (n <= 0)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long start = nanoseconds(now);
    const long long wanted = static_cast<long long>(n) * 1'000'000LL;
    // Elapsed time counts in whole milliseconds, the fraction dropped; sleeping to the
    // deadline start + n ms makes that count reach n on the first wake-up.
    while ((nanoseconds(now) - start) / 1'000'000LL < n) {
        const timespec deadline = from_nanoseconds(start + wanted);
        const int rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        if (rc != 0 && rc != EINTR)
            break; // cannot happen with a valid monotonic deadline; never spin on it
        clock_gettime(CLOCK_MONOTONIC, &now);
    }
}

} // namespace kestrav
