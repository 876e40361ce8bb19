#pragma once
// Corrections a field's change handler makes to its own text. The correction is written
// without raising a nested change; the handler then processes the corrected text again, so
// that every correction is checked exactly like a keystroke.

#include <QLineEdit>
#include <QSignalBlocker>

namespace kestrav {

// Returns whether the text changed (and so has to be processed again).
inline bool correct_field_text(QLineEdit* field, const QString& text, int caret) {
    if (field->text() == text) {
        field->setCursorPosition(caret);
        return false;
    }
    const QSignalBlocker blocker(field);
    field->setText(text);
    field->setCursorPosition(caret);
    return true;
}

// Removes the character just before the caret and moves the caret back by one.
inline bool remove_before_caret(QLineEdit* field) {
    const int caret = field->cursorPosition();
    if (caret <= 0)
        return false;
    QString text = field->text();
    text.remove(caret - 1, 1);
    return correct_field_text(field, text, caret - 1);
}

// A ',' or '.' typed where the system uses the other separator is turned into the system's
// one, with the caret just after it. Returns whether the text changed.
bool convert_separator(QLineEdit* field);

} // namespace kestrav
