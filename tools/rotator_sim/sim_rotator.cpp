#include "sim_rotator.h"

#include <algorithm>
#include <cmath>

namespace kestrav::sim {

namespace {

// Moves `position` toward `target` by at most `step`; true when it got there.
bool turn_toward(double& position, double target, double step) {
    if (std::fabs(target - position) <= step) {
        position = target;
        return true;
    }
    position += target > position ? step : -step;
    return false;
}

} // namespace

SimElevation::SimElevation(double speedDegPerS, double range, double start)
    : speed_(speedDegPerS > 0 ? speedDegPerS : 0), range_(range > 90 ? 180 : 90),
      position_(std::clamp(start, 0.0, range_)), target_(position_) {}

bool SimElevation::setTarget(double elevation) {
    if (!(elevation >= 0 && elevation <= range_))
        return false;
    target_ = elevation;
    return true;
}

bool SimElevation::advance(double seconds) {
    if (!moving() || seconds <= 0)
        return false;
    return turn_toward(position_, target_, speed_ * seconds);
}

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

void SimRotator::stop() {
    stopAzimuth();
    if (elevation_)
        elevation_->stop();
}

bool SimRotator::advance(double seconds) {
    if (!moving() || seconds <= 0)
        return false;
    if (azimuthMoving())
        turn_toward(position_, target_, speed_ * seconds);
    if (elevation_)
        elevation_->advance(seconds);
    return !moving();
}

} // namespace kestrav::sim
