#pragma once
// Window messages over X11: the outside rotator program's window is found among the client
// windows of the top-level windows (window managers put client windows inside frames, some
// inside frames two windows deep), a registered message is an interned atom, and a post is a
// 32-bit ClientMessage.

#include "rotor/window_messages.h"

struct _XDisplay;
struct xcb_connection_t;

namespace kestrav {

class X11WindowMessages final : public WindowMessages {
public:
    // Uses the X connection of the running Qt application when its platform is xcb. On any
    // other platform (offscreen, Wayland) there is none: no window is ever found and no
    // message is registered or posted.
    X11WindowMessages();

    // Class and title are compared byte for byte. The windows compared are the client windows
    // as the ICCCM defines them: the window carrying WM_STATE in each top-level window's tree,
    // or the top-level window itself where there is none.
    WindowHandle FindWindow(const QString& class_name, const QString& title) override;
    std::uint32_t RegisterWindowMessage(const QString& name) override;
    // data.l[0] carries wparam and data.l[1] lparam. The post waits for the server (not for
    // the receiver) so that a window gone since it was found is reported as refused.
    bool PostMessage(WindowHandle window, std::uint32_t message, std::int64_t wparam,
                     std::int64_t lparam) override;

private:
    _XDisplay* display_ = nullptr;
    xcb_connection_t* connection_ = nullptr;
};

} // namespace kestrav
