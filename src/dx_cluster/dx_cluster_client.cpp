#include "dx_cluster/dx_cluster_client.h"

#include <algorithm>

namespace kestrav {

namespace {

constexpr unsigned char kIac = 255;
constexpr unsigned char kSb = 250;
constexpr unsigned char kSe = 240;
constexpr unsigned char kWill = 251;
constexpr unsigned char kDont = 254;

// What nodes ask the call with: "login:", "Please enter your call:", "Enter your callsign:".
bool is_login_prompt(QByteArrayView text) {
    const QByteArray lower = text.trimmed().toByteArray().toLower();
    return lower.endsWith(':') && (lower.contains("login") || lower.contains("call"));
}

} // namespace

DxClusterClient::DxClusterClient(QObject* parent) : QObject(parent), socket_(this) {
    retry_timer_.setSingleShot(true);
    connect(&retry_timer_, &QTimer::timeout, this, &DxClusterClient::connect_now);
    connect_timer_.setSingleShot(true);
    connect_timer_.setInterval(kClusterConnectMs);
    connect(&connect_timer_, &QTimer::timeout, this, [this] { dropped(Drop::NoAnswer); });
    connect(&socket_, &QTcpSocket::connected, this, &DxClusterClient::connected);
    connect(&socket_, &QTcpSocket::readyRead, this, [this] {
        if (!round_posted_)
            read_round();
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] { dropped(Drop::Closed); });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (state_ != State::Connecting && state_ != State::Connected)
            return;
        switch (socket_.error()) {
        case QAbstractSocket::RemoteHostClosedError:
            dropped(Drop::Closed);
            break;
        case QAbstractSocket::ConnectionRefusedError:
            dropped(Drop::Refused);
            break;
        case QAbstractSocket::HostNotFoundError:
            dropped(Drop::NotFound);
            break;
        case QAbstractSocket::SocketTimeoutError:
            dropped(Drop::NoAnswer);
            break;
        default:
            dropped(Drop::Other, socket_.errorString());
            break;
        }
    });
}

// The socket outlives the timers (members end in reverse order) and tells of its closing as it
// ends: nobody may hear it then.
DxClusterClient::~DxClusterClient() {
    socket_.disconnect(this);
    socket_.abort();
}

void DxClusterClient::start(const QString& host, quint16 port, const QString& call) {
    stop();
    host_ = host;
    port_ = port;
    call_ = call.trimmed().toUpper().toLatin1();
    pause_ms_ = first_pause_ms_;
    connect_now();
}

void DxClusterClient::stop() {
    retry_timer_.stop();
    connect_timer_.stop();
    const State was = state_;
    state_ = State::Off; // a disconnect now is no drop
    socket_.abort();
    line_.clear();
    discarding_ = false;
    telnet_skip_ = 0;
    drop_ = Drop::None;
    reason_.clear();
    if (was != State::Off)
        emit stateChanged(state_);
}

void DxClusterClient::connect_now() {
    socket_.abort();
    line_.clear();
    discarding_ = false;
    telnet_skip_ = 0;
    logged_in_ = false;
    set_state(State::Connecting);
    connect_timer_.start();
    socket_.connectToHost(host_, port_);
}

void DxClusterClient::connected() {
    connect_timer_.stop();
    session_.start();
    drop_ = Drop::None;
    reason_.clear();
    set_state(State::Connected);
}

void DxClusterClient::dropped(Drop drop, const QString& reason) {
    if (state_ == State::Off || state_ == State::Waiting)
        return;
    connect_timer_.stop();
    // A session that lasted starts the pauses afresh; otherwise each pause doubles.
    if (state_ == State::Connected && session_.isValid() && session_.elapsed() >= kClusterSteadyMs)
        pause_ms_ = first_pause_ms_;
    drop_ = drop;
    reason_ = reason;
    state_ = State::Waiting; // before abort, whose signals must find the drop already told
    socket_.abort();
    retry_timer_.start(pause_ms_);
    emit stateChanged(state_);
    pause_ms_ = std::min(pause_ms_ * 2, kClusterLongestPauseMs);
}

void DxClusterClient::set_state(State state) {
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state_);
}

// One round of bytes; what the socket still holds is read at the next turn of the loop (a TCP
// socket buffers what it has read, so a round posted for later finds it there).
void DxClusterClient::read_round() {
    round_posted_ = false;
    const QByteArray bytes = socket_.read(kClusterBytesPerRound);
    take_bytes(bytes);
    if (state_ == State::Connected && !logged_in_)
        check_prompt();
    if (socket_.bytesAvailable() > 0 && state_ == State::Connected) {
        round_posted_ = true;
        QMetaObject::invokeMethod(this, &DxClusterClient::read_round, Qt::QueuedConnection);
    }
}

void DxClusterClient::take_bytes(QByteArrayView bytes) {
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (telnet_skip_ > 0) {
            // Inside a negotiation: a subnegotiation runs to IAC SE, the others are 3 bytes.
            if (telnet_skip_ == 3) {
                if (c == kSe)
                    telnet_skip_ = 0;
                continue;
            }
            if (telnet_skip_ == 2 && c == kSb) {
                telnet_skip_ = 3;
                continue;
            }
            telnet_skip_ = telnet_skip_ == 2 && c >= kWill && c <= kDont ? 1 : 0;
            continue;
        }
        if (c == kIac) {
            telnet_skip_ = 2;
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (!discarding_ && !line_.isEmpty())
                take_line(line_);
            line_.clear();
            discarding_ = false;
            continue;
        }
        if (discarding_)
            continue;
        if (line_.size() >= kLongestClusterLine) {
            line_.clear();
            discarding_ = true;
            continue;
        }
        line_ += ch;
    }
}

void DxClusterClient::take_line(QByteArrayView line) {
    if (!logged_in_ && state_ == State::Connected && is_login_prompt(line)) {
        logged_in_ = true;
        socket_.write(call_ + "\r\n");
        return;
    }
    const std::optional<Spot> spot = parse_spot_line(cluster_line_text(line));
    if (spot) {
        logged_in_ = true; // spots flow: no prompt is coming
        emit spotReceived(*spot);
    }
}

// A prompt has no line end: it stands in the part of a line read so far.
void DxClusterClient::check_prompt() {
    if (!discarding_ && !line_.isEmpty() && is_login_prompt(line_)) {
        logged_in_ = true;
        line_.clear();
        socket_.write(call_ + "\r\n");
    }
}

} // namespace kestrav
