#pragma once
// Listens for WSJT-X's datagrams and says which DX station to turn to. The port is bound
// with address reuse, so that WSJT-X's other listeners (loggers, GridTracker) can share it
// where WSJT-X sends to a multicast group, which is then joined. Anyone who can send to the
// socket chooses the DX station (and, with AUTO down, turns the antenna), so it is bound to
// the address the operator chose, the loopback unless told otherwise.
//
// A flood is read in rounds of at most kWsjtxDatagramsPerRound datagrams, one round per turn
// of the event loop, so that the window, the rotator and a stop request keep their turns;
// what arrives faster than that waits in the socket's receive buffer, and the kernel drops
// what does not fit.

#include "follow/follow_logic.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

namespace kestrav {

inline constexpr int kWsjtxDatagramsPerRound = 32;

class WsjtxListener : public QObject {
    Q_OBJECT
public:
    // `now` gives milliseconds on a steady clock; the default is the process's own.
    WsjtxListener(const CountryTable& countries, QObject* parent = nullptr,
                  qint64 settle_ms = kCallSettleMs, std::function<qint64()> now = {});

    // Binds `port` on `address` itself: 127.0.0.1 hears this computer only, an address of
    // one of its interfaces that interface, 0.0.0.0 or :: every interface. A multicast group
    // is joined on a socket bound to every address of its family, as WSJT-X's other
    // listeners bind it. False when the port cannot be had (or `address` is none), with the
    // reason in errorText().
    bool start(const QString& address, quint16 port);
    void stop();
    bool isListening() const { return socket_.state() == QAbstractSocket::BoundState; }
    quint16 localPort() const { return socket_.localPort(); }
    QString errorText() const { return error_; }

    // The clock a waiting call settles on, in place of the one given at construction (the
    // process's own when empty); it is read when a datagram is taken in and when the timer
    // looks again, so that a test can hold time still or step it past the settling.
    void setClock(std::function<qint64()> now);
    // Runs while a call waits to settle, due at its deadline.
    const QTimer& settleTimer() const { return timer_; }

signals:
    void dxStation(const kestrav::DxTarget& target);

private:
    void ready_read();
    void arm_timer();
    void settle();

    QUdpSocket socket_;
    FollowLogic logic_;
    QTimer timer_;
    QElapsedTimer elapsed_;
    std::function<qint64()> now_;
    QString error_;
};

} // namespace kestrav
