#pragma once
// Building the windows' controls at their design positions, each named after its role so
// that tests and tools find it by name.

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "ui/fonts.h"

#include <algorithm>
#include <cmath>

namespace kestrav {

// The text colour that reads on a background: black, or white on a dark one.
inline QColor text_colour_on(const QColor& background) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(background.redF()) +
                             0.7152 * linear(background.greenF()) +
                             0.0722 * linear(background.blueF());
    // Where the contrast with black and with white is equal.
    return luminance >= 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

// A background colour of the design, fixed whatever the desktop's theme, and with it the
// colour of the texts drawn on it (captions, labels, check box texts): a dark theme's light
// text on the design's light colours would not read.
inline void set_background(QWidget* w, const QColor& c) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::WindowText, text_colour_on(c));
    w->setPalette(p);
}

template <typename W> W* make(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

// A label the design sized to its text: its text starts at the design's left edge and, as the
// label grew with a longer caption ("QRB = (mile)"), runs on to the right up to the edge of
// the label's parent, clear of its frame.
inline void let_grow_with_text(QLabel* label) {
    constexpr int kFrame = 2;
    const int room = label->parentWidget()->width() - kFrame - label->x();
    label->resize(std::max(label->width(), room), label->height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

// A centred label.
inline QLabel* make_label(QWidget* parent, const char* name, int x, int y, int w, int h,
                          const QString& text, const QFont& font) {
    auto* label = make<QLabel>(parent, name, x, y, w, h);
    label->setText(text);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A hemisphere check box; the N and W boxes show their caption left of the box.
inline QCheckBox* make_check(QWidget* parent, const char* name, int x, int y, int w, int h,
                             const QString& text, bool checked, bool caption_left) {
    auto* box = make<QCheckBox>(parent, name, x, y, w, h);
    box->setText(text);
    box->setFont(arial(10));
    box->setChecked(checked);
    if (caption_left)
        box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

} // namespace kestrav
