// gpredict as the client of Kestrav's rotctld server: its Antenna Control window engaged on
// Kestrav and tracking the ISS from the orbital data gpredict ships, during a pass over the
// ground station written for it (Copenhagen, as gpredict's sample) that libfaketime makes the
// present. gpredict is driven with
// xdotool on the X server the test runs under (run-under-xvfb.sh with openbox); Kestrav's own
// window stays offscreen, out of the way of the clicks. The rotator controller emulator, an
// azimuth-elevation GS-232, receives the turns.

#include "rotor/rotctld_server.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>

#include <optional>

namespace kestrav::test {
namespace {

// A moment of a pass of the ISS over Copenhagen by the elements gpredict 2.3 ships (epoch
// 2018-01-20): the satellite rises in the south-west, from about 18 degrees now to 38.5 at
// 22:19:00, its azimuth falling from about 230 to 170.
constexpr const char* kPassMoment = "@2018-01-21 22:17:00";

// Places in gpredict's windows (as it lays them out at their default size), relative to each.
constexpr int kModuleMenuX = 680, kModuleMenuY = 44; // the module's menu button
constexpr int kAntennaControlItem = 8;               // Down presses to "Antenna Control"
constexpr int kEngageX = 779, kEngageY = 196;        // Settings: Engage
constexpr int kTrackX = 347, kTrackY = 196;          // Target: Track

QString faketime_library() {
    for (const QString& dir : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs)) {
        const QString path = QStringLiteral("/usr/lib/%1/faketime/libfaketime.so.1").arg(dir);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

quint16 free_port() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

bool write_file(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

struct Turn {
    int azimuth;
    int elevation;
};

// The GS-232 az/el turns in what the emulator received.
std::vector<Turn> turns_in(const QByteArray& received) {
    static const QRegularExpression turn(QStringLiteral("W(\\d{3}) (\\d{3})\r"));
    std::vector<Turn> turns;
    for (auto it = turn.globalMatch(QString::fromLatin1(received)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        turns.push_back({m.captured(1).toInt(), m.captured(2).toInt()});
    }
    return turns;
}

class GpredictClient : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server: run under tests/x11/run-under-xvfb.sh";
        for (const char* program : {"gpredict", "xdotool"}) {
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
                GTEST_SKIP() << program << " is not installed";
        }
        faketime = faketime_library();
        if (faketime.isEmpty())
            GTEST_SKIP() << "libfaketime is not installed";
    }

    // Runs xdotool with `arguments` to its end (at most `ms`); its output, or none when it
    // failed or did not end.
    std::optional<QByteArray> xdotool(const QStringList& arguments, int ms = 5000) {
        ChildProcess p;
        p.start(QStringLiteral("xdotool"), arguments);
        if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, ms))
            return std::nullopt;
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            xdotool_error = arguments.join(u' ') + QStringLiteral(": ") +
                            QString::fromLocal8Bit(p.readAllStandardError());
            return std::nullopt;
        }
        return p.readAllStandardOutput();
    }

    // The first visible window whose name matches `pattern`, waited for while the window
    // keeps serving; empty if none came.
    QString window_named(const QString& pattern, int ms = 20000) {
        QString id;
        (void)QTest::qWaitFor(
            [&] {
                const QByteArray out =
                    xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--name"), pattern},
                            2000)
                        .value_or(QByteArray());
                id = QString::fromLatin1(out.split('\n').value(0)).trimmed();
                return !id.isEmpty();
            },
            ms);
        return id;
    }

    bool click(const QString& window_id, int x, int y) {
        return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window_id,
                        QString::number(x), QString::number(y), QStringLiteral("click"),
                        QStringLiteral("1")})
            .has_value();
    }

    RotctldServer* server() const { return window->findChild<RotctldServer*>(); }

    // gpredict's configuration in a fresh home: the ground station, a module of the ISS alone
    // with it selected, and the rotator at Kestrav's port.
    bool write_gpredict_home(const QString& home, quint16 port) {
        const QString config = home + QStringLiteral("/.config/Gpredict");
        return write_file(config + QStringLiteral("/sample.qth"),
                          "[QTH]\nDESCRIPTION=Test station\nLOCATION=Copenhagen, Denmark\n"
                          "LAT=55.6167\nLON=12.6500\nALT=5\nWX=EKCH\n") &&
               write_file(config + QStringLiteral("/modules/Amateur.mod"),
                          "[GLOBAL]\nSATELLITES=25544;\n\n[SINGLE_SAT]\nSELECTED=25544\n") &&
               write_file(config + QStringLiteral("/hwconf/kestrav.rot"),
                          QStringLiteral("[Rotator]\nHost=127.0.0.1\nPort=%1\nAzType=0\nMinAz=0\n"
                                         "MaxAz=360\nMinEl=0\nMaxEl=90\nAzStopPos=0\n"
                                         "Cycle=500\nThreshold=1\n")
                              .arg(port)
                              .toLatin1());
    }

    QString faketime;
    QString xdotool_error; // the last xdotool that failed, and what it said
};

TEST_F(GpredictClient, AntennaControlTracksAPassInBothAxes) {
    const QString log = dir.path() + QStringLiteral("/received.log");
    ChildProcess emulator;
    ASSERT_TRUE(start_rotator_sim(emulator, dir.path(), log,
                                  {QStringLiteral("--elevation"), QStringLiteral("--speed"),
                                   QStringLiteral("360"), QStringLiteral("--elevation-speed"),
                                   QStringLiteral("90")}));
    const quint16 port = free_port();
    start(QStringLiteral("AZEL_GS232=ON\r\nSERVE_ROTCTLD=127.0.0.1,%1\r\n").arg(port).toLatin1());
    window->formInit()->hide();
    ASSERT_TRUE(server()->isListening());
    StationState& s = window->state();
    s.SelectedInterface = RotorInterface::Gs232;
    s.Gs232Com = 0;

    const QString home = dir.path() + QStringLiteral("/home");
    ASSERT_TRUE(write_gpredict_home(home, port));
    ChildProcess gpredict;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LD_PRELOAD"), faketime);
    env.insert(QStringLiteral("FAKETIME"), QLatin1String(kPassMoment));
    env.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("x11"));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    gpredict.setProcessEnvironment(env);
    gpredict.setProcessChannelMode(QProcess::MergedChannels);
    gpredict.start(QStringLiteral("gpredict"), QStringList{});
    ASSERT_TRUE(gpredict.waitForStarted(5000));

    // The module's menu, then Antenna Control.
    const QString module = window_named(QStringLiteral("^Gpredict: Amateur$"));
    ASSERT_FALSE(module.isEmpty())
        << "gpredict's module window did not open: " << gpredict.readAll().constData();
    const QString control_name = QStringLiteral("^Gpredict Rotator Control: Amateur$");
    QString control;
    for (int attempt = 0; attempt < 3 && control.isEmpty(); ++attempt) {
        ASSERT_TRUE(click(module, kModuleMenuX, kModuleMenuY)) << xdotool_error.toStdString();
        ASSERT_FALSE(window_named(QStringLiteral("^gpredict$"), 5000).isEmpty())
            << "the module's menu did not open";
        QStringList keys{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")};
        for (int i = 0; i < kAntennaControlItem; ++i)
            keys << QStringLiteral("Down");
        keys << QStringLiteral("Return");
        ASSERT_TRUE(xdotool(keys).has_value()) << xdotool_error.toStdString();
        control = window_named(control_name, 5000);
    }
    ASSERT_FALSE(control.isEmpty()) << "the Antenna Control window did not open";

    // Engage: gpredict connects to Kestrav. A click the window was not ready for is repeated
    // only while nothing is connected, so that it never disengages.
    bool engaged = false;
    for (int attempt = 0; attempt < 3 && !engaged; ++attempt) {
        ASSERT_TRUE(click(control, kEngageX, kEngageY)) << xdotool_error.toStdString();
        engaged = QTest::qWaitFor([&] { return server()->clientCount() > 0; }, 5000);
    }
    ASSERT_TRUE(engaged) << "gpredict did not connect once engaged";

    // Track: turns follow the pass, both axes.
    std::vector<Turn> turns;
    bool tracking = false;
    for (int attempt = 0; attempt < 3 && !tracking; ++attempt) {
        ASSERT_TRUE(click(control, kTrackX, kTrackY)) << xdotool_error.toStdString();
        tracking = QTest::qWaitFor([&] { return !turns_in(received_so_far(log)).empty(); }, 5000);
    }
    ASSERT_TRUE(tracking) << "no turn once tracking: " << received_so_far(log).constData();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            turns = turns_in(received_so_far(log));
            return turns.size() >= 3 && turns.back().elevation > turns.front().elevation;
        },
        60000))
        << received_so_far(log).constData();

    ASSERT_FALSE(turns.empty());
    for (std::size_t i = 0; i < turns.size(); ++i) {
        SCOPED_TRACE(i);
        // The pass as seen from the station: up in the south-west to south, and rising.
        EXPECT_GE(turns[i].elevation, 10);
        EXPECT_LE(turns[i].elevation, 40);
        EXPECT_GE(turns[i].azimuth, 160);
        EXPECT_LE(turns[i].azimuth, 240);
        if (i > 0) {
            EXPECT_GE(turns[i].elevation, turns[i - 1].elevation);
            EXPECT_LE(turns[i].azimuth, turns[i - 1].azimuth);
        }
    }
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_TRUE(desktop.boxes.empty());
}

} // namespace
} // namespace kestrav::test
