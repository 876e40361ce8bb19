#pragma once
// A pseudo-terminal standing in for a rotator controller: the program opens ports/COMn, which
// links to the slave side; the test reads what arrives on the master side.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kestrav::test {

class PtyPort {
public:
    // Creates the pseudo-terminal and links <directory>/ports/<name> to its slave.
    PtyPort(const QString& directory, const QString& name) {
        char slave_name[256] = {};
        if (openpty(&master_, &slave_, slave_name, nullptr, nullptr) != 0)
            return;
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        QDir().mkpath(directory + QStringLiteral("/ports"));
        link_ = directory + QStringLiteral("/ports/") + name;
        QFile::remove(link_);
        ok_ = QFile::link(QString::fromLocal8Bit(slave_name), link_);
    }
    ~PtyPort() {
        hang_up();
        if (slave_ >= 0)
            ::close(slave_);
        QFile::remove(link_);
    }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool ok() const { return ok_; }

    // Everything that arrives within `quiet_ms` of silence (after waiting up to `first_ms`
    // for the first byte).
    QByteArray read(int first_ms = 500, int quiet_ms = 50) {
        QByteArray all;
        int wait = first_ms;
        for (;;) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, wait) <= 0 || !(p.revents & POLLIN))
                return all;
            char buf[512];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                return all;
            all.append(buf, n);
            wait = quiet_ms;
        }
    }

    // The controller side goes away, as when a USB adapter is pulled out.
    void hang_up() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1; // kept open so that bytes stay readable after the program closes the port
    QString link_;
    bool ok_ = false;
};

} // namespace kestrav::test
