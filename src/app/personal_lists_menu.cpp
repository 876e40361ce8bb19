// The three personal lists: chosen from the "My Lists" menu, loaded with their titles, and
// loaded again at start from the paths in the settings file.

#include "app/dx_entry_view.h"
#include "app/main_window.h"
#include "lists/list_file.h"
#include "lists/personal_list.h"
#include "lists/text_decoding.h"
#include "ui/desktop.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

namespace kestrav {

namespace {
const QString kListFilter = QStringLiteral("List/Liste (*.ksv,*.txt)|*.ksv;*.txt|All/Tous|*.*");

QLabel* list_label(const MainWindowUi& ui, int n) {
    return n == 1 ? ui.LabelPerso1 : n == 2 ? ui.LabelPerso2 : ui.LabelPerso3;
}

QAction* list_menu_item(const MainWindowUi& ui, int n) {
    return n == 1 ? ui.MenuListe1 : n == 2 ? ui.Menuliste2 : ui.MenuListe3;
}

} // namespace

void DxEntryView::loadPersonalList(int n, bool with_dialog) {
    if (n < 1 || n > kPersonalListCount)
        return;
    QString& path = state_.PersoPathNames[n - 1];
    if (with_dialog) {
        const QString chosen = window_.desktop().open_file(&window_, kListFilter);
        if (chosen.isEmpty())
            return;
        path = chosen;
    }
    const ListFileRead file = read_list_file(path);
    if (!file.opened) {
        window_.desktop().message_box(&window_, BoxIcon::Warning,
                                      state_.Messages.cannot_open_file + QStringLiteral(" ERR:") +
                                          QString::number(file.error));
        path.clear(); // a list that cannot be read is not remembered
        return;
    }
    const PersonalList list = parse_personal_list(decode_text(file.bytes));
    if (list.empty_file)
        return;
    QComboBox* combo = ui_.station_list(n);
    combo->clear();
    combo->addItems(list.entries);
    combo->setCurrentIndex(-1);
    if (list.title) {
        list_label(ui_, n)->setText(*list.title);
        list_menu_item(ui_, n)->setText(*list.title);
    }
    if (file.cut || list.cut)
        window_.desktop().message_box(&window_, BoxIcon::Warning,
                                      state_.Messages.list_cut + QLatin1Char('\n') + path);
}

} // namespace kestrav
