#pragma once
// The window's event loop kept serving while a benchmark's clients work on threads of their
// own, the longest turn of that loop, and the clients' loopback sockets.

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

namespace kestrav::bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs `work` on a thread of its own while the window's event loop keeps serving.
// (A real event loop: QTest's waits sleep between their looks at the clock.)
template <typename Work> void serve_while(Work work) {
    QEventLoop loop;
    std::thread t([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    t.join();
}

// The processor time of the calling thread.
inline double thread_ms() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The longest turn of the event loop (how late a tick came), and the processor time the
// window's thread spent from the tick before to that one: a turn far longer than that time was
// the machine's, not the program's.
struct Turn {
    double ms = 0, busy_ms = 0;
};

// serve_while, giving the longest turn of the loop meanwhile: the latest tick of a 10 ms timer
// on its thread.
template <typename Work> Turn longest_turn_while(Work work) {
    Turn worst;
    auto last = Clock::now();
    double last_cpu = thread_ms();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        const double cpu = thread_ms();
        if (ms(now - last) - 10 > worst.ms)
            worst = {ms(now - last) - 10, cpu - last_cpu};
        last = now;
        last_cpu = cpu;
    });
    tick.start(10);
    serve_while(work);
    return worst;
}

inline sockaddr_in loopback(quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A TCP client of 127.0.0.1:`port` writing without delay, or -1.
inline int connect_to(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

inline bool write_all(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Sends `total` items at `rate` a second, those due each millisecond together: `send(from,
// to)` sends items from..to-1.
template <typename Send> void paced(long total, long rate, Send send) {
    using namespace std::chrono_literals;
    const auto t0 = Clock::now();
    for (long sent = 0; sent < total;) {
        const long due = std::min(total, 1 + (Clock::now() - t0) * rate / 1s);
        send(sent, due);
        sent = due;
        std::this_thread::sleep_until(t0 + std::chrono::microseconds(sent * 1'000'000 / rate));
    }
}

} // namespace kestrav::bench
