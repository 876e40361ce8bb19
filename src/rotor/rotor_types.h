#pragma once
// Values shared by every rotator interface.

namespace kestrav {

// Order of the dialog's interface choice; the value is the item index.
enum class RotorInterface : int {
    None = -1,
    PourSat = 0,
    FodTrack = 1,
    Ea4tx = 2,
    Gs232 = 3,
    EasyComm = 4,
    Network = 5 // a client of Hamlib's rotctld; chosen only by those who set it up
};
// The five interfaces every settings file knows; the network one comes after them.
inline constexpr int kRotorInterfaceCount = 5;
inline constexpr int kAllRotorInterfaceCount = 6;

// Where the rotator's mechanical end stop lies. With S the azimuth is sent on a scale whose
// 0 points south.
enum class StopSide : int { N = 0, S = 1 };

// How far a serial or network rotator turns: 0 to 360 (every bearing one position), 0 to 450
// (a 90-degree overlap past north), or, for rotctld, the range it reports itself.
enum class RangeChoice : int { Turn360 = 0, Turn450 = 1, Reported = 2 };

// Whether a GS-232 or EasyComm rotator also turns in elevation, and how high: 90 degrees, or
// 180 for a rotator that flips over the zenith.
struct AzElChoice {
    bool on = false;
    int max_elevation = 90;

    friend bool operator==(const AzElChoice&, const AzElChoice&) = default;
};

// The elevations an azimuth-elevation rotator reaches, in degrees.
struct ElevationRange {
    double min = 0;
    double max = 90;

    bool reaches(double elevation) const { return elevation >= min && elevation <= max; }
    friend bool operator==(const ElevationRange&, const ElevationRange&) = default;
};

} // namespace kestrav
