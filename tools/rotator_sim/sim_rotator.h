#pragma once
// The simulated antenna of the rotator controller emulator: a position on the controller's
// own 0..360 scale that turns toward its target at a fixed speed. The end stop lies at both
// ends of the scale, so the antenna never turns through it: from 350 to 10 it turns back
// through 180. With the end stop at south the scale's 0 points south (true bearing 180).

namespace kestrav::sim {

enum class EndStop { North, South };

class SimRotator {
public:
    SimRotator(double speedDegPerS, EndStop stop, double start = 0);

    double position() const { return position_; }
    double target() const { return target_; }
    double speed() const { return speed_; }
    EndStop endStop() const { return stop_; }
    bool moving() const { return position_ != target_; }
    // The bearing the antenna points to: the position, or with a south stop position + 180.
    double trueBearing() const;

    // Targets outside the scale are held at its ends.
    void setTarget(double scalePosition);
    void stop() { target_ = position_; }
    // Turns for the given time; returns true when the antenna reached its target in it.
    bool advance(double seconds);

private:
    double speed_;
    EndStop stop_;
    double position_;
    double target_;
};

} // namespace kestrav::sim
