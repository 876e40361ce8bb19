#pragma once
// The connection to a DX cluster node: a telnet session to its host and port, the login prompt
// answered with the operator's call, then the node's lines read as they come, spots told.
// Nothing waits: connecting, reading and the pauses between attempts all run on the event loop.
// A node that drops the connection (or never answers, or refuses it) is tried again after a
// pause that grows from 5 s to 3 minutes, back to 5 s once a session has lasted a minute.
//
// A node is trusted with nothing: telnet negotiation is read and ignored, a line without an end
// past kLongestClusterLine bytes is dropped up to its end, and the bytes are read in rounds of
// kClusterBytesPerRound, one round per turn of the event loop, so a node that floods cannot hold
// the window.

#include "dx_cluster/spot_line.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

namespace kestrav {

inline constexpr qsizetype kLongestClusterLine = 1024;
inline constexpr qsizetype kClusterBytesPerRound = 16 * 1024;
inline constexpr int kClusterFirstPauseMs = 5000;
inline constexpr int kClusterLongestPauseMs = 180000;
// A session this long counts as working: the next drop waits the first pause again.
inline constexpr int kClusterSteadyMs = 60000;
// How long a connection may take before it counts as failed.
inline constexpr int kClusterConnectMs = 15000;

class DxClusterClient : public QObject {
    Q_OBJECT
public:
    enum class State {
        Off,
        Connecting,
        Connected, // logged in (or waiting for the prompt)
        Waiting,   // dropped or refused; tried again after a pause
    };

    explicit DxClusterClient(QObject* parent = nullptr);
    ~DxClusterClient() override;

    // Connects to `host`:`port` and logs in as `call`; any earlier connection ends first.
    void start(const QString& host, quint16 port, const QString& call);
    void stop();

    State state() const { return state_; }
    // Why the last connection failed or ended; for Other, as the system says it in `reason()`.
    enum class Drop { None, Closed, Refused, NotFound, NoAnswer, Other };
    Drop drop() const { return drop_; }
    const QString& reason() const { return reason_; }
    // The pause before the next attempt while Waiting, in ms.
    int pauseMs() const { return pause_ms_; }
    // The pauses start at `first_ms` (tests keep them short).
    void setFirstPause(int first_ms) { first_pause_ms_ = first_ms; }

signals:
    void spotReceived(const kestrav::Spot& spot);
    void stateChanged(kestrav::DxClusterClient::State state);

private:
    void connect_now();
    void connected();
    void dropped(Drop drop, const QString& reason = {});
    void read_round();
    void take_bytes(QByteArrayView bytes);
    void take_line(QByteArrayView line);
    void check_prompt();
    void set_state(State state);

    QTcpSocket socket_;
    QTimer retry_timer_;
    QTimer connect_timer_;
    QElapsedTimer session_;
    QString host_;
    quint16 port_ = 0;
    QByteArray call_;
    QByteArray line_;
    bool discarding_ = false;
    int telnet_skip_ = 0; // bytes of a telnet command still to drop
    bool logged_in_ = false;
    bool round_posted_ = false;
    State state_ = State::Off;
    Drop drop_ = Drop::None;
    QString reason_;
    int first_pause_ms_ = kClusterFirstPauseMs;
    int pause_ms_ = kClusterFirstPauseMs;
};

} // namespace kestrav
