// The three personal lists: chosen from the "My Lists" menu, loaded with their titles, and
// loaded again at start from the paths in the settings file.

#include "ui/desktop.h"
#include "app/main_window.h"
#include "lists/list_file.h"
#include "lists/personal_list.h"
#include "lists/text_decoding.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

namespace kestrav {

namespace {
const QString kListFilter = QStringLiteral("List/Liste (*.ksv,*.txt)|*.ksv;*.txt|All/Tous|*.*");
} // namespace

void TForm1::MenuListe1Click() {
    load_personal_list(1, true);
}
void TForm1::Menuliste2Click() {
    load_personal_list(2, true);
}
void TForm1::MenuListe3Click() {
    load_personal_list(3, true);
}

QLabel* TForm1::list_label(int n) const {
    return n == 1 ? LabelPerso1 : n == 2 ? LabelPerso2 : LabelPerso3;
}

QAction* TForm1::list_menu_item(int n) const {
    return n == 1 ? MenuListe1 : n == 2 ? Menuliste2 : MenuListe3;
}

void TForm1::load_personal_list(int n, bool with_dialog) {
    if (n < 1 || n > kPersonalListCount)
        return;
    QString& path = state_.PersoPathNames[n - 1];
    if (with_dialog) {
        const QString chosen = desktop_->open_file(this, kListFilter);
        if (chosen.isEmpty())
            return;
        path = chosen;
    }
    const ListFileRead file = read_list_file(path);
    if (!file.opened) {
        desktop_->message_box(this, BoxIcon::Warning,
                              state_.Messages.cannot_open_file + QStringLiteral(" ERR:") +
                                  QString::number(file.error));
        path.clear(); // a list that cannot be read is not remembered
        return;
    }
    const PersonalList list = parse_personal_list(decode_text(file.bytes));
    if (list.empty_file)
        return;
    QComboBox* combo = station_list(n);
    combo->clear();
    combo->addItems(list.entries);
    combo->setCurrentIndex(-1);
    if (list.title) {
        list_label(n)->setText(*list.title);
        list_menu_item(n)->setText(*list.title);
    }
    if (file.cut || list.cut)
        desktop_->message_box(this, BoxIcon::Warning,
                              state_.Messages.list_cut + QLatin1Char('\n') + path);
}

} // namespace kestrav
