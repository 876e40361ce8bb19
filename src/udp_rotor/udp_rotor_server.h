#pragma once
// The two UDP rotor protocols of loggers, answered as the rotator: PstRotator's (turn, stop,
// park, the DX station by its locator, the azimuth asked for) and N1MM's (turn, stop, and the
// heading reported every 2 s and on every change). Each request goes to the station session as
// every other program's does, so the rotor's rules apply and the status line names the program.
//
// Any local process can send to the port, and a logger may send many datagrams at once: they are
// read in rounds of at most kUdpRotorDatagramsPerRound, one round per turn of the event loop (the
// kernel drops the excess), and of the turns asked in a round only the latest goes to the
// session. A stop or a park goes at once and drops the turns asked before it.

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <optional>

namespace kestrav {

class StationSession;

// The programs' names, as the status line and the messages give them.
inline constexpr char16_t kPstRotatorName[] = u"PstRotator";
inline constexpr char16_t kN1mmName[] = u"N1MM";

inline constexpr int kUdpRotorDatagramsPerRound = 32;
// How often the N1MM report goes out while nothing changes.
inline constexpr int kN1mmReportMs = 2000;

// A UDP port listened on for one protocol, read in rounds.
class UdpRotorServer : public QObject {
    Q_OBJECT
public:
    UdpRotorServer(StationSession& session, QObject* parent);

    // Listens at `address` (an IP address) on `port`, alone: a port another program holds is
    // refused (addressInUse), never shared.
    bool listen(const QHostAddress& address, quint16 port);
    void close();
    bool isListening() const { return socket_.state() == QAbstractSocket::BoundState; }
    bool addressInUse() const { return address_in_use_; }
    QString errorString() const { return socket_.errorString(); }
    quint16 port() const { return socket_.localPort(); }

protected:
    // One datagram of a round and who sent it.
    virtual void received(const QByteArray& datagram, const QHostAddress& sender) = 0;
    virtual void listening() {}
    // The turn kept for the end of the round, the latest of the round: a bearing, and whether
    // the antenna works both ways.
    void keepTurn(double azimuth, bool both_ways) { turn_ = Turn{azimuth, both_ways}; }
    void dropTurn() { turn_.reset(); }
    virtual void turn(double position) = 0;

    StationSession& session_;
    QUdpSocket socket_;

private:
    void ready_read();

    struct Turn {
        double azimuth;
        bool both_ways;
    };
    std::optional<Turn> turn_;
    bool address_in_use_ = false;
};

// PstRotator's protocol; AZ? is answered to the sender at the listening port + 1.
class PstRotatorServer final : public UdpRotorServer {
    Q_OBJECT
public:
    explicit PstRotatorServer(StationSession& session, QObject* parent = nullptr)
        : UdpRotorServer(session, parent) {}

private:
    void received(const QByteArray& datagram, const QHostAddress& sender) override;
    void turn(double position) override;
};

// N1MM's rotor protocol for the rotor called `rotor` (or "*"), the heading reported to
// `report_to`:`report_port`.
class N1mmRotorServer final : public UdpRotorServer {
    Q_OBJECT
public:
    explicit N1mmRotorServer(StationSession& session, QObject* parent = nullptr);

    void setRotor(const QString& rotor) { rotor_ = rotor; }
    void setReport(const QHostAddress& to, quint16 port);

private:
    void received(const QByteArray& datagram, const QHostAddress& sender) override;
    void turn(double position) override;
    void listening() override;
    // The report, now when the heading is new or when `always`.
    void report(bool always);

    QString rotor_;
    QHostAddress report_to_;
    quint16 report_port_ = 0;
    QTimer report_timer_;
    std::optional<double> reported_;
};

} // namespace kestrav
