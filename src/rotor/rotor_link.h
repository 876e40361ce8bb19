#pragma once
// The seam between the rotor controller and Hamlib's rotctld.

#include "rotor/overlap.h"
#include "rotor/rotor_types.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace kestrav {

// The connection to Hamlib's rotctld as the controller uses it. The real one speaks TCP and
// lives with the window code; tests give a recording one.
class RotorLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setAddress(const QString& host, quint16 port) = 0;
    // Connected, or being connected.
    virtual bool isOpen() const = 0;
    // The text that turns to `tenths` of a degree, as `turn` sends it.
    virtual QByteArray turnCommand(long long tenths) const = 0;
    virtual void turn(long long tenths) = 0;
    // An azimuth-elevation rotator's turn, both axes in tenths of a degree.
    virtual void turnBoth(long long tenths, long long elevation_tenths) {
        (void)elevation_tenths;
        turn(tenths);
    }
    virtual void stop() = 0;
    // Asks the position, connecting if need be, unless a question is still unanswered. A
    // connection that fails for a position question alone is not told.
    virtual void askHeading() = 0;
    // Asks the rotator's range, connecting if need be; rangeReceived tells the answer.
    virtual void askRange() = 0;
    // The range the rotator reported on this connection: its own when it told a sensible one,
    // 0 to 360 when it told none; nothing before the answer.
    virtual std::optional<RotorRange> reportedRange() const = 0;
    // The elevations of an azimuth-elevation rotator, as its range told them; nothing for an
    // azimuth rotator or before the answer.
    virtual std::optional<ElevationRange> reportedElevationRange() const { return std::nullopt; }
    // Lets what was sent go out, then closes.
    virtual void close() = 0;
    // At exit, with no event loop to come: waits at most `milliseconds` for what is queued.
    virtual void finish(int milliseconds) = 0;

signals:
    // The connection failed or a command was refused; told after the fact.
    void failed(const QString& reason);
    void headingReceived(double degrees);
    void elevationReceived(double degrees);
    void rangeReceived();
};

} // namespace kestrav
