#include "rotor/rotctld_server.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace kestrav {

QString rotctld_own_info() {
    static const QString info =
        QStringLiteral("Kestrav %1")
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    return info;
}

bool reaches_own_server(const QString& host, int port, const ServeSetting& serve) {
    if (!serve.on || port != serve.port)
        return false;
    const QString name = host.trimmed().toLower();
    const bool everywhere = QHostAddress(serve.address) == QHostAddress(QHostAddress::AnyIPv4);
    if (name == QLatin1String("localhost") || name == QLatin1String("localhost.localdomain"))
        return true;
    if (everywhere && !name.isEmpty() && name == QHostInfo::localHostName().toLower())
        return true;
    QHostAddress address;
    if (!address.setAddress(name))
        return false;
    bool mapped = false; // an IPv4 address written as IPv6
    const quint32 ipv4 = address.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(ipv4);
    // Connecting to the unspecified address reaches this computer.
    if (address == QHostAddress(QHostAddress::AnyIPv4) ||
        address == QHostAddress(QHostAddress::AnyIPv6))
        return true;
    if (!everywhere)
        return address == QHostAddress(serve.address);
    return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

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

// A command may run a nested event loop (a message box of the window, say): meanwhile no
// other input is taken, and the socket being answered may go; both are checked after each
// answer, and whatever came in meanwhile is read once the answer is done.
void RotctldServer::read_client(QTcpSocket* socket) {
    if (answering_) {
        reads_deferred_ = true;
        return;
    }
    answering_ = true;
    answered_ = socket;
    read_lines(socket);
    answering_ = false;
    answered_ = nullptr;
    if (std::exchange(delete_answered_, false))
        socket->deleteLater(); // dropped while answered: its signal has returned now
    if (reads_deferred_) {
        reads_deferred_ = false;
        QTimer::singleShot(0, this, [this] {
            for (QTcpSocket* s : clients_.keys())
                read_client(s);
        });
    }
}

void RotctldServer::read_lines(QTcpSocket* socket) {
    const QPointer<QTcpSocket> alive(socket);
    auto it = clients_.find(socket);
    if (it == clients_.end())
        return;
    it->input += socket->readAll();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = it->input.indexOf('\n', start);
        if (end < 0)
            break;
        const QByteArray line = it->input.sliced(start, end - start);
        start = end + 1;
        if (it->discarding) { // the end of a line already answered as too long
            it->discarding = false;
            continue;
        }
        // The limit counts the line end, as a client's buffer of kRotctldLineLimit would.
        if (!answer_line(alive, line, line.size() + 1 > kRotctldLineLimit))
            return;
        it = clients_.find(socket);
    }
    it->input.remove(0, start);
    if (it->input.size() >= kRotctldLineLimit && !it->discarding) {
        // No line end within the limit: the line is refused now, its rest skipped later.
        it->input.clear();
        it->discarding = true;
        answer_line(alive, {}, true);
    } else if (it->discarding) {
        it->input.clear();
    }
}

bool RotctldServer::answer_line(const QPointer<QTcpSocket>& socket, const QByteArray& line,
                                bool oversized) {
    RotctldAnswer answer;
    if (oversized) {
        answer.text = rotctld_oversized_line_answer();
        answer.garbage = true;
    } else {
        answer = rotctld_answer(line, rotator_);
    }
    auto it = clients_.find(socket.data());
    if (socket.isNull() || it == clients_.end())
        return false; // dropped while its command ran
    it->garbage_lines = answer.garbage ? it->garbage_lines + 1 : 0;
    if (!send(socket, answer.text))
        return false;
    if (it->garbage_lines > kGarbageLineLimit || answer.close) {
        // Answers already queued still go out before the connection ends, unless the client
        // leaves them unread for long.
        QTcpSocket* closing = socket.data();
        clients_.erase(it);
        closing->disconnect(this);
        connect(closing, &QTcpSocket::disconnected, closing, &QObject::deleteLater);
        QTimer::singleShot(kClosingMilliseconds, closing, [closing] {
            closing->abort();
            closing->deleteLater();
        });
        closing->disconnectFromHost();
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
    // Deleted in a nested event loop, the socket would be gone under its own signal.
    if (socket == answered_)
        delete_answered_ = true;
    else
        socket->deleteLater();
}

} // namespace kestrav
