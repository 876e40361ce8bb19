#pragma once
// A serial device for tests: a scripted line whose state the test keeps (FakeSerialLine,
// shared with the device the port component owns) and whose faults are named fields. Time is
// the line's own millisecond counter, which a wait for output room advances, so time-outs run
// instantly and deterministically when the component is given fake_serial_clock(line).

#include "rotor/serial_device.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestrav {

struct FakeSerialFaults {
    bool busy = false;        // every open fails, as if another program held the port
    int stallAfterBytes = -1; // the line takes this many bytes in all, then never drains
    int goneAfterBytes = -1;  // the device vanishes once this many bytes have gone out
    bool goneOnRead = false;  // the next read reports the device gone
    int chunk = 0;            // at most this many bytes per write call; 0: no limit
    int drainAfterMs = -1;    // with stallAfterBytes: the stall ends after a wait this long
};

struct FakeSerialLine {
    QStringList presentPaths; // paths that open
    FakeSerialFaults faults;

    // What happened on the line.
    QString openedPath; // the path of the current or last open
    bool open = false;
    int opens = 0;
    int closes = 0;
    QByteArray written;
    std::vector<SerialLineSettings> applied;
    int inputPurges = 0;
    int outputPurges = 0;
    int outputQueue = 0; // what outputQueued() reports
    int reads = 0;
    QByteArray incoming; // bytes the next reads deliver

    std::int64_t nowMs = 0; // the line's clock
    int waits = 0;
};

class FakeSerialDevice final : public SerialDevice {
public:
    explicit FakeSerialDevice(std::shared_ptr<FakeSerialLine> line);
    ~FakeSerialDevice() override;

    bool open(const QString& path) override;
    void close() override;
    bool isOpen() const override;
    int openError() const override { return open_error_; }
    void applyLineSettings(const SerialLineSettings& settings) override;
    void purge(bool input, bool output) override;
    int outputQueued() override;
    SerialIoResult write(const char* data, int count) override;
    // Advances the line's clock by the wait it performs.
    SerialWaitResult waitWritable(int timeoutMs) override;
    SerialIoResult read(char* buffer, int size) override;

private:
    std::shared_ptr<FakeSerialLine> line_;
    bool gone_ = false;
    int open_error_ = 0;
};

// A clock reading the line's counter, for the port component under test.
std::function<std::int64_t()> fake_serial_clock(std::shared_ptr<FakeSerialLine> line);

} // namespace kestrav
