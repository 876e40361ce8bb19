#include "rotor/x11_window_messages.h"

#include <QByteArray>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace kestrav {

namespace {

// The tree is read through XCB, which lets every request of one level go out before the
// first reply is read: a lookup costs one round trip per level of the deepest window frame
// plus three, however many windows the desktop has (one by one, a desktop of 100 framed windows
// took 300 round trips, some 20 ms on a local server and far more over a network).

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// Errors (a window destroyed while we look at it) are taken with the reply and dropped, so
// that they never reach the application's event queue; such a window has no children and no
// properties.
template <typename T> Reply<T> take(T* reply, xcb_generic_error_t* error) {
    std::free(error);
    return Reply<T>(reply);
}

// Each kind of request is sent for a whole list of windows first (send_*) and its replies
// read afterwards (read_*), so that two kinds can share one round trip.

std::vector<xcb_query_tree_cookie_t> send_query_trees(xcb_connection_t* c,
                                                      const std::vector<xcb_window_t>& windows) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    for (xcb_window_t w : windows)
        cookies.push_back(xcb_query_tree(c, w));
    return cookies;
}

// The children of all the windows, one window's after the other's.
std::vector<xcb_window_t> read_children(xcb_connection_t* c,
                                        const std::vector<xcb_query_tree_cookie_t>& cookies) {
    std::vector<xcb_window_t> all;
    for (xcb_query_tree_cookie_t cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        const auto tree = take(xcb_query_tree_reply(c, cookie, &error), error);
        if (!tree)
            continue;
        const xcb_window_t* first = xcb_query_tree_children(tree.get());
        all.insert(all.end(), first, first + xcb_query_tree_children_length(tree.get()));
    }
    return all;
}

// Text properties of at most 1 KiB, which is plenty for a class or a title.
std::vector<xcb_get_property_cookie_t>
send_get_texts(xcb_connection_t* c, const std::vector<xcb_window_t>& windows, xcb_atom_t property) {
    std::vector<xcb_get_property_cookie_t> cookies;
    for (xcb_window_t w : windows)
        cookies.push_back(xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256));
    return cookies;
}

// One value per cookie; empty when the property is absent or not text.
std::vector<QByteArray> read_texts(xcb_connection_t* c,
                                   const std::vector<xcb_get_property_cookie_t>& cookies) {
    std::vector<QByteArray> values;
    for (xcb_get_property_cookie_t cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        const auto reply = take(xcb_get_property_reply(c, cookie, &error), error);
        if (reply && reply->format == 8)
            values.emplace_back(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                xcb_get_property_value_length(reply.get()));
        else
            values.emplace_back();
    }
    return values;
}

// WM_CLASS holds the instance name and then the class, each ended by a NUL.
QByteArray class_of(const QByteArray& wm_class) {
    const qsizetype end_of_name = wm_class.indexOf('\0');
    if (end_of_name < 0)
        return {};
    QByteArray c = wm_class.mid(end_of_name + 1);
    if (c.endsWith('\0'))
        c.chop(1);
    return c;
}

// Whether each window carries a property, of whatever type and value.
std::vector<xcb_get_property_cookie_t> send_has_property(xcb_connection_t* c,
                                                         const std::vector<xcb_window_t>& windows,
                                                         xcb_atom_t property) {
    std::vector<xcb_get_property_cookie_t> cookies;
    for (xcb_window_t w : windows)
        cookies.push_back(xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0));
    return cookies;
}

bool read_has_property(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    const auto reply = take(xcb_get_property_reply(c, cookie, &error), error);
    return reply && reply->type != XCB_ATOM_NONE;
}

// The client window of each top-level window, as the ICCCM defines it: the top-level window
// itself when it carries WM_STATE, else the shallowest window below it that does, at any
// depth (window managers put a client inside one frame window or inside several nested ones);
// a top-level window with none of them (no window manager, or a window it does not manage)
// is its own client. The search goes down all the top-level windows together, one level per
// round trip, asking of each window of a level at once whether it carries WM_STATE and what
// its children are.
std::vector<xcb_window_t> client_windows(xcb_connection_t* c, const std::vector<xcb_window_t>& top,
                                         xcb_atom_t wm_state) {
    std::vector<xcb_window_t> clients = top;
    if (wm_state == XCB_ATOM_NONE)
        return clients; // no window manager has run on this display
    std::vector<bool> found(top.size(), false);
    struct Level {
        std::vector<xcb_window_t> windows;
        std::vector<size_t> top_of; // the index in `top` of each window's top-level ancestor
    };
    Level level{top, {}};
    for (size_t i = 0; i < top.size(); ++i)
        level.top_of.push_back(i);
    while (!level.windows.empty()) {
        const auto state_cookies = send_has_property(c, level.windows, wm_state);
        const auto tree_cookies = send_query_trees(c, level.windows);
        for (size_t i = 0; i < level.windows.size(); ++i) {
            const size_t t = level.top_of[i];
            if (read_has_property(c, state_cookies[i]) && !found[t]) {
                found[t] = true;
                clients[t] = level.windows[i];
            }
        }
        Level below;
        for (size_t i = 0; i < level.windows.size(); ++i) {
            const size_t t = level.top_of[i];
            // Every reply is read, also those no longer needed, so that none is left queued.
            const std::vector<xcb_window_t> children = read_children(c, {tree_cookies[i]});
            if (found[t])
                continue;
            below.windows.insert(below.windows.end(), children.begin(), children.end());
            below.top_of.insert(below.top_of.end(), children.size(), t);
        }
        level = std::move(below);
    }
    return clients;
}

// A post refused by the server (the window is gone) comes back as an X error: it is caught
// here instead of reaching the application's error handler, and reported to the post.
int trapped_error = 0;

int trap_error(Display*, XErrorEvent* event) {
    trapped_error = event->error_code;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        trapped_error = 0;
        previous_ = XSetErrorHandler(trap_error);
    }
    ~ErrorTrap() { XSetErrorHandler(previous_); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has handled everything sent so far; true when none of it failed.
    bool all_succeeded() {
        XSync(display_, False);
        return trapped_error == 0;
    }

private:
    Display* display_;
    XErrorHandler previous_;
};

} // namespace

X11WindowMessages::X11WindowMessages() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->display() && x11->connection()) {
        display_ = x11->display();
        connection_ = x11->connection();
    }
}

WindowHandle X11WindowMessages::FindWindow(const QString& class_name, const QString& title) {
    if (!connection_)
        return 0;
    const QByteArray wanted_class = class_name.toUtf8();
    const QByteArray wanted_title = title.toUtf8();
    xcb_connection_t* c = connection_;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

    // WM_STATE exists once a window manager has run on the display.
    static constexpr char kWmState[] = "WM_STATE";
    const xcb_intern_atom_cookie_t state_cookie =
        xcb_intern_atom(c, 1, sizeof kWmState - 1, kWmState);
    const auto root_tree_cookies = send_query_trees(c, {root});
    xcb_generic_error_t* error = nullptr;
    const auto state_atom = take(xcb_intern_atom_reply(c, state_cookie, &error), error);
    const std::vector<xcb_window_t> top = read_children(c, root_tree_cookies);

    const std::vector<xcb_window_t> clients =
        client_windows(c, top, state_atom ? state_atom->atom : xcb_atom_t{XCB_ATOM_NONE});
    // The classes of all of them, then the titles of those of the wanted class.
    const std::vector<QByteArray> classes =
        read_texts(c, send_get_texts(c, clients, XCB_ATOM_WM_CLASS));
    std::vector<xcb_window_t> candidates;
    for (size_t i = 0; i < clients.size(); ++i)
        if (class_of(classes[i]) == wanted_class)
            candidates.push_back(clients[i]);
    const std::vector<QByteArray> titles =
        read_texts(c, send_get_texts(c, candidates, XCB_ATOM_WM_NAME));
    for (size_t i = 0; i < candidates.size(); ++i)
        if (titles[i] == wanted_title)
            return candidates[i];
    return 0;
}

std::uint32_t X11WindowMessages::RegisterWindowMessage(const QString& name) {
    if (!display_)
        return 0;
    return static_cast<std::uint32_t>(XInternAtom(display_, name.toLatin1().constData(), False));
}

bool X11WindowMessages::PostMessage(WindowHandle window, std::uint32_t message, std::int64_t wparam,
                                    std::int64_t lparam) {
    if (!display_ || window == 0 || message == 0)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window);
    event.xclient.message_type = message;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(wparam);
    event.xclient.data.l[1] = static_cast<long>(lparam);
    ErrorTrap trap(display_);
    if (!XSendEvent(display_, static_cast<Window>(window), False, NoEventMask, &event))
        return false;
    return trap.all_succeeded();
}

} // namespace kestrav
