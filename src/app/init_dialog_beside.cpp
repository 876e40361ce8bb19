#include "app/init_dialog_beside.h"

#include "setup/init_dialog.h"
#include "setup/init_dialog_host.h"
#include "station/station_state.h"
#include "ui/accessible_names.h"

#include <QGuiApplication>
#include <QWidget>

namespace kestrav {

InitDialogBeside::InitDialogBeside(QWidget& window, InitDialogHost& host,
                                   std::function<void()> place)
    : window_(window), host_(host), place_(std::move(place)) {}

InitDialogBeside::~InitDialogBeside() {
    destroyDialog();
}

TFormInit* InitDialogBeside::dialog(UiLanguage language) {
    if (dialog_ == nullptr) {
        dialog_ = new TFormInit(host_, nullptr);
        apply_accessible_names(dialog_, language);
    }
    return dialog_;
}

bool InitDialogBeside::visible() const {
    return dialog_ != nullptr && dialog_->isVisible();
}

void InitDialogBeside::destroyDialog() {
    delete dialog_;
    dialog_ = nullptr;
}

bool InitDialogBeside::firstShow() {
    if (shown_once_)
        return false;
    shown_once_ = true;
    window_.windowHandle()->installEventFilter(this);
    return true;
}

bool InitDialogBeside::eventFilter(QObject* watched, QEvent* event) {
    // The first exposure comes after the window manager has put its frame around the window:
    // only now is the frame's size known, and with it whether the window fits where it stands.
    QWindow* handle = window_.windowHandle();
    if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
        handle->removeEventFilter(this);
        place_();
        // A window manager gives the keyboard to the window shown last: at a first start the
        // dialog, shown before the main window, asks for it back, and stands beside the
        // main window's real frame.
        if (visible() && host_.dialogStation().LocalLocator.isEmpty())
            dialog_->showBeside(&window_, true);
    }
    return QObject::eventFilter(watched, event);
}

void InitDialogBeside::followKeyboard() {
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &InitDialogBeside::focusChanged);
}

// The program's window that has the keyboard, and the one that had it before. A return from
// another program passes through no window of this one: the window left for it counts as
// the one before, whichever it was.
void InitDialogBeside::focusChanged(QWindow* window) {
    if (window == nullptr) {
        previous_focus_window_ = focus_window_;
        return;
    }
    if (window == focus_window_)
        return;
    previous_focus_window_ = focus_window_;
    focus_window_ = window;
}

bool InitDialogBeside::keyboardCameFromDialog() const {
    // The notice of the new focus window may come before or after the window's activation.
    const QWindow* left = focus_window_ == window_.windowHandle() ? previous_focus_window_.data()
                                                                  : focus_window_.data();
    return left != nullptr && dialog_ != nullptr && left == dialog_->windowHandle();
}

} // namespace kestrav
