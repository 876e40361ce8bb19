// Redraw time of the map window: for a new azimuth (the up-down arrows step it, as the
// operator does) and for a new local station (the coastline projected again), each from the
// change to the map painted; and the first paint of a freshly opened map, which reads the
// coastlines too.
//
//   bench_map [redraws]
//
// The main window and the map (640 x 640) run offscreen, the local station JN18EU from the
// settings file, Japan chosen from the prefix list, the long path on.

#include "app/widgets.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "map_session.h"
#include "window_part.h"

#include <QApplication>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <time.h>

using kestrav::bench::window_part;

namespace {

using Clock = std::chrono::steady_clock;

// Wall-clock and processor time of one redraw: on a busy machine the first includes the
// time other processes hold the cores, the second only this thread's own work.
struct Timing {
    Clock::time_point wall = Clock::now();
    double cpu = cpu_ms();

    static double cpu_ms() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    double wall_ms() const {
        return std::chrono::duration<double, std::milli>(Clock::now() - wall).count();
    }
    double cpu_used_ms() const { return cpu_ms() - cpu; }
};

void report(const char* what, std::vector<double> wall, std::vector<double> cpu) {
    for (std::vector<double>* v : {&wall, &cpu})
        std::sort(v->begin(), v->end());
    auto at = [](const std::vector<double>& v, double q) {
        return v[static_cast<size_t>(q * (v.size() - 1) + 0.5)];
    };
    std::printf("  %-18s %5zu redraws: median %6.2f ms  p99 %6.2f ms  max %6.2f ms"
                "   processor: median %6.2f ms  p99 %6.2f ms\n",
                what, wall.size(), at(wall, 0.5), at(wall, 0.99), wall.back(), at(cpu, 0.5),
                at(cpu, 0.99));
}

// Each redraw from a change made by `change(i)` to the map painted again.
template <typename Change>
void measure(const char* what, int count, kestrav::MapWindow* map, Change change) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < count; ++i) {
        const Timing t;
        change(i);
        map->refresh();
        map->view()->repaint();
        wall.push_back(t.wall_ms());
        cpu.push_back(t.cpu_used_ms());
    }
    report(what, wall, cpu);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    kestrav::bench::MapSession session;
    kestrav::TForm1* window = session.window();
    if (!window)
        return 1;
    window_part<QToolButton>(*window, "SpeedButtonLP")->click();

    kestrav::MapWindow* map = window_part<kestrav::MapWindow>(*window, "FormMap");
    const Timing first;
    map->open();
    // The offscreen platform exposes a new window on its next turn of the event loop.
    while (!map->windowHandle() || !map->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    map->view()->repaint();
    std::printf("map redraw, 640 x 640, offscreen\n  first paint after opening: %.2f ms"
                " (processor %.2f ms)\n",
                first.wall_ms(), first.cpu_used_ms());

    measure("new azimuth", count, map,
            [&](int) { window_part<kestrav::UpDown>(*window, "UpDownAzimut")->stepUp(); });
    // Local stations spread over the globe, each one new to the map.
    kestrav::StationState& s = window->state();
    measure("new local station", count, map, [&](int i) {
        s.LocalLatitude = (i * 37) % 170 * 0.5 + 0.25;
        s.LocalNorth = i % 2 == 0;
        s.LocalLongitude = (i * 53) % 359 * 0.5 + 0.25;
        s.LocalEast = i % 3 != 0;
    });
    return 0;
}
