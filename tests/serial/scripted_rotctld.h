#pragma once
// A stand-in for rotctld on 127.0.0.1: it records every command line it receives and answers
// each from a script, a well-behaved rotctld unless told otherwise. The newest connection is
// the one served.

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace kestrav::test {

class ScriptedRotctld {
public:
    ScriptedRotctld() {
        listening = server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* next = server.nextPendingConnection()) {
                peer = next;
                ++connections;
                pending.clear();
                QObject::connect(next, &QTcpSocket::readyRead, next, [this, next] {
                    if (next != peer)
                        return;
                    pending += next->readAll();
                    for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
                        const QByteArray command = pending.first(end);
                        pending.remove(0, end + 1);
                        commands << command;
                        next->write(answer(command));
                    }
                });
            }
        });
    }

    quint16 port() const { return server.serverPort(); }
    bool peerConnected() const { return peer && peer->state() == QAbstractSocket::ConnectedState; }

    // rotctld's answers: "RPRT 0" to a turn or a stop, a position with its elevation to "p".
    static QByteArray well_behaved(const QByteArray& command) {
        return command == "p" ? QByteArray("123.000000\n45.000000\n") : QByteArray("RPRT 0\n");
    }

    bool listening = false;
    std::function<QByteArray(const QByteArray&)> answer = well_behaved;
    QList<QByteArray> commands;
    int connections = 0;
    QTcpServer server;
    QPointer<QTcpSocket> peer;
    QByteArray pending;
};

} // namespace kestrav::test
