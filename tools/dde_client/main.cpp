// kestrav-dde: a command-line client of the azimuth a running Kestrav publishes.
//
//   kestrav-dde [--service NAME] request [ITEM]      prints the value once
//   kestrav-dde [--service NAME] watch [ITEM]        prints the value, then each new one
//   kestrav-dde [--service NAME] poke ITEM VALUE     replaces the value
//
// ITEM defaults to Azimuth. Exit status: 0 done, 1 usage, 2 no server, 3 topic refused,
// 4 item not found, 5 connection lost.

#include "publish/dde_protocol.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

enum Exit { kDone = 0, kUsage = 1, kNoServer = 2, kTopicRefused = 3, kNoItem = 4, kLost = 5 };

// Blocking reads of lines and counted payloads from the server.
class Connection {
public:
    explicit Connection(int fd) : fd_(fd) {}
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool send(const QByteArray& bytes) {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n =
                ::write(fd_, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }
    bool line(QByteArray& out) {
        qsizetype end;
        while ((end = buffer_.indexOf('\n')) < 0) {
            if (!fill())
                return false;
        }
        out = buffer_.first(end);
        buffer_.remove(0, end + 1);
        if (out.endsWith('\r'))
            out.chop(1);
        return true;
    }
    bool bytes(qsizetype count, QByteArray& out) {
        while (buffer_.size() < count) {
            if (!fill())
                return false;
        }
        out = buffer_.first(count);
        buffer_.remove(0, count);
        return true;
    }

private:
    bool fill() {
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            buffer_.append(chunk, n);
            return true;
        }
    }
    int fd_;
    QByteArray buffer_;
};

// The value as text lines: the NUL and the CR LF of each line dropped.
void print_value(const QByteArray& value) {
    const QByteArrayList lines = kestrav::poked_lines(value);
    std::fputs(lines.join('\n').constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// On standard output when asked for with --help, on standard error after a wrong command.
int usage(std::FILE* to = stderr) {
    std::fputs("usage: kestrav-dde [--service NAME] request [ITEM]\n"
               "       kestrav-dde [--service NAME] watch [ITEM]\n"
               "       kestrav-dde [--service NAME] poke ITEM VALUE\n"
               "ITEM is Azimuth unless given (the letter case counts).\n",
               to);
    return kUsage;
}

// Names the items there are, so that a misspelt one can be put right.
int no_item(const QByteArray& item) {
    std::fprintf(stderr, "kestrav-dde: no item %s; the items are: %s\n", item.constData(),
                 kestrav::kDdeItem);
    return kNoItem;
}

// Reads "DATA <n>" (or "DATA <item> <n>") and the n bytes after it.
int read_data(Connection& server, const QByteArray& header, QByteArray& value) {
    if (header == "NOTPROCESSED")
        return kNoItem;
    const QByteArrayList words = header.split(' ');
    bool ok = false;
    const qsizetype count =
        words.size() >= 2 && words[0] == "DATA" ? words.last().toLongLong(&ok) : 0;
    if (!ok || count < 0 || count > kestrav::kDdeLargestValue || !server.bytes(count, value))
        return kLost;
    return kDone;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return kDone;
    }
    QString service = QStringLiteral("kestrav");
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--service") == 0) {
        service = QString::fromLocal8Bit(argv[i + 1]);
        i += 2;
    }
    if (i >= argc)
        return usage();
    const std::string command = argv[i++];
    const QByteArray item = i < argc ? QByteArray(argv[i++]) : QByteArray(kestrav::kDdeItem);
    const bool poke = command == "poke";
    if ((command != "request" && command != "watch" && !poke) || (poke && i >= argc) ||
        i + (poke ? 1 : 0) != argc || item.contains(' ') || item.isEmpty())
        return usage();

    const QByteArray path = QFile::encodeName(kestrav::dde_socket_path(service));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return kNoServer;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    Connection server(fd);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "kestrav-dde: no %s running (%s)\n", service.toLocal8Bit().constData(),
                     std::strerror(errno));
        return kNoServer;
    }

    QByteArray answer;
    if (!server.send(QByteArrayLiteral("CONNECT ") + kestrav::kDdeTopic + '\n') ||
        !server.line(answer))
        return kLost;
    if (answer != "OK") {
        std::fprintf(stderr, "kestrav-dde: topic %s refused\n", kestrav::kDdeTopic);
        return kTopicRefused;
    }

    // A value is sent with its NUL; the server takes no more than its largest payload.
    const QByteArray text = poke ? QByteArray(argv[argc - 1]) + '\0' : QByteArray();
    if (text.size() > kestrav::kDdeLargestPayload) {
        std::fprintf(stderr, "kestrav-dde: a value holds at most %lld bytes\n",
                     static_cast<long long>(kestrav::kDdeLargestPayload - 1));
        return kUsage;
    }

    QByteArray value;
    if (poke) {
        if (!server.send("POKE " + item + " TEXT " + QByteArray::number(text.size()) + '\n' +
                         text) ||
            !server.line(answer))
            return kLost;
    } else {
        if (!server.send("REQUEST " + item + " TEXT\n") || !server.line(answer))
            return kLost;
    }
    if (answer == "NOTPROCESSED")
        return no_item(item);
    if (!poke) {
        if (const int status = read_data(server, answer, value))
            return status;
        print_value(value);
    }
    if (command == "watch") {
        if (!server.send("ADVISE " + item + " TEXT HOT\n") || !server.line(answer))
            return kLost;
        if (answer == "NOTPROCESSED")
            return no_item(item);
        if (answer != "OK")
            return kLost;
        for (;;) {
            if (!server.line(answer))
                return kLost; // the program has ended
            if (const int status = read_data(server, answer, value))
                return status;
            print_value(value);
        }
    }
    server.send(QByteArrayLiteral("DISCONNECT\n"));
    return kDone;
}
