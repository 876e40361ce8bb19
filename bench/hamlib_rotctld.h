#pragma once
// Debian's rotctld (Hamlib) driving a rotator on `device`, listening on a free loopback port:
// the reference the benchmarks measure Kestrav against.

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace kestrav::bench {

// Starts rotctld for Hamlib's `model` ("601" GS-232A, "603" GS-232B) on `device`; its port
// once it accepts connections, or 0.
inline quint16 start_hamlib_rotctld(QProcess& rotctld, const QString& model,
                                    const QString& device) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    rotctld.start(QStringLiteral("rotctld"),
                  {QStringLiteral("-m"), model, QStringLiteral("-r"), device, QStringLiteral("-T"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    const bool listening =
        rotctld.waitForStarted(5000) && QTest::qWaitFor(
                                            [&] {
                                                QTcpSocket t;
                                                t.connectToHost(QHostAddress::LocalHost, port);
                                                return t.waitForConnected(100);
                                            },
                                            5000);
    return listening ? port : 0;
}

} // namespace kestrav::bench
