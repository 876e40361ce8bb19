// The main window on a private X server that run-under-xvfb.sh starts at the size the test is
// registered with, bare or under openbox: where the window opens, and what the window manager
// lets the operator do with it. Positions are read from the X server, not from Qt.

#include "app/widgets.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "setup/window_placement.h"
#include "support/pty_port.h"
#include "support/window_fixture.h"

#include <QLineEdit>
#include <QToolButton>

#include <QAccessible>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <functional>

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

// The window's ancestor just below the root, which is the window manager's frame, or the
// window itself on a bare server; none when it cannot be read.
Window top_level(Window window) {
    XSync(display(), False);
    Window top = window;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display(), top, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return top;
        top = parent;
    }
}

// Where the window's frame stands among the root's children, from the bottom; -1 when not
// found.
int stacking_place(Window window) {
    const Window top = top_level(window);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    int place = -1;
    if (XQueryTree(display(), DefaultRootWindow(display()), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            if (children[i] == top)
                place = static_cast<int>(i);
        XFree(children);
    }
    return place;
}

bool viewable(Window window) {
    XSync(display(), False);
    XWindowAttributes a;
    return XGetWindowAttributes(display(), window, &a) && a.map_state == IsViewable;
}

// The window's frame on the screen: its ancestor just below the root, which is the window
// manager's frame, or the window itself on a bare server.
QRect frame_on_screen(Window window) {
    const Window top = top_level(window);
    if (top == 0)
        return {};
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

// Another program on the same desktop: a second X client with a window of its own.
class OtherProgram {
public:
    OtherProgram() : display_(XOpenDisplay(nullptr)) {
        if (display_ == nullptr)
            return;
        window_ =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 150, 0, 0, 0);
        XStoreName(display_, window_, "another program");
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~OtherProgram() {
        if (display_ != nullptr)
            XCloseDisplay(display_);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool ok() const { return display_ != nullptr; }
    Window window() const { return window_; }

    bool viewable() {
        XWindowAttributes a;
        return XGetWindowAttributes(display_, window_, &a) && a.map_state == IsViewable;
    }

    // Gives `target` the keyboard as a desktop's task bar does: through the window manager
    // when there is one, directly on a bare server.
    void activate(Window target) {
        if (qEnvironmentVariableIsSet("KESTRAV_EXPECT_WINDOW_MANAGER")) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = target;
            e.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
            e.xclient.format = 32;
            e.xclient.data.l[0] = 2; // from a pager: always honoured
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(display_, DefaultRootWindow(display_), False,
                       SubstructureRedirectMask | SubstructureNotifyMask, &e);
        } else {
            XSetInputFocus(display_, target, RevertToParent, CurrentTime);
        }
        XSync(display_, False);
    }

private:
    Display* display_;
    Window window_ = 0;
};

// A return from another program is no return from the dialog: the hand-set azimuth, the
// distance and the rotator stay as they were, with AUTO down and the dialog opened once.
TEST_F(WindowTest, ReturnFromAnotherProgramLeavesBearingAndRotatorAlone) {
    PtyPort com1(dir.path(), QStringLiteral("COM1"));
    ASSERT_TRUE(com1.ok());
    start("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\nANT=GS232\r\n"
          "PORT_GS232=1\r\nBAUD_GS232=9600\r\n");
    window->MenuInitClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->formInit()));
    window->formInit()->close();
    ui().SpeedButtonAuto->setChecked(true);
    window->state().min_step(RotorInterface::Gs232) = 0; // every command goes out
    type(ui().EditDXLocator, QStringLiteral("FN31PR"));
    ui().UpDownAzimut->stepUp(); // the azimuth set by hand, the DX station still shown
    const QString by_hand = ui().EditAzimut->text();
    const QByteArray sent = com1.read();
    ASSERT_TRUE(sent.endsWith("W" + by_hand.left(3).toLatin1() + "\r"))
        << sent.toStdString() << " " << by_hand.toStdString();
    const QString distance = ui().EditDistance->text();

    OtherProgram other;
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.viewable(); }, 5000));
    other.activate(other.window());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == nullptr; }, 5000));
    other.activate(static_cast<Window>(window->winId()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }, 5000));

    EXPECT_EQ(ui().EditAzimut->text(), by_hand);
    EXPECT_EQ(ui().EditDistance->text(), distance);
    EXPECT_EQ(com1.read(300), QByteArray());
}

// A first start: the dialog has the keyboard for the local locator and stands wholly on the
// screen beside the main window's real frame, or where it covers least of it.
TEST_F(WindowTest, FirstStartDialogTakesTheKeyboardBesideTheMainWindow) {
    start();
    TFormInit* init = window->formInit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return init->EditLocalLocator->hasFocus(); }, 5000));
    const QRect screen(0, 0, DisplayWidth(display(), DefaultScreen(display())),
                       DisplayHeight(display(), DefaultScreen(display())));
    QRect main_frame, dialog_frame;
    const bool settled = QTest::qWaitFor(
        [&] {
            main_frame = frame_on_screen(static_cast<Window>(window->winId()));
            dialog_frame = frame_on_screen(static_cast<Window>(init->winId()));
            return dialog_frame.topLeft() == place_beside(main_frame, dialog_frame.size(), screen);
        },
        5000);
    EXPECT_TRUE(settled) << ::testing::PrintToString(main_frame) << " "
                         << ::testing::PrintToString(dialog_frame);
    EXPECT_TRUE(screen.contains(dialog_frame)) << ::testing::PrintToString(dialog_frame);
}

// The map opens wholly on the screen, whatever the scale (registered once more at
// QT_SCALE_FACTOR=2 on 1280 x 800); on a screen of 1024 x 768 or more it leaves GO, AUTO and
// STOP in view.
TEST_F(MainWindowOnX11, MapOpensWhollyOnTheScreen) {
    const QRect screen(0, 0, DisplayWidth(display(), DefaultScreen(display())),
                       DisplayHeight(display(), DefaultScreen(display())));
    window->MenuMapClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui().FormMap));
    QRect frame;
    const bool inside = QTest::qWaitFor(
        [&] {
            frame = frame_on_screen(static_cast<Window>(ui().FormMap->winId()));
            return frame.isValid() && screen.contains(frame);
        },
        5000);
    EXPECT_TRUE(inside) << ::testing::PrintToString(frame);

    const qreal ratio = window->devicePixelRatioF();
    if (screen.width() / ratio < 1024)
        return;
    for (QWidget* button :
         std::initializer_list<QWidget*>{ui().ButtonTrack, ui().SpeedButtonAuto, ui().BitBtnStop}) {
        const QRect on_screen(button->mapToGlobal(QPoint(0, 0)) * ratio, button->size() * ratio);
        EXPECT_FALSE(frame.intersects(on_screen))
            << button->objectName().toStdString() << " " << ::testing::PrintToString(on_screen)
            << " under " << ::testing::PrintToString(frame);
    }
}

bool xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

// Types with the server's own keyboard into whatever window has the keys: "+name" presses a
// key ("+Return", "+shift+F3"), any other text is typed.
bool type_keys(const QStringList& keys) {
    for (const QString& key : keys) {
        const bool typed = key.startsWith(u'+') ? xdotool({"key", key.mid(1)})
                                                : xdotool({"type", "--delay", "20", key});
        if (!typed)
            return false;
    }
    return true;
}

// Clicks the middle of `w` with the server's own pointer and keyboard, as the operator does:
// the window manager sees the click and decides which window gets the keys.
bool click_and_type(QWidget* w, const QStringList& keys) {
    const qreal ratio = w->window()->devicePixelRatioF();
    const QPoint at = w->mapTo(w->window(), w->rect().center()) * ratio;
    if (!xdotool({"mousemove", "--window", QString::number(w->window()->winId()),
                  QString::number(at.x()), QString::number(at.y()), "click", "1"}))
        return false;
    if (!QTest::qWaitFor([w] { return w->hasFocus(); }, 5000))
        return false;
    return type_keys(keys);
}

// The map's call field takes the keyboard when clicked and, its call entered, leaves the main
// window's keyboard as it was: the DX locator is typed into as before.
TEST_F(MainWindowOnX11, CallTypedInTheMapSetsTheDxAndTheMainWindowStillTakesKeys) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs xdotool";
    if (qEnvironmentVariableIsEmpty("KESTRAV_EXPECT_WINDOW_MANAGER"))
        GTEST_SKIP() << "the window manager decides where the keys go";
    window->MenuMapClick();
    MapWindow* map = ui().FormMap;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(map));
    const qreal ratio = window->devicePixelRatioF();
    const QRect locator(ui().EditDXLocator->mapToGlobal(QPoint(0, 0)) * ratio,
                        ui().EditDXLocator->size() * ratio);
    QRect frame;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            frame = frame_on_screen(static_cast<Window>(map->winId()));
            return frame.isValid();
        },
        5000));
    if (frame.intersects(locator))
        GTEST_SKIP() << "the screen is too small for the map beside the DX locator";
    ASSERT_TRUE(click_and_type(map->callField(), {"ja1xyz", "+Return"}));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->state().DxLabel.startsWith("JA1XYZ  "); }, 5000))
        << window->state().DxLabel.toStdString();
    const QString japan = ui().EditDXLocator->text();
    EXPECT_FALSE(japan.isEmpty());

    ASSERT_TRUE(click_and_type(ui().EditDXLocator, {"+ctrl+a", "fn31pr"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "FN31PR"; }, 5000))
        << ui().EditDXLocator->text().toStdString();
    EXPECT_TRUE(window->isActiveWindow());
    // The typed locator is a new DX station: the map's field no longer shows the old call.
    EXPECT_TRUE(QTest::qWaitFor([&] { return map->callField()->text().isEmpty(); }, 5000));
}

// Without the mouse: Shift+F3 takes the keyboard to the map's call field through the window
// manager, and Escape gives it back to the main window, where typing goes on.
TEST_F(MainWindowOnX11, KeysTakeTheMapsCallFieldAndGiveItBack) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs xdotool";
    if (qEnvironmentVariableIsEmpty("KESTRAV_EXPECT_WINDOW_MANAGER"))
        GTEST_SKIP() << "the window manager decides where the keys go";
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }, 5000));
    ui().EditDXLocator->setFocus();
    ASSERT_TRUE(type_keys({"+shift+F3"}));
    MapWindow* map = ui().FormMap;
    ASSERT_TRUE(QTest::qWaitFor([&] { return map->callField()->hasFocus(); }, 5000));
    ASSERT_TRUE(type_keys({"ja1xyz", "+Return"}));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->state().DxLabel.startsWith("JA1XYZ  "); }, 5000))
        << window->state().DxLabel.toStdString();

    // On to the map itself, its marker moved; another program takes the keyboard and gives
    // it back: the marker, what the screen shows and what a screen reader reads all stay.
    map->setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC); });
    MapView* view = map->view();
    ASSERT_TRUE(type_keys({"+Tab"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }, 5000));
    const QPointF start = *view->marker();
    ASSERT_TRUE(type_keys({"+Down"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return *view->marker() != start; }, 5000));
    const QPointF moved = *view->marker();
    const auto told = [view] {
        return QAccessible::queryAccessibleInterface(view)->text(QAccessible::Description);
    };
    const QString readout = told();
    const QImage shown = view->grab().toImage();
    OtherProgram other;
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.viewable(); }, 5000));
    other.activate(other.window());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == nullptr; }, 5000));
    other.activate(static_cast<Window>(map->winId()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return map->isActiveWindow() && view->hasFocus(); }, 5000));
    EXPECT_EQ(*view->marker(), moved);
    EXPECT_EQ(told(), readout);
    EXPECT_EQ(view->grab().toImage(), shown);

    ASSERT_TRUE(type_keys({"+Escape"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }, 5000));
    ASSERT_TRUE(type_keys({"+ctrl+a", "fn31pr"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "FN31PR"; }, 5000))
        << ui().EditDXLocator->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return map->callField()->text().isEmpty(); }, 5000));
}

// Asks the window manager to give `target` the keyboard, as a task bar does: always honoured.
void activate_from_pager(Window target) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = XInternAtom(display(), "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display(), DefaultRootWindow(display()), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(display(), False);
}

// A minimised map comes back in front with F3, Shift+F3 and the menu item alike.
TEST_F(MainWindowOnX11, MinimisedMapComesBackInFront) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs xdotool";
    if (qEnvironmentVariableIsEmpty("KESTRAV_EXPECT_WINDOW_MANAGER"))
        GTEST_SKIP() << "the window manager minimises and restores";
    window->MenuMapClick();
    MapWindow* map = ui().FormMap;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(map));
    const auto map_id = static_cast<Window>(map->winId());
    const struct {
        const char* name;
        std::function<bool()> ask;
    } ways[] = {
        {"menu", [&] { return ui().MenuMap->trigger(), true; }},
        {"F3", [] { return type_keys({"+F3"}); }},
        {"Shift+F3", [] { return type_keys({"+shift+F3"}); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        activate_from_pager(client);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }, 5000));
        map->showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !viewable(map_id); }, 5000));
        ASSERT_TRUE(way.ask());
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return viewable(map_id) && !map->isMinimized() && map->isActiveWindow(); }, 5000))
            << "viewable " << viewable(map_id) << " minimised " << map->isMinimized() << " active "
            << map->isActiveWindow();
        EXPECT_GT(stacking_place(map_id), stacking_place(client)) << "in front";
    }
    EXPECT_TRUE(map->callField()->hasFocus()) << "Shift+F3 gives the call field the keys";
}

// The spots window, opened with F9 and walked with the keyboard to a spot, keeps its spot, its
// picture and the keys when another program takes the keyboard and gives it back; Enter then
// sets that spot's station.
TEST_F(WindowTest, SpotsKeepTheirRowWhenAnotherProgramTakesTheKeys) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs xdotool";
    if (qEnvironmentVariableIsEmpty("KESTRAV_EXPECT_WINDOW_MANAGER"))
        GTEST_SKIP() << "the window manager decides where the keys go";
    QTcpServer node;
    ASSERT_TRUE(node.listen(QHostAddress::LocalHost));
    start(QStringLiteral("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n"
                         "DXCLUSTER=127.0.0.1,%1,F4ABC\r\n")
              .arg(node.serverPort())
              .toLatin1());
    ASSERT_TRUE(QTest::qWaitFor([&] { return node.hasPendingConnections(); }, 5000));
    QTcpSocket* s = node.nextPendingConnection();
    s->write("login: ");
    ASSERT_TRUE(QTest::qWaitFor([&] { return s->canReadLine(); }, 5000));
    s->write("DX de EA4XY:  14025.0  JA1ABC   CW 599  1234Z\r\n"
             "DX de K1TTT:   7010.0  VK2XYZ   SSB     1235Z\r\n"
             "DX de OH2BH:  21074.0  ZS6ABC   FT8     1236Z\r\n");

    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); }, 5000));
    ASSERT_TRUE(type_keys({"+F9"}));
    auto* spots = window->findChild<QWidget*>(QStringLiteral("FormSpots"));
    ASSERT_NE(spots, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spots->isActiveWindow(); }, 5000));
    auto* table = spots->findChild<QTableWidget*>(QStringLiteral("TableSpots"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 3; }, 5000));
    // Tab past the node's fields, its button and the band to the table, then down a row.
    ASSERT_TRUE(type_keys({"+Tab", "+Tab", "+Tab", "+Tab", "+Tab"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->hasFocus(); }, 5000));
    const int first = std::max(table->currentRow(), 0);
    ASSERT_TRUE(type_keys({"+Down"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->currentRow() == first + 1; }, 5000))
        << first << " " << table->currentRow();
    const QString call = table->item(first + 1, 2)->text();
    const QImage shown = spots->grab().toImage();

    OtherProgram other;
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.viewable(); }, 5000));
    other.activate(other.window());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == nullptr; }, 5000));
    other.activate(static_cast<Window>(spots->winId()));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return spots->isActiveWindow() && table->hasFocus(); }, 5000));
    EXPECT_EQ(table->item(table->currentRow(), 2)->text(), call);
    EXPECT_EQ(spots->grab().toImage(), shown);

    ASSERT_TRUE(type_keys({"+Return"}));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->state().DxLabel.startsWith(call + "  "); }, 5000))
        << window->state().DxLabel.toStdString();
}

} // namespace
} // namespace kestrav::test
