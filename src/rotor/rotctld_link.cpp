#include "rotor/rotctld_link.h"

namespace kestrav {

namespace {

constexpr int kConnectMilliseconds = 2000;

} // namespace

RotctldLink::RotctldLink(QObject* parent) : QObject(parent) {
    connect_timer_.setSingleShot(true);
    connect_timer_.setInterval(kConnectMilliseconds);
    connect(&connect_timer_, &QTimer::timeout, this,
            [this] { lose(QStringLiteral("Connection timed out")); });
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connect_timer_.stop();
        socket_.write(queued_);
        queued_.clear();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &RotctldLink::receive);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (closing_)
            return;
        lose(socket_.error() == QAbstractSocket::RemoteHostClosedError
                 ? QStringLiteral("Connection closed by rotctld")
                 : socket_.errorString());
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        closing_ = false;
        expected_.clear();
        lines_.clear();
    });
}

void RotctldLink::setAddress(const QString& host, quint16 port) {
    host_ = host;
    port_ = port;
}

bool RotctldLink::isOpen() const {
    return socket_.state() == QAbstractSocket::ConnectedState ||
           socket_.state() == QAbstractSocket::ConnectingState ||
           socket_.state() == QAbstractSocket::HostLookupState;
}

void RotctldLink::turn(long long tenths) {
    send(rotctld_turn_command(tenths), Answer::Report);
}

void RotctldLink::stop() {
    send(rotctld_stop_command(), Answer::Report);
}

void RotctldLink::askHeading() {
    if (socket_.state() != QAbstractSocket::ConnectedState)
        return;
    for (Answer a : expected_) {
        if (a != Answer::Report)
            return; // the last question is still open
    }
    send(rotctld_heading_query(), Answer::Position);
}

void RotctldLink::close() {
    queued_.clear();
    connect_timer_.stop();
    if (socket_.state() == QAbstractSocket::UnconnectedState)
        return;
    closing_ = true;
    if (socket_.state() == QAbstractSocket::ConnectedState)
        socket_.disconnectFromHost(); // what was written still goes out
    else
        socket_.abort();
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

void RotctldLink::send(const QByteArray& command, Answer answer) {
    if (closing_) {
        // A command after a close: start afresh rather than lose it.
        socket_.abort();
        closing_ = false;
    }
    expected_.push_back(answer);
    if (socket_.state() == QAbstractSocket::ConnectedState) {
        socket_.write(command);
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
        if (expected_.empty())
            continue; // nothing asked: not ours to read
        const Answer answer = expected_.front();
        const std::optional<int> report = parse_rotctld_report(line);
        if (answer == Answer::PositionElevation) {
            expected_.pop_front(); // the elevation, of no use here
        } else if (report) {
            expected_.pop_front();
            // A position that cannot be had is simply not shown; a refused command is told.
            if (*report < 0 && answer == Answer::Report)
                emit failed(hamlib_error_text(*report));
        } else if (answer == Answer::Position) {
            expected_.front() = Answer::PositionElevation;
            if (const std::optional<double> degrees = parse_plain_number(line))
                emit headingReceived(*degrees);
        }
    }
}

void RotctldLink::lose(const QString& reason) {
    connect_timer_.stop();
    queued_.clear();
    expected_.clear();
    lines_.clear();
    closing_ = false;
    socket_.abort();
    emit failed(reason);
}

} // namespace kestrav
