#pragma once
// Great-circle azimuth and distance on a sphere where one minute of arc is 1.852 km.

namespace kestrav {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kKmPerDegree = 1.852 * 60;       // 111.12
inline constexpr double kCircumferenceKm = 360 * 111.12; // 40003.2
inline constexpr double kCoincidenceKm = 0.001;          // below it the azimuth is 0
inline constexpr double kMilesPerKm = 1 / 1.609;

// A latitude or longitude from its magnitude and its hemisphere (north or east positive).
inline double signed_degrees(double magnitude, bool positive) {
    return positive ? magnitude : -magnitude;
}

struct Bearing {
    double azimuth = 0;     // degrees clockwise from true north, 0 to 360
    double distance_km = 0; // along the short path
};

// Short-path azimuth and distance from A to B, signed degrees (north and east positive).
// The cosine of the central angle is clamped to [-1, 1], so nearly coincident and nearly
// antipodal stations never give NaN. Coincident points (under 0.001 km) give azimuth 0.
Bearing great_circle_bearing(double lat_a, double lon_a, double lat_b, double lon_b);

// The reverse heading: azimuth + 180 (minus 360 at 360 or more).
double reverse_azimuth(double azimuth);

// Long path: reversed azimuth, distance 40003.2 km minus the short one.
Bearing long_path(Bearing short_path);

} // namespace kestrav
