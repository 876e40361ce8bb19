// Start-up time of Kestrav: from the start of the process to its main window being mapped on
// the X server, over repeated runs, with and without a full settings file and three personal
// lists of 5,000 entries each; and for the local station alone, with the map closed and with
// the map open (to the main window and to the map being mapped); and, as the floor, a bare Qt
// Widgets window with one label (bench_startup_baseline, built beside this program).
//
//   bench_startup <path to kestrav> [runs]
//
// Needs DISPLAY (bench/run-all starts Xvfb). Each scenario runs in a directory of its own,
// holding a copy of the executable, since the settings file lives beside it.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kTitle = "Kestrav  V0.6b";
const char* kMapTitle = "Kestrav map";
const char* kBaselineTitle = "Kestrav baseline";

bool is_window_titled(Display* dpy, Window w, const char* title) {
    char* name = nullptr;
    bool match = false;
    if (XFetchName(dpy, w, &name) && name) {
        match = std::strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

// Milliseconds from fork to the MapNotify of the window titled `title`; negative on failure.
double one_run(Display* dpy, const fs::path& exe, const char* title) {
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, True); // drop events of earlier runs
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    double ms = -1;
    const int fd = ConnectionNumber(dpy);
    while (ms < 0) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && is_window_titled(dpy, ev.xmap.window, title)) {
                ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                break;
            }
        }
        if (ms >= 0)
            break;
        if (std::chrono::duration<double>(Clock::now() - t0).count() > 20)
            break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 100);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return ms;
}

void write_lists_and_settings(const fs::path& dir) {
    std::ofstream ini(dir / "Kestrav.ini", std::ios::binary);
    ini << "[KESTRAV]\r\nLANGUAGE=FRENCH\r\nQRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\n"
           "LONGITUDE=E2.375\r\n";
    for (int n = 1; n <= 3; ++n) {
        const fs::path list = dir / ("list" + std::to_string(n) + ".ksv");
        std::ofstream f(list, std::ios::binary);
        f << "[List " << n << "]\r\n";
        for (int i = 0; i < 5000; ++i)
            f << "K" << (i * 7919 % 10000) << "\tStation " << i << "\t" << (i % 80) << ","
              << (i % 100) << "N\t" << (i % 170) << "," << (i % 97) << "W\r\n";
        ini << "PERSO" << n << "_PATHNAME=" << list.string() << "\r\n";
    }
    ini << "UNIT=MILE\r\nANT=GS232\r\n[POURSAT]\r\nLPT_POURSAT=0\r\nSTOP_POURSAT=N\r\n"
           "STEP_POURSAT=1\r\nCALAZ_POURSAT=0.5138901\r\nZERO_POURSAT=0\r\n[FODTRACK]\r\n"
           "LPT_FODTRACK=0\r\nSTOP_FODTRACK=N\r\nSTEP_FODTRACK=1\r\nCALAZ_FODTRACK=0.711\r\n"
           "ZERO_FODTRACK=0\r\n[EA4TX]\r\nSTOP_EA4TX=N\r\nSTEP_EA4TX=1\r\n[GS-232]\r\n"
           "PORT_GS232=1\r\nBAUD_GS232=9600\r\nSTOP_GS232=N\r\nSTEP_GS232=1\r\n[EASYCOMM]\r\n"
           "PORT_EASYCOMM=2\r\nBAUD_EASYCOMM=4800\r\nSTOP_EASYCOMM=N\r\nSTEP_EASYCOMM=1\r\n"
           "AZIMUT_PARKING=180\r\nPARKING=GS232\r\n";
}

// The local station alone, with the map window open or not.
void write_station_settings(const fs::path& dir, bool map_open) {
    std::ofstream ini(dir / "Kestrav.ini", std::ios::binary);
    ini << "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n";
    if (map_open)
        ini << "MAP=OPEN,640,640\r\n";
}

struct Summary {
    double median, min, max, p10, p90;
};

Summary summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<size_t>(q * (v.size() - 1) + 0.5)]; };
    return {at(0.5), v.front(), v.back(), at(0.1), at(0.9)};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <kestrav executable> [runs]\n", argv[0]);
        return 2;
    }
    const fs::path source = fs::absolute(argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const fs::path base = fs::temp_directory_path() / ("kestrav-bench-" + std::to_string(getpid()));
    const fs::path baseline = fs::absolute(argv[0]).parent_path() / "bench_startup_baseline";
    if (!fs::exists(baseline)) {
        std::fprintf(stderr, "%s is missing\n", baseline.c_str());
        return 1;
    }
    enum class Settings { NoFile, Full, Station, StationWithMap, Baseline };
    struct Scenario {
        const char* name;
        const char* dir;
        Settings settings;
        const char* title;
    } scenarios[] = {
        {"no settings file", "empty", Settings::NoFile, kTitle},
        {"full settings, 3 lists of 5000", "full", Settings::Full, kTitle},
        {"JN18EU, map closed", "station", Settings::Station, kTitle},
        {"JN18EU, map open: main window", "map", Settings::StationWithMap, kTitle},
        {"JN18EU, map open: map window", "map", Settings::StationWithMap, kMapTitle},
        {"baseline: Qt window, one label", "baseline", Settings::Baseline, kBaselineTitle},
    };

    // A runtime directory of the benchmark's own: a Kestrav the user is running would
    // otherwise be found at every start, which would hand over to it and end.
    const fs::path runtime = base / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);

    constexpr std::size_t kScenarios = std::size(scenarios);
    for (const Scenario& s : scenarios) {
        const fs::path dir = base / s.dir;
        fs::create_directories(dir);
        fs::copy_file(s.settings == Settings::Baseline ? baseline : source, dir / "kestrav",
                      fs::copy_options::overwrite_existing);
        for (const char* page : {"Kestrav_En.html", "Kestrav_Fr.html"})
            if (fs::exists(source.parent_path() / page))
                fs::copy_file(source.parent_path() / page, dir / page,
                              fs::copy_options::overwrite_existing);
    }

    std::printf("start-up to window mapped, %d runs each (after 2 warm-up runs)\n", runs);
    // The scenarios take turns run by run, so that a change in the machine's load falls on
    // all of them alike.
    std::vector<double> times[kScenarios];
    for (int i = 0; i < runs + 2; ++i) {
        for (std::size_t k = 0; k < kScenarios; ++k) {
            const Scenario& s = scenarios[k];
            const fs::path dir = base / s.dir;
            // The program is killed, so it never saves; rewrite the inputs anyway so that
            // every run starts from the same files.
            fs::remove(dir / "Kestrav.ini");
            if (s.settings == Settings::Full)
                write_lists_and_settings(dir);
            else if (s.settings == Settings::Station || s.settings == Settings::StationWithMap)
                write_station_settings(dir, s.settings == Settings::StationWithMap);
            const double ms = one_run(dpy, dir / "kestrav", s.title);
            if (ms < 0) {
                std::fprintf(stderr, "run %d: the window \"%s\" never appeared\n", i, s.title);
                return 1;
            }
            if (i >= 2)
                times[k].push_back(ms);
        }
    }
    double medians[kScenarios] = {};
    for (std::size_t k = 0; k < kScenarios; ++k) {
        const Summary r = summarise(times[k]);
        medians[k] = r.median;
        std::printf("  %-32s median %6.1f ms  min %6.1f  p10 %6.1f  p90 %6.1f  max %6.1f\n",
                    scenarios[k].name, r.median, r.min, r.p10, r.p90, r.max);
    }
    std::printf("  ratio full / empty: %.2f\n", medians[1] / medians[0]);
    std::printf("  ratio map open / closed: main window %.2f, map window %.2f\n",
                medians[3] / medians[2], medians[4] / medians[2]);
    std::printf("  ratio to the baseline: no settings %.2f, full %.2f, JN18EU %.2f\n",
                medians[0] / medians[5], medians[1] / medians[5], medians[2] / medians[5]);
    fs::remove_all(base);
    XCloseDisplay(dpy);
    return 0;
}
