#include "sim_rotator.h"

#include <algorithm>
#include <cmath>

namespace kestrav::sim {

SimRotator::SimRotator(double speedDegPerS, EndStop stop, double start, double range)
    : speed_(speedDegPerS > 0 ? speedDegPerS : 0), stop_(stop), range_(range > 360 ? range : 360),
      position_(std::clamp(start, 0.0, range_)), target_(position_) {}

double SimRotator::trueBearing() const {
    if (stop_ == EndStop::North)
        return position_ > 360 ? position_ - 360 : position_;
    return std::fmod(position_ + 180, 360);
}

void SimRotator::setTarget(double scalePosition) {
    target_ = std::isnan(scalePosition) ? position_ : std::clamp(scalePosition, 0.0, range_);
}

bool SimRotator::advance(double seconds) {
    if (!moving() || seconds <= 0)
        return false;
    const double step = speed_ * seconds;
    if (std::fabs(target_ - position_) <= step) {
        position_ = target_;
        return true;
    }
    position_ += target_ > position_ ? step : -step;
    return false;
}

} // namespace kestrav::sim
