// From a publication to a hot-linked client holding the bytes, with 1 and with 64
// subscribers. The server runs on this thread's event loop as in the program; the clients
// read on a second thread, as other programs would, and stamp each value on arrival.
//
//   bench_dde_publish [publications]

#include "publish/dde_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int connect_client(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.constData());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        std::abort();
    const char hello[] = "CONNECT Data\nADVISE Azimuth TEXT HOT\n";
    if (::write(fd, hello, sizeof hello - 1) != sizeof hello - 1)
        std::abort();
    return fd;
}

// Reads every client until each has seen `count` values; arrival[c][i] is when client c
// held the whole value i (values are the publication numbers).
void read_clients(const std::vector<int>& fds, int count,
                  std::vector<std::vector<Clock::time_point>>& arrival) {
    std::vector<QByteArray> pending(fds.size());
    std::vector<int> seen(fds.size(), 0);
    std::vector<pollfd> polls;
    for (int fd : fds)
        polls.push_back({fd, POLLIN, 0});
    int done = 0;
    char buffer[65536];
    while (done < static_cast<int>(fds.size())) {
        if (::poll(polls.data(), polls.size(), 5000) <= 0)
            std::abort();
        for (std::size_t c = 0; c < fds.size(); ++c) {
            if (!(polls[c].revents & POLLIN))
                continue;
            const ssize_t n = ::read(fds[c], buffer, sizeof buffer);
            if (n <= 0)
                std::abort();
            const auto now = Clock::now();
            pending[c].append(buffer, n);
            for (;;) {
                const qsizetype header = pending[c].indexOf("DATA Azimuth ");
                const qsizetype end = pending[c].indexOf('\n', header);
                if (header < 0 || end < 0)
                    break;
                const qsizetype size = pending[c].mid(header + 13, end - header - 13).toLongLong();
                if (pending[c].size() < end + 1 + size)
                    break;
                const int value = pending[c].mid(end + 1, size - 3).toInt();
                pending[c].remove(0, end + 1 + size);
                if (value >= 0 && value < count)
                    arrival[c][value] = now;
                if (++seen[c] == count)
                    ++done;
            }
        }
    }
}

void run(const QByteArray& path, kestrav::DdeServer& server, int clients, int count) {
    std::vector<int> fds;
    for (int i = 0; i < clients; ++i) {
        fds.push_back(connect_client(path));
        QCoreApplication::processEvents();
    }
    // Let the server take every connection and advise.
    QTimer::singleShot(200, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    std::vector<std::vector<Clock::time_point>> arrival(clients,
                                                        std::vector<Clock::time_point>(count));
    std::vector<Clock::time_point> sent(count);
    std::thread reader([&] { read_clients(fds, count, arrival); });
    int next = 0;
    QTimer timer;
    timer.setInterval(2);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (next == count) {
            timer.stop();
            QCoreApplication::quit();
            return;
        }
        sent[next] = Clock::now();
        server.publish(QString::number(next));
        ++next;
    });
    timer.start();
    QCoreApplication::exec();
    // Keep serving until the reader has everything.
    std::atomic<bool> finished{false};
    std::thread waiter([&] {
        reader.join();
        finished = true;
    });
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    waiter.join();

    std::vector<double> us;
    for (const auto& client : arrival)
        for (int i = 0; i < count; ++i)
            us.push_back(std::chrono::duration<double, std::micro>(client[i] - sent[i]).count());
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    std::printf("| %d | %d | %.0f µs | %.0f µs | %.0f µs |\n", clients, count, at(0.5), at(0.99),
                us.back());
    for (int fd : fds)
        ::close(fd);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir runtime;
    const QString path = runtime.path() + QStringLiteral("/dde/kestrav");
    kestrav::DdeServer server(path);
    if (server.listen() != 0)
        return 1;
    std::printf("| subscribers | publications | median | p99 | max |\n|---|---|---|---|---|\n");
    for (int clients : {1, 64}) {
        run(QFile::encodeName(path), server, clients, count);
        QTimer::singleShot(100, qApp, &QCoreApplication::quit); // the closed clients go
        QCoreApplication::exec();
    }
    return 0;
}
