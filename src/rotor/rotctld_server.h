#pragma once
// Kestrav's rotctld server: a TCP listener on the user-interface thread that answers the
// rotctld protocol line by line for up to kMaxClients clients at once. Nothing here waits on
// a client, and no client holds the window: a client's lines are answered in rounds of a
// bounded number, one round per pass of the event loop, and only while few of its answers
// wait to leave; past that its input is left unread (it waits on its own socket) until it
// has taken them. A client that leaves its answers untaken, that sends only garbage, or that
// stays silent too long is closed; when all places are taken, a newcomer is served and the
// client silent the longest goes.

#include "rotor/rotctld_protocol.h"
#include "settings/serve_setting.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

class QTcpServer;

namespace kestrav {

class RotctldConnection;

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
    // A client's lines are answered while less than this of its answers waits to leave.
    static constexpr qsizetype kAnswerWhileBelow = 32 * 1024;
    // The lines of one client answered before the event loop turns again.
    static constexpr int kRoundLines = 64;
    // Lines in a row that hold no command of the protocol before the client is dropped.
    static constexpr int kGarbageLineLimit = 8;
    // How long the last answers of a client that quits or is sent away may take to leave.
    static constexpr int kClosingMilliseconds = 5000;
    // A client that takes none of its waiting answers (kAnswerWhileBelow or more) for this
    // long has stopped reading: it is dropped.
    static constexpr std::chrono::milliseconds kUntakenLimit{5000};
    // A client that sends nothing for this long is closed. rotctld clients ask every 0.5 to
    // 2 s while they follow the antenna.
    static constexpr std::chrono::milliseconds kIdleLimit = std::chrono::minutes(5);

    RotctldServer(RotorService& rotator, QObject* parent = nullptr);
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
    int clientCount() const;

    // In place of kIdleLimit and kUntakenLimit (tests shorten them).
    void setIdleLimit(std::chrono::milliseconds limit);
    void setUntakenLimit(std::chrono::milliseconds limit) { untaken_limit_ = limit; }

private:
    struct Client;
    void accept_client(int descriptor);
    void schedule(Client* client);
    void request_rounds();
    void serve_scheduled();
    void serve(Client* client);
    void answer_lines(Client* client);
    // Answers a line, or refuses one over the length limit; false when the client has gone.
    bool answer_line(Client* client, const QByteArray& line, bool oversized);
    void hold(Client* client);
    void close_idle_clients();
    void watch_idle();
    // Closed at once / after its last answers, and forgotten at the next sweep.
    void drop(Client* client);
    void send_away(Client* client);
    void request_sweep();
    void sweep();

    RotorService& rotator_;
    QTcpServer* server_ = nullptr;
    std::vector<std::unique_ptr<Client>> clients_;
    QString error_;
    bool address_in_use_ = false;
    std::chrono::milliseconds idle_limit_ = kIdleLimit;
    std::chrono::milliseconds untaken_limit_ = kUntakenLimit;
    QTimer idle_timer_;
    // A command may run a nested event loop (a message box of the window, say): meanwhile no
    // other round runs and no record of a client is removed; both wait for the round's end.
    Client* answered_ = nullptr;
    bool rounds_pending_ = false;  // a pass over the scheduled clients is posted
    bool rounds_deferred_ = false; // it came while a round was answering
    bool sweep_pending_ = false;
    bool sweep_deferred_ = false;
};

} // namespace kestrav
