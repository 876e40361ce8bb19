// The EA4TX interface through the real main window, with the outside rotator program's
// window played by the recording fake.

#include "app/widgets.h"
#include "rotor/x11_window_messages.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace kestrav::test {
namespace {

class ArswinWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        window->formInit()->hide();
        window->state().SelectedInterface = RotorInterface::Ea4tx;
    }

    void go(const QString& azimuth) {
        ui().ComboBoxListDX->setFocus();
        ui().EditAzimut->clear();
        type(ui().EditAzimut, azimuth);
        ASSERT_EQ(ui().EditAzimut->text(), azimuth);
        ui().ButtonTrack->click();
    }

    // The wparams of the accepted posts of the "AZIMUTH" message to the fake's window.
    std::vector<std::int64_t> sent() const {
        std::vector<std::int64_t> out;
        for (const FakePost& p : window_messages.posts) {
            EXPECT_EQ(p.window, FakeWindowMessages::kWindow);
            EXPECT_EQ(p.messageName, QStringLiteral("AZIMUTH"));
            EXPECT_EQ(p.lparam, 0);
            if (p.accepted)
                out.push_back(p.wparam);
        }
        return out;
    }

    bool led_on() const { return ui().ImageLedOn->isVisible(); }
};

TEST_F(ArswinWindowTest, TurnsSendTheRoundedTrueAzimuthAndStopSendsMinusOne) {
    struct Row {
        const char* azimuth;
        StopSide side;
        std::int64_t sent;
    };
    const Row rows[] = {
        {"123", StopSide::N, 123}, {"359.6", StopSide::N, 360}, {"2.5", StopSide::N, 2},
        {"3.5", StopSide::N, 4},   {"0.4", StopSide::N, 0},     {"90", StopSide::S, 90},
    };
    window->LabelAzimutDblClick(); // raw output display on
    for (const Row& r : rows) {
        window_messages.posts.clear();
        window->state().stop_side(RotorInterface::Ea4tx) = r.side;
        window->controller().forgetLastSent();
        go(QString::fromLatin1(r.azimuth));
        EXPECT_EQ(sent(), std::vector<std::int64_t>{r.sent}) << r.azimuth;
        EXPECT_EQ(ui().LabelAzimut->text(), QString::number(r.sent));
        EXPECT_TRUE(led_on());
        EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(),
                         QString::fromLatin1(r.azimuth).toDouble());

        ui().BitBtnStop->click();
        EXPECT_EQ(sent(), (std::vector<std::int64_t>{r.sent, -1}));
        EXPECT_EQ(ui().LabelAzimut->text(), QStringLiteral("-1"));
        EXPECT_FALSE(led_on());
        // The stop forgets the last sent azimuth: the next turn goes out whatever the step.
        EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), -10);
    }
    EXPECT_EQ(desktop.beeps + desktop.exclamation_beeps, 0);
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(ArswinWindowTest, MissingProgramWarnsOnATurnInTheCurrentLanguageOnly) {
    window_messages.windowPresent = false;
    go(QStringLiteral("45"));
    ui().BitBtnStop->click(); // silent
    // Below the minimum step nothing is looked up, so nothing is reported either.
    window->state().min_step(RotorInterface::Ea4tx) = 2;
    window->controller().setLastSent(10);
    go(QStringLiteral("11"));
    EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), 10);
    window->MenuFrancaisClick();
    go(QStringLiteral("50"));

    EXPECT_EQ(desktop.exclamation_beeps, 2);
    EXPECT_EQ(desktop.beeps, 0);
    ASSERT_EQ(desktop.boxes.size(), 2u);
    EXPECT_EQ(desktop.boxes[0].icon, BoxIcon::Warning);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("ARSWIN must be running !"));
    EXPECT_EQ(desktop.boxes[1].text, QStringLiteral("ARSWIN doit s'exécuter !"));
    EXPECT_FALSE(led_on());
    EXPECT_TRUE(window_messages.posts.empty());
}

TEST_F(ArswinWindowTest, RefusedPostBeepsAndFailsOnlyTheTurn) {
    window_messages.faults.refusePost = true;
    go(QStringLiteral("45"));
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_FALSE(led_on());
    EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), 45);
    ui().BitBtnStop->click();
    EXPECT_EQ(desktop.beeps, 2);
    ASSERT_EQ(window_messages.posts.size(), 2u);
    EXPECT_EQ(window_messages.posts[1].wparam, -1);
    EXPECT_TRUE(desktop.boxes.empty());
}

// At close the stop goes out once more unless the antenna is being parked through EA4TX.
TEST_F(ArswinWindowTest, CloseStopsUnlessParkedThroughThisInterface) {
    struct Row {
        std::optional<RotorInterface> parking;
        std::vector<std::int64_t> sent;
    };
    const Row rows[] = {
        {std::nullopt, {-1, -1}},
        {RotorInterface::Ea4tx, {-1, 180}},
        {RotorInterface::Gs232,
         {-1, -1}}, // parking set for GS232 is no parking through the selected EA4TX
    };
    for (const Row& r : rows) {
        window_messages.posts.clear();
        window->state().ParkingInterface = r.parking;
        window->state().ParkingAzimuth = 180;
        window->controller().forgetLastSent();
        ASSERT_TRUE(window->close());
        EXPECT_EQ(sent(), r.sent) << "parking " << (r.parking ? static_cast<int>(*r.parking) : -1);
        window->show();
    }
}

TEST(ArswinOffscreen, NoDisplayMeansNoWindow) {
    X11WindowMessages messages;
    EXPECT_EQ(messages.FindWindow(QStringLiteral("ThunderForm"), QStringLiteral("ARSWIN")), 0u);
    EXPECT_EQ(messages.RegisterWindowMessage(QStringLiteral("AZIMUTH")), 0u);
    EXPECT_FALSE(messages.PostMessage(1, 1, 0, 0));
}

} // namespace
} // namespace kestrav::test
