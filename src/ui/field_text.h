#pragma once
// Corrections a field's change handler makes to its own text. The correction is written
// without raising a nested change; the handler then processes the corrected text again, so
// that every correction is checked exactly like a keystroke.

#include <QLineEdit>
#include <QSignalBlocker>

namespace kestrav {

class Desktop;

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

// The locator field rules, applied to the field's text until it needs no more correction:
// upper case with the caret kept; a seventh character typed at the end dropped; the
// character before the caret removed when it does not fit its place; and typing inside a
// complete locator overwriting the next character. Returns the corrected text.
QString apply_locator_rules(QLineEdit* field);

// Six characters, each in its class. While typing only the character at the caret is
// checked, so a pasted or stored text is checked here as a whole before it is converted.
bool locator_complete(const QString& text);

// A coordinate field's text after its rules: a separator of the other kind converted, a
// character that makes the text unreadable removed with a beep.
struct CoordinateText {
    bool empty = false;
    bool readable = false;
    double value = 0;
};
CoordinateText apply_coordinate_rules(QLineEdit* field, Desktop& desktop);

} // namespace kestrav
