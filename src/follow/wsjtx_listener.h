#pragma once
// Listens for WSJT-X's datagrams and says which DX station to turn to. The port is bound
// with address reuse, so that WSJT-X's other listeners (loggers, GridTracker) can share it
// where WSJT-X sends to a multicast group, which is then joined.

#include "follow/follow_logic.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

namespace kestrav {

class WsjtxListener : public QObject {
    Q_OBJECT
public:
    // `now` gives milliseconds on a steady clock; the default is the process's own.
    WsjtxListener(const CountryTable& countries, QObject* parent = nullptr,
                  qint64 settle_ms = kCallSettleMs, std::function<qint64()> now = {});

    // Binds to `port` on every address (or on the group's for a multicast address) and
    // joins the group; false when the port cannot be had, with the reason in errorText().
    bool start(const QString& address, quint16 port);
    void stop();
    bool isListening() const { return socket_.state() == QAbstractSocket::BoundState; }
    quint16 localPort() const { return socket_.localPort(); }
    QString errorText() const { return socket_.errorString(); }

signals:
    void dxStation(const kestrav::DxTarget& target);

private:
    void read_datagrams();
    void arm_timer();
    void settle();

    QUdpSocket socket_;
    FollowLogic logic_;
    QTimer timer_;
    QElapsedTimer elapsed_;
    std::function<qint64()> now_;
};

} // namespace kestrav
