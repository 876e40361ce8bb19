#include "setup/dialog_controls.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>

namespace kestrav {

RadioGroup::RadioGroup(QWidget* parent, const QString& title, const QStringList& items, int columns)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)), columns_(std::max(columns, 1)) {
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("item%1").arg(i));
        button->installEventFilter(this);
        group_->addButton(button, i);
        buttons_.push_back(button);
    }
    connect(group_, &QButtonGroup::idClicked, this, &RadioGroup::button_clicked);
    lay_out_items();
}

void RadioGroup::setItemIndex(int index) {
    if (index < 0 || index >= count())
        index = -1;
    if (index == index_)
        return;
    index_ = index;
    if (index == -1) {
        // An exclusive group keeps one button checked; the choice is cleared outside it.
        group_->setExclusive(false);
        if (QAbstractButton* checked = group_->checkedButton())
            checked->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    button(index)->setChecked(true);
    emit clicked();
}

// The operator's click on an item; clicking the item already chosen changes nothing.
void RadioGroup::button_clicked(int index) {
    if (index == index_)
        return;
    index_ = index;
    emit clicked();
}

QString RadioGroup::itemText(int index) const {
    return button(index)->text();
}

void RadioGroup::setItemText(int index, const QString& text) {
    button(index)->setText(text);
}

void RadioGroup::setItemToolTips(std::function<QString(int)> describe) {
    describe_ = std::move(describe);
    updateItemToolTips();
}

void RadioGroup::updateItemToolTips() {
    if (!describe_)
        return;
    for (int i = 0; i < count(); ++i)
        button(i)->setToolTip(describe_(i));
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    lay_out_items();
}

// The items share the room below the title evenly, column by column.
void RadioGroup::lay_out_items() {
    if (buttons_.empty())
        return;
    const int rows = (count() + columns_ - 1) / columns_;
    const QRect area = contentsRect().adjusted(6, 0, -2, -2);
    const int column_width = area.width() / columns_;
    const int row_height = std::max(area.height() / rows, 1);
    for (int i = 0; i < count(); ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const int height = std::min(row_height, 20);
        button(i)->setGeometry(area.left() + column * column_width,
                               area.top() + row * row_height + (row_height - height) / 2,
                               column_width, height);
    }
}

// Tab and Backtab land on the chosen item, as the arrow keys then move from there.
bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && describe_) {
        for (int i = 0; i < count(); ++i) {
            if (watched == button(i))
                button(i)->setToolTip(describe_(i));
        }
    }
    if (event->type() == QEvent::FocusIn && index_ != -1 && watched != button(index_)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            button(index_)->setFocus(reason);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

ArrowSpinBox::ArrowSpinBox(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->setReadOnly(true);
}

void add_page_keys(QTabWidget* pages) {
    const auto turn = [pages](int by) {
        const int n = pages->count();
        if (n == 0)
            return;
        int index = pages->currentIndex();
        for (int tried = 0; tried < n; ++tried) {
            index = ((index + by) % n + n) % n;
            if (pages->isTabEnabled(index)) {
                pages->setCurrentIndex(index);
                return;
            }
        }
    };
    QWidget* window = pages->window();
    const struct {
        QKeySequence key;
        int by;
    } keys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto& k : keys) {
        auto* shortcut = new QShortcut(k.key, window);
        QObject::connect(shortcut, &QShortcut::activated, pages, [turn, by = k.by] { turn(by); });
    }
}

} // namespace kestrav
