#pragma once
// Small controls the two windows need that Qt does not offer as such.

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QWidget>

class QToolButton;

namespace kestrav {

// Up-down arrows holding a position in a range; the arrows wrap around at both ends. The
// click signal comes after the position has changed.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);
    int position() const { return position_; }
    void setPosition(int position); // clamped to the range, emits nothing
    void setRange(int minimum, int maximum);
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // Moves to a position (clamped) and emits the click, as the arrows do.
    void choose(int position);

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void step(int delta);
    // Every change of the position is told to a screen reader as a value change.
    void set_position(int position);
    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};

// A label that reports double-clicks.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A panel on a fixed background colour, its texts in the colour that reads on it, with up to
// two lowered bevels, dark above and to the left and light below and to the right: an outer
// one along its edge and an inner one just inside it, each of the same width.
class Panel : public QWidget {
    Q_OBJECT
public:
    enum class Bevel { None, Lowered };
    Panel(QWidget* parent, const QColor& background, Bevel outer, Bevel inner, int bevel_width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel outer_;
    Bevel inner_;
    int bevel_width_;
};

// A push button that shows its picture centred above its caption, so that both fit on a
// narrow button.
class PictureButton : public QPushButton {
    Q_OBJECT
public:
    PictureButton(QWidget* parent, const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

// A text line cut by the panel it stands in (a status line) carries its whole text in its
// tooltip; a line that fits has none.
void show_whole_text_when_cut(QLabel* line, const QWidget* panel);

// Draws a list's entries as a table: the fields of an entry are separated by TABs, and each
// field starts in its column, which begins past the widest field of the column before it in
// every entry of the list (and a blank of two average character widths). So prefixes, names,
// latitudes and longitudes line up whatever their lengths.
class TabbedEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Room left and right of the text inside a row.
    static int textMargin(const QWidget* widget);
    // Where each column starts, from the text's left edge, for the entries of `model` in
    // `font`; kept until the entries change.
    const QList<qreal>& columnStarts(const QAbstractItemModel* model, const QFont& font) const;
    // The width of an entry of `model` laid out in its columns.
    qreal entryWidth(const QAbstractItemModel* model, const QString& text, const QFont& font) const;

private:
    mutable QPointer<const QAbstractItemModel> columns_model_;
    mutable QFont columns_font_;
    mutable QList<qreal> columns_;
};

// A drop-down list of station entries (selection only) that opens as a list box: a list of at
// most maxVisibleItems() rows with a scroll bar, whatever the desktop style would draw for a
// drop-down list (some draw a menu as tall as the screen), its entries drawn with expanded
// TABs, and as wide as the widest entry needs.
class StationListBox : public QComboBox {
    Q_OBJECT
public:
    explicit StationListBox(QWidget* parent = nullptr);
    void showPopup() override;

private:
    TabbedEntryDelegate* delegate_;
};

} // namespace kestrav
