#pragma once
// Debian's rotctld (Hamlib) driving a rotator on a serial device, as the tests' real peer and
// the benchmarks' reference.

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace kestrav::test {

// A loopback port free a moment ago.
inline quint16 free_loopback_port() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Starts rotctld for Hamlib's `model` ("601" GS-232A, "603" GS-232B) on `device`, listening
// on 127.0.0.1:`port`; true once it accepts connections there.
inline bool start_hamlib_rotctld(QProcess& rotctld, const QString& model, const QString& device,
                                 quint16 port) {
    rotctld.start(QStringLiteral("rotctld"),
                  {QStringLiteral("-m"), model, QStringLiteral("-r"), device, QStringLiteral("-T"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    return rotctld.waitForStarted(5000) && QTest::qWaitFor(
                                               [&] {
                                                   QTcpSocket t;
                                                   t.connectToHost(QHostAddress::LocalHost, port);
                                                   return t.waitForConnected(100);
                                               },
                                               5000);
}

} // namespace kestrav::test
