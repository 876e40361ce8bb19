// Choosing an entry of the prefix list or of a personal list sets the DX station.

#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "app/main_window.h"
#include "lists/list_entry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace kestrav {

void TForm1::ComboBoxListDXClick() {
    select_list_entry(0);
}
void TForm1::ComboBoxPerso1Click() {
    select_list_entry(1);
}
void TForm1::ComboBoxPerso2Click() {
    select_list_entry(2);
}
void TForm1::ComboBoxPerso3Click() {
    select_list_entry(3);
}

QComboBox* TForm1::station_list(int n) const {
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

void TForm1::select_list_entry(int n) {
    QComboBox* list = station_list(n);
    if (list->currentIndex() < 0)
        return;
    const ListEntryResult entry = parse_list_entry(list->currentText());
    // The hemisphere boxes are set as soon as their letter is read, even when the entry is
    // refused further on.
    if (entry.north)
        CheckBoxLattitudeNordDX->setChecked(*entry.north);
    if (entry.east)
        CheckBoxLongitudeEstDX->setChecked(*entry.east);
    if (!entry.ok) {
        reject_list_entry();
        tell_refusal(list, Refusal::ListEntryUnreadable);
        return;
    }
    state_.DxLatitude = entry.latitude;
    EditDXLattitude->setText(entry.latitude_text);
    state_.DxLongitude = entry.longitude;
    EditDXLongitude->setText(entry.longitude_text);
    update_dx_locator();
    for (int other = 0; other <= 3; ++other)
        if (other != n)
            station_list(other)->setCurrentIndex(-1);
}

void TForm1::reject_list_entry() {
    desktop_->beep();
    for (QLineEdit* field :
         {EditDXLocator, EditDXLattitude, EditDXLongitude, EditAzimut, EditDistance})
        field->clear();
}

} // namespace kestrav
