#include "app/field_text.h"

#include "geodesy/number_text.h"

namespace kestrav {

bool convert_separator(QLineEdit* field) {
    const QString text = field->text();
    const QChar sep = decimal_separator();
    if (text.contains(sep) || !(text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('.'))))
        return false;
    // Position of ',' plus position of '.', counted from 1: the one that is present.
    const qsizetype pos = (text.indexOf(QLatin1Char(',')) + 1) + (text.indexOf(QLatin1Char('.')) + 1);
    return correct_field_text(field, localize_decimal(text), static_cast<int>(pos));
}

} // namespace kestrav
