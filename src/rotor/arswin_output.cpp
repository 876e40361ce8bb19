// The EA4TX output: the azimuth handed to the outside rotator program as a registered window
// message posted to its window, and the stop it gets on every STOP. Nothing is read back, so
// a post the desktop accepted counts as sent.

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/window_messages.h"

#include <QLabel>

#include <algorithm>

namespace kestrav {

namespace {

// The outside program's window is known by its class and title, both matched exactly.
WindowHandle arswin_window(WindowMessages* messages) {
    if (!messages)
        return 0;
    return messages->FindWindow(QStringLiteral("ThunderForm"), QStringLiteral("ARSWIN"));
}

// The message is registered anew for every post, as the receiver may have been restarted in
// between; on X11 the registration is a cached atom and costs nothing.
bool post_azimuth(WindowMessages& messages, WindowHandle window, long long wparam) {
    const std::uint32_t message = messages.RegisterWindowMessage(QStringLiteral("AZIMUTH"));
    return messages.PostMessage(window, message, wparam, 0);
}

} // namespace

void TForm1::ea4tx_output() {
    if (!take_step(RotorInterface::Ea4tx))
        return;
    // The outside program always gets the true azimuth: its end stop is its own business, so
    // the EA4TX stop side is stored but never applied.
    const long long n = std::max(0LL, round_half_even(state_.CommandAzimuth));
    if (raw_output_display_)
        LabelAzimut->setText(QString::number(n));
    const WindowHandle window = arswin_window(window_messages_);
    if (!window) {
        desktop_->exclamation_beep();
        desktop_->message_box(this, BoxIcon::Warning, state_.Messages.arswin_not_running);
        output_failed_ = true;
        return;
    }
    if (!post_azimuth(*window_messages_, window, n)) {
        desktop_->beep();
        output_failed_ = true;
    }
}

// Runs on every STOP whatever the interface, so a missing outside program is no fault here.
void TForm1::arswin_stop() {
    if (raw_output_display_)
        LabelAzimut->setText(QStringLiteral("-1"));
    const WindowHandle window = arswin_window(window_messages_);
    if (window && !post_azimuth(*window_messages_, window, -1))
        desktop_->beep();
}

} // namespace kestrav
