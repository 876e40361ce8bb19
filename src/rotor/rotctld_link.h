#pragma once
// The connection to Hamlib's rotator daemon (rotctld) over TCP, on the user-interface
// thread: opened by the first command and kept, like a serial port, closed by STOP and at
// exit. Nothing here ever waits: commands are queued while the connection is being made, and
// what goes wrong (no connection within 2 s, a refused one, an error code in an answer) is
// told afterwards.

#include "rotor/heading_protocol.h"

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <deque>

namespace kestrav {

class RotctldLink final : public QObject {
    Q_OBJECT
public:
    explicit RotctldLink(QObject* parent = nullptr);

    void setAddress(const QString& host, quint16 port);
    // Connected, or being connected.
    bool isOpen() const;
    // A turn to `tenths` of a degree, or the stop: answered by "RPRT n".
    void turn(long long tenths);
    void stop();
    // Asks the position, unless an earlier question is still unanswered.
    void askHeading();
    // Lets what was sent go out, then closes. Nothing when closed.
    void close();
    // At exit only, when no event loop will run again: waits at most `milliseconds` for the
    // connection and for the queued commands (the parking turn) to be written.
    void finish(int milliseconds);

signals:
    // The connection could not be made or was lost, or rotctld answered an error code;
    // `reason` says which, in Hamlib's words for its codes.
    void failed(const QString& reason);
    void headingReceived(double degrees);

private:
    enum class Answer { Report, Position, PositionElevation };
    void send(const QByteArray& command, Answer answer);
    void receive();
    void lose(const QString& reason);

    QTcpSocket socket_;
    QTimer connect_timer_;
    QString host_ = QStringLiteral("localhost");
    quint16 port_ = 4533;
    QByteArray queued_; // commands written once connected
    std::deque<Answer> expected_;
    AnswerLines lines_;
    bool closing_ = false;
};

} // namespace kestrav
