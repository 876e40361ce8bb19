#include "rotor/rotctld_connection.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrav {

namespace {

// What a finishing connection reads and throws away at most before it closes: input left
// unread would make the system reset the connection, and the peer might lose its last answers.
constexpr qsizetype kDiscardedAtClose = 64 * 1024;

} // namespace

RotctldConnection::RotctldConnection(int descriptor, QObject* parent)
    : QObject(parent), fd_(descriptor) {
    const int flags = ::fcntl(fd_, F_GETFL);
    ::fcntl(fd_, F_SETFL, (flags < 0 ? 0 : flags) | O_NONBLOCK);
    reader_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    reader_->setEnabled(false);
    connect(reader_, &QSocketNotifier::activated, this, [this] {
        if (finishing_) {
            QByteArray discarded;
            if (read(discarded, kDiscardedAtClose) != Read::Data)
                reader_->setEnabled(false);
            return;
        }
        emit readable();
    });
    writer_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    writer_->setEnabled(false);
    connect(writer_, &QSocketNotifier::activated, this, [this] { flush(true); });
}

RotctldConnection::~RotctldConnection() {
    close_now();
}

RotctldConnection::Read RotctldConnection::read(QByteArray& input, qsizetype most) {
    if (fd_ < 0 || broken_)
        return Read::Failed;
    const qsizetype size = input.size();
    input.resize(size + most);
    ssize_t got = -1;
    do {
        got = ::recv(fd_, input.data() + size, static_cast<size_t>(most), 0);
    } while (got < 0 && errno == EINTR);
    input.resize(size + (got > 0 ? got : 0));
    if (got > 0)
        return Read::Data;
    if (got == 0)
        return Read::Ended;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return Read::Nothing;
    broken_ = true;
    return Read::Failed;
}

void RotctldConnection::setReading(bool on) {
    if (fd_ >= 0 && !finishing_)
        reader_->setEnabled(on);
}

bool RotctldConnection::write(const QByteArray& bytes) {
    if (fd_ < 0 || broken_)
        return false;
    output_ += bytes;
    // Unless output already waits for room, the system takes it now, without a pass through
    // the event loop.
    if (!writer_->isEnabled())
        flush(false);
    return !broken_;
}

void RotctldConnection::flush(bool notified) {
    if (fd_ < 0)
        return;
    qsizetype sent = 0;
    while (sent < output_.size()) {
        const ssize_t n = ::send(fd_, output_.constData() + sent,
                                 static_cast<size_t>(output_.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        broken_ = true;
        break;
    }
    output_.remove(0, sent);
    if (broken_) {
        output_.clear();
        writer_->setEnabled(false);
        if (finishing_) {
            close_now();
            deleteLater();
        } else if (notified) {
            emit failed();
        }
        return;
    }
    writer_->setEnabled(!output_.isEmpty());
    if (finishing_ && output_.isEmpty()) {
        close_now();
        deleteLater();
        return;
    }
    if (sent > 0 && notified)
        emit bytesTaken();
}

void RotctldConnection::finish(std::chrono::milliseconds limit) {
    if (finishing_)
        return;
    finishing_ = true;
    if (output_.isEmpty() || fd_ < 0 || broken_) {
        close_now();
        deleteLater();
        return;
    }
    reader_->setEnabled(true); // thrown away as it comes, until the close
    QTimer::singleShot(limit, this, [this] {
        close_now();
        deleteLater();
    });
}

void RotctldConnection::close_now() {
    if (fd_ < 0)
        return;
    if (finishing_ && !broken_) {
        QByteArray discarded;
        (void)read(discarded, kDiscardedAtClose);
    }
    reader_->setEnabled(false);
    writer_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
}

} // namespace kestrav
