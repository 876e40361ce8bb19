#include "rotor/comm_port_driver.h"

#include "rotor/rotor_protocol.h"
#include "rotor/serial_device_posix.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace kestrav {

std::int64_t steady_milliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TCommPortDriver::TCommPortDriver(QObject* parent)
    : TCommPortDriver(std::make_unique<PosixSerialDevice>(), steady_milliseconds, parent) {}

TCommPortDriver::TCommPortDriver(std::unique_ptr<SerialDevice> device, MillisecondClock clock,
                                 QObject* parent)
    : QObject(parent), device_(std::move(device)), clock_(std::move(clock)) {
    // Sized here, not in the member list: inBufSize_ is declared after the buffer and is only
    // initialised once the member list has run.
    receiveBuffer_.assign(inBufSize_, 0);
    pollTimer_.setTimerType(Qt::CoarseTimer);
    connect(&pollTimer_, &QTimer::timeout, this, &TCommPortDriver::PollInput);
}

TCommPortDriver::~TCommPortDriver() {
    ClosePort();
}

QString TCommPortDriver::deviceName(int ordinal) {
    const int code = (49 + ordinal) & 0xFF;
    return QStringLiteral("COM") + QChar(code);
}

QString serial_open_failure_text(const QString& path, int error) {
    switch (error) {
    case EBUSY:
    case EWOULDBLOCK:
        return QStringLiteral("%1: in use by another program").arg(path);
    case ENOTTY:
        return QStringLiteral("%1: not a serial port").arg(path);
    case EACCES:
    case EPERM:
        return QStringLiteral("%1: %2; serial ports are open to the dialout group: "
                              "sudo adduser $USER dialout, then log in again")
            .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    default:
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString TCommPortDriver::devicePath(int ordinal) const {
    if (ordinal < 0 || ordinal > 8)
        return {};
    const QString name = deviceName(ordinal);
    if (!portDirectory_.isEmpty()) {
        const QString link = QDir(portDirectory_).filePath(QStringLiteral("ports/") + name);
        const QFileInfo info(link);
        if (info.exists() || info.isSymLink())
            return link;
    }
    return QStringLiteral("/dev/ttyS") + QString::number(ordinal);
}

void TCommPortDriver::setComPort(int ordinal) {
    comPort_ = ordinal & 0xFF;
}

void TCommPortDriver::setComPortSpeed(int index) {
    if (index < br110 || index > br115200)
        return;
    speed_ = static_cast<TComPortBaudRate>(index);
    ApplyLineSettings();
}

void TCommPortDriver::setComPortDataBits(TComPortDataBits bits) {
    dataBits_ = bits;
    ApplyLineSettings();
}

void TCommPortDriver::setComPortStopBits(TComPortStopBits bits) {
    stopBits_ = bits;
    ApplyLineSettings();
}

void TCommPortDriver::setComPortParity(TComPortParity parity) {
    parity_ = parity;
    ApplyLineSettings();
}

void TCommPortDriver::setComPortHwHandshaking(TComPortHwHandshaking handshaking) {
    hwHandshaking_ = handshaking;
    ApplyLineSettings();
}

void TCommPortDriver::setComPortSwHandshaking(TComPortSwHandshaking handshaking) {
    swHandshaking_ = handshaking;
    ApplyLineSettings();
}

void TCommPortDriver::setComPortInBufSize(std::uint16_t size) {
    if (IsOpen())
        return;
    inBufSize_ = size;
    receiveBuffer_.assign(size, 0);
}

void TCommPortDriver::setComPortOutBufSize(std::uint16_t size) {
    if (!IsOpen())
        outBufSize_ = size;
}

void TCommPortDriver::setComPortPollingDelay(std::uint16_t delayMs) {
    if (delayMs == pollingDelay_)
        return;
    pollingDelay_ = delayMs;
    if (pollTimer_.isActive())
        pollTimer_.start(std::max<int>(1, pollingDelay_));
}

bool TCommPortDriver::IsOpen() const {
    return device_->isOpen();
}

bool TCommPortDriver::OpenPort() {
    if (IsOpen())
        return true;
    const QString path = devicePath();
    if (path.isEmpty()) {
        openFailure_ = QStringLiteral("COM%1: no such port (COM1 to COM9 only)").arg(comPort_ + 1);
        return false;
    }
    if (!device_->open(path)) {
        openFailure_ = serial_open_failure_text(path, device_->openError());
        return false;
    }
    openFailure_.clear();
    device_->applyLineSettings(lineSettings());
    device_->purge(true, false);
    pollTimer_.start(std::max<int>(1, pollingDelay_));
    return true;
}

void TCommPortDriver::ClosePort() {
    if (!IsOpen())
        return;
    pollTimer_.stop();
    device_->close();
}

SerialLineSettings TCommPortDriver::lineSettings() const {
    SerialLineSettings s;
    s.bitRate = com_port_bit_rate(speed_);
    s.dataBits = 5 + dataBits_;
    s.stopBits = stopBits_ == sb1BITS       ? SerialLineSettings::StopBits::One
                 : stopBits_ == sb1HALFBITS ? SerialLineSettings::StopBits::OneAndHalf
                                            : SerialLineSettings::StopBits::Two;
    switch (parity_) {
    case ptNONE:
        s.parity = SerialLineSettings::Parity::None;
        break;
    case ptODD:
        s.parity = SerialLineSettings::Parity::Odd;
        break;
    case ptEVEN:
        s.parity = SerialLineSettings::Parity::Even;
        break;
    case ptMARK:
        s.parity = SerialLineSettings::Parity::Mark;
        break;
    case ptSPACE:
        s.parity = SerialLineSettings::Parity::Space;
        break;
    }
    s.rtsCts = hwHandshaking_ == hhRTSCTS;
    s.xonXoff = swHandshaking_ == shXONXOFF;
    s.dtrOn = enableDtrOnOpen_;
    return s;
}

void TCommPortDriver::ApplyLineSettings() {
    if (!IsOpen())
        return;
    device_->applyLineSettings(lineSettings());
    PurgeBuffers(true, true);
}

void TCommPortDriver::PurgeBuffers(bool input, bool output) {
    if (IsOpen())
        device_->purge(input, output);
}

std::uint16_t TCommPortDriver::OutputFreeSpace() {
    if (!IsOpen())
        return 65535;
    return static_cast<std::uint16_t>(outBufSize_ - device_->outputQueued());
}

std::int32_t TCommPortDriver::WriteBytes(const char* data, std::int32_t count) {
    if (!IsOpen() || data == nullptr)
        return 0;
    std::int32_t total = 0;
    std::int64_t lastProgress = clock_();
    while (count > 0) {
        const SerialIoResult r = device_->write(data + total, count);
        if (r.status == SerialIoStatus::Gone) {
            ClosePort();
            return -total;
        }
        if (r.status == SerialIoStatus::Ok && r.bytes > 0) {
            const std::int32_t taken = std::min(r.bytes, count);
            total += taken;
            count -= taken;
            lastProgress = clock_();
            continue;
        }
        const std::int64_t waited = clock_() - lastProgress;
        if (waited > outputTimeout_)
            return -total;
        // One millisecond past the limit, so that a wait that runs out ends the loop above.
        const int room = static_cast<int>(outputTimeout_ - waited) + 1;
        if (device_->waitWritable(room) == SerialWaitResult::Gone) {
            ClosePort();
            return -total;
        }
    }
    return total;
}

bool TCommPortDriver::WriteText(const QByteArray& text) {
    if (text.isEmpty())
        return true;
    const auto length = static_cast<std::int32_t>(text.size());
    return WriteBytes(text.constData(), length) == length;
}

std::int32_t TCommPortDriver::WriteAvailable(const char* data, std::int32_t count) {
    if (!IsOpen() || data == nullptr || count <= 0)
        return 0;
    std::int32_t total = 0;
    while (total < count) {
        const SerialIoResult r = device_->write(data + total, count - total);
        if (r.status == SerialIoStatus::Gone) {
            ClosePort();
            return -1;
        }
        if (r.status != SerialIoStatus::Ok || r.bytes <= 0)
            break;
        total += std::min(r.bytes, count - total);
    }
    return total;
}

void TCommPortDriver::PollInput() {
    if (!IsOpen() || receiveBuffer_.empty())
        return;
    const auto size = static_cast<int>(receiveBuffer_.size());
    const SerialIoResult r = device_->read(receiveBuffer_.data(), size);
    if (r.status == SerialIoStatus::Gone) {
        ClosePort();
        return;
    }
    if (r.status == SerialIoStatus::Ok && r.bytes > 0 && onReceiveData_)
        onReceiveData_(this, receiveBuffer_.data(), r.bytes);
}

} // namespace kestrav
