// Kestrav: points a directional antenna at a distant station.

#include "app/desktop.h"
#include "app/main_window.h"
#include "geodesy/number_text.h"
#include "rotor/x11_window_messages.h"
#include "settings/settings_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kestrav::init_decimal_separator_from_system();

    kestrav::MainWindowContext context;
    context.exe_directory = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // Settings, their temporary file and ports/ live beside the executable, or in the user's
    // configuration directory when the program is installed where the user cannot write.
    context.app_directory = kestrav::settings_directory(context.exe_directory);
    QDir::setCurrent(context.app_directory);
    context.settings_file_exists =
        QFile::exists(context.app_directory + QLatin1String(kestrav::kSettingsFileName));
    kestrav::QtDesktop desktop(context.exe_directory);
    context.desktop = &desktop;
    kestrav::X11WindowMessages window_messages;
    context.window_messages = &window_messages;

    kestrav::TForm1 window(context);
    window.show();
    return app.exec();
}
