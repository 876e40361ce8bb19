#pragma once
// The simulated antenna of the rotator controller emulator: a position on the controller's
// own scale, 0..360 or for a rotator with an overlap 0..450, that turns toward its target at a
// fixed speed. The end stop lies at both ends of the scale, so the antenna never turns through
// it: from 350 to 10 it turns back through 180 (on a 450 scale, 10 can also be reached as 370,
// through the overlap). With the end stop at south the scale's 0 points south (true bearing 180).
// An azimuth-elevation rotator has an elevation axis beside it that turns on its own.

#include <optional>

namespace kestrav::sim {

enum class EndStop { North, South };

// The elevation axis: 0 (the horizon) up to 90, or up to 180 for a rotator that flips over
// the zenith, turning toward its target at its own speed. A target outside its range is
// refused and changes nothing, as the controllers refuse it.
class SimElevation {
public:
    SimElevation(double speedDegPerS, double range = 90, double start = 0);

    double position() const { return position_; }
    double target() const { return target_; }
    double speed() const { return speed_; }
    double range() const { return range_; }
    bool moving() const { return position_ != target_; }

    // False, and the target kept, for an angle outside 0..range() or not a number.
    bool setTarget(double elevation);
    void stop() { target_ = position_; }
    // Turns for the given time; returns true when the axis reached its target in it.
    bool advance(double seconds);

private:
    double speed_;
    double range_;
    double position_;
    double target_;
};

class SimRotator {
public:
    SimRotator(double speedDegPerS, EndStop stop, double start = 0, double range = 360);

    double position() const { return position_; }
    double target() const { return target_; }
    double speed() const { return speed_; }
    EndStop endStop() const { return stop_; }
    // The end of the scale: 360, or 450 for a rotator with a 90-degree overlap.
    double range() const { return range_; }
    // Either axis turning.
    bool moving() const { return azimuthMoving() || (elevation_ && elevation_->moving()); }
    bool azimuthMoving() const { return position_ != target_; }
    // The bearing the antenna points to (0 to 360): the position, or with a south stop
    // position + 180; a position in the overlap points where position - 360 does.
    double trueBearing() const;

    // Targets outside the scale are held at its ends.
    void setTarget(double scalePosition);
    // Stops both axes.
    void stop();
    void stopAzimuth() { target_ = position_; }
    // Turns both axes for the given time; returns true when the antenna came to rest in it.
    bool advance(double seconds);

    // The elevation axis of an azimuth-elevation rotator; none for an azimuth rotator.
    void setElevation(const SimElevation& axis) { elevation_ = axis; }
    SimElevation* elevation() { return elevation_ ? &*elevation_ : nullptr; }
    const SimElevation* elevation() const { return elevation_ ? &*elevation_ : nullptr; }

private:
    double speed_;
    EndStop stop_;
    double range_;
    double position_;
    double target_;
    std::optional<SimElevation> elevation_;
};

} // namespace kestrav::sim
