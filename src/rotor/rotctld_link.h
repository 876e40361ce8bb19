#pragma once
// The connection to Hamlib's rotator daemon (rotctld) over TCP, on the user-interface
// thread: opened by the first command and kept, like a serial port, closed by STOP and at
// exit. Nothing here ever waits: commands are queued while the connection is being made, and
// what goes wrong (no connection within 2 s, a refused one, an error code or an unreadable
// answer, no answer within 5 s) is told afterwards.
//
// A rotctld on this computer is first asked its name (get_info): when it is this very
// Kestrav's own server, a GO would only come back to this window, so the connection is
// refused and nothing is sent. A rotctld on another computer is never this process.

#include "rotor/heading_protocol.h"
#include "rotor/rotor_controller.h"

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

namespace kestrav {

class RotctldLink final : public RotorLink {
    Q_OBJECT
public:
    explicit RotctldLink(QObject* parent = nullptr);
    ~RotctldLink() override;

    void setAddress(const QString& host, quint16 port) override;
    // Connected, or being connected.
    bool isOpen() const override;
    // The command that turns to `tenths` of a degree: it sends back the elevation of the last
    // position read on this connection, so that an az/el rotator keeps its elevation ("0" for
    // a rotator that tells none, and before any is read).
    QByteArray turnCommand(long long tenths) const override;
    // A turn, or the stop: answered by "RPRT n". The first turn of a connection waits for
    // the position, asked then unless already asked, and goes with its elevation; a later
    // turn replaces a waiting one, and the stop, a close or a failure drop it. A rotator
    // that tells no position gets the elevation "0"; a position refused for another reason
    // or unreadable fails the turn rather than guess an elevation.
    void turn(long long tenths) override;
    // Both axes are known: the turn goes at once, no position read first.
    void turnBoth(long long tenths, long long elevation_tenths) override;
    void stop() override;
    // Asks the position, connecting if need be, unless an earlier question is still
    // unanswered.
    void askHeading() override;
    // The range is asked once a connection, and forgotten with it.
    void askRange() override;
    std::optional<RotorRange> reportedRange() const override { return range_; }
    std::optional<ElevationRange> reportedElevationRange() const override {
        return elevation_range_;
    }
    // Lets what was sent go out, then closes. Nothing when closed.
    void close() override;
    // At exit only, when no event loop will run again: waits at most `milliseconds` for the
    // connection, for the answers a turn waits on, and for the queued commands (the parking
    // turn) to be written.
    void finish(int milliseconds) override;
    // How long rotctld may take over an answer before the connection is given up.
    void setAnswerTimeout(int milliseconds) { answer_timer_.setInterval(milliseconds); }

    // failed(): the connection could not be made or was lost, or a command was refused,
    // answered unreadably or not at all; `reason` says which, in Hamlib's words for its codes.

private:
    void send(const QByteArray& command, RotctldAnswers::Question question);
    void connected();
    void receive();
    void take_info(const QByteArray& info);
    // The waiting turn, once the position it waited for has been answered.
    void release_turn(const RotctldAnswers::Outcome& outcome);
    void lose(const QString& reason, bool tell = true);
    // Forgets everything that belongs to one connection: the queue, the open questions, a
    // partial line and the timers. Every way a connection ends comes through here.
    void reset();

    QTcpSocket socket_;
    QTimer connect_timer_;
    QTimer answer_timer_;
    QString host_ = QStringLiteral("localhost");
    quint16 port_ = 4533;
    QByteArray queued_;        // commands written once connected and, on this computer, identified
    bool identifying_ = false; // the name of a rotctld on this computer is awaited
    RotctldAnswers answers_;
    AnswerLines lines_;
    // The elevation of the last position read on this connection; read once a position was
    // answered with one, or rotctld said its rotator tells none.
    std::optional<long long> elevation_tenths_;
    bool elevation_read_ = false;
    std::optional<long long> waiting_turn_; // tenths of a degree
    std::optional<RotorRange> range_;
    std::optional<ElevationRange> elevation_range_;
    bool range_asked_ = false;
    bool closing_ = false;
    bool connected_ = false; // this connection was made (its loss is told)

    // Whether losing the connection loses something asked for: a command, or a turn waiting
    // for the elevation. A position question alone is not worth telling.
    bool told_if_lost() const { return answers_.commandOpen() || waiting_turn_.has_value(); }
};

} // namespace kestrav
