// Takes the picture of the map window shown in the README: the main window runs offscreen
// for JN18EU with the map open as the settings file left it, Japan is chosen from the prefix
// list, the long path is switched on and the antenna reports a heading of 40 degrees; day and
// night are drawn for 21 June 2026, 19:45 UTC, the Sun setting over the own station.
//
//   kestrav-map-shot <output.png> [width height]

#include "map/map_window.h"
#include "map_session.h"
#include "window_part.h"

#include <QApplication>
#include <QDateTime>
#include <QToolButton>

#include <cstdio>

using kestrav::bench::window_part;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.png> [width height]\n", argv[0]);
        return 2;
    }
    const int width = argc > 3 ? std::atoi(argv[2]) : 640;
    const int height = argc > 3 ? std::atoi(argv[3]) : 640;
    kestrav::bench::MapSession session(
        QStringLiteral("MAP=OPEN,%1,%2\r\n").arg(width).arg(height).toLatin1());
    kestrav::TForm1* window = session.window();
    if (!window)
        return 1;
    QCoreApplication::processEvents(); // the map reopens as it was left
    auto* map = window_part<kestrav::MapWindow>(*window, "FormMap");
    map->setClock(
        [] { return QDateTime::fromString(QStringLiteral("2026-06-21T19:45:00Z"), Qt::ISODate); });
    window_part<QToolButton>(*window, "SpeedButtonLP")->click();
    map->setHeading(40);
    map->refresh();
    // The offscreen platform gives the map the keyboard, whose marker and readout an operator
    // looking at the map does not see.
    if (QWidget* focused = map->focusWidget())
        focused->clearFocus();
    QCoreApplication::processEvents();
    return map->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
