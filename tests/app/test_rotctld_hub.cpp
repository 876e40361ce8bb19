// Kestrav serving rotctld, with Hamlib's own rotctl ("NET rotctl", model 2) as the client:
// through GS-232 to the rotator controller emulator on a pseudo-terminal, and through PourSat
// to the recording parallel port.

#include "rotor/comm_port_driver.h"
#include "rotor/rotctld_server.h"
#include "settings/settings_writer.h"
#include "support/pty_pair.h"
#include "support/rotator_sim_process.h"
#include "support/rotctl_client.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>

#include <termios.h>

namespace kestrav::test {
namespace {

quint16 free_port() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

class HubTest : public WindowTest {
protected:
    void start_serving() {
        port = free_port();
        start(QStringLiteral("SERVE_ROTCTLD=127.0.0.1,%1\r\n").arg(port).toLatin1());
        window->formInit()->hide();
        ASSERT_TRUE(server()->isListening());
    }
    RotctldServer* server() const { return window->findChild<RotctldServer*>(); }

    QString rotctl(const QStringList& commands) { return run_rotctl(port, commands); }

    QByteArray ask(const QByteArray& line, int lines = 1) { return ask_rotctld(port, line, lines); }

    quint16 port = 0;
};

class GsHub : public HubTest {
protected:
    void SetUp() override {
        HubTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(emulator, dir.path(), log, sim_arguments));
        start_serving();
        StationState& s = window->state();
        s.SelectedInterface = RotorInterface::Gs232;
        s.Gs232Com = 0;
    }
    QByteArray received_until(const QByteArray& tail) { return test::received_until(log, tail); }
    ChildProcess emulator;
    QString log;
    QStringList sim_arguments{QStringLiteral("--speed"), QStringLiteral("360")};
};

TEST_F(GsHub, RotctlTurnsReadsStopsAndParks) {
    // P: as typed into the field and GO pressed.
    EXPECT_EQ(rotctl({QStringLiteral("P"), QStringLiteral("123"), QStringLiteral("0")}), QString());
    EXPECT_EQ(received_until("W123\r"), "W123\r");
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("123"));
    EXPECT_EQ(window->publishedAzimuth(), QStringLiteral("123"));
    EXPECT_TRUE(ui().ImageLedOn->isVisible() || ui().TimerBlink->isActive());
    // p: the last azimuth sent while no heading is asked for...
    EXPECT_EQ(rotctl({QStringLiteral("p")}), QStringLiteral("123.00\n0.00\n"));
    // ...and the emulator's own heading once it is.
    ui().MenuHeading->trigger();
    RotorController& controller = window->controller();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.heading() == 123.0; }, 8000));
    controller.headingReceived(122); // a reading the sending did not write
    EXPECT_EQ(rotctl({QStringLiteral("p")}), QStringLiteral("122.00\n0.00\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.heading() == 123.0; }, 8000));

    // S: STOP. K: the parking azimuth, or "not available" without one.
    EXPECT_EQ(rotctl({QStringLiteral("S")}), QString());
    EXPECT_EQ(received_until("S\r"), "W123\rS\r");
    EXPECT_TRUE(rotctl({QStringLiteral("K")}).contains(QStringLiteral("Feature not available")));
    window->state().ParkingInterface = RotorInterface::Gs232;
    window->state().ParkingAzimuth = 200;
    EXPECT_EQ(rotctl({QStringLiteral("K")}), QString());
    EXPECT_EQ(received_until("W200\r"), "W123\rS\rW200\r");
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(GsHub, RulesOfTheWindowApply) {
    StationState& s = window->state();
    s.min_step(RotorInterface::Gs232) = 5;
    s.stop_side(RotorInterface::Gs232) = StopSide::S;
    EXPECT_EQ(ask("P 90 0"), "RPRT 0\n");
    EXPECT_EQ(ask("P 92 0"), "RPRT 0\n") << "within the minimum step: dropped, not refused";
    EXPECT_EQ(ask("P 360.5 0"), "RPRT -1\n");
    // The operator's GO still works beside the client's; the last command wins.
    ui().EditAzimut->setText(QStringLiteral("300"));
    s.RequestedAzimuth = 300;
    ui().ButtonTrack->click();
    EXPECT_EQ(received_until("W120\r"), "W270\rW120\r");
    EXPECT_EQ(ask("p", 2), "300.00\n0.00\n");
    s.SelectedInterface = RotorInterface::None;
    EXPECT_EQ(ask("P 10 0"), "RPRT -1\n");
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("300")) << "a refusal changes nothing";
}

// North asked for as 360 is the end stop at 360, not the one at 0; a client's azimuth is
// decided once, at the field's resolution.
TEST_F(GsHub, NorthAt360IsTheEndAt360) {
    EXPECT_EQ(ask("P 359.9999999999999 0"), "RPRT 0\n");
    EXPECT_EQ(received_until("W360\r"), "W360\r");
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("0"));
    EXPECT_EQ(ask("P 360 0"), "RPRT 0\n") << "already there";
    EXPECT_EQ(ask("P 0 0"), "RPRT 0\n");
    EXPECT_EQ(received_until("W000\r"), "W360\rW000\r") << "the other end stop";
    EXPECT_EQ(desktop.beeps, 0);
}

// A rotator that turns 450 degrees: rotctld clients are told its range and may send positions
// past north, which go out as they are.
class Gs450Hub : public GsHub {
protected:
    Gs450Hub() { sim_arguments << QStringLiteral("--range") << QStringLiteral("450"); }
};

TEST_F(Gs450Hub, RangeToldAndPositionsPastNorthSent) {
    EXPECT_TRUE(ask("\\dump_state", 9).contains("max_az=360.000000\n"));
    window->state().Gs232Range = RangeChoice::Turn450;
    EXPECT_TRUE(ask("\\dump_state", 9).contains("max_az=450.000000\n"));
    EXPECT_EQ(ask("P 400 0"), "RPRT 0\n");
    EXPECT_EQ(received_until("W400\r"), "W400\r");
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("40"));
    EXPECT_EQ(ask("P 450.5 0"), "RPRT -1\n");
    // The same bearing a whole turn back: the unwind goes out.
    EXPECT_EQ(ask("P 40 0"), "RPRT 0\n");
    EXPECT_EQ(received_until("W040\r"), "W400\rW040\r");
}

class LptHub : public HubTest {
protected:
    void SetUp() override {
        HubTest::SetUp();
        start_serving();
        window->state().SelectedInterface = RotorInterface::PourSat;
        window->state().PourSatLpt = 0;
    }
};

TEST_F(LptHub, RotctlTurnsThePourSatInterface) {
    EXPECT_EQ(rotctl({QStringLiteral("P"), QStringLiteral("180"), QStringLiteral("0"),
                      QStringLiteral("p")}),
              QStringLiteral("180.00\n0.00\n"));
    std::vector<int> data;
    for (const LptWriteRecord& w : lpt.writes)
        if (w.address == 0x378)
            data.push_back(w.value);
    EXPECT_EQ(data, (std::vector<int>{93, 1}));
    // Not delivered: no port chosen (nothing written), and a port that fails.
    lpt.writes.clear();
    window->state().PourSatLpt = -1;
    EXPECT_EQ(ask("P 90 0"), "RPRT -6\n");
    EXPECT_TRUE(lpt.writes.empty());
    window->state().PourSatLpt = 0;
    lpt.fault = LptFault::StateWithoutSucces;
    EXPECT_EQ(ask("P 91 0"), "RPRT -6\n");
}

// What became of a request is the session's (its test has every case); the window shows the
// reason in the status line and never waits for a hand at the desk: no box, no beep.
TEST_F(LptHub, EachRequestIsToldItsOwnOutcome) {
    StationState& s = window->state();
    const auto status = [&] { return ui().LabelEtatInterface->text(); };
    using R = RotorInterface;
    struct Row {
        const char* name;
        R which;
        QByteArray line;
        QByteArray answer;
        const char* told;
        bool arswin_absent = false;
        LptFault fault = LptFault::None;
        std::optional<R> parking = {};
        double parking_azimuth = 200;
    };
    const Row rows[] = {
        {"outside program absent", R::Ea4tx, "P 45 0", "RPRT -6\n", "ARSWIN must be running", true},
        {"parallel port fails once", R::PourSat, "P 46 0", "RPRT -6\n", "not delivered", false,
         LptFault::WriteFails},
        {"parking out of reach", R::PourSat, "K", "RPRT -1\n", "400 is outside 0 to 360", false,
         LptFault::None, R::PourSat, 400},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        s.SelectedInterface = r.which;
        window_messages.windowPresent = !r.arswin_absent;
        lpt.fault = r.fault;
        lpt.writes.clear();
        s.ParkingInterface = r.parking;
        s.ParkingAzimuth = r.parking_azimuth;
        EXPECT_EQ(ask(r.line), r.answer);
        EXPECT_TRUE(status().contains(QLatin1String(r.told))) << status().toStdString();
        EXPECT_TRUE(desktop.boxes.empty());
        EXPECT_EQ(desktop.beeps, 0);
    }
    s.ParkingInterface.reset();
    // A request handed over ends the refusal shown.
    s.SelectedInterface = RotorInterface::PourSat;
    lpt.fault = LptFault::None;
    EXPECT_EQ(ask("P 48 0"), "RPRT 0\n");
    EXPECT_FALSE(status().contains(QStringLiteral("refused"))) << status().toStdString();
}

// A serial line that takes nothing within the write's time-out (its output stopped, as by a
// controller's XOFF): the client is told, though the window goes on as if sent.
TEST_F(HubTest, SerialTimeOutIsToldToTheClient) {
    PtyPair pty;
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM1"), pty.slaveName));
    start_serving();
    StationState& s = window->state();
    s.SelectedInterface = RotorInterface::Gs232;
    s.Gs232Com = 0;
    ASSERT_EQ(tcflow(pty.slave, TCOOFF), 0);
    ui().CommPortDriverGS->setOutputTimeout(100);
    EXPECT_EQ(ask("P 45 0"), "RPRT -5\n");
    EXPECT_TRUE(ui().LabelEtatInterface->text().contains(QStringLiteral("timed out")))
        << ui().LabelEtatInterface->text().toStdString();
    EXPECT_TRUE(desktop.boxes.empty());
}

// A flood of requests on a 9600-baud line: they coalesce, the latest wins, and a client's STOP
// follows the one command on its way rather than thousands queued. The window's event loop
// keeps turning meanwhile.
TEST_F(HubTest, FloodOfRequestsCoalescesAndStopGoesFirst) {
    PtyPair pty;
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM1"), pty.slaveName));
    start_serving();
    StationState& s = window->state();
    s.SelectedInterface = RotorInterface::Gs232;
    s.Gs232Com = 0;
    s.min_step(RotorInterface::Gs232) = 0;
    ui().CommPortDriverGS->setComPortSpeed(br9600);

    QByteArray flood;
    for (int i = 0; i < 2000; ++i)
        flood += "P " + QByteArray::number(i % 360) + " 0\n";
    flood += "P 123 0\nS\n";
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write(flood);
    QByteArray answers;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            answers += client.readAll();
            return answers.count('\n') >= 2002;
        },
        20000));
    const QByteArray line = pty.readMaster(100000, 1000);
    ASSERT_TRUE(line.endsWith("S\r")) << line.right(40).constData();
    EXPECT_LT(line.count('\r'), 100) << "requests coalesced, not queued: " << line.count('\r');
    EXPECT_EQ(desktop.beeps, 0);
}

// The settings dialog: serving on, a port that is taken, serving off; the row follows.
TEST_F(HubTest, DialogTurnsServingOnAndOff) {
    start();
    window->formInit()->hide();
    EXPECT_FALSE(server()->isListening());
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    for (const quint16 wanted : {taken.serverPort(), free_port()}) {
        ui().MenuServeRotctld->trigger();
        auto* dialog = window->findChild<QDialog*>(QStringLiteral("ServeDialog"));
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QCheckBox*>(QStringLiteral("CheckServe"))->setChecked(true);
        dialog->findChild<QSpinBox*>(QStringLiteral("SpinPort"))->setValue(wanted);
        dialog->findChild<QRadioButton*>(QStringLiteral("RadioAll"))->setChecked(true);
        EXPECT_TRUE(dialog->findChild<QLabel*>(QStringLiteral("LabelWarning"))->isVisible());
        dialog->accept();
        if (wanted == taken.serverPort()) {
            const QLabel* error = dialog->findChild<QLabel*>(QStringLiteral("LabelError"));
            EXPECT_TRUE(error->text().contains(QStringLiteral("already in use")));
            EXPECT_FALSE(window->state().ServeRotctld.on);
            dialog->reject();
        }
        QTest::qWait(0);
    }
    EXPECT_TRUE(server()->isListening());
    EXPECT_EQ(window->state().ServeRotctld.address, QStringLiteral("0.0.0.0"));
    EXPECT_TRUE(
        settings_lines(window->state(), false, false)
            .contains(QStringLiteral("SERVE_ROTCTLD=0.0.0.0,%1").arg(server()->serverPort())));
}

// The Network interface pointed at the window's own server, here behind the dialogs' backs
// (a settings file, say): GO fails with the reason and the connection is dropped; a client
// of the server gets its get_info, Kestrav and this run's token.
TEST_F(HubTest, NetworkInterfaceRefusesItsOwnServer) {
    start_serving();
    EXPECT_EQ(ask("_"), rotctld_own_info().toUtf8() + '\n');
    StationState& s = window->state();
    s.SelectedInterface = RotorInterface::Network;
    s.NetworkHost = QStringLiteral("127.0.0.1");
    s.NetworkPort = port;
    ui().EditAzimut->setText(QStringLiteral("45"));
    s.RequestedAzimuth = 45;
    ui().ButtonTrack->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.beeps == 1; }, 5000));
    EXPECT_TRUE(ui().LabelEtatInterface->text().endsWith(
        QStringLiteral(" / The rotctld at this address is this Kestrav itself")))
        << ui().LabelEtatInterface->text().toStdString();
    EXPECT_FALSE(ui().ImageLedOn->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return server()->clientCount() == 0; }, 5000))
        << "the link lets go of its own server";
}

// A start on a port another program holds is told, once the window is up.
TEST_F(HubTest, TakenPortIsToldAtStart) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    start(QStringLiteral("SERVE_ROTCTLD=127.0.0.1,%1\r\n").arg(taken.serverPort()).toLatin1());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop.boxes.empty(); }));
    EXPECT_TRUE(desktop.boxes.back().text.contains(QStringLiteral("already in use")));
    EXPECT_TRUE(window->state().ServeRotctld.on) << "the row stays for the next start";
}

} // namespace
} // namespace kestrav::test
