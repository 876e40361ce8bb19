// The elevation field of the main window: shown only for an azimuth-elevation rotator, sent
// with the azimuth by GO and AUTO, refusing what the rotator cannot reach, showing another
// program's elevation and the antenna's reported one.

#include "azel_fixture.h"

#include "rotor/rotor_controller.h"
#include "station/station_session.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

namespace kestrav::test {
namespace {

class ElevationField : public AzElWindowTest {
protected:
    // The azimuth's and the elevation's captions, fields and arrows within the BEAM group,
    // none over another, each caption whole.
    void expect_side_by_side(const char* row) {
        QLabel* caption = window->findChild<QLabel*>(QStringLiteral("LabelElevation"));
        const QList<QWidget*> parts = {ui().LabelAzimut, ui().EditAzimut, ui().UpDownAzimut,
                                       caption,          elevation,       arrows};
        for (QWidget* w : parts) {
            const std::string name = w->objectName().toStdString();
            EXPECT_TRUE(ui().GroupBoxBeam->rect().contains(w->geometry())) << row << name;
            for (QWidget* other : parts) {
                if (other != w) {
                    EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                        << row << ": " << name << " over " << other->objectName().toStdString();
                }
            }
        }
        for (QLabel* l : {static_cast<QLabel*>(ui().LabelAzimut), caption})
            EXPECT_LE(l->sizeHint().width(), l->width()) << row << l->text().toStdString();
    }
};

TEST_F(ElevationField, ShownOnlyWhileTheInterfaceInUseTurnsInElevation) {
    const QRect caption_place = ui().LabelAzimut->geometry();
    const QRect azimuth_place = ui().EditAzimut->geometry();
    const QRect arrows_place = ui().UpDownAzimut->geometry();
    struct Row {
        const char* name;
        RotorInterface which;
        std::optional<int> highest;
        bool shown;
    };
    const Row rows[] = {
        {"GS-232 az/el", RotorInterface::Gs232, 90, true},
        {"GS-232 azimuth only", RotorInterface::Gs232, std::nullopt, false},
        {"EasyComm az/el to 180", RotorInterface::EasyComm, 180, true},
        {"EasyComm azimuth only", RotorInterface::EasyComm, std::nullopt, false},
        {"GS-232 az/el again", RotorInterface::Gs232, 90, true},
        // The GS-232's choice stays, but the interface in use turns in azimuth only.
        {"PourSat", RotorInterface::PourSat, std::nullopt, false},
    };
    EXPECT_FALSE(elevation->isVisible()) << "an azimuth rotator from the start";
    for (const Row& r : rows) {
        choose(r.which, r.highest);
        EXPECT_EQ(elevation->isVisible(), r.shown) << r.name;
        EXPECT_EQ(arrows->isVisible(), r.shown) << r.name;
        if (r.shown) {
            EXPECT_EQ(arrows->maximum(), *r.highest) << r.name;
            expect_side_by_side(r.name);
        } else {
            EXPECT_EQ(ui().LabelAzimut->geometry(), caption_place) << r.name;
            EXPECT_EQ(ui().EditAzimut->geometry(), azimuth_place) << r.name;
            EXPECT_EQ(ui().UpDownAzimut->geometry(), arrows_place) << r.name;
        }
    }
}

TEST_F(ElevationField, GoSendsBothAxesOnEachProtocol) {
    struct Row {
        RotorInterface which;
        int highest;
        const char* azimuth;
        const char* elevation;
        const char* bytes;
    };
    const Row rows[] = {
        {RotorInterface::Gs232, 90, "123", "45", "W123 045\r"},
        {RotorInterface::Gs232, 90, "7.5", "89.6", "W008 090\r"},
        {RotorInterface::Gs232, 180, "10", "135", "W010 135\r"},
        {RotorInterface::EasyComm, 90, "45", "30", "AZ045.0 EL030.0\r"},
    };
    for (const Row& r : rows) {
        choose(r.which, r.highest);
        window->controller().forgetLastSent();
        type_azimuth(QString::fromLatin1(r.azimuth));
        type_elevation(QString::fromLatin1(r.elevation));
        ASSERT_EQ(elevation->text(), QString::fromLatin1(r.elevation));
        ui().ButtonTrack->click();
        EXPECT_EQ(port->read(), QByteArray(r.bytes)) << r.bytes;
        window->stop_all();
        port->read();
    }
    EXPECT_EQ(desktop.beeps, 0);
}

// Each axis has its minimum step: an elevation change alone sends both.
TEST_F(ElevationField, AnElevationChangeAlonePassesTheStep) {
    choose(RotorInterface::Gs232, 90);
    type_azimuth(QStringLiteral("100"));
    type_elevation(QStringLiteral("10"));
    ui().ButtonTrack->click();
    ASSERT_EQ(port->read(), QByteArray("W100 010\r"));
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(200), QByteArray()) << "neither axis moved";
    type_elevation(QStringLiteral("11"));
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(), QByteArray("W100 011\r"));
}

// With AUTO down an arrow step goes at once; a typed elevation goes once typing pauses, or on
// Enter, with the azimuth as it stands.
TEST_F(ElevationField, AutoSendsStepsAtOnceAndTypingAfterThePause) {
    choose(RotorInterface::Gs232, 90);
    window->state().min_step(RotorInterface::Gs232) = 0;
    type_azimuth(QStringLiteral("200"));
    type_elevation(QStringLiteral("20"));
    ui().SpeedButtonAuto->click();
    ASSERT_TRUE(ui().SpeedButtonAuto->isChecked());

    QTest::mouseClick(arrows->findChild<QToolButton*>(QStringLiteral("up")), Qt::LeftButton);
    EXPECT_EQ(port->read(200), QByteArray("W200 021\r"));
    EXPECT_EQ(elevation->text(), QStringLiteral("21"));
    QTest::keyClick(arrows, Qt::Key_Down);
    EXPECT_EQ(port->read(200), QByteArray("W200 020\r"));

    QSignalSpy paused(ui().TimerAzimutPause, &QTimer::timeout);
    type_elevation(QStringLiteral("35"));
    EXPECT_EQ(port->read(200), QByteArray()) << "nothing while typing";
    ASSERT_TRUE(paused.wait(5000));
    EXPECT_EQ(port->read(200), QByteArray("W200 035\r"));

    type_elevation(QStringLiteral("40"));
    QTest::keyClick(elevation, Qt::Key_Return);
    EXPECT_EQ(port->read(200), QByteArray("W200 040\r"));
    EXPECT_FALSE(ui().TimerAzimutPause->isActive()) << "nothing more after the pause";

    // AUTO up: a step waits for GO.
    ui().SpeedButtonAuto->click();
    arrows->stepUp();
    EXPECT_EQ(port->read(200), QByteArray());
    EXPECT_EQ(desktop.beeps, 0);
}

// Typed or pasted, what is no elevation the rotator reaches is beeped away character by
// character; the elevation GO sends stays the last one accepted.
TEST_F(ElevationField, HostileElevationsAreRefused) {
    choose(RotorInterface::Gs232, 90);
    type_elevation(QStringLiteral("12"));
    struct Row {
        const char* typed;
        bool pasted;
        const char* left;
        double sent;
    };
    const Row rows[] = {
        {"nan", false, "", 12},
        {"nan", true, "", 12},
        {"inf", true, "", 12},
        // Infinite, then 1e30 and 1e3 too high, then "1e" reads as 1.
        {"1e309", true, "1e", 1},
        {"91", false, "9", 9},
        {"91", true, "9", 9},
        {"-1", false, "1", 1},
        {"-1", true, "", 1},
        {"45,5", false, "45.5", 45.5},
    };
    for (const Row& r : rows) {
        desktop.beeps = 0;
        focus(elevation);
        elevation->selectAll();
        if (r.pasted)
            elevation->insert(QString::fromLatin1(r.typed));
        else
            QTest::keyClicks(elevation, QString::fromLatin1(r.typed));
        EXPECT_EQ(elevation->text(), QString::fromLatin1(r.left)) << r.typed;
        EXPECT_EQ(desktop.beeps > 0, QByteArrayView(r.typed) != "45,5") << r.typed;
        EXPECT_DOUBLE_EQ(window->controller().elevation(), r.sent) << r.typed;
    }

    // A screen reader is told why while the field holds the refused text, and no longer once
    // an elevation is accepted.
    type_elevation(QStringLiteral("x"));
    EXPECT_EQ(elevation->accessibleDescription(),
              refusal_text(Refusal::Keystroke, UiLanguage::English));
    QTest::keyClicks(elevation, QStringLiteral("5"));
    EXPECT_TRUE(elevation->accessibleDescription().isEmpty());

    // GO with a field that holds no elevation is refused, and nothing goes out.
    erase(elevation);
    desktop.beeps = 0;
    type_azimuth(QStringLiteral("90"));
    ui().ButtonTrack->click();
    EXPECT_EQ(port->read(200), QByteArray());
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(ui().ButtonTrack->accessibleDescription(),
              refusal_text(Refusal::GoWithoutElevation, UiLanguage::English));
}

TEST_F(ElevationField, ArrowsStopAtTheRotatorsEnds) {
    choose(RotorInterface::Gs232, 90);
    // Tab leads from the azimuth's arrows through the elevation's field and arrows to STOP.
    focus(ui().EditAzimut);
    for (QWidget* next :
         {static_cast<QWidget*>(ui().UpDownAzimut), static_cast<QWidget*>(elevation),
          static_cast<QWidget*>(arrows), static_cast<QWidget*>(ui().BitBtnStop)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }

    type_elevation(QStringLiteral("0"));
    arrows->stepDown();
    EXPECT_EQ(arrows->position(), 0);
    EXPECT_EQ(elevation->text(), QStringLiteral("0"));
    type_elevation(QStringLiteral("90"));
    arrows->stepUp();
    EXPECT_EQ(arrows->position(), 90);
    EXPECT_DOUBLE_EQ(window->controller().elevation(), 90);
    // 180 down to 90 brings a higher elevation within reach.
    choose(RotorInterface::Gs232, 180);
    type_elevation(QStringLiteral("150"));
    choose(RotorInterface::Gs232, 90);
    EXPECT_EQ(elevation->text(), QStringLiteral("90"));
    EXPECT_DOUBLE_EQ(window->controller().elevation(), 90);
}

TEST_F(ElevationField, AnotherProgramsElevationIsShown) {
    choose(RotorInterface::Gs232, 90);
    window->session().requestPosition(150, QStringLiteral("P"), QStringLiteral("test"), 33.5);
    EXPECT_EQ(port->read(), QByteArray("W150 034\r"));
    EXPECT_EQ(elevation->text(), QStringLiteral("33.5"));
    EXPECT_EQ(arrows->position(), 34);

    // Another program parks the antenna, in both axes (the parking elevation within reach),
    // and the field shows where it went.
    StationState& s = window->state();
    s.ParkingInterface = RotorInterface::Gs232;
    s.ParkingAzimuth = 180;
    s.ParkingElevation = 5;
    window->session().requestPark(QStringLiteral("K"), QStringLiteral("test"));
    EXPECT_EQ(port->read(), QByteArray("W180 005\r"));
    EXPECT_EQ(elevation->text(), QStringLiteral("5"));
    s.ParkingElevation = 150;
    window->session().requestPark(QStringLiteral("K"), QStringLiteral("test"));
    EXPECT_EQ(port->read(), QByteArray("W180 090\r"));
}

// The rotator's answer to "C2" shows its elevation beside the dial, in its tooltip and in what
// a screen reader reads of it, while the heading is shown.
TEST_F(ElevationField, ReportedElevationBesideTheHeading) {
    choose(RotorInterface::Gs232, 90);
    auto* reading = window->findChild<QLabel*>(QStringLiteral("LabelReportedElevation"));
    ASSERT_NE(reading, nullptr);
    ui().MenuHeading->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return port->read(10, 0).endsWith("C2\r"); }, 3000));
    port->write("+0123+0045\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reading->isVisible(); }, 2000));
    EXPECT_EQ(reading->text(), QStringLiteral("El 45\u00b0"));
    EXPECT_TRUE(ui().Image1->toolTip().contains(QStringLiteral("El 45.0\u00b0")))
        << ui().Image1->toolTip().toStdString();
    EXPECT_TRUE(ui().Image1->accessibleDescription().contains(
        QStringLiteral("antenna elevation 45.0 degrees")));

    ui().MenuFrancais->trigger();
    EXPECT_EQ(reading->text(), QStringLiteral("\u00c9l 45\u00b0"));
    EXPECT_TRUE(ui().Image1->accessibleDescription().contains(
        QStringLiteral("\u00e9l\u00e9vation de l'antenne 45.0 degr\u00e9s")))
        << ui().Image1->accessibleDescription().toStdString();

    ui().MenuHeading->trigger();
    EXPECT_FALSE(reading->isVisible()) << "the heading no longer shown";
    EXPECT_FALSE(ui().Image1->accessibleDescription().contains(QStringLiteral("45")));
    // The reading grows stale while hidden: shown again, it is gone, not the old 45.
    auto* rotor = window->findChild<RotorController*>();
    ASSERT_NE(rotor, nullptr);
    rotor->headingExpired();
    ui().MenuHeading->trigger();
    EXPECT_FALSE(reading->isVisible());
    EXPECT_FALSE(ui().Image1->toolTip().contains(QStringLiteral("El 45")));
}

// A controller that answers badly: elevations out of the rotator's reach, not numbers or
// endless are no reading, and the azimuth beside them is still read.
TEST_F(ElevationField, BadElevationAnswersAreNoReading) {
    choose(RotorInterface::Gs232, 90);
    auto* reading = window->findChild<QLabel*>(QStringLiteral("LabelReportedElevation"));
    RotorController& rotor = window->controller();
    ui().MenuHeading->trigger();
    for (const char* answer :
         {"+0121+0091\r\n", "AZ=122  EL=1e309\r\n", "AZ=123  EL=nan\r\n", "+0124+0-01\r\n"}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return port->read(10, 0).endsWith("C2\r"); }, 3000));
        port->write(answer);
        const double azimuth = QByteArray(answer).mid(answer[0] == '+' ? 2 : 3, 3).toDouble();
        ASSERT_TRUE(QTest::qWaitFor([&] { return rotor.heading() == azimuth; }, 3000)) << answer;
        EXPECT_FALSE(rotor.elevationReading()) << answer;
        EXPECT_FALSE(reading->isVisible()) << answer;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return port->read(10, 0).endsWith("C2\r"); }, 3000));
    port->write(QByteArray(5000, '+') + "\r\n+0125+0045\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reading->isVisible(); }, 3000));
    EXPECT_EQ(reading->text(), QStringLiteral("El 45\u00b0"));
}

TEST_F(ElevationField, FrenchTextsAndScreenReaderNames) {
    choose(RotorInterface::Gs232, 90);
    auto* caption = window->findChild<QLabel*>(QStringLiteral("LabelElevation"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QStringLiteral("El"));
    EXPECT_EQ(elevation->accessibleName(), QStringLiteral("Elevation, degrees"));
    ui().MenuFrancais->trigger();
    EXPECT_EQ(caption->text(), QStringLiteral("\u00c9l"));
    expect_side_by_side("French");
    EXPECT_EQ(elevation->accessibleName(), QStringLiteral("\u00c9l\u00e9vation, degr\u00e9s"));
    EXPECT_EQ(arrows->accessibleName(),
              QStringLiteral("\u00c9l\u00e9vation, un degr\u00e9 de plus ou de moins"));
    EXPECT_EQ(in_dialog<QCheckBox>(QStringLiteral("CheckBoxAzElGS"))->text(),
              QStringLiteral("Rotor azimut et \u00e9l\u00e9vation"));
    type_elevation(QStringLiteral("x"));
    EXPECT_EQ(elevation->accessibleDescription(),
              refusal_text(Refusal::Keystroke, UiLanguage::French));
}

} // namespace
} // namespace kestrav::test
