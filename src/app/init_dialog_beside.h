#pragma once
// The initialisation dialog beside the main window: built the first time it is asked for (the
// start does not wait for its pages), brought beside the window's real frame once the window
// manager has framed it, and the keyboard's way between the two windows.

#include "setup/languages.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

class QWidget;

namespace kestrav {

class InitDialogHost;
class TFormInit;

class InitDialogBeside final : public QObject {
public:
    // `place` puts the main window where it belongs once its frame is known.
    InitDialogBeside(QWidget& window, InitDialogHost& host, std::function<void()> place);
    ~InitDialogBeside() override;

    // The dialog, built with its accessible names in `language` the first time.
    TFormInit* dialog(UiLanguage language);
    // The dialog if it was built; none before.
    TFormInit* built() const { return dialog_; }
    bool visible() const;
    // The dialog goes before the main window does.
    void destroyDialog();

    // The window is shown: true the first time only, when its first exposure is awaited.
    bool firstShow();
    // From now on, which program window has the keyboard is followed.
    void followKeyboard();
    // The keyboard came over to the main window from the dialog, not back from another
    // program, a message box, the help or the map.
    bool keyboardCameFromDialog() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWindow* window);

    QWidget& window_;
    InitDialogHost& host_;
    std::function<void()> place_;
    TFormInit* dialog_ = nullptr; // a window of its own, not a child of the main window
    bool shown_once_ = false;     // the start-up activation has run
    QPointer<QWindow> focus_window_;
    QPointer<QWindow> previous_focus_window_;
};

} // namespace kestrav
