#include "rotor/rotctld_link.h"

namespace kestrav {

namespace {

constexpr int kConnectMilliseconds = 2000;
// Long enough for rotctld's own retries on a slow serial controller.
constexpr int kAnswerMilliseconds = 5000;

} // namespace

RotctldLink::RotctldLink(QObject* parent) : RotatorLink(parent) {
    connect_timer_.setSingleShot(true);
    connect_timer_.setInterval(kConnectMilliseconds);
    // A connection made for a position question alone fails in silence: nothing the operator
    // or a client asked for was lost, and the heading simply stays unknown.
    connect(&connect_timer_, &QTimer::timeout, this,
            [this] { lose(QStringLiteral("Connection timed out"), answers_.commandOpen()); });
    answer_timer_.setSingleShot(true);
    answer_timer_.setInterval(kAnswerMilliseconds);
    // Late answers would be read as the answers to later questions: the connection goes.
    // Only a command left unanswered is told; a position that cannot be had is not shown.
    connect(&answer_timer_, &QTimer::timeout, this,
            [this] { lose(QStringLiteral("No answer from rotctld"), answers_.commandOpen()); });
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        connect_timer_.stop();
        socket_.write(queued_);
        queued_.clear();
        if (!answers_.empty())
            answer_timer_.start();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &RotctldLink::receive);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (closing_)
            return;
        lose(socket_.error() == QAbstractSocket::RemoteHostClosedError
                 ? QStringLiteral("Connection closed by rotctld")
                 : socket_.errorString(),
             connected_ || answers_.commandOpen());
    });
    connect(&socket_, &QTcpSocket::disconnected, this, &RotctldLink::reset);
}

RotctldLink::~RotctldLink() {
    // The socket outlives the other members and tells of its closing as it goes: its
    // handlers must not run into members already destroyed.
    socket_.disconnect(this);
    socket_.abort();
}

void RotctldLink::setAddress(const QString& host, quint16 port) {
    if (host != host_ || port != port_)
        elevation_tenths_.reset(); // another rotator
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
    send(turnCommand(tenths), RotctldAnswers::Question::Command);
}

void RotctldLink::stop() {
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
    if (socket_.state() == QAbstractSocket::HostLookupState ||
        socket_.state() == QAbstractSocket::ConnectingState) {
        if (!socket_.waitForConnected(milliseconds))
            return; // the connected handler has written the queue when it succeeds
    }
    while (socket_.state() == QAbstractSocket::ConnectedState && socket_.bytesToWrite() > 0 &&
           socket_.waitForBytesWritten(milliseconds)) {
    }
}

void RotctldLink::send(const QByteArray& command, RotctldAnswers::Question question) {
    if (closing_) {
        // A command after a close: start afresh rather than lose it.
        socket_.abort();
        reset();
    }
    answers_.expect(question);
    if (socket_.state() == QAbstractSocket::ConnectedState) {
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
        if (outcome.elevation_tenths)
            elevation_tenths_ = outcome.elevation_tenths;
        if (outcome.heading)
            emit headingReceived(*outcome.heading);
        if (outcome.range_answered) {
            range_ = outcome.range.value_or(RotatorRange{});
            emit rangeReceived();
        }
        if (outcome.failure)
            emit failed(*outcome.failure);
    }
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
    answers_.clear();
    lines_.clear();
    range_.reset();
    range_asked_ = false;
    closing_ = false;
    connected_ = false;
}

} // namespace kestrav
