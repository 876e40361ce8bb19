#include "app/widgets.h"

#include "ui/widget_factory.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace kestrav {

namespace {

// The desktop style in all but one point: a selection-only drop-down list opens as a list
// box, not as a menu.
class ListPopupStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == QStyle::SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

// The blank between two columns, in average character widths.
constexpr qreal kColumnGap = 2;

// The up-down arrows as a screen reader meets them: a spin box whose value is the position,
// which an assistive tool may also set.
class AccessibleUpDown final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleUpDown(UpDown* w) : QAccessibleWidget(w, QAccessible::SpinBox) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString::number(up_down()->position());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return up_down()->position(); }
    void setCurrentValue(const QVariant& value) override { up_down()->choose(value.toInt()); }
    QVariant maximumValue() const override { return up_down()->maximum(); }
    QVariant minimumValue() const override { return up_down()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    UpDown* up_down() const { return static_cast<UpDown*>(widget()); }
};

QAccessibleInterface* up_down_factory(const QString&, QObject* object) {
    if (auto* w = qobject_cast<UpDown*>(object))
        return new AccessibleUpDown(w);
    return nullptr;
}

} // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    static const bool factory_installed = [] {
        QAccessible::installFactory(up_down_factory);
        return true;
    }();
    (void)factory_installed;
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
    set_position(std::clamp(position, minimum_, maximum_));
}

void UpDown::choose(int position) {
    set_position(std::clamp(position, minimum_, maximum_));
    emit clicked();
}

void UpDown::set_position(int position) {
    if (position == position_)
        return;
    position_ = position;
    QAccessibleValueChangeEvent event(this, position_);
    QAccessible::updateAccessibility(&event);
}

void UpDown::step(int delta) {
    int next = position_ + delta;
    if (next > maximum_)
        next = minimum_;
    else if (next < minimum_)
        next = maximum_;
    set_position(next);
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
    set_background(this, background);
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

void show_whole_text_when_cut(QLabel* line, const QWidget* panel) {
    const QPoint left = line->mapTo(panel, QPoint(0, 0));
    const int room = std::min(line->width(), panel->width() - left.x());
    const bool cut = line->fontMetrics().horizontalAdvance(line->text()) > room;
    line->setToolTip(cut ? line->text() : QString());
}

int TabbedEntryDelegate::textMargin(const QWidget* widget) {
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

void TabbedEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    // The style draws the row (selection, hover, focus); the fields come on top.
    item.text.clear();
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Active
                                                                             : QPalette::Inactive;
    const QPalette::ColorRole role =
        (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    const QFontMetricsF metrics(item.font);
    const int margin = textMargin(widget);
    const qreal baseline =
        item.rect.top() + (item.rect.height() - metrics.height()) / 2 + metrics.ascent();
    painter->save();
    painter->setClipRect(item.rect);
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, role));
    const QList<qreal>& starts = columnStarts(index.model(), item.font);
    const QStringList fields = text.split(u'\t');
    for (qsizetype i = 0; i < fields.size() && i < starts.size(); ++i)
        painter->drawText(QPointF(item.rect.left() + margin + starts[i], baseline), fields[i]);
    painter->restore();
}

QSize TabbedEntryDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(static_cast<int>(std::ceil(entryWidth(index.model(), item.text, item.font))) +
                  2 * textMargin(item.widget));
    return size;
}

const QList<qreal>& TabbedEntryDelegate::columnStarts(const QAbstractItemModel* model,
                                                      const QFont& font) const {
    if (model == columns_model_ && font == columns_font_ && !columns_.isEmpty())
        return columns_;
    if (model != columns_model_) {
        // Worked out again when the entries change.
        if (columns_model_)
            QObject::disconnect(columns_model_, nullptr, this, nullptr);
        columns_model_ = model;
        if (model != nullptr) {
            const auto forget = [this] { columns_.clear(); };
            connect(model, &QAbstractItemModel::modelReset, this, forget);
            connect(model, &QAbstractItemModel::layoutChanged, this, forget);
            connect(model, &QAbstractItemModel::rowsInserted, this, forget);
            connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
            connect(model, &QAbstractItemModel::dataChanged, this, forget);
        }
    }
    columns_font_ = font;
    const QFontMetricsF metrics(font);
    QList<qreal> widest;
    for (int row = 0; model != nullptr && row < model->rowCount(); ++row) {
        const QString text = model->index(row, 0).data(Qt::DisplayRole).toString();
        const QList<QStringView> fields = QStringView(text).split(u'\t');
        if (widest.size() < fields.size())
            widest.resize(fields.size(), 0);
        for (qsizetype i = 0; i < fields.size(); ++i)
            widest[i] = std::max(widest[i], metrics.horizontalAdvance(fields[i].toString()));
    }
    columns_ = {0};
    for (qsizetype i = 0; i + 1 < widest.size(); ++i)
        columns_.append(columns_.constLast() + widest[i] + kColumnGap * metrics.averageCharWidth());
    return columns_;
}

qreal TabbedEntryDelegate::entryWidth(const QAbstractItemModel* model, const QString& text,
                                      const QFont& font) const {
    const QList<qreal>& starts = columnStarts(model, font);
    const QStringList fields = text.split(u'\t');
    const qsizetype last = std::min(fields.size(), starts.size()) - 1;
    return starts[last] + QFontMetricsF(font).horizontalAdvance(fields[last]);
}

StationListBox::StationListBox(QWidget* parent)
    : QComboBox(parent), delegate_(new TabbedEntryDelegate(this)) {
    setEditable(false);
    // Owned by the list itself; a widget does not own the style it is given.
    auto* style = new ListPopupStyle(QApplication::style()->name());
    style->setParent(this);
    setStyle(style);
    setItemDelegate(delegate_);
}

void StationListBox::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = view()->window();
    if (popup == this || !popup->isVisible())
        return;
    qreal widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, delegate_->entryWidth(model(), itemText(i), view()->font()));
    // Beside the entries: the popup's own margins, the view's frame and, on a list longer than
    // the rows shown, the scroll bar.
    int around = popup->width() - view()->width() + 2 * view()->frameWidth();
    if (count() > maxVisibleItems())
        around += view()->verticalScrollBar()->sizeHint().width();
    const int needed =
        static_cast<int>(std::ceil(widest)) + 2 * TabbedEntryDelegate::textMargin(view()) + around;
    if (needed <= popup->width())
        return;
    QRect wider = popup->geometry();
    wider.setWidth(needed);
    // Widened to the right, and moved back left as far as the screen's edge asks.
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        if (wider.right() > room.right())
            wider.moveRight(room.right());
        if (wider.left() < room.left())
            wider.moveLeft(room.left());
    }
    popup->setGeometry(wider);
}

} // namespace kestrav
