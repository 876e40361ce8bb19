#pragma once
// The operating system's side of a serial port, as the port component needs it: exclusive
// open by path, line settings, purge, output queue query, non-blocking write and read, and a
// bounded wait until the line takes more output. The real implementation is
// PosixSerialDevice (termios); tests inject FakeSerialDevice.

#include <QString>

namespace kestrav {

struct SerialLineSettings {
    enum class StopBits { One, OneAndHalf, Two };
    enum class Parity { None, Odd, Even, Mark, Space };

    int bitRate = 9600;
    int dataBits = 8; // 5..8
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::None;
    bool rtsCts = false;  // RTS input handshake, CTS gates output
    bool xonXoff = false; // in both directions
    bool dtrOn = true;    // DTR held on; RTS is off unless rtsCts
    char xonChar = 0x11;
    char xoffChar = 0x13;

    bool operator==(const SerialLineSettings&) const = default;
};

// Outcome of one write or read. Gone means the device can no longer be used (unplugged,
// hung up, other end of a pseudo-terminal closed); the caller should close it.
enum class SerialIoStatus { Ok, WouldBlock, Gone };

struct SerialIoResult {
    SerialIoStatus status = SerialIoStatus::Ok;
    int bytes = 0; // bytes transferred when Ok
};

enum class SerialWaitResult { Ready, TimedOut, Gone };

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens an existing terminal device for reading and writing, exclusively: fails when the
    // path does not exist, is not a terminal, or another open holds it (this process included).
    // Never blocks.
    virtual bool open(const QString& path) = 0;
    // Releases the exclusive hold and closes; nothing when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Why the last open failed, as an errno value (EBUSY when another open holds the device,
    // ENOTTY when it is no terminal); 0 after an open that succeeded.
    virtual int openError() const = 0;

    // Results are not reported: a line setting the device refuses is left as it was.
    virtual void applyLineSettings(const SerialLineSettings& settings) = 0;
    virtual void purge(bool input, bool output) = 0;
    // Bytes waiting in the output queue (0 where the device cannot tell).
    virtual int outputQueued() = 0;

    // Hands over as many bytes as the system takes now, without blocking.
    virtual SerialIoResult write(const char* data, int count) = 0;
    // Waits up to timeoutMs for room in the output queue.
    virtual SerialWaitResult waitWritable(int timeoutMs) = 0;
    // Reads what has arrived, without blocking (0 bytes when nothing has).
    virtual SerialIoResult read(char* buffer, int size) = 0;
};

} // namespace kestrav
