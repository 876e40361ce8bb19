// Time from a GO click to the last byte of the command arriving at the controller's end of
// the line, over 1,000 GOs, and the processor time the program uses while a port is open and
// nothing happens.
//
//   bench_go_latency [count]
//
// The main window runs offscreen; the controller's end is the master side of a
// pseudo-terminal linked as ports/COM1, read by this process as an emulator would.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "silent_desktop.h"
#include "window_part.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

using kestrav::bench::window_part;

namespace {

using kestrav::bench::SilentDesktop;

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    kestrav::set_decimal_separator(QLatin1Char('.'));

    QTemporaryDir dir;
    const int master = dir.isValid() ? kestrav::bench::open_com1(dir.path()) : -1;
    if (master < 0)
        return 1;

    SilentDesktop desktop;
    const kestrav::MainWindowContext context = kestrav::bench::silent_context(desktop, dir.path());
    kestrav::TForm1 window(context);
    kestrav::StationState& s = window.state();
    s.SelectedInterface = kestrav::RotorInterface::Gs232;
    s.Gs232Com = 0;
    s.min_step(kestrav::RotorInterface::Gs232) = 0;
    window_part<QLineEdit>(window, "EditAzimut")->setText(QStringLiteral("0"));

    std::vector<double> us;
    us.reserve(count);
    char buf[64];
    for (int i = 0; i < count; ++i) {
        s.RequestedAzimuth = i % 360;
        const auto t0 = std::chrono::steady_clock::now();
        window_part<QPushButton>(window, "ButtonTrack")->click();
        int got = 0;
        while (got < 5) { // "Wnnn" CR
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                return 1;
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                return 1;
            got += static_cast<int>(n);
        }
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    std::printf(
        "GO to last byte at the controller, %d GOs: median %.1f us  p99 %.1f us  max %.1f us\n",
        count, at(0.5), at(0.99), us.back());

    // Idle with the port open: the event loop runs, the poll timer ticks every 50 ms.
    const bool open = window_part<kestrav::TCommPortDriver>(window, "CommPortDriverGS")->IsOpen();
    const double c0 = cpu_seconds();
    const auto w0 = std::chrono::steady_clock::now();
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
    std::printf("idle for %.1f s with the port %s: %.3f%% of one core\n", wall,
                open ? "open" : "CLOSED", 100 * (cpu_seconds() - c0) / wall);
    window.stop_all();
    return 0;
}
