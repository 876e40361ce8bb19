// Kestrav: points a directional antenna at a distant station.

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/platform_choice.h"
#include "app/shutdown_signals.h"
#include "geodesy/number_text.h"
#include "publish/dde_forward.h"
#include "publish/dde_server.h"
#include "rotor/parallel_port_ppdev.h"
#include "rotor/x11_window_messages.h"
#include "settings/settings_file.h"
#include "ui/desktop.h"

#include <QApplication>
#include <QDir>

#include <cerrno>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = kestrav::answer_command_line(argc, argv))
        return *status;
    kestrav::apply_platform_choice(argc, argv);
    kestrav::DisplayOpenGuard display_guard;
    QApplication app(argc, argv);
    display_guard.release();
    // Before anything another program can see (the publication socket): a signal that comes
    // during the start waits in the pipe and ends the program normally once it runs.
    kestrav::ShutdownSignals signals_;
    kestrav::init_decimal_separator_from_system();

    kestrav::MainWindowContext context;
    context.exe_directory = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // Settings, their temporary file and ports/ live beside the executable, or in the user's
    // configuration directory when the program is installed where the user cannot write.
    context.app_directory = kestrav::settings_directory(context.exe_directory);
    QDir::setCurrent(context.app_directory);
    context.settings_file_exists =
        !kestrav::settings_file_to_read(context.exe_directory, context.app_directory).isEmpty();
    // Help pages beside the program first, then in the data folder of an installed copy.
    kestrav::QtDesktop desktop(
        {context.exe_directory,
         kestrav::installed_data_directory(context.exe_directory) + QStringLiteral("help/")});
    context.desktop = &desktop;
    kestrav::PpdevParallelPort parallel_port;
    context.parallel_port = &parallel_port;

    // The azimuth is published from before the windows exist until the program ends; a
    // service that cannot be set up stops the start.
    kestrav::DdeServer publication(kestrav::dde_socket_path(
        kestrav::dde_service_name(QCoreApplication::applicationFilePath())));
    if (const int error = publication.listen()) {
        // Another Kestrav serves it: that one comes forward instead of a second starting.
        if (error == EADDRINUSE &&
            kestrav::dde_ask_to_come_forward(publication.socketPath(), 3000)) {
            std::fputs("kestrav: already running; its window was asked to come forward\n", stderr);
            return 0;
        }
        desktop.message_box(nullptr, kestrav::BoxIcon::Error, kestrav::dde_setup_error_text(error));
        return 1;
    }
    context.dde_server = &publication;
    kestrav::X11WindowMessages window_messages;
    context.window_messages = &window_messages;

    kestrav::TForm1 window(context);
    QObject::connect(&signals_, &kestrav::ShutdownSignals::shutdownRequested, &window,
                     &kestrav::TForm1::close_on_signal);
    window.show();
    return app.exec();
}
