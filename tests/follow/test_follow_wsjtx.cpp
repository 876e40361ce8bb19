// Following Debian's real WSJT-X: it runs on the private X server the test script starts,
// its DX Grid and DX Call fields are typed into with xdotool, and the Status datagrams it
// sends to 127.0.0.1 on the test's port move Kestrav's DX station (the main window offscreen) and,
// with AUTO down, the antenna at the rotator controller emulator.

#include "follow_fixture.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QToolButton>

namespace kestrav::test {
namespace {

// Where WSJT-X 2.6.1 puts its DX Call and DX Grid fields, from its main window's corner.
constexpr int kDxCallX = 176;
constexpr int kDxGridX = 261;
constexpr int kDxFieldsY = 507;
// How long WSJT-X may take to show its window, and then to take the first keys typed.
constexpr int kWindowLimitMs = 150000;
constexpr int kFirstKeysLimitMs = 60000;

class RealWsjtx : public FollowOnEmulator {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the X server of run-under-xvfb.sh";
        ASSERT_NO_FATAL_FAILURE(start_following());
        const StationState& s = window->state();

        // A WSJT-X of its own: settings, log and lock file in the test's directory, sending
        // to that port; it leads a process group of its own, so that its decoder goes with it.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString home = dir.path() + QStringLiteral("/wsjtx");
        QDir().mkpath(home + QStringLiteral("/config"));
        QDir().mkpath(home + QStringLiteral("/tmp"));
        QFile ini(home + QStringLiteral("/config/WSJT-X.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Configuration]\nUDPServer=127.0.0.1\nUDPServerPort=%1\n")
                      .arg(s.WsjtxFollowing.port)
                      .toLatin1());
        ini.close();
        wsjtx.leadOwnGroup();
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/config");
        env.insert("XDG_DATA_HOME", home + "/data");
        env.insert("TMPDIR", home + "/tmp");
        env.insert("QT_QPA_PLATFORM", "xcb");
        wsjtx.setProcessEnvironment(env);
        wsjtx.start(QStringLiteral("wsjtx"), {});
        ASSERT_TRUE(wsjtx.waitForStarted(10000));
        // WSJT-X maps its main window once its decoder has started, which a loaded machine
        // stretches well past half a minute: xdotool waits for the window itself, for as long
        // as WSJT-X keeps running, within a generous limit.
        ChildProcess search;
        search.start(QStringLiteral("xdotool"),
                     {"search", "--sync", "--onlyvisible", "--name", "^WSJT-X +v"});
        ASSERT_TRUE(search.waitForStarted(10000));
        (void)QTest::qWaitFor( // either ends it; which one is asked below
            [&] {
                return search.state() == QProcess::NotRunning ||
                       wsjtx.state() == QProcess::NotRunning;
            },
            kWindowLimitMs);
        ASSERT_EQ(wsjtx.state(), QProcess::Running)
            << "WSJT-X ended: " << wsjtx.readAllStandardError().toStdString();
        ASSERT_EQ(search.state(), QProcess::NotRunning)
            << "no WSJT-X window within " << kWindowLimitMs / 1000 << " s";
        wsjtx_window = search.readAllStandardOutput().trimmed().split('\n').front();
        ASSERT_FALSE(wsjtx_window.isEmpty());
    }

    QByteArray xdotool(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(30000); // --sync waits for WSJT-X, however slow
        return p.readAllStandardOutput();
    }

    // Clicks a field of WSJT-X's and types into it, a key every 100 ms as a person would.
    void type_into(int x, const QString& keys, bool clear_first = false) {
        const QString w = QString::fromLatin1(wsjtx_window);
        xdotool({"windowactivate", "--sync", w});
        xdotool({"mousemove", "--window", w, QString::number(x), QString::number(kDxFieldsY),
                 "click", "1"});
        if (clear_first)
            xdotool({"key", "--delay", "100", "ctrl+a", "BackSpace"});
        if (!keys.isEmpty())
            xdotool({"type", "--delay", "100", keys});
    }

    bool dx_locator_becomes(const QString& locator) {
        return QTest::qWaitFor([&] { return ui().EditDXLocator->text() == locator; }, 3000);
    }

    ChildProcess wsjtx;
    QByteArray wsjtx_window;
};

TEST_F(RealWsjtx, GridCallAndChangedCallWithAutoDownThenUp) {
    ui().SpeedButtonAuto->setChecked(true);
    // WSJT-X shows its window before it takes keys: the first grid is typed again until it
    // arrives.
    bool arrived = false;
    for (QDeadlineTimer limit(kFirstKeysLimitMs); !arrived && !limit.hasExpired();) {
        type_into(kDxGridX, "QF56", true);
        arrived = dx_locator_becomes("QF56MM");
    }
    ASSERT_TRUE(arrived);
    QByteArray expected = command_to(-33.5, 151);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_now() == expected; }, 5000)) << log_now().data();

    // The grid emptied, a call without grid typed letter by letter: its country once settled.
    type_into(kDxGridX, "", true);
    type_into(kDxCallX, "EA4XY");
    const Country spain = *window->findChild<FollowWsjtx*>()->countries().lookup(u"EA4XY");
    expected += command_to(spain.latitude, spain.longitude);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_now() == expected; }, 10000)) << log_now().data();
    EXPECT_EQ(window->state().DxLabel, "EA4XY  " + spain.name);

    // The call changed letter by letter into another country's.
    xdotool({"key", "--delay", "100", "BackSpace", "BackSpace", "BackSpace", "8", "Z", "Z"});
    const Country canaries = *window->findChild<FollowWsjtx*>()->countries().lookup(u"EA8ZZ");
    expected += command_to(canaries.latitude, canaries.longitude);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_now() == expected; }, 10000)) << log_now().data();

    // AUTO up: the fields follow, the antenna does not.
    ui().SpeedButtonAuto->setChecked(false);
    type_into(kDxGridX, "PM95");
    ASSERT_TRUE(dx_locator_becomes("PM95MM"));
    // STOP goes out after any turn the grid could have sent: only STOP follows.
    ui().BitBtnStop->click();
    expected += "S\r";
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_now().size() >= expected.size(); }, 5000));
    EXPECT_EQ(log_now(), expected);
    EXPECT_FALSE(ui().EditAzimut->text().isEmpty());
}

} // namespace
} // namespace kestrav::test
