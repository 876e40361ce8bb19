#pragma once
// A pseudo-terminal standing in for a rotator controller: the program opens ports/COMn, which
// links to the slave side; the test reads what arrives on the master side.

#include "support/pty_pair.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kestrav::test {

class PtyPort {
public:
    // Creates the pseudo-terminal and links <directory>/ports/<name> to its slave.
    PtyPort(const QString& directory, const QString& name)
        : link_(directory + QStringLiteral("/ports/") + name),
          ok_(pair_.master >= 0 && link_port(directory, name, pair_.slaveName)) {}
    ~PtyPort() { QFile::remove(link_); }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool ok() const { return ok_; }

    // Everything that arrives until `quiet_ms` pass without a byte (after waiting up to
    // `first_ms` for the first one).
    QByteArray read(int first_ms = 500, int quiet_ms = 50) {
        QByteArray all = pair_.readMaster(1, first_ms);
        while (!all.isEmpty()) {
            const QByteArray more = pair_.readMaster(1, quiet_ms);
            if (more.isEmpty())
                break;
            all += more;
        }
        return all;
    }

    // What the controller sends back.
    void write(const QByteArray& bytes) { pair_.writeMaster(bytes); }

    // The controller side goes away, as when a USB adapter is pulled out.
    void hang_up() { pair_.closeMaster(); }

private:
    PtyPair pair_; // keeps a slave open, so bytes stay readable after the program closes the port
    QString link_;
    bool ok_;
};

} // namespace kestrav::test
