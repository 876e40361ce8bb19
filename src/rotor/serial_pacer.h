#pragma once
// The commands of one serial rotator line, paced to what the line carries. A command goes
// out at once when the line is free; while the previous one is still on its way (its bytes
// take their time at the line's speed), the next waits. The operator's own commands wait in
// their order; a request from another program waits in place of any other such request not
// yet gone out (the latest wins), so that a flood of requests never queues more than one
// command. A STOP drops everything waiting. Nothing here waits on the line: a write takes
// what the line takes now, and the rest goes from a timer.

#include "rotor/comm_port_driver.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <optional>

namespace kestrav {

class SerialPacer : public QObject {
    Q_OBJECT
public:
    enum class Sent {
        Now,     // written, the line took it whole
        Waiting, // goes out once the line is free (or replaced by a later request)
        Refused, // the line, free, takes nothing (stopped by its flow control, say)
    };

    SerialPacer(TCommPortDriver& driver, MillisecondClock clock, QObject* parent = nullptr);

    // `replaceable`: a request from another program, which a later one may replace.
    Sent send(const QByteArray& command, bool replaceable);
    // A question to the rotator (its position): dropped when one is already waiting.
    void ask(const QByteArray& question);
    // STOP: everything waiting goes, and the stop is written now, after the rest of a command
    // the line has begun to take (no half command reaches the controller).
    void stop(const QByteArray& stop);
    // Everything goes, a command begun included: the port is being closed.
    void reset();
    bool idle() const;
    // Commands waiting, for tests and benchmarks.
    int waiting() const;

    // How often a waiting command looks whether the line is free.
    static constexpr int kDrainMilliseconds = 2;

signals:
    // A waiting command the line never took within its output time-out.
    void dropped();

private:
    bool busy() const;
    void clear();
    Sent write(const QByteArray& command);
    void drain();
    void schedule();

    TCommPortDriver& driver_;
    MillisecondClock clock_;
    QTimer timer_;
    QByteArray remainder_; // the rest of a command the line has begun to take
    std::deque<QByteArray> desk_;
    std::optional<QByteArray> latest_; // the newest request from another program
    std::optional<QByteArray> question_;
    double busy_until_ = 0;          // when the last bytes written are through the line, in ms
    std::int64_t waiting_since_ = 0; // when the line last made progress with something waiting
};

} // namespace kestrav
