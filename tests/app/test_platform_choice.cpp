// The platform Kestrav runs on, chosen from the environment and the command line.

#include "app/platform_choice.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

TEST(PlatformChoice, X11WhereverThereIsAnXDisplayUnlessTheUserChose) {
    struct Row {
        const char* name;
        QStringList arguments;
        QStringList variables; // NAME=value
        const char* platform;
        bool notice;
    };
    const QStringList wayland_with_x = {"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"};
    const Row rows[] = {
        {"X11 desktop", {}, {"DISPLAY=:0"}, "", false},
        {"Wayland with XWayland", {}, wayland_with_x, "xcb", false},
        {"Wayland session type only", {}, {"XDG_SESSION_TYPE=wayland", "DISPLAY=:1"}, "xcb", false},
        {"Wayland without X", {}, {"WAYLAND_DISPLAY=wayland-0"}, "", true},
        {"user's variable kept",
         {},
         wayland_with_x + QStringList{"QT_QPA_PLATFORM=offscreen"},
         "",
         false},
        {"user chose Wayland",
         {},
         wayland_with_x + QStringList{"QT_QPA_PLATFORM=wayland"},
         "",
         true},
        {"user's argument kept", {"-platform", "wayland"}, wayland_with_x, "", true},
        {"user's argument with =", {"--platform=offscreen"}, wayland_with_x, "", false},
        {"empty variable is no choice",
         {},
         wayland_with_x + QStringList{"QT_QPA_PLATFORM="},
         "xcb",
         false},
        {"no display at all", {}, {}, "", false},
    };
    for (const Row& r : rows) {
        QProcessEnvironment environment;
        for (const QString& v : r.variables)
            environment.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
        const PlatformChoice choice =
            choose_platform(QStringList{QStringLiteral("kestrav")} + r.arguments, environment);
        EXPECT_EQ(choice.platform, QByteArray(r.platform)) << r.name;
        EXPECT_EQ(!choice.notice.isEmpty(), r.notice) << r.name;
        if (r.notice) {
            EXPECT_TRUE(choice.notice.contains(QLatin1String("place"))) << r.name;
            EXPECT_TRUE(choice.notice.contains(QLatin1String("rotator program"))) << r.name;
        }
    }
}

} // namespace
} // namespace kestrav
