// The main window on a private X server that run-under-xvfb.sh starts at the size the test is
// registered with, bare or under openbox: where the window opens, and what the window manager
// lets the operator do with it. Positions are read from the X server, not from Qt.

#include "support/window_fixture.h"

#include <QApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>

QT_BEGIN_NAMESPACE
// Readable failure messages for frames.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.width() << "x" << r.height() << " at " << r.x() << "," << r.y();
}
QT_END_NAMESPACE

namespace kestrav::test {
namespace {

Display* display() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

// The window's frame on the screen: its ancestor just below the root, which is the window
// manager's frame, or the window itself on a bare server.
QRect frame_on_screen(Window window) {
    XSync(display(), False);
    Window top = window;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display(), top, &root, &parent, &children, &count))
            return {};
        if (children)
            XFree(children);
        if (parent == root)
            break;
        top = parent;
    }
    XWindowAttributes a;
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(display(), top, &a) ||
        !XTranslateCoordinates(display(), top, a.root, 0, 0, &x, &y, &child))
        return {};
    return {x - a.border_width, y - a.border_width, a.width + 2 * a.border_width,
            a.height + 2 * a.border_width};
}

QStringList atom_list(Window window, const char* property) {
    XSync(display(), False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QStringList names;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), property, False), 0, 64, False,
                           XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(display(), atoms[i]);
            names << QString::fromLatin1(name);
            XFree(name);
        }
        XFree(data);
    }
    return names;
}

// A local station is known, so the initialisation dialog stays closed.
class MainWindowOnX11 : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n");
        client = static_cast<Window>(window->winId());
    }

    Window client = 0;
};

TEST_F(MainWindowOnX11, OpensWhollyOnTheScreenAndAtItsDesignPlaceWhenThereIsRoom) {
    const QRect screen(0, 0, DisplayWidth(display(), DefaultScreen(display())),
                       DisplayHeight(display(), DefaultScreen(display())));
    QRect frame;
    QPoint expected;
    // The window manager frames the window first; only then can the program tell whether the
    // frame fits where it stands, and move it once more if it does not.
    const bool settled = QTest::qWaitFor(
        [&] {
            frame = frame_on_screen(client);
            expected = {std::min(196, screen.width() - frame.width()),
                        std::min(100, screen.height() - frame.height())};
            return frame.topLeft() == expected;
        },
        5000);
    EXPECT_TRUE(settled) << ::testing::PrintToString(frame);
    EXPECT_TRUE(screen.contains(frame)) << ::testing::PrintToString(frame);
}

TEST_F(MainWindowOnX11, WindowManagerOffersMinimiseAndCloseButNeitherMaximiseNorResize) {
    if (!qEnvironmentVariableIsSet("KESTRAV_EXPECT_WINDOW_MANAGER"))
        GTEST_SKIP() << "a bare X server has no window manager to offer anything";
    QStringList actions;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            actions = atom_list(client, "_NET_WM_ALLOWED_ACTIONS");
            return !actions.isEmpty();
        },
        5000));
    for (const char* offered :
         {"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_CLOSE", "_NET_WM_ACTION_MOVE"})
        EXPECT_TRUE(actions.contains(QLatin1String(offered))) << offered;
    for (const char* refused :
         {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
        EXPECT_FALSE(actions.contains(QLatin1String(refused))) << refused;
}

} // namespace
} // namespace kestrav::test
