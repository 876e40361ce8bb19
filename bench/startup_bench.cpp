// Start-up time of Kestrav: from the start of the process to its main window being mapped on
// the X server, over repeated runs, with and without a full settings file and three personal
// lists of 5,000 entries each.
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

bool is_main_window(Display* dpy, Window w) {
    char* name = nullptr;
    bool match = false;
    if (XFetchName(dpy, w, &name) && name) {
        match = std::strcmp(name, kTitle) == 0;
        XFree(name);
    }
    return match;
}

// Milliseconds from fork to the MapNotify of the main window; negative on failure.
double one_run(Display* dpy, const fs::path& exe) {
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
            if (ev.type == MapNotify && is_main_window(dpy, ev.xmap.window)) {
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
    struct Scenario {
        const char* name;
        bool full;
    } scenarios[] = {{"no settings file", false}, {"full settings, 3 lists of 5000", true}};

    std::printf("start-up to main window mapped, %d runs each (after 2 warm-up runs)\n", runs);
    double medians[2] = {};
    int k = 0;
    for (const Scenario& s : scenarios) {
        const fs::path dir = base / (s.full ? "full" : "empty");
        fs::create_directories(dir);
        const fs::path exe = dir / "kestrav";
        fs::copy_file(source, exe, fs::copy_options::overwrite_existing);
        for (const char* page : {"Kestrav_En.html", "Kestrav_Fr.html"})
            if (fs::exists(source.parent_path() / page))
                fs::copy_file(source.parent_path() / page, dir / page,
                              fs::copy_options::overwrite_existing);
        std::vector<double> times;
        for (int i = 0; i < runs + 2; ++i) {
            // The program is killed, so it never saves; rewrite the inputs anyway so that
            // every run starts from the same files.
            fs::remove(dir / "Kestrav.ini");
            if (s.full)
                write_lists_and_settings(dir);
            const double ms = one_run(dpy, exe);
            if (ms < 0) {
                std::fprintf(stderr, "run %d: the main window never appeared\n", i);
                return 1;
            }
            if (i >= 2)
                times.push_back(ms);
        }
        const Summary r = summarise(times);
        medians[k++] = r.median;
        std::printf("  %-32s median %6.1f ms  min %6.1f  p10 %6.1f  p90 %6.1f  max %6.1f\n", s.name,
                    r.median, r.min, r.p10, r.p90, r.max);
    }
    std::printf("  ratio full / empty: %.2f\n", medians[1] / medians[0]);
    fs::remove_all(base);
    XCloseDisplay(dpy);
    return 0;
}
