// Following WSJT-X in the real main window: Status datagrams over the loopback, the DX
// fields and azimuth they set, and the commands the rotator controller emulator receives on
// ports/COM1 with AUTO down and up.

#include "follow/follow_wsjtx.h"
#include "follow/wsjtx_message.h"
#include "geodesy/bearing.h"
#include "geodesy/locator.h"
#include "map/map_window.h"
#include "support/child_process.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QUdpSocket>

#include <cmath>

namespace kestrav::test {
namespace {

class FollowSession : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        QDir().mkpath(dir.path() + QStringLiteral("/ports"));
        emulator.start(QStringLiteral(KESTRAV_ROTATOR_SIM),
                       {QStringLiteral("--link"), dir.path() + QStringLiteral("/ports/COM1"),
                        QStringLiteral("--protocol"), QStringLiteral("auto"),
                        QStringLiteral("--log"), log});
        ASSERT_TRUE(emulator.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([this] { return emulator.canReadLine(); }, 5000));
        start();
        set_local(QStringLiteral("JN18EU"));
        window->formInit()->hide();
        StationState& s = window->state();
        s.Gs232Com = 0;
        s.SelectedInterface = RotorInterface::Gs232;
        s.min_step(RotorInterface::Gs232) = 1;
        // A port nobody holds: taken and let go again.
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        s.WsjtxFollowing.port = probe.localPort();
        probe.close();
        window->Follow->action()->trigger();
        ASSERT_TRUE(window->Follow->action()->isChecked());
    }

    void status(const QString& call, const QString& grid, const QString& id = "WSJT-X") {
        sender.writeDatagram(build_wsjtx_status(id, call, grid), QHostAddress::LocalHost,
                             window->state().WsjtxFollowing.port);
    }

    // The GS-232 command for the azimuth from JN18EU to a position.
    QByteArray command_to(double latitude, double longitude) {
        const Bearing b = great_circle_bearing(48.854167, 2.375, latitude, longitude);
        return QStringLiteral("W%1\r")
            .arg(std::lround(b.azimuth), 3, 10, QLatin1Char('0'))
            .toLatin1();
    }

    QByteArray log_now() const {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QByteArray received(qsizetype size) {
        QByteArray now;
        (void)QTest::qWaitFor(
            [&] {
                QFile f(log);
                now = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
                return now.size() >= size;
            },
            10000);
        return now;
    }

    ChildProcess emulator;
    QString log;
    QUdpSocket sender;
};

TEST_F(FollowSession, GridAtOnceCallOnceSettledWithAutoDown) {
    window->SpeedButtonAuto->setChecked(true);
    status("VK2ABC", "QF56");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->EditDXLocator->text() == "QF56MM"; }));
    const QByteArray first = command_to(-33.5, 151);
    EXPECT_EQ(received(first.size()), first);
    EXPECT_EQ(window->state().DxLabel, "VK2ABC  QF56");

    // A call typed letter by letter, the way WSJT-X reports each keystroke: only the whole
    // call, once left alone, moves the antenna, to its country.
    QElapsedTimer typed;
    typed.start();
    for (const char* keys : {"E", "EA", "EA4", "EA4X", "EA4XY"}) {
        status(keys, "");
        QTest::qWait(100);
    }
    EXPECT_EQ(window->EditDXLocator->text(), "QF56MM");
    const Country spain = *window->Follow->countries().lookup(u"EA4XY");
    const QByteArray both = first + command_to(spain.latitude, spain.longitude);
    EXPECT_EQ(received(both.size()), both);
    EXPECT_GE(typed.elapsed(), 400 + kCallSettleMs - 100);
    EXPECT_EQ(window->state().DxLabel, "EA4XY  " + spain.name);

    // A second instance sets its own station; the first one's unchanged repeat does not
    // take it back, and a Close or a foreign datagram changes nothing.
    status("JA1XYZ", "PM95", "WSJT-X - rig2");
    status("EA4XY", "", "WSJT-X");
    sender.writeDatagram(QByteArray("not WSJT-X"), QHostAddress::LocalHost,
                         window->state().WsjtxFollowing.port);
    const QByteArray third = both + command_to(35.5, 139);
    EXPECT_EQ(received(third.size()), third);
    QTest::qWait(kCallSettleMs + 200);
    EXPECT_EQ(log_now(), third);
    EXPECT_EQ(window->EditDXLocator->text(), "PM95MM");
}

TEST_F(FollowSession, AutoUpSendsNothingAndTheRowIsWritten) {
    window->SpeedButtonAuto->setChecked(false);
    status("VK2ABC", "QF56");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->EditDXLocator->text() == "QF56MM"; }));
    EXPECT_FALSE(window->EditAzimut->text().isEmpty());
    QTest::qWait(200);
    EXPECT_EQ(log_now(), QByteArray());

    window->Follow->action()->trigger(); // off: nothing followed any more
    status("JA1XYZ", "PM95");
    QTest::qWait(200);
    EXPECT_EQ(window->EditDXLocator->text(), "QF56MM");
    window->save_configuration();
    QFile ini(dir.path() + "/Kestrav.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = ini.readAll().trimmed().split('\n');
    EXPECT_EQ(lines.back().trimmed(), QStringLiteral("WSJTX=OFF,127.0.0.1,%1")
                                          .arg(window->state().WsjtxFollowing.port)
                                          .toLatin1());
}

TEST_F(FollowSession, MapCallFieldAndFrenchItem) {
    window->MenuMap->trigger();
    MapWindow* map = window->FormMap;
    QTest::keyClicks(map->callField(), "ja1xyz");
    QTest::keyClick(map->callField(), Qt::Key_Return);
    const Country japan = *window->Follow->countries().lookup(u"JA1XYZ");
    EXPECT_TRUE(window->state().DxLabel.startsWith("JA1XYZ  "));
    EXPECT_EQ(window->EditDXLocator->text(),
              position_to_locator(std::fabs(japan.latitude), japan.latitude >= 0,
                                  std::fabs(japan.longitude), japan.longitude >= 0));
    map->callField()->setText("QQ"); // no country: a beep, the station stays
    QTest::keyClick(map->callField(), Qt::Key_Return);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_TRUE(window->state().DxLabel.startsWith("JA1XYZ  "));

    window->MenuFrancais->trigger();
    EXPECT_EQ(window->Follow->action()->text(), "Suivre &WSJT-X");
    // Its accelerator is the only W of its menu.
    for (QAction* other : window->MenuListe->actions()) {
        if (other != window->Follow->action()) {
            EXPECT_FALSE(other->text().contains("&W", Qt::CaseInsensitive));
        }
    }
}

} // namespace
} // namespace kestrav::test
