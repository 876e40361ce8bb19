// Kestrav answering loggers' rotor datagrams (PstRotator's and N1MM's): a datagram to the first
// byte of its turn command at a GS-232 controller, beside a rotctld client's "P" to the same
// window in the same run; then a flood of datagrams at each port.
//
//   bench_udp_rotor [count] [seconds] [rate]
//
// The main window runs offscreen with GS232 on a pseudo-terminal as COM1, serving rotctld,
// PstRotator and N1MM on 127.0.0.1. First the controller is a thread stamping each command's
// first byte: `count` requests of each kind, taking turns, each to an azimuth far from the one
// before and each on a free line (10 ms apart, twice the time a turn command takes at 9600
// baud). Then the controller becomes a 9600-baud line (a character taken every 1.04 ms), and a
// thread sends `rate` datagrams a second for `seconds` to one port, then to the other, each to
// a new azimuth, while a 10 ms timer on the window's thread notes the longest turn of the event
// loop. The kernel's own counters for the listening socket (/proc/net/udp) tell how many
// datagrams it dropped, so that those the server read are the rest.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "pty_rotor.h"
#include "rotor/rotor_controller.h"
#include "udp_rotor/udp_rotor_server.h"

#include <QApplication>
#include <QFile>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using kestrav::bench::Clock;
using kestrav::bench::ms;

enum class Front { Rotctld, Pst, N1mm };
constexpr std::array kFronts{Front::Rotctld, Front::Pst, Front::N1mm};

std::string datagram(Front front, int azimuth) {
    const std::string a = std::to_string(azimuth);
    if (front == Front::Pst)
        return "<PST><AZIMUTH>" + a + "</AZIMUTH></PST>";
    return "<N1MMRotor><rotor>Kestrav</rotor><goazi>" + a +
           ".0</goazi><offset>0.0</offset><bidirectional>0</bidirectional><freqband>14</freqband>"
           "</N1MMRotor>";
}

// A UDP socket sending to 127.0.0.1:`port`, connected so that each send names no address.
int udp_to(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in to = kestrav::bench::loopback(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The kernel's figures for the UDP socket bound to 127.0.0.1:`port`: the bytes waiting in its
// queue and the datagrams it dropped since it was made.
struct SocketCounts {
    long queued_bytes = 0;
    long drops = 0;
};

std::optional<SocketCounts> udp_counts(quint16 port) {
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        // sl local remote st tx:rx tr:when retrnsmt uid timeout inode ref pointer drops
        if (f.size() < 13 || f[1] != local)
            continue;
        const QList<QByteArray> queues = f[4].split(':');
        return SocketCounts{queues.value(1).toLong(nullptr, 16), f[12].toLong()};
    }
    return std::nullopt;
}

struct Latency {
    std::vector<double> us;
    int sent = 0;
};

struct Summary {
    double median = 0, p99 = 0;
};

Summary summarise(std::vector<double> us) {
    if (us.empty())
        return {};
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.99)};
}

// Reads one line from the rotctld client's socket; false when it closed.
bool read_line(int fd) {
    char c = 0;
    while (c != '\n')
        if (::read(fd, &c, 1) != 1)
            return false;
    return true;
}

// `count` requests of each front in turns, each timed from its write to the first byte of a
// turn command at the controller. An azimuth alternates between two halves of the circle, so
// that no request repeats the one before or falls within a minimum step of it.
std::array<Latency, 3> time_requests(const std::array<quint16, 3>& ports,
                                     kestrav::bench::StampingController& controller, int count) {
    std::array<Latency, 3> figures;
    kestrav::bench::serve_while([&] {
        const int client = kestrav::bench::connect_to(ports[0]);
        const int pst = udp_to(ports[1]), n1mm = udp_to(ports[2]);
        for (int i = 0; i < count && client >= 0 && pst >= 0 && n1mm >= 0; ++i) {
            for (std::size_t k = 0; k < kFronts.size(); ++k) {
                const int step = i * 3 + static_cast<int>(k);
                const int azimuth = (step % 2 == 0 ? 20 : 200) + step / 2 % 120;
                const std::size_t index = controller.count();
                const auto t0 = Clock::now();
                bool written = false;
                if (kFronts[k] == Front::Rotctld) {
                    written = kestrav::bench::write_all(client, "P " + std::to_string(azimuth) +
                                                                    ".000000 0.000000\n");
                } else {
                    const std::string d = datagram(kFronts[k], azimuth);
                    written = ::send(k == 1 ? pst : n1mm, d.data(), d.size(), 0) ==
                              static_cast<ssize_t>(d.size());
                }
                if (!written)
                    continue;
                ++figures[k].sent;
                if (const auto at = controller.first_from(index, 'W'))
                    figures[k].us.push_back(
                        std::chrono::duration<double, std::micro>(*at - t0).count());
                if (kFronts[k] == Front::Rotctld && !read_line(client))
                    break;
                // The line free again, and the window idle, before the next request.
                std::this_thread::sleep_for(10ms);
            }
        }
        for (const int fd : {client, pst, n1mm})
            if (fd >= 0)
                ::close(fd);
    });
    return figures;
}

struct Flood {
    long sent = 0;
    double sending_s = 0;             // from the first send to the last
    std::optional<long> dropped;      // by the kernel, its queue full
    std::optional<double> drained_ms; // from the last send until the queue was empty
    kestrav::bench::Turn turn;
    int handed_over = 0;                // turn commands the rotor controller was handed
    std::size_t on_line = 0;            // turn commands that reached the controller
    std::string last_turn;              // the last of them
    std::optional<double> last_turn_ms; // from the last send to the last command's CR
};

// `rate` datagrams a second for `seconds` to `port`, azimuth 10 to 309 in turn; then waits for
// the socket's queue to empty and for the last datagram's command at the controller.
Flood flood(Front front, quint16 port, kestrav::RotorController& rotor,
            kestrav::bench::SlowLine& line, long seconds, long rate) {
    std::vector<std::string> texts;
    for (int a = 10; a < 310; ++a)
        texts.push_back(datagram(front, a));
    const long total = seconds * rate;
    const std::string expected = "W" + std::to_string(10 + (total - 1) % 300);

    Flood f;
    int handed = 0;
    const QMetaObject::Connection counting = QObject::connect(
        &rotor, &kestrav::RotorController::commandHandedOver, [&handed] { ++handed; });
    const auto before = udp_counts(port);
    const std::size_t turns_before = line.read(line.turns);
    f.turn = kestrav::bench::longest_turn_while([&] {
        const int fd = udp_to(port);
        if (fd < 0)
            return;
        const auto t0 = Clock::now();
        std::vector<mmsghdr> messages;
        std::vector<iovec> parts;
        kestrav::bench::paced(total, rate, [&](long from, long to) {
            // Those due this millisecond in as few calls as the kernel takes.
            parts.resize(static_cast<std::size_t>(to - from));
            messages.assign(parts.size(), mmsghdr{});
            for (long i = from; i < to; ++i) {
                std::string& text = texts[static_cast<std::size_t>(i % 300)];
                auto& part = parts[static_cast<std::size_t>(i - from)];
                part = {text.data(), text.size()};
                messages[static_cast<std::size_t>(i - from)].msg_hdr.msg_iov = &part;
                messages[static_cast<std::size_t>(i - from)].msg_hdr.msg_iovlen = 1;
            }
            for (std::size_t done = 0; done < messages.size();) {
                const int n = ::sendmmsg(fd, messages.data() + done,
                                         static_cast<unsigned>(messages.size() - done), 0);
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
                f.sent += n;
            }
        });
        const auto end = Clock::now();
        f.sending_s = std::chrono::duration<double>(end - t0).count();
        ::close(fd);
        // The queue read to its end, then the last command through the line; 5 s at most.
        for (auto counts = udp_counts(port); counts && Clock::now() - end < 5s;
             counts = udp_counts(port)) {
            if (counts->queued_bytes == 0) {
                f.drained_ms = ms(Clock::now() - end);
                break;
            }
            std::this_thread::sleep_for(100us);
        }
        while (Clock::now() - end < 5s && line.read(line.last_turn) != expected)
            std::this_thread::sleep_for(1ms);
        if (line.read(line.last_turn) == expected)
            f.last_turn_ms = ms(line.read(line.last_turn_at) - end);
    });
    QObject::disconnect(counting);
    const auto after = udp_counts(port);
    if (before && after)
        f.dropped = after->drops - before->drops;
    f.handed_over = handed;
    f.on_line = line.read(line.turns) - turns_before;
    f.last_turn = line.read(line.last_turn);
    return f;
}

// Those sent less those dropped; while some still wait in the queue, that many at most.
std::string read_by_server(const Flood& f) {
    if (!f.dropped)
        return "?";
    return (f.drained_ms ? "" : "at most ") + std::to_string(f.sent - *f.dropped);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    kestrav::set_decimal_separator(QLatin1Char('.'));
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const long seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const long rate = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100'000;

    kestrav::bench::PtyRotor pty;
    if (pty.master() < 0)
        return 1;
    kestrav::bench::StampingController controller;
    controller.master = pty.master();
    std::thread controller_thread([&] { controller.run(); });

    kestrav::TForm1& window = pty.open_window();
    auto* rotctld = pty.serve_rotctld();
    auto* pst = window.findChild<kestrav::PstRotatorServer*>();
    auto* n1mm = window.findChild<kestrav::N1mmRotorServer*>();
    // N1MM's heading reports go to a socket of ours that nobody reads.
    const int reports = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in bound = kestrav::bench::loopback(0);
    socklen_t length = sizeof bound;
    const bool ready =
        rotctld != nullptr && pst != nullptr && n1mm != nullptr &&
        ::bind(reports, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) == 0 &&
        ::getsockname(reports, reinterpret_cast<sockaddr*>(&bound), &length) == 0;
    if (ready) {
        n1mm->setRotor(QStringLiteral("Kestrav"));
        n1mm->setReport(QHostAddress::LocalHost, ntohs(bound.sin_port));
    }
    if (!ready || !pst->listen(QHostAddress::LocalHost, 0) ||
        !n1mm->listen(QHostAddress::LocalHost, 0)) {
        controller.running = false;
        controller_thread.join();
        std::fprintf(stderr, "bench_udp_rotor: the window's servers could not listen\n");
        return 1;
    }

    const std::array<Latency, 3> latency =
        time_requests({rotctld->serverPort(), pst->port(), n1mm->port()}, controller, count);
    controller.running = false;
    controller_thread.join();

    kestrav::bench::SlowLine line;
    line.master = pty.master();
    std::thread line_thread([&] { line.run(); });
    const Flood pst_flood =
        flood(Front::Pst, pst->port(), window.controller(), line, seconds, rate);
    window.stop_all();
    const Flood n1mm_flood =
        flood(Front::N1mm, n1mm->port(), window.controller(), line, seconds, rate);
    window.stop_all();
    line.running = false;
    line_thread.join();
    ::close(reports);

    const char* names[] = {"rotctld \"P az el\" (TCP)", "PstRotator <AZIMUTH>", "N1MM <goazi>"};
    std::printf("| To the first byte of the turn command at the controller | sent | reached | "
                "median | p99 | median / rotctld's |\n|---|---|---|---|---|---|\n");
    const Summary p = summarise(latency[0].us);
    for (std::size_t k = 0; k < latency.size(); ++k) {
        const Summary s = summarise(latency[k].us);
        std::printf("| %s | %d | %zu | %.0f µs | %.0f µs | %.2f |\n", names[k], latency[k].sent,
                    latency[k].us.size(), s.median, s.p99, p.median > 0 ? s.median / p.median : 0);
    }
    std::printf("\n| Flood, %ld a second for %ld s, GS232 at 9600 baud | sent (a second) | "
                "dropped by the kernel | read by the server | queue empty after | longest "
                "event-loop turn (processor) | turns handed to the controller | turn commands "
                "on the line | last one (after the last send) |\n"
                "|---|---|---|---|---|---|---|---|---|\n",
                rate, seconds);
    for (const auto& [name, f] :
         {std::pair{"PstRotator", pst_flood}, std::pair{"N1MM", n1mm_flood}}) {
        const auto shown = [](const std::optional<double>& v, const char* unit) {
            char text[48] = "not seen";
            if (v)
                std::snprintf(text, sizeof text, "%.1f %s", *v, unit);
            return std::string(text);
        };
        std::printf("| %s | %ld (%.0f) | %s | %s | %s | %.1f ms (%.1f ms) | %d | %zu | %s (%s) |\n",
                    name, f.sent, f.sending_s > 0 ? static_cast<double>(f.sent) / f.sending_s : 0.0,
                    f.dropped ? std::to_string(*f.dropped).c_str() : "?", read_by_server(f).c_str(),
                    shown(f.drained_ms, "ms").c_str(), f.turn.ms, f.turn.busy_ms, f.handed_over,
                    f.on_line, f.last_turn.c_str(), shown(f.last_turn_ms, "ms").c_str());
    }
    return 0;
}
