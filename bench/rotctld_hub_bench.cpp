// Kestrav as a rotctld: "P" from a client to the first byte of the command at the controller,
// beside Debian's rotctld (model 601, GS-232A) on the same controller, and the "p" round trip
// with sixteen clients polling once a second.
//
//   bench_rotctld_hub [count] [seconds]
//
// The main window runs offscreen with GS232 on a pseudo-terminal as COM1; the controller is
// played by this process on the master side (a thread that stamps each command's first
// byte). Clients are threads of their own with blocking sockets, so that the window's thread
// does nothing but serve.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "rotor/rotctld_server.h"
#include "silent_desktop.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The controller's side: stamps the first byte of each command, answers C as a GS-232A.
struct Controller {
    int master = -1;
    std::atomic<bool> running{true};
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Clock::time_point> firsts; // one per command, at its first byte

    void run() {
        bool in_line = false;
        char line_start = 0; // the first byte of the command being read
        char buffer[256];
        while (running) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const auto now = Clock::now();
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                const bool end = buffer[i] == '\r' || buffer[i] == '\n';
                if (!end && !in_line) {
                    line_start = buffer[i];
                    std::lock_guard lock(mutex);
                    firsts.push_back(now);
                    arrived.notify_all();
                }
                if (end && in_line && line_start == 'C' && ::write(master, "+0000\r\n", 7) < 0)
                    return;
                in_line = !end;
            }
        }
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return firsts.size();
    }
    // The first byte of command number `index`, waited for up to 5 s.
    std::optional<Clock::time_point> first_of(std::size_t index) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(5), [&] { return firsts.size() > index; }))
            return std::nullopt;
        return firsts[index];
    }
};

int connect_to(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// Sends `line` and reads until `lines` line ends have come back; false on a closed socket.
bool ask(int fd, const std::string& line, int lines) {
    if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return false;
    char c;
    while (lines > 0) {
        if (::read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            --lines;
    }
    return true;
}

struct Figures {
    double median = 0, p99 = 0;
    std::size_t samples = 0;
};

Figures summarise(std::vector<double> us) {
    if (us.empty())
        return {};
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.99), us.size()};
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

// "P" to changing azimuths; from the write of the line to the command's first byte.
std::vector<double> time_set_pos(quint16 port, Controller& controller, int count) {
    std::vector<double> us;
    serve_while([&] {
        const int fd = connect_to(port);
        if (fd < 0)
            return;
        for (int i = 0; i < count; ++i) {
            const std::size_t index = controller.count();
            const std::string line = "P " + std::to_string(10 + i % 300) + ".000000 0.000000\n";
            const auto t0 = Clock::now();
            if (!ask(fd, line, 1))
                break;
            const auto at = controller.first_of(index);
            if (!at)
                break;
            us.push_back(std::chrono::duration<double, std::micro>(*at - t0).count());
            // Anything else the command makes the daemon send is over before the next.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::close(fd);
    });
    return us;
}

// Sixteen clients each asking "p" once a second, their starts spread over the second.
std::vector<double> time_get_pos(quint16 port, int seconds) {
    std::vector<double> us;
    std::mutex mutex;
    serve_while([&] {
        std::vector<std::thread> clients;
        for (int c = 0; c < kestrav::RotctldServer::kMaxClients; ++c) {
            clients.emplace_back([&, c] {
                const int fd = connect_to(port);
                if (fd < 0)
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(c * 1000 / 16));
                auto next = Clock::now();
                for (int i = 0; i < seconds; ++i) {
                    const auto t0 = Clock::now();
                    if (!ask(fd, "p\n", 2))
                        break;
                    const double d =
                        std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
                    {
                        std::lock_guard lock(mutex);
                        us.push_back(d);
                    }
                    next += std::chrono::seconds(1);
                    std::this_thread::sleep_until(next);
                }
                ::close(fd);
            });
        }
        for (std::thread& t : clients)
            t.join();
    });
    return us;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    kestrav::set_decimal_separator(QLatin1Char('.'));

    QTemporaryDir dir;
    Controller controller;
    controller.master = dir.isValid() ? kestrav::bench::open_com1(dir.path()) : -1;
    if (controller.master < 0)
        return 1;
    std::thread controller_thread([&] { controller.run(); });

    kestrav::bench::SilentDesktop desktop;
    const kestrav::MainWindowContext context = kestrav::bench::silent_context(desktop, dir.path());
    kestrav::TForm1 window(context);
    kestrav::StationState& s = window.state();
    s.SelectedInterface = kestrav::RotorInterface::Gs232;
    s.Gs232Com = 0;
    s.min_step(kestrav::RotorInterface::Gs232) = 0;
    auto* server = window.findChild<kestrav::RotctldServer*>();
    if (server == nullptr || !server->listen(QHostAddress::LocalHost, 0))
        return 1;
    const Figures kestrav_p = summarise(time_set_pos(server->serverPort(), controller, count));
    const Figures polling = summarise(time_get_pos(server->serverPort(), seconds));
    server->close();
    window.stop_all();

    // Debian's rotctld for a GS-232A on the same terminal.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess rotctld;
    rotctld.start(QStringLiteral("rotctld"),
                  {QStringLiteral("-m"), QStringLiteral("601"), QStringLiteral("-r"),
                   dir.path() + QStringLiteral("/ports/COM1"), QStringLiteral("-T"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    if (!rotctld.waitForStarted(5000) || !QTest::qWaitFor(
                                             [&] {
                                                 QTcpSocket t;
                                                 t.connectToHost(QHostAddress::LocalHost, port);
                                                 return t.waitForConnected(100);
                                             },
                                             5000))
        return 1;
    const Figures hamlib_p = summarise(time_set_pos(port, controller, count));
    rotctld.kill();
    rotctld.waitForFinished();
    controller.running = false;
    controller_thread.join();

    std::printf("| \"P\" to the first byte at the controller | commands | median | p99 |\n"
                "|---|---|---|---|\n");
    std::printf("| Kestrav serving rotctld, GS232 | %zu | %.0f µs | %.0f µs |\n", kestrav_p.samples,
                kestrav_p.median, kestrav_p.p99);
    std::printf("| rotctld -m 601 | %zu | %.0f µs | %.0f µs |\n", hamlib_p.samples, hamlib_p.median,
                hamlib_p.p99);
    std::printf("\nRatio of the medians (Kestrav / rotctld): %.3f\n",
                hamlib_p.median > 0 ? kestrav_p.median / hamlib_p.median : 0.0);
    std::printf("\"p\" round trip, 16 clients once a second for %d s: %zu answers, median %.0f "
                "µs, p99 %.0f µs\n",
                seconds, polling.samples, polling.median, polling.p99);
    return 0;
}
