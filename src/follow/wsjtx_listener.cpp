#include "follow/wsjtx_listener.h"

#include <QNetworkDatagram>

namespace kestrav {

WsjtxListener::WsjtxListener(const CountryTable& countries, QObject* parent, qint64 settle_ms,
                             std::function<qint64()> now)
    : QObject(parent), socket_(this), logic_(countries, settle_ms) {
    elapsed_.start();
    setClock(std::move(now));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &WsjtxListener::settle);
    connect(&socket_, &QUdpSocket::readyRead, this, &WsjtxListener::ready_read);
}

void WsjtxListener::setClock(std::function<qint64()> now) {
    now_ = now ? std::move(now) : std::function<qint64()>([this] { return elapsed_.elapsed(); });
}

bool WsjtxListener::start(const QString& address, quint16 port) {
    stop();
    const QHostAddress wanted(address);
    if (wanted.isNull()) {
        error_ = QStringLiteral("Not an IP address");
        return false;
    }
    const bool multicast = wanted.isMulticast();
    QHostAddress bound = wanted;
    if (multicast)
        bound = wanted.protocol() == QAbstractSocket::IPv6Protocol
                    ? QHostAddress(QHostAddress::AnyIPv6)
                    : QHostAddress(QHostAddress::AnyIPv4);
    if (!socket_.bind(bound, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        error_ = socket_.errorString();
        return false;
    }
    if (multicast && !socket_.joinMulticastGroup(wanted)) {
        error_ = socket_.errorString();
        socket_.close();
        return false;
    }
    error_.clear();
    return true;
}

void WsjtxListener::stop() {
    socket_.close();
    timer_.stop();
    logic_.reset();
}

// One round a readyRead. While datagrams wait after a round, the socket's notifier, being
// level-triggered, reports them at the next turn of the event loop, and readyRead comes again
// then: each datagram read re-arms it. Reading from anywhere but readyRead (a round posted for
// later, say) can empty the socket between the loop's look at it and its notice, and a readyRead
// that reads nothing leaves the notifier off for good: the socket would fall deaf.
void WsjtxListener::ready_read() {
    for (int i = 0; i < kWsjtxDatagramsPerRound && socket_.hasPendingDatagrams(); ++i) {
        // Read whole even when oversized, so that the next datagram starts clean.
        const QNetworkDatagram datagram = socket_.receiveDatagram();
        const std::optional<WsjtxMessage> message = parse_wsjtx_datagram(datagram.data());
        if (!message)
            continue;
        if (const std::optional<DxTarget> target = logic_.receive(*message, now_()))
            emit dxStation(*target);
    }
    arm_timer();
}

void WsjtxListener::arm_timer() {
    const std::optional<qint64> deadline = logic_.deadline();
    if (!deadline) {
        timer_.stop();
        return;
    }
    timer_.start(static_cast<int>(std::max<qint64>(0, *deadline - now_())));
}

void WsjtxListener::settle() {
    if (const std::optional<DxTarget> target = logic_.settle(now_()))
        emit dxStation(*target);
    arm_timer();
}

} // namespace kestrav
