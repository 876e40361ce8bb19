// The DX station entry of the main window: the locator field, the two coordinate fields and
// the hemisphere boxes follow each other as the operator types.

#include "ui/desktop.h"
#include "ui/field_text.h"
#include "app/main_window.h"
#include "geodesy/locator.h"
#include "geodesy/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace kestrav {

void TForm1::clear_list_selections() {
    for (QComboBox* list : {ComboBoxListDX, ComboBoxPerso1, ComboBoxPerso2, ComboBoxPerso3})
        list->setCurrentIndex(-1);
}

void TForm1::EditDXLocatorChange() {
    if (!EditDXLocator->hasFocus())
        return;
    clear_list_selections();
    const QString text = apply_locator_rules(EditDXLocator);
    state_.DxLocator = text;
    if (text.isEmpty()) {
        EditDXLattitude->clear();
        EditDXLongitude->clear();
        state_.DxLatitude = 0;
        state_.DxLongitude = 0;
        EditAzimut->clear();
        EditDistance->clear();
    } else if (locator_complete(text)) {
        const SignedPosition p = locator_to_position(text);
        CheckBoxLongitudeEstDX->setChecked(p.longitude >= 0);
        CheckBoxLattitudeNordDX->setChecked(p.latitude >= 0);
        state_.DxLatitude = std::abs(p.latitude);
        state_.DxLongitude = std::abs(p.longitude);
        EditDXLattitude->setText(format_fixed(state_.DxLatitude, 3));
        EditDXLongitude->setText(format_fixed(state_.DxLongitude, 3));
        compute_bearing();
    } else {
        // Incomplete: the coordinates are emptied, their values kept.
        EditDXLattitude->clear();
        EditDXLongitude->clear();
        EditAzimut->clear();
        EditDistance->clear();
    }
}

void TForm1::EditDXLattitudeChange() {
    coordinate_changed(EditDXLattitude, state_.DxLatitude);
}

void TForm1::EditDXLongitudeChange() {
    coordinate_changed(EditDXLongitude, state_.DxLongitude);
}

void TForm1::coordinate_changed(QLineEdit* field, double& value) {
    if (!field->hasFocus())
        return;
    const CoordinateText c = apply_coordinate_rules(field, *desktop_);
    if (c.empty) {
        EditDXLocator->clear();
        clear_list_selections();
        EditAzimut->clear();
        EditDistance->clear();
    } else if (c.readable) {
        value = c.value;
        clear_list_selections();
        update_dx_locator();
    }
}

void TForm1::hemisphere_clicked(QCheckBox* box, QCheckBox* partner) {
    // Each pair works as one switch: exactly one box of the pair is checked.
    partner->setChecked(!box->isChecked());
    if (!box->hasFocus())
        return;
    clear_list_selections();
    update_dx_locator();
}

void TForm1::CheckBoxLattitudeNordDXClick() {
    hemisphere_clicked(CheckBoxLattitudeNordDX, CheckBoxLattitudeSudDX);
}
void TForm1::CheckBoxLattitudeSudDXClick() {
    hemisphere_clicked(CheckBoxLattitudeSudDX, CheckBoxLattitudeNordDX);
}
void TForm1::CheckBoxLongitudeOuestDXClick() {
    hemisphere_clicked(CheckBoxLongitudeOuestDX, CheckBoxLongitudeEstDX);
}
void TForm1::CheckBoxLongitudeEstDXClick() {
    hemisphere_clicked(CheckBoxLongitudeEstDX, CheckBoxLongitudeOuestDX);
}

void TForm1::update_dx_locator() {
    if (EditDXLongitude->text().isEmpty() || EditDXLattitude->text().isEmpty()) {
        EditDXLocator->clear();
        state_.DxLocator.clear();
        return;
    }
    const QString locator =
        position_to_locator(state_.DxLatitude, CheckBoxLattitudeNordDX->isChecked(),
                            state_.DxLongitude, CheckBoxLongitudeEstDX->isChecked());
    EditDXLocator->setText(locator);
    state_.DxLocator = locator;
    if (!locator.isEmpty())
        compute_bearing();
}

} // namespace kestrav
