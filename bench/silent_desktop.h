#pragma once
// A desktop for benchmarks: beeps and boxes are counted, nothing is shown or waited for; the
// context of a main window living in a directory of its own, and a pseudo-terminal as its COM1.

#include "app/main_window_context.h"
#include "ui/desktop.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <pty.h>

namespace kestrav::bench {

class SilentDesktop final : public Desktop {
public:
    void beep() override { ++beeps; }
    void exclamation_beep() override { ++beeps; }
    void message_box(QWidget*, BoxIcon, const QString&) override { ++boxes; }
    QString open_file(QWidget*, const QString&, const QString&) override { return {}; }
    void show_help(QWidget*, const QString&) override {}
    int beeps = 0;
    int boxes = 0;
};

// A main window's context: settings and ports in `directory`, boxes and beeps counted.
inline MainWindowContext silent_context(SilentDesktop& desktop, const QString& directory) {
    MainWindowContext context;
    context.desktop = &desktop;
    context.exe_directory = context.app_directory = directory + QLatin1Char('/');
    return context;
}

// A pseudo-terminal whose device is linked as `directory`/ports/COM1, so that the window's COM1
// reaches it; its master end, read by the benchmark as a controller would, or -1. The device
// end stays open for the benchmark's life, so that the terminal does not hang up between the
// window's openings.
inline int open_com1(const QString& directory) {
    int master = -1, slave = -1;
    char slave_name[256] = {};
    if (openpty(&master, &slave, slave_name, nullptr, nullptr) != 0)
        return -1;
    QDir().mkpath(directory + QStringLiteral("/ports"));
    QFile::link(QString::fromLocal8Bit(slave_name), directory + QStringLiteral("/ports/COM1"));
    return master;
}

} // namespace kestrav::bench
