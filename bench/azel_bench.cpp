// An azimuth-elevation rotator behind Kestrav's rotctld server: "P az el" from a client to the
// last byte of the GS-232 "Waaa eee" command at the controller, beside Debian's rotctld
// (model 603, GS-232B) driving the same controller from the same client lines.
//
//   bench_azel [count] [gap_ms]
//
// The main window runs offscreen with an azimuth-elevation GS-232 on a pseudo-terminal as
// COM1; the controller is played by this process on the master side (a thread that stamps the
// carriage return ending each turn command and answers position questions as a GS-232B does).
// The client is a thread of its own with a blocking socket, so that the window's thread does
// nothing but serve. Between two turns it waits `gap_ms` (15 by default) after the first has
// reached the controller: Kestrav paces its commands to the line's speed, and a 9-byte turn
// takes 9.4 ms at 9600 baud, so that a closer turn would wait for the line (as on a real
// serial line) while rotctld writes it into the pseudo-terminal at once.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "rotor/rotctld_server.h"
#include "serving_loop.h"
#include "silent_desktop.h"
#include "support/hamlib_rotctld.h"

#include <QApplication>
#include <QEventLoop>
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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The controller's side: stamps the carriage return that ends each "W" command, keeps the
// commands, and answers C2 with the position it was last sent.
struct Controller {
    int master = -1;
    std::atomic<bool> running{true};
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Clock::time_point> ends; // one per turn command, at its last byte
    std::vector<std::string> turns;

    void run() {
        std::string line;
        std::string position = "AZ=000  EL=000";
        char buffer[256];
        while (running) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const auto now = Clock::now();
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                const char c = buffer[i];
                if (c != '\r' && c != '\n') {
                    line += c;
                    continue;
                }
                if (line.size() == 8 && line[0] == 'W' && line[4] == ' ') {
                    position = "AZ=" + line.substr(1, 3) + "  EL=" + line.substr(5, 3);
                    std::lock_guard lock(mutex);
                    ends.push_back(now);
                    turns.push_back(line);
                    arrived.notify_all();
                } else if (line == "C2") {
                    const std::string answer = position + "\r\n";
                    if (::write(master, answer.data(), answer.size()) < 0)
                        return;
                }
                line.clear();
            }
        }
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return ends.size();
    }
    // The last byte of turn number `index`, and the command, waited for up to 5 s.
    std::optional<std::pair<Clock::time_point, std::string>> turn(std::size_t index) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(5), [&] { return ends.size() > index; }))
            return std::nullopt;
        return std::pair{ends[index], turns[index]};
    }
};

// Sends `line` and reads until the answer's line end; false on a closed socket.
bool ask(int fd, const std::string& line) {
    if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return false;
    char c = 0;
    while (c != '\n') {
        if (::read(fd, &c, 1) != 1)
            return false;
    }
    return true;
}

struct Figures {
    double median = 0, p99 = 0;
    std::size_t samples = 0;
    std::size_t wrong = 0; // turns whose bytes were not the ones asked for
};

void summarise(std::vector<double> us, Figures& f) {
    if (us.empty())
        return;
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    f.median = at(0.5);
    f.p99 = at(0.99);
    f.samples = us.size();
}

using kestrav::bench::connect_to;
using kestrav::bench::serve_while;

// "P az el" to changing positions, as Hamlib's network backend writes them; from the write of
// the line to the last byte of the turn at the controller.
Figures time_turns(quint16 port, Controller& controller, int count, int gap_ms) {
    std::vector<double> us;
    Figures f;
    serve_while([&] {
        const int fd = connect_to(port);
        if (fd < 0)
            return;
        for (int i = 0; i < count; ++i) {
            const std::size_t index = controller.count();
            const int az = 10 + i % 300;
            const int el = 5 + (i * 7) % 80;
            const std::string line =
                "P " + std::to_string(az) + ".000000 " + std::to_string(el) + ".000000\n";
            char expected[16];
            std::snprintf(expected, sizeof expected, "W%03d %03d", az, el);
            const auto t0 = Clock::now();
            if (!ask(fd, line))
                break;
            const auto at = controller.turn(index);
            if (!at)
                break;
            us.push_back(std::chrono::duration<double, std::micro>(at->first - t0).count());
            if (at->second != expected)
                ++f.wrong;
            // The line is free again, and anything else the command makes the daemon send is
            // over, before the next.
            std::this_thread::sleep_for(std::chrono::milliseconds(gap_ms));
        }
        ::close(fd);
    });
    summarise(std::move(us), f);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    const int gap_ms = argc > 2 ? std::atoi(argv[2]) : 15;
    kestrav::set_decimal_separator(QLatin1Char('.'));

    QTemporaryDir dir;
    Controller controller;
    controller.master = dir.isValid() ? kestrav::bench::open_com1(dir.path()) : -1;
    if (controller.master < 0)
        return 1;
    std::thread controller_thread([&] { controller.run(); });

    kestrav::bench::SilentDesktop desktop;
    const kestrav::MainWindowContext context = kestrav::bench::silent_context(desktop, dir.path());
    Figures kestrav_turns;
    {
        kestrav::TForm1 window(context);
        kestrav::StationState& s = window.state();
        s.SelectedInterface = kestrav::RotorInterface::Gs232;
        s.Gs232Com = 0;
        s.Gs232AzEl = kestrav::AzElChoice{true, 90};
        s.min_step(kestrav::RotorInterface::Gs232) = 0;
        s.ElevationStep = 0;
        auto* server = window.findChild<kestrav::RotctldServer*>();
        if (server == nullptr || !server->listen(QHostAddress::LocalHost, 0))
            return 1;
        kestrav_turns = time_turns(server->serverPort(), controller, count, gap_ms);
        server->close();
        window.stop_all();
    }

    // Debian's rotctld for a GS-232B on the same terminal.
    QProcess rotctld;
    const quint16 port = kestrav::test::free_loopback_port();
    if (!kestrav::test::start_hamlib_rotctld(rotctld, QStringLiteral("603"),
                                             dir.path() + QStringLiteral("/ports/COM1"), port))
        return 1;
    const Figures hamlib_turns = time_turns(port, controller, count, gap_ms);
    rotctld.kill();
    rotctld.waitForFinished();
    controller.running = false;
    controller_thread.join();

    std::printf("%d turns %d ms apart\n\n", count, gap_ms);
    std::printf("| \"P az el\" to the last byte at the controller | turns | median | p99 |\n"
                "|---|---|---|---|\n");
    std::printf("| Kestrav serving rotctld, GS-232 az/el | %zu | %.0f µs | %.0f µs |\n",
                kestrav_turns.samples, kestrav_turns.median, kestrav_turns.p99);
    std::printf("| rotctld -m 603 | %zu | %.0f µs | %.0f µs |\n", hamlib_turns.samples,
                hamlib_turns.median, hamlib_turns.p99);
    std::printf("\nRatio of the medians (Kestrav / rotctld): %.3f\n",
                hamlib_turns.median > 0 ? kestrav_turns.median / hamlib_turns.median : 0.0);
    if (kestrav_turns.wrong + hamlib_turns.wrong > 0)
        std::printf("Turns whose bytes differ from the position asked: Kestrav %zu, rotctld %zu\n",
                    kestrav_turns.wrong, hamlib_turns.wrong);
    return kestrav_turns.samples == static_cast<std::size_t>(count) &&
                   hamlib_turns.samples == static_cast<std::size_t>(count) &&
                   kestrav_turns.wrong + hamlib_turns.wrong == 0
               ? 0
               : 1;
}
