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
#include "pty_rotor.h"
#include "support/hamlib_rotctld.h"

#include <QApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using kestrav::bench::Clock;
using kestrav::bench::connect_to;
using kestrav::bench::serve_while;
using Controller = kestrav::bench::StampingController;

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

    kestrav::bench::PtyRotor pty;
    Controller controller;
    controller.master = pty.master();
    if (controller.master < 0)
        return 1;
    std::thread controller_thread([&] { controller.run(); });

    kestrav::TForm1& window = pty.open_window();
    auto* server = pty.serve_rotctld();
    if (server == nullptr)
        return 1;
    const Figures kestrav_p = summarise(time_set_pos(server->serverPort(), controller, count));
    const Figures polling = summarise(time_get_pos(server->serverPort(), seconds));
    server->close();
    window.stop_all();

    // Debian's rotctld for a GS-232A on the same terminal.
    QProcess rotctld;
    const quint16 port = kestrav::test::free_loopback_port();
    if (!kestrav::test::start_hamlib_rotctld(rotctld, QStringLiteral("601"),
                                             pty.directory() + QStringLiteral("/ports/COM1"), port))
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
