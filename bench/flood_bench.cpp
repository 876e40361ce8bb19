// Floods against a serial line: what other programs' requests do to the window and to the
// operator's STOP when the line to a GS-232 controller carries 960 bytes a second.
//
//   bench_flood [seconds]
//
// The main window runs offscreen with GS232 on a pseudo-terminal as COM1 at the port's default
// 9600 baud and serves rotctld on 127.0.0.1; the controller's end is a thread that reads the
// master side no faster than 960 bytes a second (a character of ten bits at 9600 baud), so
// that the commands queue wherever the program lets them. A 10 ms timer on the window's thread
// notes how late each of its ticks comes: the longest turn of the event loop. The floods:
//   1. one rotctld client sends "P n 0" 10,000 times a second for `seconds`, then a second
//      client sends "S": the STOP's delay to its "S\r" at the controller;
//   2. one client sends 20,000 "S" lines in a single write;
//   3. WSJT-X Status datagrams, a new DX grid each, 1,000 a second for `seconds` with
//      following on and AUTO down, then the operator's STOP, clicked on the window's thread.

#include "app/follow_wsjtx.h"
#include "app/main_window.h"
#include "follow/wsjtx_message.h"
#include "geodesy/number_text.h"
#include "pty_rotor.h"
#include "window_part.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QToolButton>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using kestrav::bench::Clock;
using kestrav::bench::connect_to;
using kestrav::bench::loopback;
using kestrav::bench::ms;
using kestrav::bench::paced;
using kestrav::bench::SlowLine;
using kestrav::bench::Turn;
using kestrav::bench::write_all;

// Reads `lines` answers; when the last came, or nothing after five minutes without one.
std::optional<Clock::time_point> read_answers(int fd, long lines) {
    char buffer[4096];
    while (lines > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 300'000) <= 0)
            return std::nullopt;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return std::nullopt;
        lines -= std::count(buffer, buffer + n, '\n');
    }
    return Clock::now();
}

struct Figures {
    Turn turn;                         // the longest turn of the event loop
    std::optional<double> stop_ms;     // the STOP to its "S\r" at the controller
    std::size_t commands = 0;          // commands that reached the controller
    std::optional<double> answered_ms; // from the first line to the last answer
};

Figures rotctld_flood(quint16 port, SlowLine& line, long count, long rate) {
    Figures f;
    f.turn = kestrav::bench::longest_turn_while([&] {
        const int client = connect_to(port), stopper = connect_to(port);
        if (client < 0 || stopper < 0)
            return;
        const std::size_t before = line.read(line.turns);
        std::optional<Clock::time_point> last;
        std::thread reader([&] { last = read_answers(client, count); });
        const auto t0 = Clock::now();
        paced(count, rate, [&](long from, long to) {
            std::string batch;
            for (long i = from; i < to; ++i)
                batch += "P " + std::to_string(10 + i % 300) + " 0\n";
            write_all(client, batch);
        });
        const auto s0 = Clock::now();
        if (write_all(stopper, "S\n"))
            if (const auto at = line.stop_after(s0))
                f.stop_ms = ms(*at - s0);
        reader.join();
        if (last)
            f.answered_ms = ms(*last - t0);
        f.commands = line.read(line.turns) - before;
        ::close(client);
        ::close(stopper);
    });
    return f;
}

Figures stop_burst(quint16 port, SlowLine& line, long count) {
    Figures f;
    f.turn = kestrav::bench::longest_turn_while([&] {
        const int client = connect_to(port);
        if (client < 0)
            return;
        // A command first, so that the line is open when the STOPs come.
        if (!write_all(client, "P 100 0\n") || !read_answers(client, 1))
            return;
        const std::size_t before = line.read(line.stops).size();
        std::string burst;
        for (long i = 0; i < count; ++i)
            burst += "S\n";
        const auto t0 = Clock::now();
        std::optional<Clock::time_point> last;
        std::thread reader([&] { last = read_answers(client, count); });
        write_all(client, burst);
        reader.join();
        if (last)
            f.answered_ms = ms(*last - t0);
        // A STOP written reaches the controller within a few character times.
        std::this_thread::sleep_for(200ms);
        f.commands = line.read(line.stops).size() - before;
        ::close(client);
    });
    return f;
}

Figures wsjtx_flood(kestrav::TForm1& window, quint16 port, SlowLine& line, long count, long rate) {
    std::vector<QByteArray> datagrams; // each a new DX grid after the one before
    for (const char* grid : {"QF56", "PM95", "FN20"})
        datagrams.push_back(kestrav::build_wsjtx_status(
            QStringLiteral("WSJT-X"), QStringLiteral("K1ABC"), QString::fromLatin1(grid)));
    auto* stop = kestrav::bench::window_part<QPushButton>(window, "BitBtnStop");
    Figures f;
    if (stop == nullptr)
        return f;
    f.turn = kestrav::bench::longest_turn_while([&] {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in to = loopback(port);
        const std::size_t before = line.read(line.turns);
        paced(count, rate, [&](long from, long until) {
            for (long i = from; i < until; ++i) {
                const QByteArray& d = datagrams[i % 3];
                ::sendto(fd, d.constData(), static_cast<size_t>(d.size()), 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
        });
        ::close(fd);
        // The operator's STOP: from the click asked for to its "S\r" at the controller.
        const auto s0 = Clock::now();
        QMetaObject::invokeMethod(stop, &QPushButton::click, Qt::QueuedConnection);
        if (const auto at = line.stop_after(s0))
            f.stop_ms = ms(*at - s0);
        f.commands = line.read(line.turns) - before;
    });
    return f;
}

// A row of the table; "-" where the flood has no such figure, "not seen" where it never came.
void row(const std::string& flood, const Figures& f, bool stop, bool answers) {
    const auto shown = [](bool asked, const std::optional<double>& value) {
        char text[32] = "-";
        if (asked)
            std::snprintf(text, sizeof text, value ? "%.1f ms" : "not seen", value.value_or(0));
        return std::string(text);
    };
    std::printf("| %s | %.1f ms (%.1f ms) | %s | %zu | %s |\n", flood.c_str(), f.turn.ms,
                f.turn.busy_ms, shown(stop, f.stop_ms).c_str(), f.commands,
                shown(answers, f.answered_ms).c_str());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    kestrav::set_decimal_separator(QLatin1Char('.'));
    const long seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    constexpr long kRotctldRate = 10'000, kWsjtxRate = 1'000, kStops = 20'000;

    kestrav::bench::PtyRotor pty;
    SlowLine line;
    line.master = pty.master();
    if (line.master < 0)
        return 1;
    std::thread line_thread([&] { line.run(); });

    kestrav::TForm1& window = pty.open_window();
    kestrav::StationState& s = window.state();
    s.LocalLocator = QStringLiteral("JN18EU");
    s.LocalLatitude = 48.854167;
    s.LocalLongitude = 2.375;
    auto* server = pty.serve_rotctld();
    if (server == nullptr)
        return 1;

    const Figures p =
        rotctld_flood(server->serverPort(), line, kRotctldRate * seconds, kRotctldRate);
    const Figures burst = stop_burst(server->serverPort(), line, kStops);
    server->close();
    window.stop_all();

    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    s.WsjtxFollowing.port = probe.localPort();
    probe.close();
    window.findChild<kestrav::FollowWsjtx*>()->action()->trigger();
    kestrav::bench::window_part<QToolButton>(window, "SpeedButtonAuto")->setChecked(true);
    const Figures wsjtx =
        wsjtx_flood(window, s.WsjtxFollowing.port, line, kWsjtxRate * seconds, kWsjtxRate);
    window.stop_all();
    line.running = false;
    line_thread.join();

    std::printf("| Flood, GS232 at 9600 baud | longest event-loop turn (processor between the "
                "two ticks) | STOP to the line | commands on the line | all lines answered "
                "|\n|---|---|---|---|---|\n");
    const std::string sent = " a second for " + std::to_string(seconds) + " s";
    row("rotctld \"P n 0\", " + std::to_string(kRotctldRate) + sent + " (turn commands)", p, true,
        true);
    row("rotctld, " + std::to_string(kStops) + " \"S\" in one write (STOPs)", burst, false, true);
    row("WSJT-X Status, " + std::to_string(kWsjtxRate) + sent + ", AUTO down (turn commands)",
        wsjtx, true, false);
    return 0;
}
