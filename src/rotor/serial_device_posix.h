#pragma once
// The real serial device over POSIX termios. The descriptor stays non-blocking for its whole
// life, so no write or read can hang on a peer that never reads or a device that vanished.
// Exclusive use is TIOCEXCL (stops other non-root opens) plus flock(LOCK_EX|LOCK_NB), which
// also stops a second open by root or by this process.

#include "rotor/serial_device.h"

namespace kestrav {

class PosixSerialDevice final : public SerialDevice {
public:
    PosixSerialDevice() = default;
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    // False when already open (the held device is kept).
    bool open(const QString& path) override;
    // The line settings are left as they are: restoring earlier ones here could change the
    // rate under bytes still queued for the line (a stop command sent just before closing).
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    int openError() const override { return open_error_; }

    // Raw mode; the rate through the classic table or, outside it, termios2.
    void applyLineSettings(const SerialLineSettings& settings) override;
    void purge(bool input, bool output) override;
    int outputQueued() override;

    SerialIoResult write(const char* data, int count) override;
    SerialWaitResult waitWritable(int timeoutMs) override;
    // A 0-byte read counts as Gone only when poll() also reports a hang-up: in raw mode with
    // no minimum count, an empty read is the normal "nothing has arrived".
    SerialIoResult read(char* buffer, int size) override;

private:
    int fd_ = -1;
    int open_error_ = 0;
};

} // namespace kestrav
