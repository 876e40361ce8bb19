#pragma once
// The PourSat and FODTrack outputs without the window: the calibrated byte, the two write
// sequences that hand it to the rotator interface, and the pause that paces FODTrack.

#include "rotor/rotor_types.h"

#include <array>
#include <cstdint>
#include <span>

namespace kestrav {

class ParallelPortLibrary;

// The byte for an azimuth (degrees, already mapped for the end stop) with the interface's
// zero azimuth and calibration factor (output units per degree). An azimuth below the zero
// wraps round once when the zero is positive and gives 0 otherwise; a result above 255 is 255
// when the zero is not negative and wraps back once otherwise. The arithmetic is done in a
// wide type and the result is held to 0..255: with a negative zero and a large factor the
// wrapped value can still lie outside a byte, and its low 8 bits would turn the antenna
// somewhere unrelated. Factors of any size (and NaN) give a byte, never undefined behaviour.
int lpt_output_value(double azimuth, double zero, double factor);

// The base address of LPT choice `lpt` (0..2) from the addresses learned at start-up; 0 for
// no choice (-1), a choice out of range, or a port that does not exist.
std::uint16_t lpt_base_address(const std::array<unsigned short, 3>& addresses, int lpt);

// Registers as offsets from the port's base address.
enum class LptRegister : std::uint16_t { Data = 0, Control = 2 };

// One write of a sequence: the register, the value (or the calibrated byte), and the pause
// after it in whole milliseconds (0: the next write follows at once).
struct LptWrite {
    LptRegister reg;
    int value;
    bool output_value; // writes the calibrated byte instead of `value`
    int pause_ms;
};

// PourSat: eight writes, no pauses. FODTrack: ten writes with pauses of 80 ms in all.
std::span<const LptWrite> poursat_sequence();
std::span<const LptWrite> fodtrack_sequence();
// The sequence of PourSat or FODTrack; empty for every other interface.
std::span<const LptWrite> lpt_sequence(RotorInterface which);

// Waits at least n whole milliseconds.
using PauseFunction = void (*)(int milliseconds);

// Runs `sequence` on the port at `base`, pausing after each write as it says. The outcome is
// left in the library for GetLastState.
void run_lpt_sequence(ParallelPortLibrary& port, std::uint16_t base,
                      std::span<const LptWrite> sequence, int output_value, PauseFunction pause);

// Returns once at least n whole milliseconds have passed on the monotonic clock. The thread
// sleeps to an absolute deadline, so signals and early wake-ups neither shorten the pause nor
// make it spin; n <= 0 returns at once.
void pause_milliseconds(int n);

} // namespace kestrav
