// The DX station entry of the main window: the locator field, the two coordinate fields and
// the hemisphere boxes follow each other as the operator types.

#include "app/desktop.h"
#include "app/field_text.h"
#include "app/main_window.h"
#include "geodesy/locator.h"
#include "geodesy/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace kestrav {

namespace {

// A complete locator whose every character is in its class. Only the character at the caret
// is checked while typing, so a pasted text is checked here as a whole.
bool locator_complete(const QString& text) {
    if (text.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        if (!locator_char_fits(i + 1, text[i]))
            return false;
    return true;
}

} // namespace

void TForm1::clear_list_selections() {
    for (QComboBox* list : {ComboBoxListDX, ComboBoxPerso1, ComboBoxPerso2, ComboBoxPerso3})
        list->setCurrentIndex(-1);
}

void TForm1::EditDXLocatorChange() {
    if (!EditDXLocator->hasFocus())
        return;
    for (;;) {
        clear_list_selections();
        const int caret = EditDXLocator->cursorPosition();
        QString text = EditDXLocator->text();
        if (correct_field_text(EditDXLocator, text.toUpper(), caret))
            continue;
        const qsizetype n = text.size();
        if (n == 0) {
            state_.DxLocator.clear();
            EditDXLattitude->clear();
            EditDXLongitude->clear();
            state_.DxLatitude = 0;
            state_.DxLongitude = 0;
            EditAzimut->clear();
            EditDistance->clear();
            return;
        }
        if (n == 7 && caret == 7) {
            // A seventh character typed at the end of a complete locator is dropped.
            text.chop(1);
            if (correct_field_text(EditDXLocator, text, 6))
                continue;
        }
        if (caret >= 1 && caret <= 6) {
            if (!locator_char_fits(caret, text[caret - 1])) {
                text.remove(caret - 1, 1);
                if (correct_field_text(EditDXLocator, text, caret - 1))
                    continue;
            } else if (n == 7) {
                // Typing inside a complete locator overwrites the next character.
                text.remove(caret, 1);
                if (correct_field_text(EditDXLocator, text, caret))
                    continue;
            }
        }
        state_.DxLocator = text;
        if (locator_complete(text)) {
            const SignedPosition p = locator_to_position(text);
            CheckBoxLongitudeEstDX->setChecked(p.longitude >= 0);
            CheckBoxLattitudeNordDX->setChecked(p.latitude >= 0);
            state_.DxLatitude = std::abs(p.latitude);
            state_.DxLongitude = std::abs(p.longitude);
            EditDXLattitude->setText(format_fixed(state_.DxLatitude, 3));
            EditDXLongitude->setText(format_fixed(state_.DxLongitude, 3));
            compute_bearing();
        } else {
            EditDXLattitude->clear();
            EditDXLongitude->clear();
            EditAzimut->clear();
            EditDistance->clear();
        }
        return;
    }
}

void TForm1::EditDXLattitudeChange() { coordinate_changed(EditDXLattitude, state_.DxLatitude); }

void TForm1::EditDXLongitudeChange() { coordinate_changed(EditDXLongitude, state_.DxLongitude); }

void TForm1::coordinate_changed(QLineEdit* field, double& value) {
    if (!field->hasFocus())
        return;
    for (;;) {
        const QString text = field->text();
        if (text.isEmpty()) {
            EditDXLocator->clear();
            clear_list_selections();
            EditAzimut->clear();
            EditDistance->clear();
            return;
        }
        if (const auto number = read_number(text)) {
            value = *number;
            clear_list_selections();
            update_dx_locator();
            return;
        }
        if (convert_separator(field))
            continue;
        desktop_->beep();
        if (!remove_before_caret(field))
            return;
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
