#include "app/platform_choice.h"

#include <cstdio>

namespace kestrav {

namespace {

// The platform named on the command line ("-platform name", "-platform=name", or with two
// dashes); null when none is named.
QString platform_argument(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        for (const QLatin1String option :
             {QLatin1String("-platform"), QLatin1String("--platform")}) {
            const QString& a = arguments[i];
            if (a == option)
                return i + 1 < arguments.size() ? arguments[i + 1] : QStringLiteral("");
            if (a.startsWith(option + QLatin1Char('=')))
                return a.mid(option.size() + 1);
        }
    }
    return {};
}

} // namespace

PlatformChoice choose_platform(const QStringList& arguments,
                               const QProcessEnvironment& environment) {
    // The command line wins over the environment, as in Qt.
    QString wanted = platform_argument(arguments);
    if (wanted.isNull())
        wanted = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool user_choice = !wanted.isEmpty();
    const bool wayland_session =
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    const bool x_display = !environment.value(QStringLiteral("DISPLAY")).isEmpty();

    PlatformChoice choice;
    if (!user_choice && wayland_session && x_display)
        choice.platform = QByteArrayLiteral("xcb");
    const bool on_wayland =
        user_choice ? wanted.startsWith(QLatin1String("wayland")) : wayland_session && !x_display;
    if (on_wayland)
        choice.notice = QStringLiteral(
            "kestrav: running on Wayland without an X display: the windows cannot place "
            "themselves (the main window's position, the dialog and the map beside it), and "
            "the EA4TX interface cannot reach the outside rotator program.");
    return choice;
}

void apply_platform_choice(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const PlatformChoice choice =
        choose_platform(arguments, QProcessEnvironment::systemEnvironment());
    if (!choice.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.platform);
    if (!choice.notice.isEmpty())
        std::fprintf(stderr, "%s\n", choice.notice.toLocal8Bit().constData());
}

} // namespace kestrav
