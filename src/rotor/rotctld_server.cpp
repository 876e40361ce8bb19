#include "rotor/rotctld_server.h"

#include "rotor/rotctld_connection.h"

#include <QHostInfo>
#include <QMetaObject>
#include <QNetworkInterface>
#include <QTcpServer>

#include <algorithm>
#include <functional>
#include <optional>
#include <unistd.h>
#include <utility>

namespace kestrav {

namespace {

using Clock = std::chrono::steady_clock;

// Input read in one go: many lines, yet little held for a client whose lines wait.
constexpr qsizetype kReadBytes = 4096;

// Hands each accepted connection over as its bare descriptor: a QTcpSocket ends the whole
// connection once the peer has shut its sending side, when the answers are still to go.
class Listener final : public QTcpServer {
public:
    explicit Listener(std::function<void(int)> take, QObject* parent)
        : QTcpServer(parent), take_(std::move(take)) {}

protected:
    void incomingConnection(qintptr descriptor) override { take_(static_cast<int>(descriptor)); }

private:
    std::function<void(int)> take_;
};

} // namespace

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

struct RotctldServer::Client {
    RotctldConnection* connection = nullptr; // a child of the server; none once gone
    QByteArray input;                        // read, not yet answered
    bool discarding = false;                 // the rest of an oversized line is being skipped
    bool input_ended = false;                // the client has shut its sending side
    int garbage_lines = 0;
    bool scheduled = false;       // a round waits for the event loop
    bool held = false;            // not answered while its answers wait to leave
    bool gone = false;            // closed or closing; forgotten at the next sweep
    Clock::time_point last_heard; // input read or answers taken
    QTimer untaken;               // runs while held without any answer taken
};

RotctldServer::RotctldServer(RotorService& rotator, QObject* parent)
    : QObject(parent), rotator_(rotator) {
    idle_timer_.setSingleShot(true);
    connect(&idle_timer_, &QTimer::timeout, this, &RotctldServer::close_idle_clients);
}

RotctldServer::~RotctldServer() {
    close();
}

bool RotctldServer::listen(const QHostAddress& address, quint16 port) {
    close();
    server_ = new Listener([this](int descriptor) { accept_client(descriptor); }, this);
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
    for (const auto& client : clients_)
        drop(client.get());
    delete server_;
    server_ = nullptr;
}

bool RotctldServer::isListening() const {
    return server_ != nullptr && server_->isListening();
}

quint16 RotctldServer::serverPort() const {
    return server_ != nullptr ? server_->serverPort() : 0;
}

int RotctldServer::clientCount() const {
    return static_cast<int>(
        std::count_if(clients_.begin(), clients_.end(), [](const auto& c) { return !c->gone; }));
}

void RotctldServer::setIdleLimit(std::chrono::milliseconds limit) {
    idle_limit_ = limit;
    idle_timer_.stop();
    watch_idle();
}

void RotctldServer::accept_client(int descriptor) {
    if (clientCount() >= kMaxClients) {
        // The newcomer is served; the client silent the longest makes room. The one being
        // answered is not silent.
        Client* silent = nullptr;
        for (const auto& c : clients_) {
            if (!c->gone && c.get() != answered_ &&
                (silent == nullptr || c->last_heard < silent->last_heard))
                silent = c.get();
        }
        if (silent == nullptr) {
            ::close(descriptor);
            return;
        }
        drop(silent);
    }
    auto client = std::make_unique<Client>();
    Client* raw = client.get();
    raw->connection = new RotctldConnection(descriptor, this);
    raw->last_heard = Clock::now();
    raw->untaken.setSingleShot(true);
    connect(&raw->untaken, &QTimer::timeout, this, [this, raw] { drop(raw); });
    connect(raw->connection, &RotctldConnection::readable, this, [this, raw] { schedule(raw); });
    connect(raw->connection, &RotctldConnection::failed, this, [this, raw] { drop(raw); });
    connect(raw->connection, &RotctldConnection::bytesTaken, this, [this, raw] {
        raw->last_heard = Clock::now();
        if (!raw->held)
            return;
        if (raw->connection->bytesWaiting() < kAnswerWhileBelow)
            schedule(raw);
        else
            raw->untaken.start(untaken_limit_); // it reads, if slowly
    });
    raw->connection->setReading(true);
    clients_.push_back(std::move(client));
    watch_idle();
}

// The client's next round waits for the event loop, so that one client's lines never hold
// the window for longer than one round; nothing is read from it until then.
void RotctldServer::schedule(Client* client) {
    if (client->gone)
        return;
    client->scheduled = true;
    client->held = false;
    client->untaken.stop();
    client->connection->setReading(false);
    request_rounds();
}

void RotctldServer::request_rounds() {
    if (rounds_pending_)
        return;
    rounds_pending_ = true;
    QMetaObject::invokeMethod(this, &RotctldServer::serve_scheduled, Qt::QueuedConnection);
}

void RotctldServer::serve_scheduled() {
    rounds_pending_ = false;
    if (answered_ != nullptr) {
        rounds_deferred_ = true;
        return;
    }
    // Indexed: a newcomer may join the list meanwhile.
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        Client* client = clients_[i].get();
        if (client->scheduled && !client->gone) {
            client->scheduled = false;
            serve(client);
        }
    }
}

void RotctldServer::serve(Client* client) {
    // A round comes of the client's input, or of answers it has taken: it is not silent.
    client->last_heard = Clock::now();
    answered_ = client;
    answer_lines(client);
    answered_ = nullptr;
    if (std::exchange(rounds_deferred_, false))
        request_rounds();
    if (std::exchange(sweep_deferred_, false))
        request_sweep();
}

// One round: new input is read only once every line already read has been answered, so that
// the client holds at most one read of it here.
void RotctldServer::answer_lines(Client* client) {
    RotctldConnection& connection = *client->connection;
    if (connection.bytesWaiting() >= kAnswerWhileBelow) {
        hold(client);
        return;
    }
    if (!client->input_ended && !client->input.contains('\n')) {
        switch (connection.read(client->input, kReadBytes)) {
        case RotctldConnection::Read::Ended:
            client->input_ended = true;
            break;
        case RotctldConnection::Read::Failed:
            drop(client);
            return;
        case RotctldConnection::Read::Data:
        case RotctldConnection::Read::Nothing:
            break;
        }
    }
    QByteArray& input = client->input;
    qsizetype start = 0;
    for (int lines = 0; lines < kRoundLines && connection.bytesWaiting() < kAnswerWhileBelow;) {
        const qsizetype end = input.indexOf('\n', start);
        if (end < 0)
            break;
        const QByteArray line = input.sliced(start, end - start);
        start = end + 1;
        if (client->discarding) { // the end of a line already answered as too long
            client->discarding = false;
            continue;
        }
        ++lines;
        // The limit counts the line end, as a client's buffer of kRotctldLineLimit would.
        if (!answer_line(client, line, line.size() + 1 > kRotctldLineLimit))
            return;
    }
    input.remove(0, start);
    if (!input.contains('\n')) {
        if (input.size() >= kRotctldLineLimit && !client->discarding) {
            // No line end within the limit: the line is refused now, its rest skipped later.
            input.clear();
            client->discarding = true;
            if (!answer_line(client, {}, true))
                return;
        } else if (client->discarding) {
            input.clear();
        } else if (client->input_ended && !input.isEmpty()) {
            // The last line of a client that has finished sending needs no end.
            const QByteArray line = std::exchange(input, {});
            if (!answer_line(client, line, false))
                return;
        }
    }
    if (connection.bytesWaiting() >= kAnswerWhileBelow)
        hold(client);
    else if (input.contains('\n'))
        schedule(client);
    else if (client->input_ended)
        send_away(client); // every line answered
    else
        connection.setReading(true);
}

bool RotctldServer::answer_line(Client* client, const QByteArray& line, bool oversized) {
    RotctldAnswer answer;
    if (oversized) {
        answer.text = rotctld_oversized_line_answer();
        answer.garbage = true;
    } else {
        answer = rotctld_answer(line, rotator_);
    }
    if (client->gone)
        return false; // dropped while its command ran
    client->garbage_lines = answer.garbage ? client->garbage_lines + 1 : 0;
    if (!answer.text.isEmpty() && !client->connection->write(answer.text)) {
        drop(client); // reset by the client: it has gone
        return false;
    }
    if (client->garbage_lines > kGarbageLineLimit || answer.close) {
        send_away(client);
        return false;
    }
    return true;
}

// Its input stays unread until its answers leave; one that takes none of them for the
// untaken limit has stopped reading.
void RotctldServer::hold(Client* client) {
    client->held = true;
    client->connection->setReading(false);
    if (!client->untaken.isActive())
        client->untaken.start(untaken_limit_);
}

void RotctldServer::close_idle_clients() {
    const Clock::time_point now = Clock::now();
    for (const auto& c : clients_) {
        if (!c->gone && c.get() != answered_ && now - c->last_heard >= idle_limit_)
            send_away(c.get());
    }
    watch_idle();
}

// Runs the idle timer until the earliest moment a client may have been silent for the limit.
void RotctldServer::watch_idle() {
    if (idle_timer_.isActive())
        return; // set for an earlier moment: moments only grow later
    std::optional<Clock::time_point> earliest;
    for (const auto& c : clients_) {
        if (c->gone)
            continue;
        // The one being answered is heard from at its round's start: it is looked at again
        // a limit later at the earliest.
        const Clock::time_point heard = c.get() == answered_ ? Clock::now() : c->last_heard;
        if (!earliest || heard < *earliest)
            earliest = heard;
    }
    if (!earliest)
        return;
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(*earliest + idle_limit_ - Clock::now());
    idle_timer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void RotctldServer::drop(Client* client) {
    if (client->gone)
        return;
    client->gone = true;
    client->untaken.stop();
    client->connection->disconnect(this);
    client->connection->close();
    // Deleted later: this may run in one of its own signals.
    client->connection->deleteLater();
    client->connection = nullptr;
    request_sweep();
}

// What it was answered still goes out before the connection ends, unless it leaves that
// unread for long.
void RotctldServer::send_away(Client* client) {
    if (client->gone)
        return;
    client->gone = true;
    client->untaken.stop();
    client->connection->disconnect(this);
    client->connection->finish(std::chrono::milliseconds(kClosingMilliseconds));
    client->connection = nullptr;
    request_sweep();
}

void RotctldServer::request_sweep() {
    if (sweep_pending_)
        return;
    sweep_pending_ = true;
    QMetaObject::invokeMethod(this, &RotctldServer::sweep, Qt::QueuedConnection);
}

void RotctldServer::sweep() {
    sweep_pending_ = false;
    if (answered_ != nullptr) {
        sweep_deferred_ = true;
        return;
    }
    std::erase_if(clients_, [](const auto& c) { return c->gone; });
}

} // namespace kestrav
