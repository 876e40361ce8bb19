// kestrav-arswin-sim: a stand-in for the outside rotator program of the EA4TX interface, for
// trying that interface without it. It shows a small window of class "ThunderForm" titled
// "ARSWIN" and prints every "AZIMUTH" message it receives on standard output, one line each:
// "AZIMUTH 123" for a turn, "AZIMUTH STOP" for a stop (-1); a second parameter other than 0
// is appended as " LPARAM n". The window shows the last line. It ends when the window is
// closed or on SIGTERM or SIGINT. It turns no antenna.
//
// With --nested the window is reparented into two nested windows of the stand-in's own and
// marked with WM_STATE, as a window manager that frames client windows two deep does, so that
// the search for the window can be tried against such a desktop under any window manager.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

const char kUsage[] = "usage: kestrav-arswin-sim [--title TEXT] [--nested]\n"
                      "  --title TEXT   window title (default ARSWIN)\n"
                      "  --nested       put the window inside two nested frame windows\n";

int signal_pipe[2] = {-1, -1};

void on_signal(int) {
    const char byte = 1;
    if (::write(signal_pipe[1], &byte, 1) < 0) {
        // a full pipe already holds a wake-up
    }
}

class StandIn {
public:
    StandIn(Display* display, const char* title, bool nested) : display_(display) {
        const int screen = DefaultScreen(display_);
        window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 260, 60, 1,
                                      BlackPixel(display_, screen), WhitePixel(display_, screen));
        XStoreName(display_, window_, title);
        XClassHint hint{};
        char res_name[] = "arswin";
        char res_class[] = "ThunderForm";
        hint.res_name = res_name;
        hint.res_class = res_class;
        XSetClassHint(display_, window_, &hint);
        delete_window_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &delete_window_, 1);
        protocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
        azimuth_ = XInternAtom(display_, "AZIMUTH", False);
        gc_ = XCreateGC(display_, window_, 0, nullptr);
        XSetForeground(display_, gc_, BlackPixel(display_, screen));
        XSelectInput(display_, window_, ExposureMask | StructureNotifyMask);
        if (nested)
            frame_twice();
        // Mapped last: once it is reported mapped, so are the frames around it.
        XMapWindow(display_, window_);
    }
    ~StandIn() {
        XFreeGC(display_, gc_);
        XDestroyWindow(display_, window_);
        if (frame_)
            XDestroyWindow(display_, frame_);
    }

    // Handles the events queued so far; false once the window has been closed.
    bool handle_events() {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == MapNotify && !ready_) {
                // Mapped, and under a window manager already inside its frame.
                ready_ = true;
                std::printf("ready window=0x%lx\n", window_);
                std::fflush(stdout);
            } else if (event.type == Expose && event.xexpose.count == 0) {
                draw();
            } else if (event.type == ClientMessage && !client_message(event.xclient)) {
                return false;
            }
        }
        return true;
    }

private:
    // An outer frame on the root, left alone by any window manager that runs (override
    // redirect), an inner one in it, and the window in the inner one, marked as a client in
    // the normal state.
    void frame_twice() {
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display_, screen);
        frame_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, 270, 80, 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel, &attributes);
        const Window inner =
            XCreateSimpleWindow(display_, frame_, 2, 16, 264, 62, 0, BlackPixel(display_, screen),
                                WhitePixel(display_, screen));
        XReparentWindow(display_, window_, inner, 0, 0);
        const Atom wm_state = XInternAtom(display_, "WM_STATE", False);
        const long normal_state[2] = {NormalState, None};
        XChangeProperty(display_, window_, wm_state, wm_state, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(normal_state), 2);
        XMapWindow(display_, inner);
        XMapWindow(display_, frame_);
    }

    bool client_message(const XClientMessageEvent& message) {
        if (message.message_type == protocols_)
            return static_cast<Atom>(message.data.l[0]) != delete_window_;
        if (message.message_type != azimuth_ || message.format != 32)
            return true;
        const long wparam = message.data.l[0];
        const long lparam = message.data.l[1];
        last_ = wparam == -1 ? std::string("AZIMUTH STOP") : "AZIMUTH " + std::to_string(wparam);
        if (lparam != 0)
            last_ += " LPARAM " + std::to_string(lparam);
        std::printf("%s\n", last_.c_str());
        std::fflush(stdout);
        draw();
        return true;
    }

    void draw() {
        XClearWindow(display_, window_);
        XDrawString(display_, window_, gc_, 10, 35, last_.c_str(), static_cast<int>(last_.size()));
    }

    Display* display_;
    Window window_;
    Window frame_ = 0;
    GC gc_;
    Atom protocols_;
    Atom delete_window_;
    Atom azimuth_;
    bool ready_ = false;
    std::string last_ = "waiting";
};

} // namespace

int main(int argc, char** argv) {
    const char* title = "ARSWIN";
    bool nested = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            title = argv[++i];
        } else if (std::strcmp(argv[i], "--nested") == 0) {
            nested = true;
        } else {
            std::fputs(kUsage, std::strcmp(argv[i], "--help") == 0 ? stdout : stderr);
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("kestrav-arswin-sim: cannot open the X display\n", stderr);
        return 1;
    }
    if (pipe(signal_pipe) != 0)
        return 1;
    fcntl(signal_pipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    int rc = 0;
    {
        StandIn stand_in(display, title, nested);
        // Sleeps in poll() until the server or a signal has something for it.
        while (stand_in.handle_events()) {
            pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {signal_pipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
                rc = 1;
                break;
            }
            if (fds[1].revents)
                break;
        }
    }
    XCloseDisplay(display);
    return rc;
}
