// The language menu, the help and the About box of the main window.

#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "app/main_window_hosts.h"
#include "app/rotor_menu.h"
#include "app/widgets.h"
#include "follow/follow_wsjtx.h"
#include "map/map_window.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace kestrav {

void TForm1::MenuEnglishClick() {
    apply_language(false);
}
void TForm1::MenuFrancaisClick() {
    apply_language(true);
}

void TForm1::apply_language(bool french) {
    french_ = french;
    session_->setLanguage(french ? UiLanguage::French : UiLanguage::English);
    (french ? MenuFrancais : MenuEnglish)->setChecked(true);
    const LanguageTexts& t = language_texts(french ? UiLanguage::French : UiLanguage::English);
    MenuQuitter->setText(t.quit);
    MenuListe->setTitle(t.my_lists);
    MenuUnit->setTitle(t.unit);
    MenuLangue->setTitle(t.language);
    LabelAzimut->setText(t.label_azimut);
    MenuAPropos->setText(t.about);
    MenuAide->setText(t.help);
    set_messages(t);
    apply_addition_texts(t);
}

// The texts of what the design did not have (the map, the heading, the network interface's
// failures) follow the same language; the window calls this again once it has built them all.
void TForm1::apply_addition_texts(const LanguageTexts& t) {
    if (MenuMap != nullptr)
        MenuMap->setText(t.map);
    if (MenuHeading != nullptr)
        MenuHeading->setText(t.show_heading);
    if (MenuServeRotctld != nullptr)
        MenuServeRotctld->setText(t.serve_rotctld);
    if (FormMap != nullptr)
        FormMap->setTexts(t);
    if (hosts_->follow != nullptr)
        hosts_->follow->setTexts(t);
    apply_accessible_names(this, t.ui_language);
    EditDistance->setAccessibleName(distance_name(mile_, t.ui_language));
    if (FormInit != nullptr)
        apply_accessible_names(FormInit, t.ui_language);
    if (hosts_->rotator_menu != nullptr)
        hosts_->rotator_menu->setTexts(t);
    if (!network_error_.isEmpty())
        update_status_lines();
    update_dial_tooltip();
}

void TForm1::set_messages(const LanguageTexts& t) {
    state_.Messages.help_file = t.help_file;
    state_.Messages.cannot_create_settings = t.cannot_create_settings;
    state_.Messages.cannot_open_file = t.cannot_open_file;
    state_.Messages.arswin_not_running = t.arswin_not_running;
    state_.Messages.dde_conversation_open = t.dde_conversation_open;
    state_.Messages.settings_cut = t.settings_cut;
    state_.Messages.list_cut = t.list_cut;
}

void TForm1::MenuAideClick() {
    desktop_->show_help(this, state_.Messages.help_file);
}

void TForm1::MenuAProposClick() {
    const LanguageTexts& t = language_texts(french_ ? UiLanguage::French : UiLanguage::English);
    desktop_->message_box(this, BoxIcon::Information, t.about_text);
}

} // namespace kestrav
