#include "map/sun.h"

#include "geodesy/bearing.h"

#include <algorithm>
#include <cmath>

namespace kestrav {

namespace {

constexpr double kDegree = kPi / 180;

double degrees_in_circle(double degrees) {
    const double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360 : d;
}

// -180 to 180.
double signed_longitude(double degrees) {
    const double d = degrees_in_circle(degrees + 180) - 180;
    return d;
}

// Julian centuries since J2000.0. Universal time stands in for terrestrial time: the minute
// or so between them moves the Sun by a few arc-seconds.
double julian_centuries(const QDateTime& utc) {
    const double days = utc.toMSecsSinceEpoch() / 86400000.0 + 2440587.5 - 2451545.0;
    return days / 36525.0;
}

// Minutes since midnight UTC of the day that holds `utc`.
double minutes_of_day(const QDateTime& utc) {
    const qint64 ms = utc.toMSecsSinceEpoch();
    const qint64 day_ms = 86400000;
    return static_cast<double>(((ms % day_ms) + day_ms) % day_ms) / 60000.0;
}

} // namespace

SunPosition sun_position(const QDateTime& utc) {
    const double t = julian_centuries(utc);
    // Mean longitude and mean anomaly of the Sun, eccentricity of the Earth's orbit.
    const double l0 = degrees_in_circle(280.46646 + t * (36000.76983 + t * 0.0003032));
    const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double mr = m * kDegree;
    // Equation of the centre, true and apparent longitude (nutation and aberration).
    const double c = std::sin(mr) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                     std::sin(2 * mr) * (0.019993 - 0.000101 * t) + std::sin(3 * mr) * 0.000289;
    const double omega = (125.04 - 1934.136 * t) * kDegree;
    const double lambda = (l0 + c - 0.00569 - 0.00478 * std::sin(omega)) * kDegree;
    // Obliquity of the ecliptic, corrected for nutation.
    const double seconds = 21.448 - t * (46.815 + t * (0.00059 - t * 0.001813));
    const double epsilon =
        (23.0 + (26.0 + seconds / 60.0) / 60.0 + 0.00256 * std::cos(omega)) * kDegree;

    SunPosition sun;
    sun.declination = std::asin(std::sin(epsilon) * std::sin(lambda)) / kDegree;
    const double y = std::pow(std::tan(epsilon / 2), 2);
    const double l0r = l0 * kDegree;
    const double eot = y * std::sin(2 * l0r) - 2 * e * std::sin(mr) +
                       4 * e * y * std::sin(mr) * std::cos(2 * l0r) -
                       0.5 * y * y * std::sin(4 * l0r) - 1.25 * e * e * std::sin(2 * mr);
    sun.equation_of_time = 4 * eot / kDegree;
    // The Sun crosses the meridian where apparent solar time is noon.
    const double solar_minutes = minutes_of_day(utc) + sun.equation_of_time;
    sun.subsolar = {sun.declination, signed_longitude(-(solar_minutes - 720) / 4)};
    return sun;
}

double sun_elevation_sine(EarthVector place, const SunPosition& sun) {
    const EarthVector s = to_vector(sun.subsolar);
    return place.x * s.x + place.y * s.y + place.z * s.z;
}

Daylight daylight_at(double elevation_sine) {
    static const double day = std::sin(kSunriseElevation * kDegree);
    static const double civil = std::sin(kCivilTwilightEnd * kDegree);
    static const double nautical = std::sin(kNauticalTwilightEnd * kDegree);
    if (elevation_sine >= day)
        return Daylight::Day;
    if (elevation_sine >= civil)
        return Daylight::CivilTwilight;
    if (elevation_sine >= nautical)
        return Daylight::NauticalTwilight;
    return Daylight::Night;
}

SunEvents sun_events(GeoPoint place, QDate date) {
    const QDateTime midnight(date, QTime(0, 0), Qt::UTC);
    const double longitude = signed_longitude(place.longitude);
    const double phi = place.latitude * kDegree;
    const double h0 = std::sin(kSunriseElevation * kDegree);
    // The cosine of the Sun's hour angle at the horizon, from its position at `minutes`
    // after midnight; and the place's solar noon then.
    struct Horizon {
        double cos_hour_angle;
        double noon;
    };
    const auto horizon = [&](double minutes) {
        const SunPosition sun = sun_position(midnight.addMSecs(std::llround(minutes * 60000)));
        const double delta = sun.declination * kDegree;
        return Horizon{(h0 - std::sin(phi) * std::sin(delta)) / (std::cos(phi) * std::cos(delta)),
                       720 - 4 * longitude - sun.equation_of_time};
    };

    SunEvents events;
    const Horizon at_noon = horizon(720 - 4 * longitude);
    if (at_noon.cos_hour_angle > 1)
        return events; // the Sun stays below the horizon
    if (at_noon.cos_hour_angle < -1) {
        events.polar_day = true;
        return events;
    }
    // Each event from the Sun's position at that event, found in a few steps from noon.
    const auto event = [&](double side) {
        double minutes = at_noon.noon;
        for (int step = 0; step < 4; ++step) {
            const Horizon h = horizon(minutes);
            const double hour_angle = std::acos(std::clamp(h.cos_hour_angle, -1.0, 1.0));
            minutes = h.noon + side * 4 * hour_angle / kDegree;
        }
        return midnight.addMSecs(std::llround(minutes * 60000));
    };
    events.sunrise = event(-1);
    events.sunset = event(1);
    return events;
}

} // namespace kestrav
