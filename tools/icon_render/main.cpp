// Draws the application icon at the sizes of the desktop's icon theme, as PNG files: the
// window's own icon picture, so that the menu and the window show the same one.
//
//   kestrav-icon-render <directory> <size>...    writes <directory>/<size>/kestrav.png
//
// Run at build time on the offscreen platform; the installed icons come from here.

#include "app/pictures.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

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
            !kestrav::application_icon_image(size).save(directory +
                                                        QStringLiteral("/kestrav.png"))) {
            std::fprintf(stderr, "kestrav-icon-render: cannot write size %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
