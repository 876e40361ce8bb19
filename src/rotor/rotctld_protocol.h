#pragma once
// Kestrav as a rotctld: the line protocol of Hamlib's rotator daemon (the one its network
// backend, "NET rotctl", speaks), as pure code. A line comes in, the answer text goes out;
// what a command does to the rotator goes through RotorService. Numbers are read and
// written in the C locale whatever the desktop's locale.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kestrav {

// Hamlib's return codes, as "RPRT n" carries them.
enum class RotctldCode : int {
    Ok = 0,
    InvalidArgument = -1, // a bad number, a missing argument, an unknown command
    NotImplemented = -4,  // a command of the protocol that Kestrav has no use for
    Timeout = -5,         // the rotator's line did not take the whole command in time
    InputOutput = -6,     // the command did not reach the rotator
    NotAvailable = -11,   // parking asked for while none is set
};

// What the rest of the program offers to a rotctld client.
class RotorService {
public:
    enum class Outcome {
        Done,        // handed to the rotator interface (or dropped by its minimum step)
        Refused,     // an azimuth the program or the interface refuses: nothing was sent
        Failed,      // the interface could not be reached
        TimedOut,    // the line took only part of the command within its time-out
        Unavailable, // parking without a parking azimuth
    };
    struct Range {
        double min_azimuth = 0;
        double max_azimuth = 360;
        // An azimuth-elevation rotator, and its elevations; an azimuth rotator still takes
        // (and ignores) elevations from 0 to 90, as Hamlib's rotctld reports them.
        bool az_el = false;
        double min_elevation = 0;
        double max_elevation = 90;
    };

    virtual ~RotorService() = default;
    // A position with its elevation checked; whether it is within range() is the service's
    // to decide (and to tell).
    virtual Outcome go_to(double azimuth) = 0;
    // The same with the elevation, within range()'s: it turns an azimuth-elevation rotator.
    virtual Outcome go_to_both(double azimuth, double elevation) {
        (void)elevation;
        return go_to(azimuth);
    }
    virtual void stop() = 0;
    virtual Outcome park() = 0;
    // The antenna's real heading when the interface reports one, else the last azimuth sent
    // (0 before any).
    virtual double position() = 0;
    // The elevation likewise, read with position(); 0 for an azimuth rotator.
    virtual double elevation() { return 0; }
    virtual Range range() const = 0;
    // One line that names the rotator behind the server, for "get_info".
    virtual QString info() const = 0;
};

// The line this process's server answers get_info with: "Kestrav" and a token drawn once per
// process, so that the link to rotctld can tell when the rotctld it reached is this very
// process (whose GO would only come back to itself). Another Kestrav draws another token.
QString rotctld_own_info();

// The longest line a client may send, its line end included; a longer one is refused whole.
inline constexpr int kRotctldLineLimit = 256;

struct RotctldAnswer {
    QByteArray text;      // what goes back to the client, possibly empty
    bool close = false;   // the client asked to end the connection ("q")
    bool garbage = false; // nothing on the line was a command of the protocol
};

// Answers one line, without its line end (a trailing CR is ignored). Several commands may
// share a line ("p p"); each may start with "+" (extended answers, one item per line) or with
// ";", "|" or "," (extended answers on one line, items separated by that character).
RotctldAnswer rotctld_answer(QByteArrayView line, RotorService& rotator);

// The answer to a line longer than kRotctldLineLimit.
QByteArray rotctld_oversized_line_answer();

} // namespace kestrav
