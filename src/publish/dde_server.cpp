#include "publish/dde_server.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrav {

namespace {

// A client's unread input that Qt holds at most: one line and one payload. More waits in
// the system's socket buffer, and the client is slowed down rather than the program.
constexpr qint64 kReadBufferBytes = kDdeLongestLine + kDdeLargestPayload;
constexpr int kFlushSeconds = 5;
// A client's transactions are answered while less than this waits for it. One round adds at
// most one answer (the largest value) past it, so answers alone never reach the limit that
// drops a client; publications have the other half.
constexpr qint64 kAnswerWhileBelow = kDdeMostPendingOutput / 2;
static_assert(kAnswerWhileBelow + kDdeLargestValue + 32 < kDdeMostPendingOutput);

// The socket's directory: made private when missing; when present it must be the user's
// own directory, not a link, closed to group and others.
int prepare_directory(const QByteArray& directory) {
    if (::mkdir(directory.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat info {};
    if (::lstat(directory.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    if (info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return EACCES;
    return 0;
}

bool fill_address(const QByteArray& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

// Whether an instance answers on the socket; a socket nobody answers on is removed.
int clear_stale_socket(const QByteArray& path, const sockaddr_un& address) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISSOCK(info.st_mode))
        return EEXIST; // not ours to remove
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return errno;
    const int connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(probe);
    if (connected == 0)
        return EADDRINUSE;
    if (error != ECONNREFUSED)
        return error;
    return ::unlink(path.constData()) == 0 ? 0 : errno;
}

} // namespace

struct DdeServer::Client {
    QPointer<QLocalSocket> socket; // a child of the listening server, which deletes it last
    std::unique_ptr<DdeConversation> conversation;
    bool dropped = false;
    bool scheduled = false; // a round waits for the event loop
    bool held = false;      // not answered while its output waits: resumed as it drains
};

DdeServer::DdeServer(QString socket_path, QObject* parent)
    : QObject(parent), path_(std::move(socket_path)) {}

DdeServer::~DdeServer() {
    // Nobody listens any more: conversations end without telling anyone.
    blockSignals(true);
    for (auto& client : clients_) {
        client->conversation->end();
        if (client->socket)
            client->socket->disconnect(this);
    }
    clients_.clear();
    if (server_ != nullptr) {
        delete server_; // and with it every connection
        // The socket is removed unless another instance has replaced it meanwhile.
        const QByteArray path = QFile::encodeName(path_);
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0 && info.st_ino == socket_inode_)
            ::unlink(path.constData());
    }
}

int DdeServer::listen() {
    const QByteArray path = QFile::encodeName(path_);
    sockaddr_un address{};
    if (!fill_address(path, address))
        return ENAMETOOLONG;
    if (const int error = prepare_directory(path.left(path.lastIndexOf('/'))))
        return error;
    if (const int error = clear_stale_socket(path, address))
        return error;

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    struct stat info {};
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, kDdeMostConversations) != 0 ||
        ::lstat(path.constData(), &info) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    socket_inode_ = info.st_ino;
    server_ = new QLocalServer;
    server_->setMaxPendingConnections(kDdeMostConversations);
    if (!server_->listen(fd)) {
        ::close(fd);
        ::unlink(path.constData());
        delete server_;
        server_ = nullptr;
        return EIO;
    }
    connect(server_, &QLocalServer::newConnection, this, &DdeServer::accept_connections);
    return 0;
}

int DdeServer::conversationCount() const {
    return static_cast<int>(
        std::count_if(clients_.begin(), clients_.end(), [](const auto& c) { return !c->dropped; }));
}

void DdeServer::accept_connections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (conversationCount() >= kDdeMostConversations) {
            socket->write("NO\n");
            close_after_flush(socket);
            continue;
        }
        auto client = std::make_unique<Client>();
        Client* raw = client.get();
        client->socket = socket;
        socket->setReadBufferSize(kReadBufferBytes);
        DdeHost host;
        host.is_window_caption = [this](const QString& topic) {
            return is_caption_ && is_caption_(topic);
        };
        host.value = [this] { return value_; };
        host.activate = [this] { emit activationRequested(); };
        host.poke = [this](const QByteArrayList& lines) {
            poked_value_ = lines;
            poked_ = true;
        };
        host.data_open = [this] { emit conversationOpened(); };
        host.data_close = [this] { emit conversationClosed(); };
        client->conversation = std::make_unique<DdeConversation>(std::move(host));
        connect(socket, &QLocalSocket::readyRead, this, [this, raw] { receive(raw); });
        // Also emitted from within a write: the held client is served later, not in it.
        connect(socket, &QLocalSocket::bytesWritten, this, [this, raw] {
            if (raw->held && raw->socket->bytesToWrite() < kAnswerWhileBelow)
                schedule(raw);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, raw] { drop(raw); });
        clients_.push_back(std::move(client));
        if (socket->bytesAvailable() > 0)
            receive(raw);
    }
}

// One round of a client's transactions: new bytes are read only once every transaction
// already read has been answered, so the conversation holds at most one read of them.
void DdeServer::receive(Client* client) {
    if (client->dropped || client->scheduled)
        return; // a scheduled round comes first, to keep the answers in order
    QLocalSocket* socket = client->socket;
    const qint64 waiting = socket->bytesToWrite();
    client->held = waiting >= kAnswerWhileBelow;
    if (client->held)
        return;
    DdeConversation& conversation = *client->conversation;
    const QByteArray bytes = conversation.hasUnanswered() ? QByteArray() : socket->readAll();
    QByteArray reply;
    const bool open = conversation.receive_round(bytes, reply, kAnswerWhileBelow - waiting);
    send(client, reply);
    // A poke ends its round: its value goes out after its OK, to the poker's own link too,
    // and before the poker's next transaction is answered.
    if (poked_) {
        poked_ = false;
        set_value(poked_value_);
    }
    if (!open)
        drop(client); // the sweep closes it once what was answered has gone out
    else if (conversation.hasUnanswered() || socket->bytesAvailable() > 0)
        schedule(client);
}

// The next round waits for the event loop, so that one client's reads never hold the
// window for longer than one round.
void DdeServer::schedule(Client* client) {
    client->scheduled = true;
    client->held = false;
    if (!serve_pending_) {
        serve_pending_ = true;
        QMetaObject::invokeMethod(this, &DdeServer::serve_scheduled, Qt::QueuedConnection);
    }
}

void DdeServer::serve_scheduled() {
    serve_pending_ = false;
    // Indexed: a round may drop clients, which stay in the list until the sweep.
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        Client* client = clients_[i].get();
        if (client->scheduled) {
            client->scheduled = false;
            receive(client);
        }
    }
}

void DdeServer::send(Client* client, const QByteArray& bytes) {
    if (bytes.isEmpty() || client->dropped)
        return;
    // A client that does not read is not waited for: past the limit it is dropped.
    if (client->socket->bytesToWrite() + bytes.size() > kDdeMostPendingOutput) {
        client->socket->abort();
        drop(client);
        return;
    }
    client->socket->write(bytes);
    client->socket->flush(); // at once, as far as the socket takes it without waiting
}

void DdeServer::publish(const QString& text) {
    set_value({text.toLatin1().left(kDdeLargestPayload)});
}

void DdeServer::set_value(const QByteArrayList& lines) {
    value_ = encode_item_value(lines);
    // Indexed: a client dropped meanwhile stays in the list until the sweep.
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        Client* client = clients_[i].get();
        if (!client->dropped)
            send(client, client->conversation->notification(value_));
    }
}

// Ends a conversation whose connection has gone or has to go; the record is removed later,
// outside any loop over the clients.
void DdeServer::drop(Client* client) {
    if (client->dropped)
        return;
    client->dropped = true;
    client->conversation->end();
    if (!sweep_pending_) {
        sweep_pending_ = true;
        QMetaObject::invokeMethod(this, &DdeServer::sweep, Qt::QueuedConnection);
    }
}

void DdeServer::sweep() {
    sweep_pending_ = false;
    for (auto& client : clients_) {
        if (!client->dropped)
            continue;
        if (QLocalSocket* socket = client->socket) {
            socket->disconnect(this);
            if (socket->state() == QLocalSocket::UnconnectedState)
                socket->deleteLater();
            else
                close_after_flush(socket);
        }
    }
    std::erase_if(clients_, [](const auto& c) { return c->dropped; });
}

// Lets the last answer go out, then closes; a client that does not take it within a few
// seconds is cut off, so that no closed conversation lingers.
void DdeServer::close_after_flush(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater,
            Qt::UniqueConnection);
    QTimer::singleShot(kFlushSeconds * 1000, socket, [socket] { socket->abort(); });
    socket->disconnectFromServer();
}

} // namespace kestrav
