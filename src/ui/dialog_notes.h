#pragma once
// The notes under a dialog's fields (a warning, a refusal), wrapping, and the dialog grown to
// show them whole.

#include <QLabel>
#include <QLayout>
#include <QString>
#include <QWidget>

namespace kestrav {

inline QLabel* dialog_note(QWidget* dialog, const char* name, const QString& text = {}) {
    auto* note = new QLabel(text, dialog);
    note->setObjectName(QLatin1String(name));
    note->setWordWrap(true);
    return note;
}

// A window does not grow by itself for the wrapped lines of a text shown after it was laid
// out: it is made as tall as its width needs. Before its first showing the dialog takes its
// size from the layout anyway.
inline void fit_dialog_notes(QWidget* dialog) {
    if (!dialog->isVisible() || dialog->layout() == nullptr)
        return;
    dialog->layout()->activate();
    const int needed = dialog->layout()->totalHeightForWidth(dialog->width());
    if (needed > dialog->height())
        dialog->resize(dialog->width(), needed);
}

} // namespace kestrav
