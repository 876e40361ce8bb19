// The main window against the rotator controller emulator turning in elevation, as an operator
// would try an azimuth-elevation rotator: GO turns both axes, and the antenna's elevation comes
// back beside the dial.

#include "setup/dialog_controls.h"
#include "support/hamlib_rotctld.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>

namespace kestrav::test {
namespace {

class AzElEmulator : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(
            emulator, dir.path(), log,
            {QStringLiteral("--speed"), QStringLiteral("360"), QStringLiteral("--elevation"),
             QStringLiteral("--elevation-range"), QStringLiteral("180")}));
        start();
        window->state().Gs232Com = 0;
    }
    void TearDown() override {
        WindowTest::TearDown();
        emulator.terminate();
        emulator.waitForFinished(5000);
    }

    ChildProcess emulator;
    QString log;
};

TEST_F(AzElEmulator, GoTurnsBothAxesAndTheElevationComesBack) {
    TFormInit* init = window->formInit();
    init->show();
    init->RadioGroupRotor->setItemIndex(static_cast<int>(RotorInterface::Gs232));
    init->RadioGroupRotorClick();
    init->findChild<QCheckBox*>(QStringLiteral("CheckBoxAzElGS"))->click();
    auto* highest = init->findChild<QComboBox*>(QStringLiteral("ComboBoxMaxElGS"));
    highest->setCurrentIndex(1);
    emit highest->activated(1);
    init->close();

    auto* elevation = window->findChild<QLineEdit*>(QStringLiteral("EditElevation"));
    ASSERT_TRUE(elevation->isVisible());
    ui().ComboBoxListDX->setFocus();
    ui().EditAzimut->clear();
    type(ui().EditAzimut, QStringLiteral("123"));
    focus(elevation);
    elevation->selectAll();
    QTest::keyClicks(elevation, QStringLiteral("135"));
    ui().ButtonTrack->click();
    EXPECT_EQ(received_at_least(log, 9), QByteArray("W123 135\r"));

    auto* reading = window->findChild<QLabel*>(QStringLiteral("LabelReportedElevation"));
    ui().MenuHeading->trigger();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return reading->isVisible() && reading->text() == QStringLiteral("El 135\u00b0"); },
        10000))
        << reading->text().toStdString();
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_EQ(emulator.state(), QProcess::Running);
}

// Hamlib's rotctld for a GS-232A before the emulator: rotctld tells with its range that the
// rotator turns in elevation, and the window and the dialog show the elevation from then on.
TEST_F(AzElEmulator, RotctldTellsItsRotatorTurnsInElevation) {
    const quint16 port = free_loopback_port();
    ChildProcess rotctld;
    ASSERT_TRUE(start_hamlib_rotctld(rotctld, QStringLiteral("601"),
                                     dir.path() + QStringLiteral("/ports/COM1"), port));
    StationState& s = window->state();
    s.SelectedInterface = RotorInterface::Network;
    s.NetworkHost = QStringLiteral("127.0.0.1");
    s.NetworkPort = port;
    s.NetworkRange = RangeChoice::Reported;
    auto* elevation = window->findChild<QLineEdit*>(QStringLiteral("EditElevation"));
    EXPECT_FALSE(elevation->isVisible()) << "not known before rotctld tells";
    auto* step = window->formInit()->findChild<QSpinBox*>(QStringLiteral("SpinEditElStepNet"));
    EXPECT_TRUE(step->isHidden());

    ui().ComboBoxListDX->setFocus();
    ui().EditAzimut->clear();
    type(ui().EditAzimut, QStringLiteral("40"));
    ui().ButtonTrack->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return elevation->isVisible(); }, 10000));
    EXPECT_FALSE(step->isHidden()) << "the dialog's rotctld tab too";

    focus(elevation);
    elevation->selectAll();
    QTest::keyClicks(elevation, QStringLiteral("30"));
    ui().ButtonTrack->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return received_so_far(log).endsWith("W040 030\r"); }, 10000))
        << received_so_far(log).toStdString();
    EXPECT_EQ(desktop.beeps, 0);
    rotctld.kill();
    rotctld.waitForFinished(5000);
}

} // namespace
} // namespace kestrav::test
