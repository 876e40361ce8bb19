// Following WSJT-X: the time from a Status datagram sent to the loopback to the first byte of
// the rotator command at the controller's end of the line, with AUTO down; and country
// lookups per second over the whole MASTER.SCP call list of hamradio-files.
//
//   bench_follow [count]
//
// The main window runs offscreen; the controller's end is the master side of a
// pseudo-terminal linked as ports/COM1, watched from the same event loop.

#include "app/follow_wsjtx.h"
#include "app/main_window.h"
#include "follow/country_source.h"
#include "follow/wsjtx_message.h"
#include "geodesy/number_text.h"
#include "silent_desktop.h"
#include "window_part.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int latency(int count) {
    QTemporaryDir dir;
    const int master = dir.isValid() ? kestrav::bench::open_com1(dir.path()) : -1;
    if (master < 0)
        return 1;

    kestrav::bench::SilentDesktop desktop;
    const kestrav::MainWindowContext context = kestrav::bench::silent_context(desktop, dir.path());
    kestrav::TForm1 window(context);
    kestrav::StationState& s = window.state();
    s.LocalLocator = QStringLiteral("JN18EU");
    s.LocalLatitude = 48.854167;
    s.LocalLongitude = 2.375;
    s.SelectedInterface = kestrav::RotorInterface::Gs232;
    s.Gs232Com = 0;
    s.min_step(kestrav::RotorInterface::Gs232) = 0;
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    s.WsjtxFollowing.port = probe.localPort();
    probe.close();
    window.findChild<kestrav::FollowWsjtx*>()->action()->trigger();
    kestrav::bench::window_part<QToolButton>(window, "SpeedButtonAuto")->setChecked(true);

    QUdpSocket sender;
    QSocketNotifier arrived(master, QSocketNotifier::Read);
    QEventLoop loop;
    Clock::time_point t0;
    std::vector<double> us;
    us.reserve(count);
    char buf[256];
    QObject::connect(&arrived, &QSocketNotifier::activated, [&] {
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        // Drain the whole command before the next datagram.
        QTimer::singleShot(5, &loop, [&] {
            while (read(master, buf, sizeof buf) == static_cast<ssize_t>(sizeof buf)) {
            }
            loop.quit();
        });
        arrived.setEnabled(false);
    });
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    const QString grids[] = {QStringLiteral("QF56"), QStringLiteral("PM95"),
                             QStringLiteral("FN20")};
    for (int i = 0; i < count; ++i) {
        const QByteArray datagram = kestrav::build_wsjtx_status(
            QStringLiteral("WSJT-X"), QStringLiteral("K1ABC"), grids[i % 3]);
        arrived.setEnabled(true);
        t0 = Clock::now();
        sender.writeDatagram(datagram, QHostAddress::LocalHost, s.WsjtxFollowing.port);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(1); });
        guard.start(2000);
        if (loop.exec() != 0) {
            std::fprintf(stderr, "no command arrived for datagram %d\n", i);
            return 1;
        }
    }
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
    std::printf("Status datagram to first byte at the controller, AUTO down, %d datagrams: "
                "median %.1f us  p99 %.1f us  max %.1f us\n",
                count, at(0.5), at(0.99), us.back());
    window.stop_all();
    return 0;
}

int lookups() {
    QFile list(QStringLiteral("/usr/share/hamradio-files/MASTER.SCP"));
    if (!list.open(QIODevice::ReadOnly)) {
        std::printf("country lookups: MASTER.SCP not installed (hamradio-files)\n");
        return 0;
    }
    QStringList calls;
    for (const QByteArray& line : list.readAll().split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            calls << QString::fromLatin1(line.trimmed());
    const auto l0 = Clock::now();
    bool from_file = false;
    const kestrav::CountryTable table =
        kestrav::load_countries(QString::fromUtf16(kestrav::kSystemCountryFile), &from_file);
    const double load_ms = std::chrono::duration<double, std::milli>(Clock::now() - l0).count();
    int found = 0;
    const auto t0 = Clock::now();
    for (const QString& call : calls)
        found += table.lookup(call).has_value();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("country lookups over MASTER.SCP (%s, read in %.1f ms): %lld calls, %d with a "
                "country, %.0f calls/s\n",
                from_file ? "cty.dat" : "built-in table", load_ms,
                static_cast<long long>(calls.size()), found, calls.size() / seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    kestrav::set_decimal_separator(QLatin1Char('.'));
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    if (const int status = latency(count))
        return status;
    return lookups();
}
