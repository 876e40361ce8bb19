// The rotator command core driven through the real main window, with the controller on the
// other side of a pseudo-terminal linked as ports/COM1.

#include "app/widgets.h"
#include "rotor/comm_port_driver.h"
#include "support/pty_port.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

namespace kestrav::test {
namespace {

class RotorTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        window->formInit()->hide();
        port = std::make_unique<PtyPort>(dir.path(), QStringLiteral("COM1"));
        ASSERT_TRUE(port->ok());
        select(RotorInterface::Gs232);
    }
    void TearDown() override {
        if (window)
            window->stop_all();
        WindowTest::TearDown();
        port.reset();
    }

    void select(RotorInterface which) {
        StationState& s = window->state();
        s.SelectedInterface = which;
        s.Gs232Com = 0;
        s.EasyCommCom = 0;
    }

    // Empties the azimuth field from the program's side (no keystroke, so no beep).
    void empty_azimuth() {
        ui().ComboBoxListDX->setFocus();
        ui().EditAzimut->clear();
    }

    // Types an azimuth into the emptied field and presses GO.
    void go(const QString& azimuth) {
        empty_azimuth();
        type(ui().EditAzimut, azimuth);
        ASSERT_EQ(ui().EditAzimut->text(), azimuth);
        ui().ButtonTrack->click();
    }

    bool led_on() const { return ui().ImageLedOn->isVisible() && !ui().ImageLEDOff->isVisible(); }

    std::unique_ptr<PtyPort> port;
};

TEST_F(RotorTest, CommandBytesForEachInterface) {
    struct Row {
        RotorInterface iface;
        StopSide side;
        const char* azimuth;
        const char* bytes;
    };
    const Row rows[] = {
        {RotorInterface::Gs232, StopSide::N, "0", "W000\r"},
        {RotorInterface::Gs232, StopSide::N, "7.5", "W008\r"},
        {RotorInterface::Gs232, StopSide::N, "8.5", "W008\r"},
        {RotorInterface::Gs232, StopSide::N, "99.6", "W100\r"},
        {RotorInterface::Gs232, StopSide::N, "359.7", "W360\r"},
        {RotorInterface::Gs232, StopSide::S, "90", "W270\r"},
        {RotorInterface::Gs232, StopSide::S, "180", "W000\r"},
        {RotorInterface::EasyComm, StopSide::N, "0", "AZ000.0\r"},
        {RotorInterface::EasyComm, StopSide::N, "45", "AZ045.0\r"},
        {RotorInterface::EasyComm, StopSide::N, "359.7", "AZ360.0\r"},
        {RotorInterface::EasyComm, StopSide::S, "10", "AZ190.0\r"},
    };
    for (const Row& r : rows) {
        select(r.iface);
        window->state().stop_side(r.iface) = r.side;
        window->controller().forgetLastSent();
        go(QString::fromLatin1(r.azimuth));
        EXPECT_EQ(port->read(), QByteArray(r.bytes)) << r.azimuth;
        EXPECT_TRUE(led_on());
        // The requested azimuth is never changed by the end-stop mapping.
        EXPECT_DOUBLE_EQ(window->state().RequestedAzimuth,
                         QString::fromLatin1(r.azimuth).toDouble());
        window->stop_all(); // STOP writes its stop command and closes the port
        EXPECT_EQ(port->read(), QByteArray(r.iface == RotorInterface::Gs232 ? "S\r" : "SA\r"));
    }
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(RotorTest, MinimumStepAndItsReset) {
    go(QStringLiteral("100"));
    ASSERT_EQ(port->read(), QByteArray("W100\r"));
    // STOP leaves the antenna short of it: the same azimuth goes out again.
    ui().BitBtnStop->click();
    EXPECT_EQ(port->read(), QByteArray("S\r"));
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(), QByteArray("W100\r"));
    EXPECT_TRUE(led_on());
    go(QStringLiteral("100.5")); // closer than one degree: nothing, no beep
    EXPECT_EQ(port->read(200), QByteArray());
    EXPECT_EQ(desktop.beeps, 0);
    go(QStringLiteral("101")); // exactly one degree passes
    EXPECT_EQ(port->read(), QByteArray("W101\r"));

    // Opening the dialog from the menu stops, closes the ports and forgets the last azimuth.
    window->MenuInitClick();
    EXPECT_EQ(port->read(), QByteArray("S\r"));
    EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
    EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), -10);
    window->formInit()->hide();
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(), QByteArray("W101\r"));

    // A step of 0 sends the same azimuth again.
    window->state().min_step(RotorInterface::Gs232) = 0;
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(), QByteArray("W101\r"));
}

TEST_F(RotorTest, GoRefusesWithABeep) {
    empty_azimuth();
    ui().ButtonTrack->click(); // empty field
    EXPECT_EQ(desktop.beeps, 1);
    go(QStringLiteral("45"));
    port->read();
    window->state().SelectedInterface = RotorInterface::None;
    ui().ButtonTrack->click();
    EXPECT_EQ(desktop.beeps, 2);
    select(RotorInterface::Gs232);
    window->state().RequestedAzimuth = 400; // a parking azimuth beyond the dial
    ui().ButtonTrack->click();
    EXPECT_EQ(desktop.beeps, 3);
    EXPECT_EQ(port->read(200), QByteArray());
}

TEST_F(RotorTest, PortThatDoesNotOpenSetsTheFailureAndShowsNoLed) {
    window->stop_all();
    window->state().Gs232Com = -1; // no COM chosen: names no device
    go(QStringLiteral("45"));
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_FALSE(led_on());
    EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
    // The failure was cleared by GO: the next good command shows the LED.
    window->state().Gs232Com = 0;
    window->controller().forgetLastSent();
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(), QByteArray("W045\r"));
    EXPECT_TRUE(led_on());
}

TEST_F(RotorTest, TwoGosOpenThePortOnceAndStopOnClosedPortsWritesNothing) {
    window->stop_all();
    EXPECT_EQ(port->read(200), QByteArray());
    go(QStringLiteral("10"));
    ASSERT_TRUE(ui().CommPortDriverGS->IsOpen());
    window->state().Gs232Com = 3; // only the next opening would use it
    go(QStringLiteral("20"));
    EXPECT_EQ(port->read(), QByteArray("W010\rW020\r"));
    ui().BitBtnStop->click();
    EXPECT_EQ(port->read(), QByteArray("S\r"));
    EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
    EXPECT_FALSE(led_on());
    ui().BitBtnStop->click();
    EXPECT_EQ(port->read(200), QByteArray());
}

// Either way the loss is found, by the poll timer before the next GO or by that GO's own
// write, the GO fails with a beep and the port ends closed.
TEST_F(RotorTest, ControllerThatDisappearsFailsTheCommandCleanly) {
    window->state().min_step(RotorInterface::Gs232) = 0;
    for (const bool poll_first : {true, false}) {
        SCOPED_TRACE(poll_first ? "noticed by the poll timer" : "noticed by the write");
        port.reset(); // its link goes with it, before the next one is made
        port = std::make_unique<PtyPort>(dir.path(), QStringLiteral("COM1"));
        ASSERT_TRUE(port->ok());
        go(QStringLiteral("10"));
        ASSERT_EQ(port->read(), QByteArray("W010\r"));
        port->hang_up();
        if (poll_first)
            ASSERT_TRUE(QTest::qWaitFor([&] { return !ui().CommPortDriverGS->IsOpen(); }, 5000));
        else
            ASSERT_TRUE(ui().CommPortDriverGS->IsOpen()) << "no event has run since";
        const int beeps = desktop.beeps;
        window->TimerTrackOKTimer();
        ui().ButtonTrack->click();
        EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
        EXPECT_EQ(desktop.beeps, beeps + 1);
        EXPECT_FALSE(led_on());
        window->stop_all();
    }
}

// The LED blinks every 300 ms from the first GO until the indication ends 3.6 s later; a
// second GO meanwhile neither restarts nor lengthens it. Told by the timers' events, so that a
// loaded machine cannot fail it.
TEST_F(RotorTest, LedBlinksFromTheFirstGoForThreeSecondsAndAHalf) {
    window->TimerTrackOKTimer(); // the indication timer runs from start-up: end that first
    EXPECT_EQ(ui().TimerBlink->interval(), 300);
    EXPECT_EQ(ui().TimerTrackOK->interval(), 3600);
    go(QStringLiteral("10"));
    ASSERT_TRUE(led_on());
    EXPECT_TRUE(ui().TimerBlink->isActive());
    EXPECT_TRUE(ui().TimerTrackOK->isActive());
    QSignalSpy blinks(ui().TimerBlink, &QTimer::timeout);
    ASSERT_TRUE(blinks.wait(2000));
    EXPECT_FALSE(led_on()) << "the first blink turns it off";
    const int remaining = ui().TimerTrackOK->remainingTime();
    go(QStringLiteral("30")); // does not restart the indication
    EXPECT_LE(ui().TimerTrackOK->remainingTime(), remaining);
    QSignalSpy ended(ui().TimerTrackOK, &QTimer::timeout);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_FALSE(ui().TimerTrackOK->isActive());
    EXPECT_FALSE(ui().TimerBlink->isActive());
    EXPECT_FALSE(led_on());
}

// With the heading shown, the port is opened and asked "C" at once, then once a second; garbage
// or silence draws nothing and never beeps, a real answer moves the second needle.
TEST_F(RotorTest, HeadingFromAControllerThatAnswersBadlyOrWell) {
    // The event loop runs while the controller's end is read.
    const auto asked = [&] {
        QByteArray got;
        return QTest::qWaitFor([&] { return (got += port->read(10, 0)).endsWith("C\r"); }, 3000);
    };
    ui().MenuHeading->trigger();
    EXPECT_TRUE(asked()) << "from the start, before any GO";
    go(QStringLiteral("10"));
    ASSERT_EQ(port->read(), QByteArray("W010\r"));
    EXPECT_TRUE(asked());
    port->write("?>zz\r\n+0x12\r\n+01");
    EXPECT_TRUE(asked());
    EXPECT_FALSE(window->controller().heading());
    port->write("23\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->controller().heading() == 123.0; }, 2000))
        << "an answer split over two reads";
    EXPECT_EQ(desktop.beeps, 0);
    ui().MenuHeading->trigger();
    EXPECT_FALSE(ui().Image1->toolTip().contains(QStringLiteral("123")))
        << "switched off: no second needle";
}

TEST_F(RotorTest, AzimuthFieldInputRules) {
    empty_azimuth();
    type(ui().EditAzimut, QStringLiteral("-"));
    EXPECT_EQ(ui().EditAzimut->text(), QString());
    EXPECT_EQ(desktop.beeps, 2); // the sign, then the empty text

    QTest::keyClicks(ui().EditAzimut, QStringLiteral("12,5"));
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("12.5"));
    EXPECT_EQ(ui().EditAzimut->cursorPosition(), 3 + 1);
    EXPECT_DOUBLE_EQ(window->state().RequestedAzimuth, 12.5);
    EXPECT_EQ(window->publishedAzimuth(), QStringLiteral("12"));

    erase(ui().EditAzimut);
    desktop.beeps = 0;
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("364"));
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("36"));
    EXPECT_EQ(ui().EditAzimut->cursorPosition(), 2);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_DOUBLE_EQ(window->state().RequestedAzimuth, 36);
    EXPECT_EQ(ui().UpDownAzimut->position(), 36);

    // Typing an azimuth by hand empties the DX station.
    ui().EditDXLocator->setText(QStringLiteral("JN18EU"));
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("0"));
    EXPECT_TRUE(ui().EditDXLocator->text().isEmpty());
}

TEST_F(RotorTest, ArrowsWrapAndFollowTheField) {
    erase(ui().EditAzimut);
    ui().UpDownAzimut->setPosition(359);
    ui().UpDownAzimut->stepUp();
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("0.0"));
    EXPECT_DOUBLE_EQ(window->state().RequestedAzimuth, 0);
    ui().UpDownAzimut->stepDown();
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("359.0"));
    EXPECT_EQ(window->publishedAzimuth(), QStringLiteral("359"));
    set_decimal_separator(QLatin1Char(','));
    ui().UpDownAzimut->stepDown();
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("358,0"));

    // Tab leads from the distance through the field and its arrows to STOP and GO; the
    // arrow keys step the arrows when they have the focus.
    focus(ui().EditDistance);
    const QList<QWidget*> chain = {ui().EditAzimut, ui().UpDownAzimut, ui().BitBtnStop,
                                   ui().ButtonTrack};
    for (QWidget* next : chain) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        if (next == ui().UpDownAzimut) {
            QTest::keyClick(next, Qt::Key_Up);
            EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("359,0"));
        }
    }
}

// With AUTO down a typed azimuth goes out once, when typing pauses or on Enter, never
// keystroke by keystroke; the arrows send at once. The minimum step of 0 lets every GO out,
// so a repeat would show. PtyPort::read holds the event loop, so what it reads was sent at
// once, and the pause cannot end while it waits.
TEST_F(RotorTest, AutoSendsATypedAzimuthOnceTypingPauses) {
    window->state().min_step(RotorInterface::Gs232) = 0;
    const QTimer* pause = ui().TimerAzimutPause;
    const auto after_the_pause = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !pause->isActive(); }, 2000));
        return port->read(200);
    };
    erase(ui().EditAzimut);
    ui().SpeedButtonAuto->click();
    ASSERT_TRUE(ui().SpeedButtonAuto->isChecked());

    // The pause is about half a second, and the typed azimuth goes when it ends: not before
    // (a send while it runs would show twice, the pause's own send being the second).
    EXPECT_GE(pause->interval(), 450);
    EXPECT_LE(pause->interval(), 1000);
    QSignalSpy paused(pause, &QTimer::timeout);
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("250"));
    ASSERT_TRUE(pause->isActive());
    EXPECT_EQ(port->read(200), QByteArray()) << "nothing while typing";
    ASSERT_TRUE(paused.wait(5000));
    EXPECT_EQ(port->read(200), QByteArray("W250\r"));

    // Enter sends at once, and nothing follows the pause.
    ui().EditAzimut->selectAll();
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("123"));
    QTest::keyClick(ui().EditAzimut, Qt::Key_Return);
    EXPECT_EQ(port->read(200), QByteArray("W123\r"));
    EXPECT_EQ(after_the_pause(), QByteArray());

    // The arrows, clicked with the caret in the field, send at once, once.
    QTest::mouseClick(ui().UpDownAzimut->findChild<QToolButton*>(QStringLiteral("up")),
                      Qt::LeftButton);
    ASSERT_TRUE(ui().EditAzimut->hasFocus());
    EXPECT_EQ(port->read(200), QByteArray("W124\r"));

    // STOP, or AUTO released, before the pause: the typed azimuth stays unsent.
    ui().EditAzimut->selectAll();
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("200"));
    ui().BitBtnStop->click();
    EXPECT_EQ(after_the_pause(), QByteArray("S\r"));
    ui().EditAzimut->selectAll();
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("300"));
    ui().SpeedButtonAuto->click();
    EXPECT_FALSE(ui().SpeedButtonAuto->isChecked());
    EXPECT_EQ(after_the_pause(), QByteArray());
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(RotorTest, RawOutputDisplayShowsTheCommandText) {
    const QString caption = ui().LabelAzimut->text();
    window->LabelAzimutDblClick();
    go(QStringLiteral("45"));
    EXPECT_EQ(ui().LabelAzimut->text(), QStringLiteral("W045\r"));
    window->LabelAzimutDblClick();
    EXPECT_EQ(ui().LabelAzimut->text(), caption);
}

TEST_F(RotorTest, TestAzimuthsAreSentEvenWhenRepeatedAndClosePorts) {
    window->hand_over_test_azimuth(45);
    EXPECT_EQ(port->read(), QByteArray("W045\r"));
    EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
    EXPECT_FALSE(window->testCommandPending());
    window->hand_over_test_azimuth(45);
    EXPECT_EQ(port->read(), QByteArray("W045\r"));
    // Beyond the dial: refused with a beep, nothing sent, and the test ends there.
    window->hand_over_test_azimuth(400);
    EXPECT_EQ(port->read(200), QByteArray());
    EXPECT_GE(desktop.beeps, 1);
    EXPECT_FALSE(window->testCommandPending());
    // GO with the refused 400 still shown beeps; it does not send the 45 behind it.
    const int beeps = desktop.beeps;
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(200), QByteArray());
    EXPECT_EQ(desktop.beeps, beeps + 1);
}

// Enter and the keypad's Enter press the focused button, as Space does.
TEST_F(RotorTest, EnterPressesTheFocusedButton) {
    go(QStringLiteral("30"));
    ASSERT_EQ(port->read(), QByteArray("W030\r"));
    focus(ui().BitBtnStop);
    QTest::keyClick(ui().BitBtnStop, Qt::Key_Return);
    EXPECT_EQ(port->read(), QByteArray("S\r"));
    focus(ui().ButtonTrack);
    QTest::keyClick(ui().ButtonTrack, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(port->read(), QByteArray("W030\r"));
}

TEST_F(RotorTest, ExitParksOrStopsAndClosesThePort) {
    go(QStringLiteral("90"));
    ASSERT_EQ(port->read(), QByteArray("W090\r"));
    window->state().ParkingInterface = RotorInterface::Gs232;
    window->state().ParkingAzimuth = 180;
    window->close();
    EXPECT_FALSE(window->isVisible());
    // STOP first, then the parking command; the parked interface gets no closing string.
    EXPECT_EQ(port->read(), QByteArray("S\rW180\r"));
    EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("180"));
}

TEST_F(RotorTest, ExitWithoutParkingSendsOnlyTheStop) {
    select(RotorInterface::EasyComm);
    go(QStringLiteral("90"));
    ASSERT_EQ(port->read(), QByteArray("AZ090.0\r"));
    window->state().ParkingInterface =
        RotorInterface::Gs232; // parking set for another interface than this one
    window->state().ParkingAzimuth = 180;
    window->close();
    // No parking turn through an interface parking was not set for.
    EXPECT_EQ(port->read(), QByteArray("SA\r"));
    EXPECT_FALSE(window->state().ParkingInterface);
    EXPECT_FALSE(ui().CommPortDriverEasy->IsOpen());
}

} // namespace
} // namespace kestrav::test
