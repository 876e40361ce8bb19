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
// first reply is read: a lookup costs four round trips however many windows the desktop has
// (one by one, a desktop of 100 framed windows took 300 round trips, some 20 ms on a local
// server and far more over a network).

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

std::vector<xcb_window_t> with_class(const std::vector<xcb_window_t>& windows,
                                     const std::vector<QByteArray>& wm_classes,
                                     const QByteArray& wanted) {
    std::vector<xcb_window_t> out;
    for (size_t i = 0; i < windows.size(); ++i)
        if (class_of(wm_classes[i]) == wanted)
            out.push_back(windows[i]);
    return out;
}

// The first of `windows` whose title is `wanted`, or 0.
xcb_window_t with_title(const std::vector<xcb_window_t>& windows,
                        const std::vector<QByteArray>& titles, const QByteArray& wanted) {
    for (size_t i = 0; i < windows.size(); ++i)
        if (titles[i] == wanted)
            return windows[i];
    return 0;
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

    const std::vector<xcb_window_t> top = read_children(c, send_query_trees(c, {root}));
    // The top level's classes and children.
    const auto top_class_cookies = send_get_texts(c, top, XCB_ATOM_WM_CLASS);
    const auto top_tree_cookies = send_query_trees(c, top);
    const std::vector<xcb_window_t> top_candidates =
        with_class(top, read_texts(c, top_class_cookies), wanted_class);
    const std::vector<xcb_window_t> inner = read_children(c, top_tree_cookies);
    // The top-level candidates' titles and the level below's classes.
    const auto top_title_cookies = send_get_texts(c, top_candidates, XCB_ATOM_WM_NAME);
    const auto inner_class_cookies = send_get_texts(c, inner, XCB_ATOM_WM_CLASS);
    const xcb_window_t found =
        with_title(top_candidates, read_texts(c, top_title_cookies), wanted_title);
    const std::vector<xcb_window_t> inner_candidates =
        with_class(inner, read_texts(c, inner_class_cookies), wanted_class);
    if (found)
        return found;
    // The titles of the candidates a level down.
    return with_title(inner_candidates,
                      read_texts(c, send_get_texts(c, inner_candidates, XCB_ATOM_WM_NAME)),
                      wanted_title);
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
