#pragma once
// Window messages for tests: one outside window that is there or not, registered messages
// numbered from 0xC000 as the desktop numbers them, and every post attempt recorded. The
// fault is a named field.

#include "rotor/window_messages.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kestrav {

struct FakeWindowFaults {
    bool refusePost = false; // every post is refused, as for a window gone since it was found
};

struct FakePost {
    WindowHandle window;
    QString messageName; // the name the message was registered under; empty if it never was
    std::uint32_t message;
    std::int64_t wparam;
    std::int64_t lparam;
    bool accepted;
};

class FakeWindowMessages final : public WindowMessages {
public:
    static constexpr WindowHandle kWindow = 0x2a00007;

    WindowHandle FindWindow(const QString& class_name, const QString& title) override;
    std::uint32_t RegisterWindowMessage(const QString& name) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, std::int64_t wparam,
                     std::int64_t lparam) override;

    // The one outside window: present, with this class and title.
    bool windowPresent = true;
    QString windowClass = QStringLiteral("ThunderForm");
    QString windowTitle = QStringLiteral("ARSWIN");
    FakeWindowFaults faults;

    int finds = 0;
    std::vector<FakePost> posts; // every attempt, accepted or refused

private:
    QStringList registered_; // index i holds the name of message 0xC000 + i
};

} // namespace kestrav
