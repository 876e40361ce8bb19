#pragma once
// What a screen reader is told about the windows: each control's accessible name and
// description in the interface language, pictures that only decorate kept out of its way,
// and the reason for each refusal the beep signals.

#include "setup/languages.h"

class QWidget;

namespace kestrav {

// Names `root` and every widget under it that has a row in the accessible names table, in
// `language`; a control without a row keeps the name Qt gives it (its caption or its label).
// The window remembers the language for the refusals told later, and any refusal still in a
// description gives way to the control's usual description.
void apply_accessible_names(QWidget* root, UiLanguage language);

// The language the names of `widget`'s window were last given in (English before any).
UiLanguage accessible_language(const QWidget* widget);

// A picture that only decorates: a screen reader finds no name in it and passes it by.
void mark_decorative(QWidget* picture);

// A refusal the beep signals, for a screen reader: the control's description becomes the
// reason, in its window's language, and an alert is raised on it.
void tell_refusal(QWidget* control, Refusal refusal);

// The control has accepted what it was given: its usual description comes back.
void clear_refusal(QWidget* control);

} // namespace kestrav
