#include "geodesy/bearing.h"

#include <algorithm>
#include <cmath>

namespace kestrav {

Bearing great_circle_bearing(double lat_a, double lon_a, double lat_b, double lon_b) {
    if (!std::isfinite(lat_a) || !std::isfinite(lon_a) || !std::isfinite(lat_b) ||
        !std::isfinite(lon_b))
        return {};

    const double phi_a = lat_a * kPi / 180;
    const double lambda_a = lon_a * kPi / 180;
    const double phi_b = lat_b * kPi / 180;
    const double lambda_b = lon_b * kPi / 180;

    // Rounding can push the cosine just past 1 for nearly coincident stations and past -1
    // for nearly antipodal ones; clamped, the central angle stays within 0 to pi.
    double x = std::cos(lambda_b - lambda_a) * (std::cos(phi_a) * std::cos(phi_b)) +
               std::sin(phi_a) * std::sin(phi_b);
    x = std::clamp(x, -1.0, 1.0);
    const double d = std::atan2(std::sqrt(1 - x * x), x);

    Bearing result;
    result.distance_km = d * 180 * 1.852 * 60 / kPi;
    if (result.distance_km < kCoincidenceKm)
        return result;

    // A is the square of the sine of half the azimuth. Its divisor vanishes at the poles and
    // at the antipode; there, and whenever the quotient is not a number, the azimuth is 0.
    const double divisor = 2 * std::cos(phi_a) * std::sin(d);
    double a = 0;
    if (divisor != 0) {
        a = (std::sin(phi_a + d) - std::sin(phi_b)) / divisor;
        if (!std::isfinite(a))
            a = 0;
    }
    a = std::min(a, 1.0);

    double azimuth = 0;
    if (a > 0) {
        const double y = std::sqrt(a);
        azimuth = 2 * std::atan2(y, std::sqrt(std::max(0.0, 1 - y * y)));
    }
    azimuth = azimuth * 180 / kPi;

    // The west side is decided on the raw longitude difference, not brought into -pi to pi:
    // a difference beyond +pi is a short way west across the date line, one at or below -pi
    // a short way east.
    const double delta_lambda = lambda_b - lambda_a;
    if ((delta_lambda > -kPi && delta_lambda < 0) || delta_lambda > kPi)
        azimuth = 360 - azimuth;
    result.azimuth = azimuth;
    return result;
}

double reverse_azimuth(double azimuth) {
    double reversed = azimuth + 180;
    if (reversed >= 360)
        reversed -= 360;
    return reversed;
}

Bearing long_path(Bearing short_path) {
    return {reverse_azimuth(short_path.azimuth), kCircumferenceKm - short_path.distance_km};
}

} // namespace kestrav
