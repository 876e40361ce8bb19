#pragma once
// Where the Sun stands, from the time in UTC: its declination, the equation of time, the
// point of the Earth it stands over, how high it is seen from any place, and the times of
// sunrise and sunset. The low-precision formulas of NOAA's solar calculator (after Meeus,
// Astronomical Algorithms, chapters 25 and 28): within 0.01 degree of declination and a few
// seconds of the equation of time from 1950 to 2100, enough for the map and its times.

#include "map/azimuthal_projection.h"

#include <QDate>
#include <QDateTime>

#include <optional>

namespace kestrav {

struct SunPosition {
    double declination = 0;      // degrees, north positive
    double equation_of_time = 0; // minutes: apparent solar time less mean solar time
    GeoPoint subsolar;           // where the Sun stands at the zenith
};

SunPosition sun_position(const QDateTime& utc);

// How far above the horizon the Sun's centre stands, geometrically, as the sine of its
// elevation: the dot product of the place's unit vector and the Sun's.
double sun_elevation_sine(EarthVector place, const SunPosition& sun);

// The light at a place, by the Sun's elevation: day above -0.83 degrees (the Sun's upper
// limb at the horizon, refraction included), civil twilight to -6, nautical to -12, then
// night.
enum class Daylight { Day, CivilTwilight, NauticalTwilight, Night };

inline constexpr double kSunriseElevation = -0.833; // degrees
inline constexpr double kCivilTwilightEnd = -6;
inline constexpr double kNauticalTwilightEnd = -12;

Daylight daylight_at(double elevation_sine);
inline Daylight daylight_at(GeoPoint place, const SunPosition& sun) {
    return daylight_at(sun_elevation_sine(to_vector(place), sun));
}

// Sunrise and sunset of the day around the place's solar noon on `date` (UTC): the noon
// falls on that date, the rise or set may fall on the day before or after. Polar day has
// neither and `polar_day` set; polar night has neither and `polar_day` clear.
struct SunEvents {
    std::optional<QDateTime> sunrise;
    std::optional<QDateTime> sunset;
    bool polar_day = false;
};

SunEvents sun_events(GeoPoint place, QDate date);

} // namespace kestrav
