// GO and STOP from the real main window, received byte for byte by the rotator controller
// emulator on the other end of ports/COM1.

#include "rotor/comm_port_driver.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>

namespace kestrav::test {
namespace {

class EmulatorSession : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        QDir().mkpath(dir.path() + QStringLiteral("/ports"));
        emulator.start(QStringLiteral(KESTRAV_ROTATOR_SIM),
                       {QStringLiteral("--link"), dir.path() + QStringLiteral("/ports/COM1"),
                        QStringLiteral("--protocol"), QStringLiteral("auto"),
                        QStringLiteral("--log"), log, QStringLiteral("--speed"),
                        QStringLiteral("360")});
        ASSERT_TRUE(emulator.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([this] { return emulator.canReadLine(); }, 5000));
        ASSERT_TRUE(emulator.readLine().startsWith("ready"));
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
        window->ComboBoxListDX->setFocus();
        window->EditAzimut->clear();
        type(window->EditAzimut, azimuth);
        window->ButtonTrack->click();
    }

    // What the emulator has received, once it holds at least `size` bytes (or after 10 s).
    QByteArray received(qsizetype size) {
        QByteArray now;
        (void)QTest::qWaitFor(
            [&] {
                QFile f(log);
                now = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
                return now.size() >= size;
            },
            10000);
        QTest::qWait(50); // anything beyond what was expected shows up now; the comparison
                          // tells whether the wait ran out
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : now;
    }

    QProcess emulator;
    QString log;
};

TEST_F(EmulatorSession, CommandsArriveByteForByte) {
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("0"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("7.5"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("8.5"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("99.6"));
    go(RotorInterface::Gs232, StopSide::N, QStringLiteral("359.7"));
    go(RotorInterface::Gs232, StopSide::S, QStringLiteral("90"));
    window->BitBtnStop->click();
    go(RotorInterface::EasyComm, StopSide::N, QStringLiteral("45"));
    window->BitBtnStop->click();
    const QByteArray expected("W000\rW008\rW008\rW100\rW360\rW270\rS\rAZ045.0\rSA\r");
    EXPECT_EQ(received(expected.size()), expected);
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_EQ(emulator.state(), QProcess::Running);
}

TEST_F(EmulatorSession, ExitParksOnTheEmulator) {
    go(RotorInterface::EasyComm, StopSide::N, QStringLiteral("10"));
    window->state().ParkingInterface = 5;
    window->state().ParkingAzimuth = 180;
    window->close();
    const QByteArray expected("AZ010.0\rSA\rAZ180.0\r");
    EXPECT_EQ(received(expected.size()), expected);
    EXPECT_FALSE(window->CommPortDriverEasy->IsOpen());
}

} // namespace
} // namespace kestrav::test
