#include "app/rotor_menu.h"

#include "app/main_window_hosts.h"
#include "map/map_window.h"
#include "setup/languages.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace kestrav {

RotorMenu::RotorMenu(QMenuBar* bar, QAction* before, const Buttons& buttons,
                     std::function<void()> enter_map_call, QWidget* window)
    : QObject(window), menu_(new QMenu(bar)) {
    menu_->setObjectName(QStringLiteral("MenuRotator"));
    // The buttons' captions, the same in both languages.
    press(add("MenuGo", kGoKey), buttons.go)->setText(QStringLiteral("&GO"));
    press(add("MenuAuto", kAutoKey), buttons.automatic)->setText(QStringLiteral("&AUTO"));
    press(add("MenuStop", kStopKey), buttons.stop)->setText(QStringLiteral("&STOP"));
    long_path_ = press(add("MenuLongPath", kLongPathKey), buttons.long_path);
    menu_->addSeparator();
    map_call_ = add("MenuMapCall", kMapCallKey);
    connect(map_call_, &QAction::triggered, this, std::move(enter_map_call));
    bar->insertMenu(before, menu_);
    // The keys work while the main window is active, whether or not a menu is open.
    window->addActions(actions_);
    setTexts(language_texts(UiLanguage::English));
}

QAction* RotorMenu::add(const char* name, const QKeySequence& key) {
    auto* item = new QAction(this);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(key);
    menu_->addAction(item);
    actions_.append(item);
    return item;
}

QAction* RotorMenu::press(QAction* item, QAbstractButton* button) {
    if (button->isCheckable()) {
        item->setCheckable(true);
        item->setChecked(button->isChecked());
        connect(button, &QAbstractButton::toggled, item, &QAction::setChecked);
    }
    // The click runs the button's own handler; a button that refuses the click (disabled)
    // leaves its item's mark as it was.
    connect(item, &QAction::triggered, button, [item, button] {
        button->click();
        if (item->isCheckable())
            item->setChecked(button->isChecked());
    });
    return item;
}

void RotorMenu::setTexts(const LanguageTexts& texts) {
    menu_->setTitle(texts.rotator_menu);
    long_path_->setText(texts.long_path_item);
    map_call_->setText(texts.map_call_item);
}

void TForm1::Hosts::installRotatorMenu() {
    TForm1& form = w_;
    rotator_menu = new RotorMenu(
        form.menuBar(), form.MenuLangue->menuAction(),
        {form.ButtonTrack, form.SpeedButtonAuto, form.BitBtnStop, form.SpeedButtonLP},
        [&form] { form.FormMap->enterCall(); }, &form);
    // They also work in the map while it has the keyboard.
    form.FormMap->addActions(rotator_menu->actions());
}

} // namespace kestrav
