#pragma once
// The rotator's commands in the menu bar, each with a key that works wherever the keyboard is
// in the main window: GO, AUTO, STOP and the long path press the window's own buttons, so a
// key does exactly what a click does, and the last item takes the keyboard to the map's
// call-sign field. The keys are F-keys: no field types them and no menu letter uses them.

#include <QKeySequence>
#include <QObject>

#include <functional>

class QAbstractButton;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace kestrav {

struct LanguageTexts;

class RotorMenu final : public QObject {
    Q_OBJECT
public:
    // The buttons the items press; AUTO and the long path latch, and their items show it.
    struct Buttons {
        QAbstractButton* go = nullptr;
        QAbstractButton* automatic = nullptr;
        QAbstractButton* stop = nullptr;
        QAbstractButton* long_path = nullptr;
    };

    static inline const QKeySequence kGoKey{Qt::Key_F5};
    static inline const QKeySequence kAutoKey{Qt::Key_F6};
    static inline const QKeySequence kStopKey{Qt::Key_F7};
    static inline const QKeySequence kLongPathKey{Qt::Key_F8};
    static inline const QKeySequence kMapCallKey{Qt::SHIFT | Qt::Key_F3};

    // The menu goes into `bar` before `before`; its keys work in `window`.
    RotorMenu(QMenuBar* bar, QAction* before, const Buttons& buttons,
              std::function<void()> enter_map_call, QWidget* window);

    // The menu's title and translated items in the main window's language.
    void setTexts(const LanguageTexts& texts);
    QMenu* menu() const { return menu_; }
    const QList<QAction*>& actions() const { return actions_; }

private:
    QAction* add(const char* name, const QKeySequence& key);
    // An item that presses `button`; a latching button's item mirrors its state.
    QAction* press(QAction* item, QAbstractButton* button);

    QMenu* menu_;
    QList<QAction*> actions_;
    QAction* long_path_ = nullptr;
    QAction* map_call_ = nullptr;
};

} // namespace kestrav
