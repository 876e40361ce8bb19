#include "rotor/serial_device_posix.h"

#include "rotor/serial_device_termios2.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace kestrav {

namespace {

// Unix98 pseudo-terminal slaves (the controller emulator) have majors 136 to 143.
bool is_pseudo_terminal(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

// The rates termios can set without termios2; 0 for any other.
speed_t classic_speed(int bitRate) {
    switch (bitRate) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return 0;
    }
}

tcflag_t character_size(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Errors after which the descriptor is of no further use.
bool device_gone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
}

} // namespace

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

bool PosixSerialDevice::open(const QString& path) {
    if (fd_ >= 0) {
        open_error_ = EBUSY;
        return false;
    }
    if (path.isEmpty()) {
        open_error_ = ENOENT;
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        open_error_ = errno;
        return false;
    }
    // A failed attempt must not touch TIOCEXCL: that would end another holder's exclusivity.
    const bool terminal = isatty(fd) != 0;
    if (!terminal || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        open_error_ = terminal ? EBUSY : ENOTTY;
        ::close(fd);
        return false;
    }
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    open_error_ = 0;
    return true;
}

void PosixSerialDevice::close() {
    if (fd_ < 0)
        return;
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

void PosixSerialDevice::applyLineSettings(const SerialLineSettings& s) {
    if (fd_ < 0)
        return;
    termios t{};
    if (tcgetattr(fd_, &t) != 0)
        return;
    cfmakeraw(&t);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | character_size(s.dataBits);
    switch (s.parity) {
    case SerialLineSettings::Parity::None:
        break;
    case SerialLineSettings::Parity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case SerialLineSettings::Parity::Even:
        t.c_cflag |= PARENB;
        break;
    case SerialLineSettings::Parity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SerialLineSettings::Parity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // With five data bits the UART sends one and a half stop bits for CSTOPB.
    if (s.stopBits != SerialLineSettings::StopBits::One)
        t.c_cflag |= CSTOPB;
    if (s.rtsCts)
        t.c_cflag |= CRTSCTS;
    if (s.xonXoff)
        t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    const speed_t classic = classic_speed(s.bitRate);
    if (classic != 0) {
        cfsetispeed(&t, classic);
        cfsetospeed(&t, classic);
    }
    tcsetattr(fd_, TCSANOW, &t);
    if (classic == 0)
        serial_set_any_bit_rate(fd_, s.bitRate);

    // Pseudo-terminals have no modem lines; these calls then fail harmlessly.
    int dtr = TIOCM_DTR;
    ioctl(fd_, s.dtrOn ? TIOCMBIS : TIOCMBIC, &dtr);
    if (!s.rtsCts) {
        int rts = TIOCM_RTS;
        ioctl(fd_, TIOCMBIC, &rts);
    }
}

void PosixSerialDevice::purge(bool input, bool output) {
    if (fd_ < 0)
        return;
    // On a pseudo-terminal there is no line to abort: flushing the output side throws away
    // bytes that already reached the other end but that it has not read yet (a stop command
    // just before the port is opened again would be lost). Only the input side is purged.
    if (output && is_pseudo_terminal(fd_))
        output = false;
    if (!input && !output)
        return;
    tcflush(fd_, input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH);
}

int PosixSerialDevice::outputQueued() {
    int queued = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

SerialIoResult PosixSerialDevice::write(const char* data, int count) {
    if (fd_ < 0)
        return {SerialIoStatus::Gone, 0};
    if (count <= 0)
        return {SerialIoStatus::Ok, 0};
    for (;;) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(count));
        if (n >= 0)
            return {SerialIoStatus::Ok, static_cast<int>(n)};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {SerialIoStatus::WouldBlock, 0};
        return {SerialIoStatus::Gone, 0};
    }
}

SerialWaitResult PosixSerialDevice::waitWritable(int timeoutMs) {
    if (fd_ < 0)
        return SerialWaitResult::Gone;
    pollfd p{fd_, POLLOUT, 0};
    const int r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (r < 0)
        return errno == EINTR ? SerialWaitResult::Ready : SerialWaitResult::Gone;
    if (r == 0)
        return SerialWaitResult::TimedOut;
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
        return SerialWaitResult::Gone;
    return SerialWaitResult::Ready;
}

SerialIoResult PosixSerialDevice::read(char* buffer, int size) {
    if (fd_ < 0)
        return {SerialIoStatus::Gone, 0};
    if (size <= 0)
        return {SerialIoStatus::Ok, 0};
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return {SerialIoStatus::Ok, 0};
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(size));
    if (n > 0)
        return {SerialIoStatus::Ok, static_cast<int>(n)};
    if (n == 0)
        return {(p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? SerialIoStatus::Gone
                                                             : SerialIoStatus::Ok,
                0};
    // Other failed reads are dropped, as the component ignores them.
    return {device_gone(errno) ? SerialIoStatus::Gone : SerialIoStatus::Ok, 0};
}

} // namespace kestrav
