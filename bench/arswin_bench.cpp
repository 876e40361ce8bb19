// Time from a GO click with EA4TX selected to the stand-in for the outside rotator program
// printing the azimuth it received, over repeated GOs: the main window looks the window up,
// registers the message and posts it each time, and the stand-in wakes, prints and flushes.
//
//   bench_arswin <path to kestrav-arswin-sim> [count]
//
// Needs DISPLAY (bench/run-all starts Xvfb); the main window runs on the xcb platform. Two
// desktops: the stand-in alone beside the main window; then 100 further top-level windows
// that each hold a client window marked with WM_STATE, as a reparenting window manager's
// frames do, with the stand-in moved into such a frame of its own above them all, so that the
// lookup walks the whole tree before it finds it.

#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "rotor/x11_window_messages.h"
#include "silent_desktop.h"
#include "window_part.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using kestrav::bench::window_part;

namespace {

// Marks a window as a client in the normal state, as the window manager that framed it does.
void mark_as_client(Display* display, Window window) {
    const Atom wm_state = XInternAtom(display, "WM_STATE", False);
    const long normal_state[2] = {NormalState, None};
    XChangeProperty(display, window, wm_state, wm_state, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(normal_state), 2);
}

// Top-level windows of another program, each holding a client window with a class of its own.
void crowd_the_desktop(Display* display, int count) {
    const Window root = DefaultRootWindow(display);
    for (int i = 0; i < count; ++i) {
        const Window frame = XCreateSimpleWindow(display, root, 0, 0, 50, 50, 0, 0, 0);
        const Window client = XCreateSimpleWindow(display, frame, 0, 0, 40, 40, 0, 0, 0);
        XClassHint hint{};
        char name[] = "other";
        char klass[] = "OtherProgram";
        hint.res_name = name;
        hint.res_class = klass;
        XSetClassHint(display, client, &hint);
        XStoreName(display, client, "other");
        mark_as_client(display, client);
    }
    XSync(display, False);
}

void put_in_a_frame(Display* display, Window window) {
    const Window frame =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 100, 0, 0, 0);
    XReparentWindow(display, window, frame, 0, 0);
    mark_as_client(display, window);
    XSync(display, False);
}

// Microseconds from each GO to the stand-in's line; empty when a line did not come.
std::vector<double> run(kestrav::TForm1& window, QProcess& stand_in, int count) {
    kestrav::StationState& s = window.state();
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        s.RequestedAzimuth = (i * 7) % 360;
        const auto t0 = std::chrono::steady_clock::now();
        window_part<QPushButton>(window, "ButtonTrack")->click();
        while (!stand_in.canReadLine())
            if (!stand_in.waitForReadyRead(2000))
                return {};
        stand_in.readLine();
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(us.begin(), us.end());
    return us;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_arswin <path to kestrav-arswin-sim> [count]\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    QApplication app(argc, argv);
    const int count = argc > 2 ? std::atoi(argv[2]) : 200;
    kestrav::set_decimal_separator(QLatin1Char('.'));

    QProcess stand_in;
    stand_in.start(QString::fromLocal8Bit(argv[1]), {});
    const QByteArray ready = stand_in.waitForReadyRead(5000) ? stand_in.readLine() : QByteArray();
    if (!ready.startsWith("ready window=0x"))
        return 1;
    const Window stand_in_window = ready.trimmed().mid(15).toULong(nullptr, 16);

    QTemporaryDir dir;
    kestrav::bench::SilentDesktop desktop;
    kestrav::X11WindowMessages messages;
    kestrav::MainWindowContext context;
    context.desktop = &desktop;
    context.window_messages = &messages;
    context.exe_directory = context.app_directory = dir.path() + QLatin1Char('/');
    kestrav::TForm1 window(context);
    window.show();
    kestrav::StationState& s = window.state();
    s.LocalLocator = QStringLiteral("JN18EU"); // no dialog
    s.SelectedInterface = kestrav::RotorInterface::Ea4tx;
    s.min_step(kestrav::RotorInterface::Ea4tx) = 0;
    window_part<QLineEdit>(window, "EditAzimut")->setText(QStringLiteral("0"));

    Display* own = XOpenDisplay(nullptr);
    int rc = 0;
    for (const int others : {0, 100}) {
        if (others) {
            crowd_the_desktop(own, others);
            put_in_a_frame(own, stand_in_window);
        }
        const std::vector<double> us = run(window, stand_in, count);
        if (us.empty() || desktop.beeps) {
            std::fprintf(stderr, "the stand-in did not receive every GO\n");
            rc = 1;
            break;
        }
        auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1) + 0.5)]; };
        std::printf("GO to the stand-in's line, %d other windows, %d GOs: median %.1f us  "
                    "p99 %.1f us  max %.1f us\n",
                    others, count, at(0.5), at(0.99), us.back());
    }
    XCloseDisplay(own);
    window.hide();
    stand_in.terminate();
    stand_in.waitForFinished(5000);
    return rc;
}
