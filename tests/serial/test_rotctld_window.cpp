// The main window with a scripted rotctld that answers badly: error codes Hamlib does not
// define, unreadable reports, silence and headings no rotator can report. The window lives
// through them, tells each failed command, takes the next good answer in step and saves its
// settings at exit; a heading no answer renews leaves the dial.

#include "rotor/rotctld_link.h"
#include "serial/scripted_rotctld.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace kestrav::test {
namespace {

class RotctldWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(rotctld.listening);
        start();
        window->formInit()->hide();
        StationState& s = window->state();
        s.SelectedInterface = RotorInterface::Network;
        s.NetworkConfigured = true;
        s.NetworkHost = QStringLiteral("127.0.0.1");
        s.NetworkPort = rotctld.port();
        s.min_step(RotorInterface::Network) = 0;
        ui().NetworkLink->setAnswerTimeout(300);
        ui().MenuHeading->trigger();
        // The heading is asked at once; its answer is in before the scripts change.
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->controller().heading() == 123.0; }, 5000));
    }

    void go(const QString& azimuth) {
        ui().ComboBoxListDX->setFocus();
        ui().EditAzimut->clear();
        type(ui().EditAzimut, azimuth);
        ui().ButtonTrack->click();
    }
    // Asks the heading now rather than at the next tick, once rotctld has taken the turn to
    // `azimuth`.
    void ask_heading_after(int azimuth) {
        const QByteArray turn = "P " + QByteArray::number(azimuth) + ".0 ";
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return std::any_of(rotctld.commands.begin(), rotctld.commands.end(),
                                   [&](const QByteArray& c) { return c.startsWith(turn); });
            },
            5000));
        const qsizetype asked = rotctld.commands.count("p");
        // The answer to the command is read before the question can go.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                window->TimerHeadingTimer();
                return rotctld.commands.count("p") > asked;
            },
            5000));
    }
    QString status() const { return ui().LabelEtatInterface->text(); }

    ScriptedRotctld rotctld;
};

TEST_F(RotctldWindowTest, HostileAnswersNeitherCrashNorWedge) {
    // Only the range decides here whether the needle stays.
    ui().TimerHeadingStale->setInterval(600000);
    const char* const unreadable = "Unreadable answer from rotctld";
    const struct {
        const char* name;
        QByteArray turn;     // the answer to GO's turn
        QByteArray position; // the answer to "p", a well-behaved one when empty
        const char* failure; // what the status line tells, if anything
    } rows[] = {
        {"lowest int", "RPRT -2147483648\n", {}, "Hamlib error -2147483648"},
        {"beyond int", "RPRT -4294967296\n", {}, unreadable},
        {"letters", "RPRT abc\n", {}, unreadable},
        {"fraction", "RPRT -1.5\n", {}, unreadable},
        {"over int", "RPRT 2147483648\n", {}, unreadable},
        {"no report", "123.0\n", {}, unreadable},
        {"silence", "", {}, "No answer from rotctld"},
        {"huge heading", "RPRT 0\n", "9999999999.0\n0\n", nullptr},
        {"two turns", "RPRT 0\n", "720.000000\n0.000000\n", nullptr},
        {"past the stop", "RPRT 0\n", "400\n0\n", nullptr},
        {"negative", "RPRT 0\n", "-45.5\n0\n", nullptr},
    };
    int azimuth = 10;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        rotctld.answer = [&row](const QByteArray& command) {
            if (command.startsWith("P "))
                return row.turn;
            if (command == "p" && !row.position.isEmpty())
                return row.position;
            return ScriptedRotctld::well_behaved(command);
        };
        const int beeps = desktop.beeps;
        go(QString::number(++azimuth));
        if (row.failure) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.beeps == beeps + 1; }, 5000));
            EXPECT_FALSE(ui().ImageLedOn->isVisible());
            EXPECT_TRUE(status().endsWith(QStringLiteral(" / ") + QLatin1String(row.failure)))
                << status().toStdString();
        } else {
            ask_heading_after(azimuth);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !window->controller().heading(); }, 5000));
            EXPECT_EQ(ui().Image1->toolTip(), QStringLiteral("no reading"));
            EXPECT_EQ(desktop.beeps, beeps);
        }

        // A good answer is read in step, whatever came before it.
        rotctld.answer = ScriptedRotctld::well_behaved;
        go(QString::number(++azimuth));
        EXPECT_TRUE(ui().ImageLedOn->isVisible());
        ask_heading_after(azimuth);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->controller().heading() == 123.0; }, 5000));
        EXPECT_EQ(ui().Image1->toolTip(), QStringLiteral("123.0°"));
        EXPECT_EQ(desktop.beeps, beeps + (row.failure ? 1 : 0));
        EXPECT_FALSE(status().contains(QStringLiteral("rotctld"))) << "cleared by the next GO";
    }

    window->close();
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly)) << "settings saved at exit";
    const QByteArray saved = ini.readAll();
    EXPECT_TRUE(saved.contains("[NETWORK]") && saved.contains("HEADING=ON"));
}

// The heading a rotator gave goes from the dial once no answer has come for 3 s: here a
// rotctld that stops telling its position after STOP (the connection is made again to ask).
// A position left unanswered is not told as a failure.
TEST_F(RotctldWindowTest, HeadingNoAnswerRenewsLeavesTheDial) {
    go(QStringLiteral("20"));
    ask_heading_after(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->controller().heading() == 123.0; }, 5000));
    rotctld.answer = [](const QByteArray& command) {
        return command == "p" ? QByteArray() : QByteArray("RPRT 0\n");
    };
    const int connections = rotctld.connections;
    ui().BitBtnStop->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->controller().heading(); }, 6000));
    EXPECT_EQ(ui().Image1->toolTip(), QStringLiteral("no reading"));
    EXPECT_GT(rotctld.connections, connections) << "asked again after STOP";
    EXPECT_EQ(desktop.beeps, 0);
}

} // namespace
} // namespace kestrav::test
