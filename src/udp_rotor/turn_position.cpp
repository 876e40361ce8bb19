#include "udp_rotor/turn_position.h"

#include <cmath>

namespace kestrav {

double turn_position(double azimuth, bool both_ways, std::optional<double> position,
                     const RotorRange& range) {
    if (!(azimuth >= 0 && azimuth <= 360))
        return azimuth;
    const std::optional<HeadingReading> heading =
        position ? std::optional<HeadingReading>(HeadingReading{*position, 0}) : std::nullopt;
    const auto reach = [&](double bearing) {
        return overlap_position(bearing_of_position(bearing), range, heading);
    };
    const std::optional<double> direct = reach(azimuth);
    if (!both_ways || !position)
        return direct.value_or(azimuth);
    const std::optional<double> reverse = reach(azimuth + 180);
    if (!direct || (reverse && std::fabs(*reverse - *position) < std::fabs(*direct - *position)))
        return reverse.value_or(azimuth);
    return *direct;
}

} // namespace kestrav
