#pragma once
// Kestrav's rotctld server: a TCP listener on the user-interface thread that answers the
// rotctld protocol line by line for up to kMaxClients clients at once. Nothing here waits on
// a client: input is taken as it arrives, answers are queued, and a client that breaks the
// limits is dropped.

#include "rotor/rotctld_protocol.h"
#include "settings/serve_setting.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

namespace kestrav {

// The line this process's server answers get_info with: "Kestrav" and a token drawn once per
// process, so that the link to rotctld can tell when the rotctld it reached is this very
// process (whose GO would only come back to itself). Another Kestrav draws another token.
QString rotctld_own_info();

// Whether a rotctld client set to `host`:`port` would reach this program's own server while
// it serves as `serve` says: the server on, the same port, and the host this computer (a
// loopback name or address, 0.0.0.0, and with the server on every interface any address or
// the name of this computer). Other names are not looked up here: the link tells them apart
// by their answer when it connects.
bool reaches_own_server(const QString& host, int port, const ServeSetting& serve);

class RotctldServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 16;
    // A client whose unread answers would pass this is dropped rather than buffered for.
    static constexpr qint64 kPendingOutputLimit = 64 * 1024;
    // Lines in a row that hold no command of the protocol before the client is dropped.
    static constexpr int kGarbageLineLimit = 8;
    // How long the last answers of a client that quits or is sent away may take to leave.
    static constexpr int kClosingMilliseconds = 5000;

    RotctldServer(RotatorService& rotator, QObject* parent = nullptr);
    ~RotctldServer() override;

    // Listens on `address`:`port` in place of any earlier listener; false, with the reason
    // in errorString(), when the port cannot be had (another rotctld holds it, say).
    bool listen(const QHostAddress& address, quint16 port);
    // Stops listening and closes every client.
    void close();
    bool isListening() const;
    quint16 serverPort() const;
    bool addressInUse() const { return address_in_use_; }
    QString errorString() const { return error_; }
    int clientCount() const { return static_cast<int>(clients_.size()); }

private:
    struct Client {
        QByteArray input;
        bool discarding = false; // the rest of an oversized line is being skipped
        int garbage_lines = 0;
    };
    void accept_clients();
    void read_client(QTcpSocket* socket);
    void read_lines(QTcpSocket* socket);
    // Answers a line, or refuses one over the length limit; false when the client has gone.
    bool answer_line(const QPointer<QTcpSocket>& socket, const QByteArray& line, bool oversized);
    bool send(QTcpSocket* socket, const QByteArray& text);
    void drop(QTcpSocket* socket);

    RotatorService& rotator_;
    QTcpServer* server_ = nullptr;
    QHash<QTcpSocket*, Client> clients_;
    QString error_;
    bool address_in_use_ = false;
    bool answering_ = false;         // a command is being answered
    bool reads_deferred_ = false;    // input came in meanwhile
    QTcpSocket* answered_ = nullptr; // the client whose line is being answered
    bool delete_answered_ = false;   // it was dropped meanwhile
};

} // namespace kestrav
