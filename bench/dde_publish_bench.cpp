// From a publication to a hot-linked client holding the bytes, with 1 and with 64
// subscribers. The server runs on this thread's event loop as in the program; the clients
// read on a second thread, as other programs would, and stamp each value on arrival.
// Then one client floods the server: it pokes 64 KiB of line ends and asks for the value
// 3,000 times in one write, and either never reads or reads everything; meanwhile a 1 ms
// timer on the event loop notes its longest wait and the process its peak resident size.
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
#include <ctime>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A connection to the publication socket at `path`.
int open_socket(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.constData());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        std::abort();
    return fd;
}

int connect_client(const QByteArray& path) {
    const int fd = open_socket(path);
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

// The peak resident size from now on (the kernel's high-water mark, reset), in MB.
void reset_peak_resident() {
    if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", clear);
        std::fclose(clear);
    }
}
long peak_resident_mb() {
    long kb = 0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmHWM: %ld", &kb) == 1)
                break;
        std::fclose(status);
    }
    return kb / 1024;
}

void flood(const QByteArray& path, bool reads) {
    const int fd = open_socket(path);
    std::atomic<bool> done{false};
    const auto start = Clock::now();
    std::thread client([&] {
        const QByteArray poke = "CONNECT Data\nPOKE Azimuth TEXT 65536\n" + QByteArray(65536, '\n');
        const QByteArray requests = QByteArray("REQUEST Azimuth TEXT\n").repeated(3000);
        for (const QByteArray& bytes : {poke, requests})
            if (::write(fd, bytes.constData(), bytes.size()) != bytes.size())
                std::abort();
        if (reads) {
            // "OK" twice, then 3,000 answers of "DATA 131073" and the value.
            const long long expected = 6 + 3000LL * (12 + 131073);
            long long got = 0;
            char buffer[65536];
            for (ssize_t n; got < expected && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                got += n;
        } else {
            std::this_thread::sleep_for(std::chrono::seconds(2));
        }
        done = true;
    });
    reset_peak_resident();
    // Wall time between two ticks, and the processor time this thread spent in it.
    auto thread_ms = [] {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    auto last = Clock::now();
    double last_cpu = thread_ms();
    double longest_ms = 0, longest_cpu_ms = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        const double cpu = thread_ms();
        longest_ms =
            std::max(longest_ms, std::chrono::duration<double, std::milli>(now - last).count());
        longest_cpu_ms = std::max(longest_cpu_ms, cpu - last_cpu);
        last = now;
        last_cpu = cpu;
        if (done)
            QCoreApplication::quit();
    });
    tick.start(1);
    QCoreApplication::exec();
    client.join();
    const double total_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("| %s | %.0f ms | %.1f ms | %.1f ms | %ld MB |\n",
                reads ? "reads every answer (393 MB)" : "never reads (2 s)", total_ms, longest_ms,
                longest_cpu_ms, peak_resident_mb());
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
    std::printf("\n| flooding client | run | longest event-loop wait | its processor time "
                "| peak resident |\n|---|---|---|---|---|\n");
    for (bool reads : {false, true}) {
        flood(QFile::encodeName(path), reads);
        QTimer::singleShot(100, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }
    return 0;
}
