// Draws the application icon at the sizes of the desktop's icon theme, as PNG files.
//
//   kestrav-icon-render <directory> <size>...    writes <directory>/<size>/kestrav.png
//
// Run at build time on the offscreen platform; the installed icons come from here.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

// A compass disc with a beam antenna across it and the red beam heading, drawn on a
// 256-unit square and scaled, so every size is drawn rather than shrunk.
QImage draw_icon(int size) {
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
    p.drawLine(QPointF(128, 128), QPointF(128 + 96 * std::sin(heading),
                                          128 - 96 * std::cos(heading)));
    // The antenna: a boom with four elements, seen from above, across the heading.
    p.translate(128, 128);
    p.rotate(50);
    p.setPen(QPen(QColor(0, 0, 150), 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 70), QPointF(0, -70));
    for (const auto& [y, half] : {std::pair{60.0, 58.0}, {20.0, 52.0}, {-20.0, 46.0}, {-60.0, 40.0}})
        p.drawLine(QPointF(-half, y), QPointF(half, y));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: kestrav-icon-render <directory> <size>...\n", stderr);
        return 1;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString directory = root + QStringLiteral("/%1").arg(size);
        if (size <= 0 || !QDir().mkpath(directory) ||
            !draw_icon(size).save(directory + QStringLiteral("/kestrav.png"))) {
            std::fprintf(stderr, "kestrav-icon-render: cannot write size %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
