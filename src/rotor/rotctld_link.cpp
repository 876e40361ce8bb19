#include "rotor/rotctld_link.h"

#include "rotor/rotctld_server.h"

#include <QDeadlineTimer>
#include <QNetworkInterface>

namespace kestrav {

namespace {

constexpr int kConnectMilliseconds = 2000;
// Long enough for rotctld's own retries on a slow serial controller.
constexpr int kAnswerMilliseconds = 5000;

// Whether `peer` is an address of this computer, the only place where this process's own
// server can listen.
bool is_this_computer(const QHostAddress& peer) {
    bool mapped = false; // an IPv4 address reached over IPv6
    const quint32 ipv4 = peer.toIPv4Address(&mapped);
    const QHostAddress address = mapped ? QHostAddress(ipv4) : peer;
    return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

QString unreadable_answer_text() {
    return QStringLiteral("Unreadable answer from rotctld");
}

} // namespace

RotctldLink::RotctldLink(QObject* parent) : RotorLink(parent) {
    connect_timer_.setSingleShot(true);
    connect_timer_.setInterval(kConnectMilliseconds);
    // A connection made for a position question alone fails in silence: nothing the operator
    // or a client asked for was lost, and the heading simply stays unknown.
    connect(&connect_timer_, &QTimer::timeout, this,
            [this] { lose(QStringLiteral("Connection timed out"), told_if_lost()); });
    answer_timer_.setSingleShot(true);
    answer_timer_.setInterval(kAnswerMilliseconds);
    // Late answers would be read as the answers to later questions: the connection goes.
    // Only a command left unanswered is told; a position that cannot be had is not shown.
    connect(&answer_timer_, &QTimer::timeout, this,
            [this] { lose(QStringLiteral("No answer from rotctld"), told_if_lost()); });
    connect(&socket_, &QTcpSocket::connected, this, &RotctldLink::connected);
    connect(&socket_, &QTcpSocket::readyRead, this, &RotctldLink::receive);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (closing_)
            return;
        lose(socket_.error() == QAbstractSocket::RemoteHostClosedError
                 ? QStringLiteral("Connection closed by rotctld")
                 : socket_.errorString(),
             connected_ || told_if_lost());
    });
    connect(&socket_, &QTcpSocket::disconnected, this, &RotctldLink::reset);
}

RotctldLink::~RotctldLink() {
    // The socket outlives the other members and tells of its closing as it goes: its
    // handlers must not run into members already destroyed.
    socket_.disconnect(this);
    socket_.abort();
}

// Another address is another rotator: a connection to the one before is dropped, so that the
// next command reaches the new one.
void RotctldLink::setAddress(const QString& host, quint16 port) {
    if ((host != host_ || port != port_) && socket_.state() != QAbstractSocket::UnconnectedState) {
        closing_ = true;
        socket_.abort();
        reset();
    }
    host_ = host;
    port_ = port;
}

bool RotctldLink::isOpen() const {
    return socket_.state() == QAbstractSocket::ConnectedState ||
           socket_.state() == QAbstractSocket::ConnectingState ||
           socket_.state() == QAbstractSocket::HostLookupState;
}

QByteArray RotctldLink::turnCommand(long long tenths) const {
    return rotctld_turn_command(tenths, elevation_tenths_);
}

void RotctldLink::turn(long long tenths) {
    if (elevation_read_) {
        send(turnCommand(tenths), RotctldAnswers::Question::Command);
        return;
    }
    if (!answers_.positionOpen())
        send(rotctld_heading_query(), RotctldAnswers::Question::Position);
    waiting_turn_ = tenths; // after the send, which starts afresh after a close
}

void RotctldLink::turnBoth(long long tenths, long long elevation_tenths) {
    waiting_turn_.reset();
    send(rotctld_turn_command(tenths, elevation_tenths), RotctldAnswers::Question::Command);
}

void RotctldLink::stop() {
    waiting_turn_.reset();
    send(rotctld_stop_command(), RotctldAnswers::Question::Command);
}

void RotctldLink::askHeading() {
    if (answers_.positionOpen())
        return;
    send(rotctld_heading_query(), RotctldAnswers::Question::Position);
}

void RotctldLink::askRange() {
    if (range_ || range_asked_)
        return;
    send(rotctld_range_query(), RotctldAnswers::Question::Range);
    range_asked_ = true; // after the send, which starts afresh after a close
}

void RotctldLink::close() {
    reset();
    switch (socket_.state()) {
    case QAbstractSocket::UnconnectedState:
    case QAbstractSocket::ClosingState:
        break;
    case QAbstractSocket::ConnectedState:
        closing_ = true;
        socket_.disconnectFromHost(); // what was written still goes out
        break;
    default: // looking up the host or connecting: Qt tells no disconnection from here
        closing_ = true;
        socket_.abort();
        closing_ = false;
        break;
    }
}

void RotctldLink::finish(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    if (socket_.state() == QAbstractSocket::HostLookupState ||
        socket_.state() == QAbstractSocket::ConnectingState) {
        if (!socket_.waitForConnected(static_cast<int>(deadline.remainingTime())))
            return; // the connected handler has written the queue when it succeeds
    }
    // The answers a turn waits on are read here, as no event loop will read them: readyRead
    // runs receive(), which sends the turn once they are in.
    while (socket_.state() == QAbstractSocket::ConnectedState && (identifying_ || waiting_turn_) &&
           socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
    }
    while (socket_.state() == QAbstractSocket::ConnectedState && socket_.bytesToWrite() > 0 &&
           socket_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
    }
}

void RotctldLink::send(const QByteArray& command, RotctldAnswers::Question question) {
    if (closing_) {
        // A command after a close: start afresh rather than lose it.
        socket_.abort();
        reset();
    }
    answers_.expect(question);
    if (socket_.state() == QAbstractSocket::ConnectedState && !identifying_) {
        socket_.write(command);
        if (!answer_timer_.isActive())
            answer_timer_.start();
        return;
    }
    queued_ += command;
    if (socket_.state() == QAbstractSocket::UnconnectedState) {
        connect_timer_.start();
        socket_.connectToHost(host_, port_);
    }
}

// A rotctld on this computer may be this process's own server: it is asked its name before
// anything else goes, the commands held meanwhile.
void RotctldLink::connected() {
    connected_ = true;
    connect_timer_.stop();
    if (is_this_computer(socket_.peerAddress())) {
        identifying_ = true;
        answers_.expectFirst(RotctldAnswers::Question::Info);
        socket_.write(rotctld_info_query());
        answer_timer_.start();
        return;
    }
    socket_.write(queued_);
    queued_.clear();
    if (!answers_.empty())
        answer_timer_.start();
}

void RotctldLink::receive() {
    for (const QByteArray& line : lines_.feed(socket_.readAll())) {
        if (answers_.empty())
            continue; // nothing asked: not ours to read
        const RotctldAnswers::Outcome outcome = answers_.take(line);
        // Each answer has its own time from the one before.
        if (answers_.empty())
            answer_timer_.stop();
        else
            answer_timer_.start();
        if (outcome.info) {
            take_info(*outcome.info);
            continue;
        }
        if (outcome.elevation_tenths || outcome.position_unavailable) {
            elevation_tenths_ = outcome.elevation_tenths;
            elevation_read_ = true;
        }
        if (outcome.heading)
            emit headingReceived(*outcome.heading);
        if (outcome.elevation_tenths)
            emit elevationReceived(static_cast<double>(*outcome.elevation_tenths) / 10);
        if (outcome.range_answered) {
            range_ = outcome.range.value_or(RotorRange{});
            elevation_range_ = outcome.elevation_range;
            emit rangeReceived();
        }
        if (outcome.position_answered && waiting_turn_)
            release_turn(outcome);
        if (outcome.failure) {
            waiting_turn_.reset();
            emit failed(*outcome.failure);
        }
    }
}

void RotctldLink::take_info(const QByteArray& info) {
    identifying_ = false;
    if (info == rotctld_own_info().toUtf8()) {
        lose(QStringLiteral("The rotctld at this address is this Kestrav itself"));
        return;
    }
    socket_.write(queued_);
    queued_.clear();
}

void RotctldLink::release_turn(const RotctldAnswers::Outcome& outcome) {
    const long long tenths = *waiting_turn_;
    waiting_turn_.reset();
    if (elevation_read_)
        send(turnCommand(tenths), RotctldAnswers::Question::Command);
    else
        emit failed(outcome.position_failure.value_or(unreadable_answer_text()));
}

void RotctldLink::lose(const QString& reason, bool tell) {
    socket_.abort();
    reset();
    if (tell)
        emit failed(reason);
}

void RotctldLink::reset() {
    connect_timer_.stop();
    answer_timer_.stop();
    queued_.clear();
    identifying_ = false;
    answers_.clear();
    lines_.clear();
    elevation_tenths_.reset();
    elevation_read_ = false;
    waiting_turn_.reset();
    range_.reset();
    elevation_range_.reset();
    range_asked_ = false;
    closing_ = false;
    connected_ = false;
}

} // namespace kestrav
