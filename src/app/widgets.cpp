#include "app/widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrav {

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    // Reached with Tab like the other controls; the arrow keys then step it.
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    setPosition(position_);
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::step(int delta) {
    int next = position_ + delta;
    if (next > maximum_)
        next = minimum_;
    else if (next < minimum_)
        next = maximum_;
    position_ = next;
    emit clicked();
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        step(+1);
    else if (event->key() == Qt::Key_Down)
        step(-1);
    else
        QWidget::keyPressEvent(event);
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

Panel::Panel(QWidget* parent, const QColor& background, Bevel outer, Bevel inner, int bevel_width)
    : QWidget(parent), outer_(outer), inner_(inner), bevel_width_(bevel_width) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
}

void Panel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    QRect r = rect();
    // One-pixel rings from the edge inwards; the light lines are drawn last, so they own the
    // top-right and bottom-left corners.
    for (Bevel bevel : {outer_, inner_}) {
        if (bevel == Bevel::None)
            continue;
        for (int i = 0; i < bevel_width_; ++i) {
            painter.setPen(shadow);
            painter.drawLine(r.bottomLeft(), r.topLeft());
            painter.drawLine(r.topLeft(), r.topRight());
            painter.setPen(light);
            painter.drawLine(r.topRight(), r.bottomRight());
            painter.drawLine(r.bottomRight(), r.bottomLeft());
            r.adjust(1, 1, -1, -1);
        }
    }
}

PictureButton::PictureButton(QWidget* parent, const QPixmap& picture)
    : QPushButton(parent), picture_(picture) {}

void PictureButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The style draws the button face and the focus frame; picture and caption come on top.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);
    const int line = fontMetrics().height();
    const int top = (height() - picture_.height() - line) / 2;
    const int shift =
        isDown() ? style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this) : 0;
    painter.drawPixmap((width() - picture_.width()) / 2, top + shift, picture_);
    painter.drawItemText(QRect(0, top + picture_.height() + shift, width(), line),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                         isEnabled(), caption, QPalette::ButtonText);
}

} // namespace kestrav
