// GO and STOP from the real main window, received byte for byte by the rotator controller
// emulator on the other end of ports/COM1.

#include "rotor/comm_port_driver.h"
#include "support/hamlib_rotctld.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

namespace kestrav::test {
namespace {

class EmulatorSession : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(
            emulator, dir.path(), log,
            QStringList{QStringLiteral("--speed"), QString::number(speed)} + emulator_args));
        start();
        window->formInit()->hide();
        window->state().Gs232Com = 0;
        window->state().EasyCommCom = 0;
    }
    void TearDown() override {
        WindowTest::TearDown();
        emulator.terminate();
        emulator.waitForFinished(5000);
    }

    void go(RotorInterface iface, StopSide side, const QString& azimuth) {
        StationState& s = window->state();
        s.SelectedInterface = iface;
        s.stop_side(iface) = side;
        ui().ComboBoxListDX->setFocus();
        ui().EditAzimut->clear();
        type(ui().EditAzimut, azimuth);
        ui().ButtonTrack->click();
    }

    // What the emulator has received, once it holds at least `size` bytes (or after 10 s).
    QByteArray received(qsizetype size) { return received_at_least(log, size); }

    // Everything the window has sent, once the window has closed COM1: a marker line of the
    // test's own, written on the same terminal, reaches the emulator after every byte written
    // before it, so a byte too many is in what comes before the marker. Empty with a failure
    // when COM1 is still held or the marker never arrives.
    QByteArray received_all() {
        const QByteArray marker("MARK\r");
        TCommPortDriver own;
        own.setPortDirectory(dir.path());
        own.setComPort(pnCOM1);
        if (!own.OpenPort()) {
            ADD_FAILURE() << "COM1 is still held: " << own.openFailure().toStdString();
            return {};
        }
        EXPECT_TRUE(own.WriteText(marker));
        own.ClosePort();
        QByteArray all;
        if (!QTest::qWaitFor(
                [&] {
                    all = received_so_far(log);
                    return all.endsWith(marker);
                },
                10000)) {
            ADD_FAILURE() << "the marker never arrived after " << all.toStdString();
            return {};
        }
        all.chop(marker.size());
        return all;
    }

    // After STOP the rotator is still asked: two readings in a row agree where the antenna
    // stopped.
    void stopped_reading_holds() {
        QSignalSpy readings(&window->controller(), &RotorController::headingChanged);
        const auto settled = [&] {
            const qsizetype n = readings.size();
            if (n < 2)
                return false;
            const auto last = readings[n - 1][0].value<std::optional<double>>();
            return last && last == readings[n - 2][0].value<std::optional<double>>();
        };
        EXPECT_TRUE(QTest::qWaitFor(settled, 10000)) << "the reading settles where it stopped";
    }

    ChildProcess emulator;
    QString log;
    int speed = 360; // degrees per second
    QStringList emulator_args;
};

// An antenna that turns at 30 degrees per second, so that its heading can be seen moving.
class SlowEmulatorSession : public EmulatorSession {
protected:
    SlowEmulatorSession() { speed = 30; }
};

TEST_F(EmulatorSession, CommandsArriveByteForByte) {
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("0"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("7.5"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("8.5"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("99.6"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("359.7"));
    go(RotorInterface::Gs232, StopSide::S, QStringLiteral("90"));
    ui().BitBtnStop->click();
    go(RotorInterface::EasyComm, StopSide::N, QStringLiteral("45"));
    ui().BitBtnStop->click();
    EXPECT_EQ(received_all(), QByteArray("W000\rW008\rW008\rW100\rW360\rW270\rS\rAZ045.0\rSA\r"));
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_EQ(emulator.state(), QProcess::Running);
}

TEST_F(EmulatorSession, ExitParksOnTheEmulator) {
    go(RotorInterface::EasyComm, StopSide::N, QStringLiteral("10"));
    window->state().ParkingInterface = RotorInterface::EasyComm;
    window->state().ParkingAzimuth = 180;
    window->close();
    EXPECT_EQ(received_all(), QByteArray("AZ010.0\rSA\rAZ180.0\r"));
    EXPECT_FALSE(ui().CommPortDriverEasy->IsOpen());
}

// The heading asked of the controller once a second while shown: the second needle follows
// the turning antenna, and after STOP shows where it stopped (the port is opened again to ask).
TEST_F(SlowEmulatorSession, HeadingFollowsTheTurningAntenna) {
    ui().MenuHeading->trigger();
    const auto heading = [this] { return window->controller().heading(); };
    // GS-232 turns the antenna from 0 to 90, EasyComm back to 10.
    for (const auto& [iface, azimuth] :
         {std::pair{RotorInterface::Gs232, 90.0}, std::pair{RotorInterface::EasyComm, 10.0}}) {
        SCOPED_TRACE(static_cast<int>(iface));
        const std::optional<double> before = heading();
        go(iface, StopSide::N, QString::number(azimuth));
        ASSERT_TRUE(QTest::qWaitFor([&] { return heading() != before; }, 5000));
        const double first = *heading();
        ASSERT_TRUE(QTest::qWaitFor([&] { return *heading() != first; }, 5000))
            << "the needle follows the turning antenna";
        EXPECT_LT(std::abs(*heading() - azimuth), std::abs(first - azimuth));
        ui().BitBtnStop->click();
        stopped_reading_holds();
    }
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_EQ(ui().Image1->toolTip(), QStringLiteral("%1°").arg(format_fixed(*heading(), 1)));
}

// Kestrav, Debian's rotctld for a GS-232A controller, and the emulator on a pseudo-terminal:
// the whole chain with real parts.
class NetworkSession : public SlowEmulatorSession {
protected:
    void SetUp() override {
        SlowEmulatorSession::SetUp();
        port = free_loopback_port();
        start_rotctld();
        StationState& s = window->state();
        s.SelectedInterface = RotorInterface::Network;
        s.NetworkHost = QStringLiteral("127.0.0.1");
        s.NetworkPort = port;
        s.min_step(RotorInterface::Network) = 0;
    }
    void TearDown() override {
        rotctld.kill();
        rotctld.waitForFinished(5000);
        SlowEmulatorSession::TearDown();
    }
    void start_rotctld() {
        // Hamlib's GS-232A backend reports -180 to 450 as its range, and turns a negative
        // position the other way round from north.
        ASSERT_TRUE(start_hamlib_rotctld(rotctld, QStringLiteral("601"),
                                         dir.path() + QStringLiteral("/ports/COM1"), port));
    }
    void go_to(const QString& azimuth) {
        ui().ComboBoxListDX->setFocus();
        ui().EditAzimut->clear();
        type(ui().EditAzimut, azimuth);
        ui().ButtonTrack->click();
    }
    QString status() const { return ui().LabelEtatInterface->text(); }
    quint16 port = 0;
    ChildProcess rotctld;
};

TEST_F(NetworkSession, GoStopHeadingAndParking) {
    window->update_status_lines();
    EXPECT_EQ(status(), QStringLiteral(" Ant = Network / 127.0.0.1:%1").arg(port));
    ui().MenuHeading->trigger();
    go_to(QStringLiteral("90"));
    EXPECT_TRUE(ui().ImageLedOn->isVisible());
    // The position first (asked at once for the heading), then the turn with the elevation it
    // told ("C2", answered with 0 here).
    EXPECT_TRUE(received(11).startsWith("C2\r")) << "rotctld asked the emulator";
    EXPECT_TRUE(received(11).contains("W090 000\r")) << "rotctld turned the emulator";
    const auto heading = [this] { return window->controller().heading(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return heading() && *heading() > 5; }, 8000));
    ui().BitBtnStop->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return received(10).contains("\rS\r"); }, 5000));
    stopped_reading_holds(); // the connection is made again to ask

    // Parking at exit goes out before the program ends.
    window->state().ParkingInterface = RotorInterface::Network;
    window->state().ParkingAzimuth = 180;
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return received(20).contains("W180"); }, 5000));
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(NetworkSession, FailuresAreToldAfterTheGo) {
    // rotctld gone mid-session: the GO is refused, told by a beep, no LED and the reason.
    go_to(QStringLiteral("30"));
    ASSERT_TRUE(received(7).startsWith("C2\rW030"));
    ui().BitBtnStop->click();
    rotctld.kill();
    rotctld.waitForFinished(5000);
    go_to(QStringLiteral("40"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.beeps == 1; }, 5000));
    EXPECT_FALSE(ui().ImageLedOn->isVisible());
    EXPECT_TRUE(status().endsWith(QStringLiteral(" / Connection refused")))
        << status().toStdString();

    // An error code from rotctld: its controller has gone away.
    start_rotctld();
    emulator.kill();
    emulator.waitForFinished(5000);
    go_to(QStringLiteral("50"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.beeps == 2; }, 10000));
    EXPECT_FALSE(ui().ImageLedOn->isVisible());
    EXPECT_FALSE(status().endsWith(QStringLiteral("Connection refused"))) << status().toStdString();

    // The next GO clears the reason.
    go_to(QStringLiteral("60"));
    EXPECT_EQ(status(), QStringLiteral(" Ant = Network / 127.0.0.1:%1").arg(port));
}

// A rotator that turns 450 degrees, standing at 350: once its heading is known, 20 is reached
// the short way through the overlap as 380 and 200 as itself; without the heading, 20 is sent
// as 20. The same over the serial port and through Debian's rotctld, whose range is read.
template <typename Session>
void expect_short_way(Session& t, const QByteArray& twenty, const QByteArray& overlap,
                      const QByteArray& two_hundred) {
    const auto heading = [&t] { return t.window->controller().heading(); };
    // The first GO, with no heading known: the rotator is asked first, and 20 goes the short
    // way from 350.
    t.go_to(QStringLiteral("20"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.received_so_far().contains(overlap); }, 8000))
        << t.received_so_far().toStdString();
    EXPECT_FALSE(t.received_so_far().contains(twenty));
    t.ui().MenuHeading->trigger();
    t.go_to(QStringLiteral("350"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return heading() == 350.0; }, 8000));
    t.go_to(QStringLiteral("20"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.received_so_far().count(overlap) == 2; }, 5000))
        << t.received_so_far().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return heading() > 360; }, 8000))
        << "the antenna turns on through north";
    t.go_to(QStringLiteral("200"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.received_so_far().contains(two_hundred); }, 5000));
    // From 200, 20 and 380 are as far: the bearing itself goes, heading shown or not.
    ASSERT_TRUE(QTest::qWaitFor([&] { return heading() == 200.0; }, 15000));
    t.ui().MenuHeading->trigger();
    t.go_to(QStringLiteral("20"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.received_so_far().endsWith(twenty); }, 5000))
        << t.received_so_far().toStdString();
    EXPECT_EQ(t.desktop.beeps, 0);
}

class OverlapSession : public EmulatorSession {
public:
    OverlapSession() {
        emulator_args = {QStringLiteral("--range"), QStringLiteral("450"),
                         QStringLiteral("--start"), QStringLiteral("350")};
    }
    void go_to(const QString& azimuth) { go(RotorInterface::Gs232, StopSide::N, azimuth); }
    QByteArray received_so_far() const { return kestrav::test::received_so_far(log); }
    using EmulatorSession::desktop;
    using EmulatorSession::ui;
    using EmulatorSession::window;
};

TEST_F(OverlapSession, SerialRotatorTurnsTheShortWay) {
    StationState& s = window->state();
    s.Gs232Range = RangeChoice::Turn450;
    s.min_step(RotorInterface::Gs232) = 0;
    expect_short_way(*this, "W020\r", "W380\r", "W200\r");
}

class OverlapNetworkSession : public NetworkSession {
public:
    OverlapNetworkSession() {
        emulator_args = {QStringLiteral("--range"), QStringLiteral("450"),
                         QStringLiteral("--start"), QStringLiteral("350")};
    }
    using NetworkSession::go_to;
    QByteArray received_so_far() const { return kestrav::test::received_so_far(log); }
    using NetworkSession::desktop;
    using NetworkSession::ui;
    using NetworkSession::window;
};

TEST_F(OverlapNetworkSession, RangeReadFromRotctldTurnsTheShortWay) {
    window->state().NetworkRange = RangeChoice::Reported;
    expect_short_way(*this, "W020 000\r", "W380 000\r", "W200 000\r");
    const RotorRange read = window->controller().rotatorRange(RotorInterface::Network);
    EXPECT_EQ(read.min, -180);
    EXPECT_EQ(read.max, 450);
}

} // namespace
} // namespace kestrav::test
