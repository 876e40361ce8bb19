#pragma once
// The azimuth publication server: a Unix-domain socket of the user's, served on the
// user-interface thread without ever waiting for a client. Each connection is one
// conversation (see dde_protocol.h); every publication goes out to the advised ones.
//
// What one client can cost is bounded. Its transactions are answered in rounds of bounded
// output, one round per event, and only while less than half the pending-output limit waits
// for it: a client that sends faster than it reads is no longer read from (it waits on its
// own socket) until it has taken its answers. A publication that would leave more than the
// limit waiting for a client drops that client: it has stopped reading.

#include "publish/dde_protocol.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace kestrav {

class DdeServer final : public QObject {
    Q_OBJECT
public:
    // Serves the socket of `socket_path` (see dde_socket_path); nothing happens before
    // listen().
    explicit DdeServer(QString socket_path, QObject* parent = nullptr);
    ~DdeServer() override;

    // Sets the service up: the socket's directory is made (mode 0700) or must already be
    // the user's own, not a link and closed to others; a socket left by an instance that
    // has gone is replaced; one a live instance answers on is left alone. 0 on success,
    // otherwise the system error number (EADDRINUSE for a live instance, EACCES for a
    // directory that is not the user's own or is open to others).
    int listen();
    const QString& socketPath() const { return path_; }

    // Tells which topics, besides "Data", are the captions of the program's windows.
    void setCaptionCheck(std::function<bool(const QString&)> is_caption) {
        is_caption_ = std::move(is_caption);
    }

    // Replaces the item value by one line and tells every advised conversation. The text is
    // cut to the largest payload a poke may bring, so that every client can take the value.
    void publish(const QString& text);
    int conversationCount() const;

signals:
    // A conversation on the "Data" topic has opened or closed.
    void conversationOpened();
    void conversationClosed();
    // Another start of the program, finding this one running, asks it to come forward.
    void activationRequested();

private:
    struct Client;
    void accept_connections();
    void receive(Client* client);
    void schedule(Client* client);
    void serve_scheduled();
    void send(Client* client, const QByteArray& bytes);
    void set_value(const QByteArrayList& lines);
    void drop(Client* client);
    void sweep();
    void close_after_flush(QLocalSocket* socket);

    QString path_;
    QLocalServer* server_ = nullptr;
    std::vector<std::unique_ptr<Client>> clients_;
    QByteArray value_ = encode_item_value({}); // as clients receive it
    std::function<bool(const QString&)> is_caption_;
    bool sweep_pending_ = false;
    bool serve_pending_ = false;
    QByteArrayList poked_value_; // a poke's value, applied once its answer has gone out
    bool poked_ = false;
    unsigned long long socket_inode_ = 0; // of the socket this server made, removed at exit
};

} // namespace kestrav
