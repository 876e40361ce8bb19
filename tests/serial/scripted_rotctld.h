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

    // Hamlib 4.5's rotctld, byte for byte: "RPRT 0" to a turn or a stop, a position with its
    // elevation to "p", one line to "_", the state up to "done" (and no report after it) to
    // "\dump_state", nothing at all to a command it does not know.
    static QByteArray well_behaved(const QByteArray& command) {
        if (command == "p")
            return "123.00\n45.00\n";
        if (command == "_")
            return "Scripted rotator\n";
        if (command == "\\dump_state")
            return "1\n1\nmin_az=0.000000\nmax_az=360.000000\nmin_el=0.000000\nmax_el=90.000000\n"
                   "south_zero=0\nrot_type=AzEl\ndone\n";
        if (command.startsWith("P ") || command == "S")
            return "RPRT 0\n";
        return {};
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
