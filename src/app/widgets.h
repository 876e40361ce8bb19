#pragma once
// Small controls the two windows need that Qt does not offer as such.

#include <QFrame>
#include <QLabel>
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

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void step(int delta);
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

// A panel with a lowered bevel and a flat background colour.
class Panel : public QFrame {
    Q_OBJECT
public:
    Panel(QWidget* parent, const QColor& background, int bevel_width);
};

} // namespace kestrav
