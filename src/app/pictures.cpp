#include "app/pictures.h"

#include "app/design_sizes.h"
#include "ui/fonts.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace kestrav {

QPixmap dial_background_picture() {
    QPixmap pm(kDialSize, kDialSize);
    pm.fill(QColor(224, 255, 224));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(kDialCentre, kDialCentre), kDialRadius, kDialRadius);
    // A tick every 30 degrees, longer at the four cardinal points.
    for (int deg = 0; deg < 360; deg += 30) {
        const double a = deg * 3.14159265358979323846 / 180;
        const double inner = deg % 90 == 0 ? 24 : 27;
        p.drawLine(QPointF(kDialCentre + inner * std::sin(a), kDialCentre - inner * std::cos(a)),
                   QPointF(kDialCentre + kDialRadius * std::sin(a),
                           kDialCentre - kDialRadius * std::cos(a)));
    }
    QFont f = arial(8);
    f.setPixelSize(8);
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

// A compass disc with a beam antenna across it and the red beam heading, drawn on a
// 256-unit square and scaled, so that every size is drawn rather than shrunk.
QImage application_icon_image(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    p.setPen(QPen(QColor(30, 60, 30), 10));
    p.setBrush(QColor(232, 248, 232));
    p.drawEllipse(QPointF(128, 128), 118, 118);
    p.setPen(QPen(QColor(30, 60, 30), 8, Qt::SolidLine, Qt::RoundCap));
    for (int deg = 0; deg < 360; deg += 90) {
        const double a = deg * M_PI / 180;
        p.drawLine(QPointF(128 + 92 * std::sin(a), 128 - 92 * std::cos(a)),
                   QPointF(128 + 112 * std::sin(a), 128 - 112 * std::cos(a)));
    }
    // The beam heading, towards the north-east.
    const double heading = 50 * M_PI / 180;
    p.setPen(QPen(QColor(210, 0, 0), 14, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(128, 128),
               QPointF(128 + 96 * std::sin(heading), 128 - 96 * std::cos(heading)));
    // The antenna: a boom with four elements, seen from above, across the heading.
    p.translate(128, 128);
    p.rotate(50);
    p.setPen(QPen(QColor(0, 0, 150), 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 70), QPointF(0, -70));
    for (const auto& [y, half] :
         {std::pair{60.0, 58.0}, {20.0, 52.0}, {-20.0, 46.0}, {-60.0, 40.0}})
        p.drawLine(QPointF(-half, y), QPointF(half, y));
    return image;
}

QIcon window_icon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(application_icon_image(size)));
    return icon;
}

} // namespace kestrav
