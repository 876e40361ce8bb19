#pragma once
// Building the windows' controls at their design positions, each named after its role so
// that tests and tools find it by name.

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace kestrav {

// The windows' Arial (shown in Liberation Sans, which has Arial's metrics, when Arial is absent).
inline QFont arial(int points, bool bold = true) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

inline void set_background(QWidget* w, const QColor& c) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
}

template <typename W> W* make(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, w, h);
    return widget;
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
