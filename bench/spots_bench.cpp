// DX cluster spots: from a spot line written by the node to its row in the spots window's
// table and its mark painted on the map, at 1,000 spots a second; and the map's redraw for a
// new azimuth with 500 spots on it against none.
//
//   bench_spots [seconds] [redraws]
//
// The main window, the spots window and the map (640 x 640) run offscreen for JN18EU; the node
// is a server on the loopback in the same process, writing ten lines every 10 ms, each spot a
// new call of one of a dozen countries.

#include "app/widgets.h"
#include "dx_cluster/spots_window.h"
#include "follow/country_source.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "map_session.h"
#include "window_part.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <time.h>

using kestrav::bench::window_part;

namespace {

double thread_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double at(std::vector<double>& v, double q) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<size_t>(q * (v.size() - 1) + 0.5)];
}

void wait_exposed(QWidget* w) {
    while (!w->windowHandle() || !w->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

const char* const kPrefixes[] = {"JA", "W",   "VK", "ZS", "PY",  "UA9",
                                 "G",  "EA8", "VU", "LU", "KH6", "VE"};

// The `n`th spot's call: a prefix, a digit and three letters, new for each n below 175,760.
QString call_of(int n) {
    const QString prefix = QLatin1String(kPrefixes[n % std::size(kPrefixes)]);
    const int m = n / static_cast<int>(std::size(kPrefixes));
    return prefix + QString::number(m % 10) + QChar(u'A' + m / 10 % 26) +
           QChar(u'A' + m / 260 % 26) + QChar(u'A' + m / 6760 % 26);
}

// Spot lines to the table and the map, as a node sends them.
void spots_at_a_rate(kestrav::TForm1& window, QTcpServer& node, int seconds) {
    auto* spots = window.findChild<kestrav::SpotsWindow*>(QStringLiteral("FormSpots"));
    kestrav::MapWindow* map = window_part<kestrav::MapWindow>(window, "FormMap");
    auto* table = spots->findChild<QTableWidget*>(QStringLiteral("TableSpots"));
    spots->show();
    map->open();
    wait_exposed(spots);
    wait_exposed(map);
    while (!node.hasPendingConnections())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QTcpSocket* s = node.nextPendingConnection();
    s->write("login: ");
    while (!s->canReadLine())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    QElapsedTimer clock;
    clock.start();
    QHash<QString, qint64> written_ns; // call -> when its line was written
    std::vector<double> to_row, to_mark;
    // When the spots shown change, each spot new since the last change has its row and its
    // mark; the mark is on the screen once the map has painted.
    QObject::connect(spots, &kestrav::SpotsWindow::spotsChanged, [&] {
        const qint64 rows_ns = clock.nsecsElapsed();
        map->view()->repaint();
        const qint64 painted_ns = clock.nsecsElapsed();
        for (int r = 0; r < table->rowCount(); ++r) {
            const auto found = written_ns.find(table->item(r, 2)->text());
            if (found == written_ns.end())
                continue;
            to_row.push_back((rows_ns - *found) / 1e6);
            to_mark.push_back((painted_ns - *found) / 1e6);
            written_ns.erase(found);
        }
    });
    int n = 0;
    const int total = seconds * 1000;
    QTimer sender;
    sender.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sender, &QTimer::timeout, [&] {
        // Ten lines every 10 ms, as many as are due, so a late turn does not lower the rate.
        const int due = std::min<int>(total, static_cast<int>(clock.elapsed()));
        QByteArray lines;
        for (; n < due; ++n) {
            const QString call = call_of(n);
            lines += QStringLiteral("DX de EA4XY:  %1.0  %2  CW 599  1234Z\r\n")
                         .arg(14000 + n % 300)
                         .arg(call)
                         .toLatin1();
            written_ns.insert(call, clock.nsecsElapsed());
        }
        s->write(lines);
        s->flush();
    });
    const double cpu0 = thread_cpu_ms();
    sender.start(10);
    // Half a second after the last line, for the last refresh of the table.
    QEventLoop running;
    QTimer::singleShot(seconds * 1000 + 500, &running, &QEventLoop::quit);
    running.exec();
    sender.stop();
    const double cpu = thread_cpu_ms() - cpu0;
    std::printf("spot line to table row and map mark, %d spots at 1,000 a second, %d rows shown\n"
                "  to the row:  median %6.1f ms  p99 %6.1f ms  (%zu spots seen)\n",
                total, table->rowCount(), at(to_row, 0.5), at(to_row, 0.99), to_row.size());
    std::printf("  to the mark: median %6.1f ms  p99 %6.1f ms\n"
                "  processor of the window's thread: %.1f %% (%.1f us a spot)\n",
                at(to_mark, 0.5), at(to_mark, 0.99), 100 * cpu / clock.elapsed(),
                1000 * cpu / total);
}

// A new azimuth redrawn on the map, `count` times: the wall-clock median and p99.
void azimuth_redraws(kestrav::TForm1& window, int count, std::vector<double>& ms) {
    kestrav::MapWindow* map = window_part<kestrav::MapWindow>(window, "FormMap");
    QElapsedTimer t;
    for (int i = 0; i < count; ++i) {
        t.start();
        window_part<kestrav::UpDown>(window, "UpDownAzimut")->stepUp();
        map->refresh();
        map->view()->repaint();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
}

void redraw_with_spots(kestrav::TForm1& window, int count) {
    kestrav::MapView* view = window_part<kestrav::MapWindow>(window, "FormMap")->view();
    const kestrav::CountryTable countries =
        kestrav::load_countries(QString::fromUtf16(kestrav::kSystemCountryFile));
    std::vector<kestrav::MapSpot> marks;
    for (int i = 0; i < 500; ++i) {
        const kestrav::Country& c =
            countries.countries()[static_cast<size_t>(i * 7) % countries.countries().size()];
        marks.push_back(kestrav::MapSpot{{c.latitude, c.longitude}, call_of(i), c.name, i / 500.0});
    }
    std::printf("map redraw for a new azimuth, 640 x 640, %d redraws each, taking turns\n", count);
    std::vector<double> none, with;
    // In rounds, so that the machine's other work falls on both alike.
    for (int round = 0; round < 10; ++round) {
        view->setSpots({});
        azimuth_redraws(window, count / 10, none);
        view->setSpots(marks);
        azimuth_redraws(window, count / 10, with);
    }
    const double none_median = at(none, 0.5);
    const double with_median = at(with, 0.5);
    std::printf("  no spots:  median %6.2f ms  p99 %6.2f ms\n"
                "  500 spots: median %6.2f ms  p99 %6.2f ms  (%+.2f ms at the median)\n",
                none_median, at(none, 0.99), with_median, at(with, 0.99),
                with_median - none_median);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int redraws = argc > 2 ? std::max(10, std::atoi(argv[2])) : 1000;
    QTcpServer node;
    if (!node.listen(QHostAddress::LocalHost))
        return 1;
    kestrav::bench::MapSession session(
        QStringLiteral("DXCLUSTER=127.0.0.1,%1,F4ABC\r\n").arg(node.serverPort()).toLatin1());
    kestrav::TForm1* window = session.window();
    if (!window)
        return 1;
    spots_at_a_rate(*window, node, seconds);
    redraw_with_spots(*window, redraws);
    return 0;
}
