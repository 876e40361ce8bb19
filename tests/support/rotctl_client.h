#pragma once
// A rotctld client for the tests that serve rotctld: Hamlib's own rotctl ("NET rotctl", model 2)
// run to its end, and one line asked on a connection of its own. Both keep the event loop
// turning, so the window under test goes on serving while they wait.

#include "support/child_process.h"

#include <QHostAddress>
#include <QStringList>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace kestrav::test {

// rotctl with `commands` against 127.0.0.1:`port`, and all it printed.
inline QString run_rotctl(quint16 port, const QStringList& commands) {
    ChildProcess client;
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(QStringLiteral("rotctl"),
                 QStringList{QStringLiteral("-m"), QStringLiteral("2"), QStringLiteral("-r"),
                             QStringLiteral("127.0.0.1:%1").arg(port)} +
                     commands);
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QProcess::NotRunning; }, 10000));
    return QString::fromLatin1(client.readAll());
}

// One line to the server at 127.0.0.1:`port`, and the answer of `lines` lines.
inline QByteArray ask_rotctld(quint16 port, const QByteArray& line, int lines = 1) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.state() == QAbstractSocket::ConnectedState; }));
    s.write(line + '\n');
    QByteArray answer;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            answer += s.readAll();
            return answer.count('\n') >= lines;
        },
        5000));
    return answer;
}

} // namespace kestrav::test
