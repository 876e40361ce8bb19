#pragma once
// Controls of the initialisation dialog that Qt does not offer as such.

#include <QGroupBox>
#include <QSpinBox>
#include <QStringList>

#include <functional>
#include <vector>

class QButtonGroup;
class QRadioButton;
class QTabWidget;

namespace kestrav {

// A radio group: a titled box of radio buttons of which at most one is chosen, with an item
// index of -1 for no choice. Its click signal comes whenever the index changes to an item,
// whether the operator chose it or the program set it; never when the index is unchanged and
// never when the group is set to no choice. Tab enters the group on the chosen item (the
// first one when none is chosen); the arrow keys move the choice within the group.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // The items are laid out top to bottom in `columns` columns, spread over the box.
    RadioGroup(QWidget* parent, const QString& title, const QStringList& items, int columns = 1);

    int itemIndex() const { return index_; }
    // -1, or an index outside the items, leaves the group without a choice and runs nothing.
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.size()); }
    QString itemText(int index) const;
    void setItemText(int index, const QString& text);
    QRadioButton* button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
    // Each item's tooltip is `describe(index)`, worked out now, again by updateItemToolTips(),
    // and again each time a tooltip is about to show, so that it tells how things stand then.
    void setItemToolTips(std::function<QString(int)> describe);
    void updateItemToolTips();

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void button_clicked(int index);
    void lay_out_items();

    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
    int columns_;
    int index_ = -1;
    std::function<QString(int)> describe_;
};

// A spin box changed with its arrows (buttons, Up and Down keys) only; its text cannot be
// typed into.
class ArrowSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit ArrowSpinBox(QWidget* parent);
};

// Ctrl+Tab and Ctrl+PgDn show the next page of `pages`, Ctrl+Shift+Tab and Ctrl+PgUp the one
// before, wrapping around, wherever the keyboard is in the pages' window: Qt's own keys act
// only while the keyboard is on the pages, and a spin box takes Ctrl+PgDn for itself.
void add_page_keys(QTabWidget* pages);

} // namespace kestrav
