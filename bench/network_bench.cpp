// GO to the last byte at the controller through Hamlib's rotctld, beside the direct GS-232
// path, and the heading's latency: from a change of the controller's position to the second
// needle's state.
//
//   bench_network [count]
//
// The main window runs offscreen. The controller is played by this process on the master
// side of a pseudo-terminal (on a second thread): it answers every command as a GS-232A
// does, with the position it holds. rotctld (Debian's, model 601) sits between the window and
// the terminal for the network path; the direct path opens the terminal as COM1.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "silent_desktop.h"
#include "support/hamlib_rotctld.h"
#include "window_part.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

using kestrav::bench::window_part;

namespace {

using Clock = std::chrono::steady_clock;

// The controller's side: collects commands, stamps each one's last byte, answers C and C2.
struct Controller {
    int master = -1;
    std::atomic<int> position{0};
    std::atomic<bool> running{true};
    std::mutex mutex;
    std::vector<std::pair<QByteArray, Clock::time_point>> commands;

    void run() {
        QByteArray line;
        char buffer[256];
        while (running) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != '\r' && buffer[i] != '\n') {
                    line += buffer[i];
                    continue;
                }
                if (line.isEmpty())
                    continue;
                QByteArray reply;
                const QByteArray az = QByteArray::number(position.load()).rightJustified(3, '0');
                if (line == "C")
                    reply = "+0" + az + "\r\n";
                else if (line == "C2")
                    reply = "+0" + az + "+0000\r\n";
                if (!reply.isEmpty() && ::write(master, reply.constData(), reply.size()) < 0)
                    return;
                std::lock_guard lock(mutex);
                commands.emplace_back(line, now);
                line.clear();
            }
        }
    }
    // Waits (running the event loop) until a command starting with `prefix` has arrived.
    std::optional<Clock::time_point> wait_for(const QByteArray& prefix, std::size_t from) {
        std::optional<Clock::time_point> at;
        (void)QTest::qWaitFor(
            [&] {
                std::lock_guard lock(mutex);
                for (std::size_t i = from; i < commands.size(); ++i) {
                    if (commands[i].first.startsWith(prefix)) {
                        at = commands[i].second;
                        return true;
                    }
                }
                return false;
            },
            5000);
        return at;
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return commands.size();
    }
};

struct Figures {
    double median, p99;
};

Figures summarise(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.99)};
}

// GOs to changing azimuths; the time to the command's last byte at the controller.
std::vector<double> time_gos(kestrav::TForm1& window, Controller& controller, int count,
                             const char* prefix_format) {
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        const int azimuth = 10 + i % 300;
        window.state().RequestedAzimuth = azimuth;
        const std::size_t from = controller.count();
        const auto t0 = Clock::now();
        window_part<QPushButton>(window, "ButtonTrack")->click();
        const auto at = controller.wait_for(
            QByteArray(prefix_format) + QByteArray::number(azimuth).rightJustified(3, '0'), from);
        if (!at)
            std::abort();
        us.push_back(std::chrono::duration<double, std::micro>(*at - t0).count());
    }
    return us;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
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
    window_part<QLineEdit>(window, "EditAzimut")->setText(QStringLiteral("0"));

    // The direct path: GS232 on COM1.
    s.SelectedInterface = kestrav::RotorInterface::Gs232;
    s.Gs232Com = 0;
    s.min_step(kestrav::RotorInterface::Gs232) = 0;
    const Figures direct = summarise(time_gos(window, controller, count, "W"));
    window.stop_all();

    // The network path: rotctld between the window and the same terminal.
    QProcess rotctld;
    const quint16 port = kestrav::test::free_loopback_port();
    if (!kestrav::test::start_hamlib_rotctld(rotctld, QStringLiteral("601"),
                                             dir.path() + QStringLiteral("/ports/COM1"), port))
        return 1;
    s.SelectedInterface = kestrav::RotorInterface::Network;
    s.NetworkHost = QStringLiteral("127.0.0.1");
    s.NetworkPort = port;
    s.min_step(kestrav::RotorInterface::Network) = 0;
    const Figures network = summarise(time_gos(window, controller, count, "W"));

    // The heading: the controller's position moves; how long until the needle's state has it.
    window_part<QAction>(window, "MenuHeading")->trigger();
    std::vector<double> heading_ms;
    for (int i = 0; i < 20; ++i) {
        // Changes fall anywhere in the second between two questions.
        QTest::qWait(static_cast<int>((i * 379) % 1000));
        const int position = 100 + i;
        const auto t0 = Clock::now();
        controller.position = position;
        if (!QTest::qWaitFor([&] { return window.controller().heading() == double(position); },
                             5000))
            return 1;
        heading_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    const Figures heading = summarise(heading_ms);
    window.stop_all();
    rotctld.kill();
    rotctld.waitForFinished();
    controller.running = false;
    controller_thread.join();

    std::printf("| Path | GOs | median | p99 |\n|---|---|---|---|\n");
    std::printf("| GS232 on the serial line | %d | %.0f µs | %.0f µs |\n", count, direct.median,
                direct.p99);
    std::printf("| Network through rotctld to the same line | %d | %.0f µs | %.0f µs |\n", count,
                network.median, network.p99);
    std::printf("\nHeading (asked once a second, through rotctld): median %.0f ms, p99 %.0f ms "
                "over 20 position changes spread over the second\n",
                heading.median, heading.p99);
    return 0;
}
