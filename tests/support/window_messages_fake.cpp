#include "support/window_messages_fake.h"

namespace kestrav {

namespace {
constexpr std::uint32_t kFirstRegistered = 0xC000;
}

WindowHandle FakeWindowMessages::FindWindow(const QString& class_name, const QString& title) {
    ++finds;
    return windowPresent && class_name == windowClass && title == windowTitle ? kWindow : 0;
}

std::uint32_t FakeWindowMessages::RegisterWindowMessage(const QString& name) {
    qsizetype i = registered_.indexOf(name);
    if (i < 0) {
        registered_ << name;
        i = registered_.size() - 1;
    }
    return kFirstRegistered + static_cast<std::uint32_t>(i);
}

bool FakeWindowMessages::PostMessage(WindowHandle window, std::uint32_t message,
                                     std::int64_t wparam, std::int64_t lparam) {
    const qsizetype i = static_cast<qsizetype>(message) - kFirstRegistered;
    const QString name =
        message >= kFirstRegistered && i < registered_.size() ? registered_[i] : QString();
    const bool accepted = !faults.refusePost && windowPresent && window == kWindow;
    posts.push_back({window, name, message, wparam, lparam, accepted});
    return accepted;
}

} // namespace kestrav
