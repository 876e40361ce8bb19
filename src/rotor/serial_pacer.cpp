#include "rotor/serial_pacer.h"

#include "rotor/rotor_protocol.h"

#include <algorithm>
#include <utility>

namespace kestrav {

namespace {

// A character on the line: a start bit, the data bits, a parity bit and the stop bits.
double milliseconds_per_byte(const TCommPortDriver& driver) {
    const int rate = std::max(1, com_port_bit_rate(driver.ComPortSpeed()));
    const double bits = 1 + 5 + driver.ComPortDataBits() +
                        (driver.ComPortParity() == ptNONE ? 0 : 1) +
                        (driver.ComPortStopBits() == sb1BITS ? 1 : 2);
    return bits * 1000.0 / rate;
}

} // namespace

SerialPacer::SerialPacer(TCommPortDriver& driver, MillisecondClock clock, QObject* parent)
    : QObject(parent), driver_(driver), clock_(std::move(clock)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDrainMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &SerialPacer::drain);
}

bool SerialPacer::idle() const {
    return remainder_.isEmpty() && desk_.empty() && !latest_ && !question_;
}

int SerialPacer::waiting() const {
    return static_cast<int>(desk_.size()) + (latest_ ? 1 : 0) + (question_ ? 1 : 0);
}

// Busy while the bytes written last are still going through the line at its speed, or while
// the device still holds some (a real port reports them; a pseudo-terminal does not).
bool SerialPacer::busy() const {
    return static_cast<double>(clock_()) < busy_until_ || !remainder_.isEmpty() ||
           driver_.OutputFreeSpace() < driver_.ComPortOutBufSize();
}

// The operator's command goes at once, as it always has, and makes any request still waiting
// out of date; it waits only behind the rest of a command begun, or, when the line takes
// nothing, until the line takes it. A request waits while the line is busy.
SerialPacer::Sent SerialPacer::send(const QByteArray& command, bool replaceable) {
    if (!replaceable) {
        latest_.reset();
        if (!remainder_.isEmpty()) {
            desk_.push_back(command);
            schedule();
            return Sent::Waiting;
        }
        const Sent sent = write(command);
        if (sent == Sent::Refused) {
            remainder_ = command;
            waiting_since_ = clock_();
            schedule();
        }
        return sent;
    }
    if (idle() && !busy())
        return write(command);
    latest_ = command;
    schedule();
    return Sent::Waiting;
}

void SerialPacer::stop(const QByteArray& stop) {
    clear();
    const QByteArray out = std::exchange(remainder_, {}) + stop;
    timer_.stop();
    driver_.WriteAvailable(out.constData(), static_cast<std::int32_t>(out.size()));
}

// Closing the port lets what the device holds go out first: the line is free afterwards.
void SerialPacer::reset() {
    clear();
    remainder_.clear();
    timer_.stop();
    busy_until_ = 0;
}

void SerialPacer::ask(const QByteArray& question) {
    if (question_)
        return;
    if (idle() && !busy()) {
        write(question);
        return;
    }
    question_ = question;
    schedule();
}

void SerialPacer::clear() {
    desk_.clear();
    latest_.reset();
    question_.reset();
    if (remainder_.isEmpty())
        timer_.stop();
}

SerialPacer::Sent SerialPacer::write(const QByteArray& command) {
    const std::int64_t now = clock_();
    const std::int32_t taken =
        driver_.WriteAvailable(command.constData(), static_cast<std::int32_t>(command.size()));
    if (taken <= 0)
        return Sent::Refused;
    busy_until_ =
        std::max(busy_until_, static_cast<double>(now)) + taken * milliseconds_per_byte(driver_);
    if (taken < command.size()) {
        remainder_ = command.mid(taken);
        waiting_since_ = now;
        schedule();
    }
    return Sent::Now;
}

void SerialPacer::schedule() {
    if (!timer_.isActive())
        timer_.start();
}

// The next waiting bytes, once the line is free: the rest of a command begun, then the
// operator's commands in their order, then the newest request, then a question.
void SerialPacer::drain() {
    if (!driver_.IsOpen()) {
        remainder_.clear();
        clear();
        return;
    }
    const std::int64_t now = clock_();
    if (!remainder_.isEmpty()) {
        const std::int32_t taken = driver_.WriteAvailable(
            remainder_.constData(), static_cast<std::int32_t>(remainder_.size()));
        if (taken > 0) {
            busy_until_ = std::max(busy_until_, static_cast<double>(now)) +
                          taken * milliseconds_per_byte(driver_);
            remainder_.remove(0, taken);
            waiting_since_ = now;
        } else if (now - waiting_since_ > driver_.OutputTimeout()) {
            // The line has taken nothing for its whole time-out: what waits is given up.
            remainder_.clear();
            clear();
            emit dropped();
            return;
        }
    } else if (!busy()) {
        std::optional<QByteArray> next;
        if (!desk_.empty()) {
            next = desk_.front();
            desk_.pop_front();
        } else if (latest_) {
            next = std::exchange(latest_, std::nullopt);
        } else if (question_) {
            next = std::exchange(question_, std::nullopt);
        }
        if (next && write(*next) == Sent::Refused) {
            remainder_ = *next; // taken whole later, or given up after the time-out
            waiting_since_ = now;
        }
    }
    if (!idle())
        schedule();
}

} // namespace kestrav
