#pragma once
// The simulated antenna of the rotator controller emulator: a position on the controller's
// own scale, 0..360 or for a rotator with an overlap 0..450, that turns toward its target at a
// fixed speed. The end stop lies at both ends of the scale, so the antenna never turns through
// it: from 350 to 10 it turns back through 180 (on a 450 scale, 10 can also be reached as 370,
// through the overlap). With the end stop at south the scale's 0 points south (true bearing 180).

namespace kestrav::sim {

enum class EndStop { North, South };

class SimRotator {
public:
    SimRotator(double speedDegPerS, EndStop stop, double start = 0, double range = 360);

    double position() const { return position_; }
    double target() const { return target_; }
    double speed() const { return speed_; }
    EndStop endStop() const { return stop_; }
    // The end of the scale: 360, or 450 for a rotator with a 90-degree overlap.
    double range() const { return range_; }
    bool moving() const { return position_ != target_; }
    // The bearing the antenna points to (0 to 360): the position, or with a south stop
    // position + 180; a position in the overlap points where position - 360 does.
    double trueBearing() const;

    // Targets outside the scale are held at its ends.
    void setTarget(double scalePosition);
    void stop() { target_ = position_; }
    // Turns for the given time; returns true when the antenna reached its target in it.
    bool advance(double seconds);

private:
    double speed_;
    EndStop stop_;
    double range_;
    double position_;
    double target_;
};

} // namespace kestrav::sim
