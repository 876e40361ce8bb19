// The X11 window messages against the stand-in program on a private X server, which
// run-under-xvfb.sh starts bare and then under a window manager; and GO, STOP and close of the
// main window through them.

#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/x11_window_messages.h"
#include "support/fake_desktop.h"
#include "support/main_window_parts.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace kestrav::test {
namespace {

const QString kClass = QStringLiteral("ThunderForm");
const QString kTitle = QStringLiteral("ARSWIN");

Display* qt_display() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

// The stand-in program as a child process, read line by line.
class StandIn {
public:
    ~StandIn() { stop(); }

    // Starts it and waits until its window is mapped; returns the window's id, or 0.
    WindowHandle start(const QStringList& args = {}) {
        proc_.start(QStringLiteral(KESTRAV_ARSWIN_SIM), args);
        const QByteArray ready = line();
        return ready.startsWith("ready window=0x") ? ready.mid(15).toULongLong(nullptr, 16) : 0;
    }

    // The next line it prints, without its line end; empty after 5 s without one.
    QByteArray line() {
        (void)QTest::qWaitFor([this] { return proc_.canReadLine(); }, 5000);
        return proc_.readLine().trimmed();
    }

    // Ends it with SIGTERM; true when it then exited cleanly.
    bool stop() {
        proc_.terminate();
        proc_.waitForFinished(5000);
        return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
    }

private:
    QProcess proc_;
};

// How many windows lie between the root and the window, the window included: 1 for a
// top-level window; 0 when the window cannot be read.
int depth(WindowHandle window) {
    int levels = 0;
    for (auto w = static_cast<Window>(window);;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(qt_display(), w, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        ++levels;
        if (parent == root)
            return levels;
        w = parent;
    }
}

bool post(WindowMessages& messages, WindowHandle window, std::int64_t wparam,
          std::int64_t lparam = 0) {
    return messages.PostMessage(window, messages.RegisterWindowMessage(QStringLiteral("AZIMUTH")),
                                wparam, lparam);
}

TEST(X11WindowMessages, TurnsAndStopsReachTheStandInAndAGoneWindowRefusesThePost) {
    X11WindowMessages messages;
    EXPECT_EQ(messages.FindWindow(kClass, kTitle), 0u);
    StandIn stand_in;
    const WindowHandle window = stand_in.start();
    ASSERT_NE(window, 0u);
    // Under the window manager the window has been put into a frame, one level further down.
    EXPECT_EQ(depth(window) > 1, qEnvironmentVariableIsSet("KESTRAV_EXPECT_WINDOW_MANAGER"));
    EXPECT_EQ(messages.FindWindow(kClass, kTitle), window);

    struct Row {
        std::int64_t wparam, lparam;
        const char* line;
    };
    const Row rows[] = {{123, 0, "AZIMUTH 123"},
                        {360, 0, "AZIMUTH 360"},
                        {-1, 0, "AZIMUTH STOP"},
                        {45, 7, "AZIMUTH 45 LPARAM 7"}};
    for (const Row& r : rows) {
        EXPECT_TRUE(post(messages, window, r.wparam, r.lparam));
        EXPECT_EQ(stand_in.line(), QByteArray(r.line));
    }
    ASSERT_TRUE(stand_in.stop());
    EXPECT_FALSE(post(messages, window, 90));
    EXPECT_EQ(messages.FindWindow(kClass, kTitle), 0u);
}

TEST(X11WindowMessages, ClassAndTitleMustMatchExactly) {
    StandIn stand_in;
    const WindowHandle window =
        stand_in.start({QStringLiteral("--title"), QStringLiteral("ARSWIN 2")});
    ASSERT_NE(window, 0u);
    X11WindowMessages messages;
    EXPECT_EQ(messages.FindWindow(kClass, kTitle), 0u);
    EXPECT_EQ(messages.FindWindow(kClass, QStringLiteral("ARSWIN 2")), window);
    EXPECT_EQ(messages.FindWindow(QStringLiteral("thunderform"), QStringLiteral("ARSWIN 2")), 0u);
}

// A window manager that frames a client two windows deep (the client lies three levels below
// the root), stood in for by the program's own frames, bare or beside the running one.
TEST(X11WindowMessages, FoundInsideFramesTwoWindowsDeep) {
    StandIn stand_in;
    const WindowHandle window = stand_in.start({QStringLiteral("--nested")});
    ASSERT_NE(window, 0u);
    EXPECT_EQ(depth(window), 3);
    X11WindowMessages messages;
    EXPECT_EQ(messages.FindWindow(kClass, kTitle), window);
    EXPECT_TRUE(post(messages, window, 90));
    EXPECT_EQ(stand_in.line(), QByteArray("AZIMUTH 90"));
}

// EA4TX chosen in the settings file; GO, STOP and closing the window as the operator does.
TEST(X11MainWindow, GoStopAndCloseReachTheStandIn) {
    StandIn stand_in;
    ASSERT_NE(stand_in.start(), 0u);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + QStringLiteral("/");
    QFile settings(path + QStringLiteral("Kestrav.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("LOCATOR=JN18EU\r\nANT=EA4TX\r\n");
    settings.close();

    set_decimal_separator(QLatin1Char('.'));
    FakeDesktop desktop;
    X11WindowMessages messages;
    MainWindowContext context;
    context.desktop = &desktop;
    context.window_messages = &messages;
    context.exe_directory = context.app_directory = path;
    context.settings_file_exists = true;
    TForm1 window(context);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.state().SelectedInterface, RotorInterface::Ea4tx);
    const MainWindowParts ui = find_parts(window);

    ui.UpDownAzimut->setPosition(123);
    window.UpDownAzimutClick();
    ui.ButtonTrack->click();
    EXPECT_EQ(stand_in.line(), QByteArray("AZIMUTH 123"));
    EXPECT_TRUE(ui.ImageLedOn->isVisible());
    ui.BitBtnStop->click();
    EXPECT_EQ(stand_in.line(), QByteArray("AZIMUTH STOP"));
    ASSERT_TRUE(window.close()); // STOP, then the final stop of the selected interface
    EXPECT_EQ(stand_in.line(), QByteArray("AZIMUTH STOP"));
    EXPECT_EQ(stand_in.line(), QByteArray("AZIMUTH STOP"));
    EXPECT_EQ(desktop.beeps + desktop.exclamation_beeps, 0);
    EXPECT_TRUE(desktop.boxes.empty());
}

} // namespace
} // namespace kestrav::test
