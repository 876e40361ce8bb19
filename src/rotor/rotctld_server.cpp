#include "rotor/rotctld_server.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace kestrav {

RotctldServer::RotctldServer(RotatorService& rotator, QObject* parent)
    : QObject(parent), rotator_(rotator) {}

RotctldServer::~RotctldServer() {
    close();
}

bool RotctldServer::listen(const QHostAddress& address, quint16 port) {
    close();
    server_ = new QTcpServer(this);
    // The server takes no more than its clients: a 17th is refused as it arrives.
    server_->setMaxPendingConnections(kMaxClients);
    connect(server_, &QTcpServer::newConnection, this, &RotctldServer::accept_clients);
    if (server_->listen(address, port)) {
        error_.clear();
        address_in_use_ = false;
        return true;
    }
    error_ = server_->errorString();
    address_in_use_ = server_->serverError() == QAbstractSocket::AddressInUseError;
    delete server_;
    server_ = nullptr;
    return false;
}

void RotctldServer::close() {
    const QList<QTcpSocket*> sockets = clients_.keys();
    for (QTcpSocket* socket : sockets)
        drop(socket);
    delete server_;
    server_ = nullptr;
}

bool RotctldServer::isListening() const {
    return server_ != nullptr && server_->isListening();
}

quint16 RotctldServer::serverPort() const {
    return server_ != nullptr ? server_->serverPort() : 0;
}

void RotctldServer::accept_clients() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (clients_.size() >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        clients_.insert(socket, Client{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read_client(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
    }
}

void RotctldServer::read_client(QTcpSocket* socket) {
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    Client& client = *it;
    client.input += socket->readAll();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = client.input.indexOf('\n', start);
        if (end < 0)
            break;
        const QByteArrayView line = QByteArrayView(client.input).sliced(start, end - start);
        start = end + 1;
        if (client.discarding) { // the end of a line already answered as too long
            client.discarding = false;
            continue;
        }
        // The limit counts the line end, as a client's buffer of kRotctldLineLimit would.
        const bool too_long = line.size() + 1 > kRotctldLineLimit;
        if (!answer_line(socket, client, line, too_long))
            return;
    }
    client.input.remove(0, start);
    if (client.input.size() >= kRotctldLineLimit && !client.discarding) {
        // No line end within the limit: the line is refused now, its rest skipped later.
        client.input.clear();
        client.discarding = true;
        answer_line(socket, client, {}, true);
    } else if (client.discarding) {
        client.input.clear();
    }
}

bool RotctldServer::answer_line(QTcpSocket* socket, Client& client, QByteArrayView line,
                                bool oversized) {
    RotctldAnswer answer;
    if (oversized) {
        answer.text = rotctld_oversized_line_answer();
        answer.garbage = true;
    } else {
        answer = rotctld_answer(line, rotator_);
    }
    client.garbage_lines = answer.garbage ? client.garbage_lines + 1 : 0;
    if (!send(socket, answer.text))
        return false;
    if (client.garbage_lines > kGarbageLineLimit || answer.close) {
        // Answers already queued still go out before the connection ends, unless the client
        // leaves them unread for long.
        clients_.remove(socket);
        socket->disconnect(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kClosingMilliseconds, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        return false;
    }
    return true;
}

bool RotctldServer::send(QTcpSocket* socket, const QByteArray& text) {
    if (text.isEmpty())
        return true;
    if (socket->bytesToWrite() + text.size() > kPendingOutputLimit) {
        drop(socket);
        return false;
    }
    socket->write(text);
    return true;
}

void RotctldServer::drop(QTcpSocket* socket) {
    if (clients_.remove(socket) == 0)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

} // namespace kestrav
