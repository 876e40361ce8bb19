#include "publish/dde_forward.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrav {

bool dde_ask_to_come_forward(const QString& socket_path, int timeout_ms) {
    const QByteArray path = QFile::encodeName(socket_path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    static constexpr char request[] = "ACTIVATE\n";
    bool answered = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL) == sizeof request - 1) {
        // The answer is one short line; anything else, or silence, is no hand-over.
        QByteArray answer;
        QElapsedTimer clock;
        clock.start();
        while (!answer.contains('\n') && answer.size() < 16) {
            const qint64 left = timeout_ms - clock.elapsed();
            pollfd wait{fd, POLLIN, 0};
            const int ready = left > 0 ? ::poll(&wait, 1, static_cast<int>(left)) : 0;
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            char chunk[16];
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            answer.append(chunk, n);
        }
        answered = answer == "OK\n";
    }
    ::close(fd);
    return answered;
}

} // namespace kestrav
