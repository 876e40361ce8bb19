#pragma once
// Which Qt platform Kestrav runs on. The program places its windows itself and reaches the
// outside rotator program through X11, so on a Wayland desktop it runs on the X server the
// desktop provides (XWayland) unless the user chose a platform.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kestrav {

struct PlatformChoice {
    QByteArray platform; // for QT_QPA_PLATFORM; empty: Qt chooses as usual
    QString notice;      // for standard error; empty: nothing to say
};

// `arguments` are the command line, program name first. A platform the user chose
// (QT_QPA_PLATFORM or -platform) is kept; on a Wayland desktop with an X display, "xcb";
// on Wayland without one, no change and a notice of what does not work there.
PlatformChoice choose_platform(const QStringList& arguments,
                               const QProcessEnvironment& environment);

// Applies the choice for this process before the application object exists.
void apply_platform_choice(int argc, char* argv[]);

} // namespace kestrav
