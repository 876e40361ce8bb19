#pragma once
// Messages to the outside rotator program: finding its window by class and title, the
// registered message and the post. On Linux this is X11; tests use a recording fake.

#include <QString>
#include <cstdint>

namespace kestrav {

using WindowHandle = std::uint64_t; // 0: no such window

class WindowMessages {
public:
    virtual ~WindowMessages() = default;
    // The top-level window whose class and title are exactly these, or 0.
    virtual WindowHandle FindWindow(const QString& class_name, const QString& title) = 0;
    // The identifier of the message registered under `name`; 0 when it cannot be had.
    virtual std::uint32_t RegisterWindowMessage(const QString& name) = 0;
    // Posts without waiting for the receiver; false when the post was refused.
    virtual bool PostMessage(WindowHandle window, std::uint32_t message, std::int64_t wparam,
                             std::int64_t lparam) = 0;
};

} // namespace kestrav
