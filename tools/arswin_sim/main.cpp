// kestrav-arswin-sim: a stand-in for the outside rotator program of the EA4TX interface, for
// trying that interface without it. It shows a small window of class "ThunderForm" titled
// "ARSWIN" and prints every "AZIMUTH" message it receives on standard output, one line each:
// "AZIMUTH 123" for a turn, "AZIMUTH STOP" for a stop (-1); a second parameter other than 0
// is appended as " LPARAM n". The window shows the last line. It ends when the window is
// closed or on SIGTERM or SIGINT. It turns no antenna.

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

const char kUsage[] = "usage: kestrav-arswin-sim [--title TEXT]\n"
                      "  --title TEXT   window title (default ARSWIN)\n";

int signal_pipe[2] = {-1, -1};

void on_signal(int) {
    const char byte = 1;
    if (::write(signal_pipe[1], &byte, 1) < 0) {
        // a full pipe already holds a wake-up
    }
}

class StandIn {
public:
    StandIn(Display* display, const char* title) : display_(display) {
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
        XMapWindow(display_, window_);
    }
    ~StandIn() {
        XFreeGC(display_, gc_);
        XDestroyWindow(display_, window_);
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            title = argv[++i];
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
        StandIn stand_in(display, title);
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
