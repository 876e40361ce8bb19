// Azimuth-elevation rotators behind Kestrav's rotctld server, with Hamlib's own rotctl ("NET
// rotctl", model 2) and raw protocol lines as the clients, and the rotator controller emulator
// turning both axes on a pseudo-terminal.

#include "support/rotator_sim_process.h"
#include "support/rotctl_client.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QTcpServer>
#include <QTcpSocket>

#include <optional>

namespace kestrav::test {
namespace {

quint16 free_port() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

class AzElHub : public WindowTest {
protected:
    // A window serving rotctld with the settings `rows`, the interface `which` on COM1 and,
    // unless `emulated` is false, the emulator there with `sim` options. Anything of an earlier
    // begin() is ended first.
    void begin(const QByteArray& rows, RotorInterface which = RotorInterface::Gs232,
               const QStringList& sim = {}, bool emulated = true) {
        window.reset();
        emulator.reset();
        ++runs;
        log = dir.path() + QStringLiteral("/received%1.log").arg(runs);
        if (emulated) {
            emulator = std::make_unique<ChildProcess>();
            ASSERT_TRUE(start_rotator_sim(*emulator, dir.path(), log, sim));
        }
        port = free_port();
        start(rows + QStringLiteral("SERVE_ROTCTLD=127.0.0.1,%1\r\n").arg(port).toLatin1());
        window->formInit()->hide();
        StationState& s = window->state();
        s.SelectedInterface = which;
        (which == RotorInterface::EasyComm ? s.EasyCommCom : s.Gs232Com) = 0;
    }

    QString rotctl(const QStringList& commands) { return run_rotctl(port, commands); }

    QByteArray ask(const QByteArray& line, int lines = 1) { return ask_rotctld(port, line, lines); }

    // The position rotctl's "p" reads: azimuth and elevation.
    std::optional<std::pair<double, double>> position() {
        const QStringList lines = rotctl({QStringLiteral("p")}).split(u'\n');
        bool az_ok = false;
        bool el_ok = false;
        const double az = lines.value(0).toDouble(&az_ok);
        const double el = lines.value(1).toDouble(&el_ok);
        if (!az_ok || !el_ok)
            return std::nullopt;
        return std::pair{az, el};
    }

    // The commands the emulator has received, position questions left out, once they end with
    // `tail` (or after 10 s).
    QByteArray received_until(const QByteArray& tail) {
        QByteArray now;
        (void)QTest::qWaitFor(
            [&] {
                now = commands_received();
                return now.endsWith(tail);
            },
            10000);
        return now;
    }
    QByteArray commands_received() const {
        return received_so_far(log).replace("C2\r", "").replace("AZ EL\r", "").replace("C\r", "");
    }

    std::unique_ptr<ChildProcess> emulator;
    QString log;
    quint16 port = 0;
    int runs = 0;
};

// P turns both axes in the interface's own command; p reads both back from the rotator while
// they turn (the elevation slowly, so that a reading on the way is seen), then where they end.
TEST_F(AzElHub, RotctlTurnsBothAxesAndReadsThemOnTheWay) {
    struct Row {
        const char* name;
        QByteArray rows;
        RotorInterface which;
        QByteArray turn;
    };
    const Row rows[] = {
        {"GS-232", "AZEL_GS232=ON\r\n", RotorInterface::Gs232, "W123 045\r"},
        {"EasyComm", "AZEL_EASYCOMM=ON\r\n", RotorInterface::EasyComm, "AZ123.0 EL045.0\r"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        begin(r.rows, r.which,
              {QStringLiteral("--elevation"), QStringLiteral("--speed"), QStringLiteral("360"),
               QStringLiteral("--elevation-speed"), QStringLiteral("12")});
        ui().MenuHeading->trigger();
        EXPECT_EQ(rotctl({QStringLiteral("P"), QStringLiteral("123"), QStringLiteral("45")}),
                  QString());
        EXPECT_EQ(received_until(r.turn), r.turn);
        std::optional<std::pair<double, double>> seen;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                seen = position();
                return seen && seen->second > 0 && seen->second < 45;
            },
            8000))
            << "no elevation on the way";
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                seen = position();
                return seen && seen->first == 123 && seen->second == 45;
            },
            12000));
        EXPECT_EQ(rotctl({QStringLiteral("p")}), QStringLiteral("123.00\n45.00\n"));
        // STOP: GS-232's S stops both axes; EasyComm is told both.
        EXPECT_EQ(rotctl({QStringLiteral("S")}), QString());
        const QByteArray stop = r.which == RotorInterface::Gs232 ? "S\r" : "SA SE\r";
        EXPECT_EQ(received_until(r.turn + stop), r.turn + stop);
        EXPECT_EQ(desktop.beeps, 0);
    }
}

// What the server tells of the rotator: an azimuth-elevation one with its elevations, an
// azimuth one as before.
TEST_F(AzElHub, DumpStateTellsTheRotatorsElevations) {
    struct Row {
        QByteArray rows;
        const char* type;
        const char* max_el;
    };
    const Row rows[] = {
        {"AZEL_GS232=ON\r\n", "rot_type=AzEl\n", "max_el=90.000000\n"},
        {"AZEL_GS232=ON,180\r\n", "rot_type=AzEl\n", "max_el=180.000000\n"},
        {"AZEL_GS232=OFF\r\n", "rot_type=Az\n", "max_el=90.000000\n"},
        {"AZEL_EASYCOMM=ON,180\r\n", "rot_type=Az\n", "max_el=90.000000\n"}, // not in use
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.rows.constData());
        begin(r.rows, RotorInterface::Gs232, {}, false);
        const QByteArray state = ask("\\dump_state", 9);
        EXPECT_TRUE(state.contains(r.type)) << state.constData();
        EXPECT_TRUE(state.contains("min_el=0.000000\n")) << state.constData();
        EXPECT_TRUE(state.contains(r.max_el)) << state.constData();
    }
}

// Elevations outside the rotator's, or no number at all, are refused and nothing goes to the
// controller; the ends themselves are taken.
TEST_F(AzElHub, ElevationsOutsideAreRefusedAndNothingIsSent) {
    struct Row {
        QByteArray rows;
        QList<QByteArray> refused;
        QByteArray taken;
        QByteArray sent;
    };
    const Row rows[] = {
        {"AZEL_GS232=ON\r\n",
         {"P 123 -1", "P 123 91", "P 123 1e309", "P 123 nan", "P 123 -nan", "P 123 inf",
          "P 123 90.5", "P 123 -0.001", "P 123 45x"},
         "P 123 90",
         "W123 090\r"},
        {"AZEL_GS232=ON,180\r\n",
         {"P 10 181", "P 10 -1", "P 10 1e309", "P 10 nan"},
         "P 10 180",
         "W010 180\r"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.rows.constData());
        begin(r.rows, RotorInterface::Gs232,
              {QStringLiteral("--elevation"), QStringLiteral("--elevation-range"),
               r.rows.contains(",180") ? QStringLiteral("180") : QStringLiteral("90")});
        for (const QByteArray& line : r.refused)
            EXPECT_EQ(ask(line), "RPRT -1\n") << line.constData();
        EXPECT_EQ(ask(r.taken), "RPRT 0\n");
        EXPECT_EQ(received_until(r.sent), r.sent) << "nothing before the one taken";
        EXPECT_TRUE(desktop.boxes.empty());
        EXPECT_EQ(desktop.beeps, 0);
    }
}

// An azimuth rotator behind the server still takes (and ignores) an elevation: today's bytes.
TEST_F(AzElHub, AzimuthRotatorSendsTheAzimuthAlone) {
    begin({}, RotorInterface::Gs232, {QStringLiteral("--speed"), QStringLiteral("360")});
    EXPECT_EQ(rotctl({QStringLiteral("P"), QStringLiteral("123"), QStringLiteral("45")}),
              QString());
    EXPECT_EQ(received_until("W123\r"), "W123\r");
    EXPECT_EQ(ask("P 124 91"), "RPRT -1\n") << "still within Hamlib's 0 to 90";
    EXPECT_EQ(rotctl({QStringLiteral("p")}), QStringLiteral("123.00\n0.00\n"));
    EXPECT_EQ(commands_received(), "W123\r");
}

} // namespace
} // namespace kestrav::test
