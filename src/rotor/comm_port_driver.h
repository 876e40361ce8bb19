#pragma once
// TCommPortDriver: the program's serial port component. It owns one port, opens it
// exclusively, applies the line settings, writes with an output time-out and, while open,
// polls the port on a timer of the user-interface thread, reading and dropping what the
// controller sends (or handing it to OnReceiveData when set). Everything runs on the
// user-interface thread.
//
// Devices: COMn (n = ComPort + 1) is <portDirectory>/ports/COMn when that entry exists (a
// symbolic link the user makes, for example to /dev/ttyUSB0), otherwise /dev/ttyS<n-1>. A link
// whose target is missing does not open; it never falls back to /dev/ttyS, which would be a
// different port. Only COM1..COM9 name a device.
//
// Writes never block: the descriptor is non-blocking and WriteBytes waits for output room
// with poll(), at most OutputTimeout ms since the last progress.
//
// A device that disappears while open (adapter unplugged, hung up, other end of a
// pseudo-terminal closed) is closed by the component itself, on the failed write or on the
// next poll. A caller that must know whether its bytes went out checks IsOpen() after the
// write: a port that was open before and is closed after has lost its device, and the
// write's result is minus the bytes that went out before that.

#include "rotor/serial_device.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestrav {

// Ordinals 0..3; the settings file can give up to 255, and 4..8 still name COM5..COM9.
enum TComPortNumber : int { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };
// The rate ordinals; com_port_bit_rate() (rotor_protocol.h) gives each one's bit rate.
enum TComPortBaudRate : int {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};
// The rate a port runs at until one is chosen: the usual default of rotator controllers.
inline constexpr TComPortBaudRate kDefaultComPortSpeed = br9600;
enum TComPortDataBits : int { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : int { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : int { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : int { hhNONE, hhRTSCTS };
enum TComPortSwHandshaking : int { shNONE, shXONXOFF };

class TCommPortDriver;

// Why a serial device could not be opened, for the operator: the path and the system's
// reason, worded for the cases an operator can act on (a port held by another program, a
// missing permission, a path that is no serial port).
QString serial_open_failure_text(const QString& path, int error);

// Called from the poll timer with the bytes just read; the buffer stays the component's and
// is overwritten at the next tick.
using TComPortReceiveDataEvent =
    std::function<void(TCommPortDriver* sender, const char* data, std::int32_t size)>;

// Milliseconds on a monotonic scale; only differences are used.
using MillisecondClock = std::function<std::int64_t()>;
// The steady clock in milliseconds, the real ports' clock.
std::int64_t steady_milliseconds();

class TCommPortDriver : public QObject {
    Q_OBJECT

public:
    // The real device over termios and the steady clock.
    explicit TCommPortDriver(QObject* parent = nullptr);
    // For tests: a given device and clock.
    TCommPortDriver(std::unique_ptr<SerialDevice> device, MillisecondClock clock,
                    QObject* parent = nullptr);
    // Closes the port if open.
    ~TCommPortDriver() override;

    // Where ports/COMn links are looked for: the application directory. Empty: none.
    QString portDirectory() const { return portDirectory_; }
    void setPortDirectory(const QString& directory) { portDirectory_ = directory; }
    // "COM" + the character 49 + ordinal (mod 256): "COM1".."COM9" for 0..8, other names
    // (such as "COM0" for 255) for the rest.
    static QString deviceName(int ordinal);
    // The path OpenPort would open for the current ComPort, or for another ordinal; empty
    // when it names no device.
    QString devicePath() const { return devicePath(comPort_); }
    QString devicePath(int ordinal) const;
    // Why the last OpenPort failed, naming the device ("/dev/ttyS1: No such file or
    // directory"); empty when it succeeded.
    const QString& openFailure() const { return openFailure_; }

    // Low 8 bits kept (-1 becomes 255). An open port stays on its device; the new value is
    // used by the next OpenPort.
    int ComPort() const { return comPort_; }
    void setComPort(int ordinal);
    // Index 0..12 (TComPortBaudRate); other values are ignored. Applied at once if open.
    TComPortBaudRate ComPortSpeed() const { return speed_; }
    void setComPortSpeed(int index);
    TComPortDataBits ComPortDataBits() const { return dataBits_; }
    void setComPortDataBits(TComPortDataBits bits);
    TComPortStopBits ComPortStopBits() const { return stopBits_; }
    void setComPortStopBits(TComPortStopBits bits);
    TComPortParity ComPortParity() const { return parity_; }
    void setComPortParity(TComPortParity parity);
    TComPortHwHandshaking ComPortHwHandshaking() const { return hwHandshaking_; }
    void setComPortHwHandshaking(TComPortHwHandshaking handshaking);
    TComPortSwHandshaking ComPortSwHandshaking() const { return swHandshaking_; }
    void setComPortSwHandshaking(TComPortSwHandshaking handshaking);
    // Both buffer sizes are ignored while open; the receive buffer is reallocated otherwise.
    std::uint16_t ComPortInBufSize() const { return inBufSize_; }
    void setComPortInBufSize(std::uint16_t size);
    std::uint16_t ComPortOutBufSize() const { return outBufSize_; }
    void setComPortOutBufSize(std::uint16_t size);
    // The poll period in ms; a new value restarts a running timer. The timer never runs
    // faster than once per millisecond, so 0 cannot turn polling into a busy loop.
    std::uint16_t ComPortPollingDelay() const { return pollingDelay_; }
    void setComPortPollingDelay(std::uint16_t delayMs);
    // Used at the next ApplyLineSettings.
    bool EnableDTROnOpen() const { return enableDtrOnOpen_; }
    void setEnableDTROnOpen(bool enable) { enableDtrOnOpen_ = enable; }
    std::uint16_t OutputTimeout() const { return outputTimeout_; }
    void setOutputTimeout(std::uint16_t timeoutMs) { outputTimeout_ = timeoutMs; }
    const TComPortReceiveDataEvent& OnReceiveData() const { return onReceiveData_; }
    void setOnReceiveData(TComPortReceiveDataEvent handler) { onReceiveData_ = std::move(handler); }

    bool IsOpen() const;
    // Opens the device of ComPort, applies the line settings and purges the input; true if
    // open afterwards. On an open port: true, nothing else. The output is not purged here:
    // nothing of this component can be queued yet, and on a pseudo-terminal such a purge
    // would discard bytes of the previous session that the peer has not read yet.
    bool OpenPort();
    // Nothing when closed.
    void ClosePort();
    // Applies every line setting to the open port and purges both directions.
    void ApplyLineSettings();
    void PurgeBuffers(bool input, bool output);
    // ComPortOutBufSize minus the queued bytes, in 16-bit arithmetic; 65535 when closed.
    std::uint16_t OutputFreeSpace();
    // The bytes written: count when all went out; 0 on a closed port; minus the bytes
    // written so far when the line took nothing for more than OutputTimeout ms, or when the
    // device disappeared (the port is then closed).
    std::int32_t WriteBytes(const char* data, std::int32_t count);
    // True if every byte was written; an empty text is true without writing.
    bool WriteText(const QByteArray& text);
    // Writes what the line takes now, without waiting for room: the bytes taken, 0 when it
    // takes none or the port is closed, -1 when the device has gone (the port is then closed).
    std::int32_t WriteAvailable(const char* data, std::int32_t count);
    // The poll timer's tick: reads what has arrived, closes the port if the device is gone.
    void PollInput();

private:
    SerialLineSettings lineSettings() const;

    std::unique_ptr<SerialDevice> device_;
    MillisecondClock clock_;
    QTimer pollTimer_;
    std::vector<char> receiveBuffer_;
    QString portDirectory_;
    QString openFailure_;

    int comPort_ = pnCOM2;
    TComPortBaudRate speed_ = kDefaultComPortSpeed;
    TComPortDataBits dataBits_ = db8BITS;
    TComPortStopBits stopBits_ = sb1BITS;
    TComPortParity parity_ = ptNONE;
    TComPortHwHandshaking hwHandshaking_ = hhNONE;
    TComPortSwHandshaking swHandshaking_ = shNONE;
    std::uint16_t inBufSize_ = 2048;
    std::uint16_t outBufSize_ = 2048;
    std::uint16_t pollingDelay_ = 50;
    bool enableDtrOnOpen_ = true;
    std::uint16_t outputTimeout_ = 4000;
    TComPortReceiveDataEvent onReceiveData_;
};

} // namespace kestrav
