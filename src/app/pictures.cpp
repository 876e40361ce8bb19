#include "app/pictures.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace kestrav {

QPixmap dial_background_picture() {
    QPixmap pm(68, 68);
    pm.fill(QColor(224, 255, 224));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(34, 34), 30, 30);
    // A tick every 30 degrees, longer at the four cardinal points.
    for (int deg = 0; deg < 360; deg += 30) {
        const double a = deg * 3.14159265358979323846 / 180;
        const double inner = deg % 90 == 0 ? 24 : 27;
        p.drawLine(QPointF(34 + inner * std::sin(a), 34 - inner * std::cos(a)),
                   QPointF(34 + 30 * std::sin(a), 34 - 30 * std::cos(a)));
    }
    QFont f(QStringLiteral("Arial"));
    // Hinted like the windows' Arial, so that the family's fallbacks, looked up once per
    // family and hint, are not looked up a second time for the dial.
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(29, 5, 10, 9), Qt::AlignCenter, QStringLiteral("N"));
    p.drawText(QRectF(29, 54, 10, 9), Qt::AlignCenter, QStringLiteral("S"));
    p.drawText(QRectF(54, 29, 10, 10), Qt::AlignCenter, QStringLiteral("E"));
    p.drawText(QRectF(4, 29, 10, 10), Qt::AlignCenter, QStringLiteral("W"));
    return pm;
}

QPixmap led_picture(bool on) {
    QPixmap pm(31, 31);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(12, 12), 16);
    if (on) {
        g.setColorAt(0, QColor(200, 255, 200));
        g.setColorAt(1, QColor(0, 170, 0));
    } else {
        g.setColorAt(0, QColor(120, 140, 120));
        g.setColorAt(1, QColor(20, 50, 20));
    }
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(3, 3, 25, 25));
    return pm;
}

QPixmap title_picture() {
    QPixmap pm(33, 35);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    p.drawLine(16, 8, 16, 34);    // mast
    p.drawLine(4, 8, 29, 8);      // boom
    for (int x : {6, 12, 20, 27}) // elements
        p.drawLine(x, 3, x, 13);
    return pm;
}

QPixmap stop_picture() {
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    // An octagon filling the square, corners cut by a third of a side.
    const QPointF octagon[] = {{3.5, 0},  {8.5, 0},  {12, 3.5}, {12, 8.5},
                               {8.5, 12}, {3.5, 12}, {0, 8.5},  {0, 3.5}};
    p.drawPolygon(octagon, 8);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 5, 7, 2));
    return pm;
}

namespace {

QPixmap window_icon_picture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double c = size / 2.0;
    const double r = size / 2.0 - size / 16.0;
    p.setPen(QPen(QColor(0, 0, 120), size / 16.0));
    p.setBrush(QColor(224, 255, 224));
    p.drawEllipse(QPointF(c, c), r, r);
    // The needle toward the north-east, as after a first bearing.
    const double a = 50 * 3.14159265358979323846 / 180;
    p.setPen(QPen(Qt::red, size / 10.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c, c), QPointF(c + 0.8 * r * std::sin(a), c - 0.8 * r * std::cos(a)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 120));
    p.drawEllipse(QPointF(c, c), size / 12.0, size / 12.0);
    return pm;
}

} // namespace

QIcon window_icon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(window_icon_picture(size));
    return icon;
}

} // namespace kestrav
