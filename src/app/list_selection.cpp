// Choosing an entry of the prefix list or of a personal list sets the DX station.

#include "app/dx_entry_view.h"
#include "app/main_window.h"
#include "lists/list_entry.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace kestrav {

QComboBox* MainWindowUi::station_list(int n) const {
    switch (n) {
    case 1:
        return ComboBoxPerso1;
    case 2:
        return ComboBoxPerso2;
    case 3:
        return ComboBoxPerso3;
    default:
        return ComboBoxListDX;
    }
}

void MainWindowUi::clear_list_selections() const {
    for (QComboBox* list : {ComboBoxListDX, ComboBoxPerso1, ComboBoxPerso2, ComboBoxPerso3})
        list->setCurrentIndex(-1);
}

void DxEntryView::listChosen(int n) {
    MainWindowUi& u = ui_;
    QComboBox* list = u.station_list(n);
    if (list->currentIndex() < 0)
        return;
    const ListEntryResult entry = parse_list_entry(list->currentText());
    // The hemisphere boxes are set as soon as their letter is read, even when the entry is
    // refused further on.
    if (entry.north)
        u.CheckBoxLattitudeNordDX->setChecked(*entry.north);
    if (entry.east)
        u.CheckBoxLongitudeEstDX->setChecked(*entry.east);
    if (!entry.ok) {
        rejectListEntry();
        tell_refusal(list, Refusal::ListEntryUnreadable);
        return;
    }
    state_.DxLatitude = entry.latitude;
    u.EditDXLattitude->setText(entry.latitude_text);
    state_.DxLongitude = entry.longitude;
    u.EditDXLongitude->setText(entry.longitude_text);
    updateDxLocator();
    for (int other = 0; other <= 3; ++other)
        if (other != n)
            u.station_list(other)->setCurrentIndex(-1);
}

void DxEntryView::rejectListEntry() {
    window_.desktop().beep();
    for (QLineEdit* field : {ui_.EditDXLocator, ui_.EditDXLattitude, ui_.EditDXLongitude,
                             ui_.EditAzimut, ui_.EditDistance})
        field->clear();
}

} // namespace kestrav
