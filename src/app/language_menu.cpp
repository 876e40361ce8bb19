// The language menu, the help and the About box of the main window.

#include "app/azimuth_panel.h"
#include "app/dx_entry_view.h"
#include "app/follow_wsjtx.h"
#include "app/init_dialog_beside.h"
#include "app/main_window_hosts.h"
#include "app/rotor_menu.h"
#include "app/widgets.h"
#include "app/window_frame.h"
#include "azel/elevation_panel.h"
#include "dx_cluster/spots_window.h"
#include "map/map_window.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"
#include "udp_rotor/udp_rotor_menu.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"

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
    set_box_messages(state(), t);
    hosts_->applyTexts(t);
}

// The texts of what the design did not have (the map, the heading, the network interface's
// failures) follow the same language; the window calls this again once it has built them all.
void TForm1::Hosts::applyTexts(const LanguageTexts& t) {
    TForm1& w = w_;
    if (w.MenuMap != nullptr)
        w.MenuMap->setText(t.map);
    if (w.MenuHeading != nullptr)
        w.MenuHeading->setText(t.show_heading);
    if (w.MenuServeRotctld != nullptr)
        w.MenuServeRotctld->setText(t.serve_rotctld);
    if (w.FormMap != nullptr)
        w.FormMap->setTexts(t);
    if (follow != nullptr)
        follow->setTexts(t);
    if (udp_rotor != nullptr)
        udp_rotor->setTexts(t);
    if (spots_item != nullptr)
        spots_item->setText(t.spots_item);
    if (spots_window != nullptr)
        spots_window->setTexts(t);
    apply_accessible_names(&w, t.ui_language);
    w.EditDistance->setAccessibleName(distance_name(w.mile(), t.ui_language));
    if (w.dialog_->built() != nullptr) {
        apply_accessible_names(w.dialog_->built(), t.ui_language);
        w.dialog_->built()->setAzElTexts(t);
    }
    if (rotator_menu != nullptr)
        rotator_menu->setTexts(t);
    if (elevation != nullptr)
        elevation->setTexts(t);
    if (!w.azimuth_->networkError().isEmpty())
        w.update_status_lines();
    w.azimuth_->updateDialTooltip();
}

void TForm1::MenuAideClick() {
    desktop_->show_help(this, state().Messages.help_file);
}

void TForm1::MenuAProposClick() {
    const LanguageTexts& t = language_texts(french_ ? UiLanguage::French : UiLanguage::English);
    desktop_->message_box(this, BoxIcon::Information, t.about_text);
}

} // namespace kestrav
