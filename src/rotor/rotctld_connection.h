#pragma once
// One accepted TCP connection of the rotctld server, non-blocking, on the thread that made it.
// Two things set it apart from a QTcpSocket: it goes on writing after the peer has shut its
// own side down (a client that sends its commands and then half-closes still reads every
// answer, as with Hamlib's rotctld), and it reads only when asked, so that a client that sends
// faster than it reads waits on its own socket rather than in the program's memory.

#include <QByteArray>
#include <QObject>

#include <chrono>

class QSocketNotifier;

namespace kestrav {

class RotctldConnection final : public QObject {
    Q_OBJECT
public:
    // Takes over `descriptor`, a connected stream socket, and makes it non-blocking.
    explicit RotctldConnection(int descriptor, QObject* parent = nullptr);
    // Closes at once, whatever still waits.
    ~RotctldConnection() override;

    enum class Read {
        Data,    // bytes were appended
        Nothing, // nothing waits yet
        Ended,   // the peer has shut its side down: nothing more will come
        Failed,  // the connection is broken
    };
    // Appends at most `most` waiting bytes to `input`.
    Read read(QByteArray& input, qsizetype most);
    // Whether readable() tells of input (or its end) as it arrives.
    void setReading(bool on);

    // Hands `bytes` to the system as far as it takes them now and keeps the rest, which goes
    // out as the peer reads; false once the connection has failed (the peer reset it).
    bool write(const QByteArray& bytes);
    // Written but not yet taken by the system.
    qsizetype bytesWaiting() const { return output_.size(); }

    // Closes at once, whatever waits; what the peer sent and was not read makes the system
    // reset the connection.
    void close() { close_now(); }
    // Lets what waits go out, then closes and deletes itself; after `limit` it closes
    // whatever still waits. Input that comes meanwhile is read and thrown away.
    void finish(std::chrono::milliseconds limit);

signals:
    void readable();
    // Some of what waited has been taken by the system.
    void bytesTaken();
    // A write failed while output waited: the peer has gone.
    void failed();

private:
    // `notified`: the system has room again, and whoever waits is told what came of it.
    void flush(bool notified);
    void close_now();

    int fd_ = -1;
    QSocketNotifier* reader_ = nullptr;
    QSocketNotifier* writer_ = nullptr;
    QByteArray output_;
    bool broken_ = false;
    bool finishing_ = false;
};

} // namespace kestrav
