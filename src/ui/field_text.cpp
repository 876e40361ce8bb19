#include "ui/field_text.h"

#include "geodesy/locator.h"
#include "geodesy/number_text.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"

namespace kestrav {

bool convert_separator(QLineEdit* field) {
    const QString text = field->text();
    const QChar sep = decimal_separator();
    if (text.contains(sep) || !(text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('.'))))
        return false;
    // Position of ',' plus position of '.', counted from 1: the one that is present.
    const qsizetype pos =
        (text.indexOf(QLatin1Char(',')) + 1) + (text.indexOf(QLatin1Char('.')) + 1);
    return correct_field_text(field, localize_decimal(text), static_cast<int>(pos));
}

QString apply_locator_rules(QLineEdit* field) {
    for (;;) {
        const int caret = field->cursorPosition();
        QString text = field->text();
        if (correct_field_text(field, text.toUpper(), caret))
            continue;
        const qsizetype n = text.size();
        if (n == 7 && caret == 7) {
            text.chop(1);
            if (correct_field_text(field, text, 6))
                continue;
        }
        if (caret >= 1 && caret <= 6) {
            if (!locator_char_fits(caret, text[caret - 1])) {
                text.remove(caret - 1, 1);
                if (correct_field_text(field, text, caret - 1))
                    continue;
            } else if (n == 7) {
                text.remove(caret, 1);
                if (correct_field_text(field, text, caret))
                    continue;
            }
        }
        return text;
    }
}

bool locator_complete(const QString& text) {
    if (text.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        if (!locator_char_fits(i + 1, text[i]))
            return false;
    return true;
}

CoordinateText apply_coordinate_rules(QLineEdit* field, Desktop& desktop) {
    for (;;) {
        const QString text = field->text();
        if (text.isEmpty())
            return {true, false, 0};
        if (const auto number = read_number(text))
            return {false, true, *number};
        if (convert_separator(field))
            continue;
        desktop.beep();
        tell_refusal(field, Refusal::Keystroke);
        if (!remove_before_caret(field))
            return {false, false, 0};
    }
}

} // namespace kestrav
