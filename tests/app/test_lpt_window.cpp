// The PourSat and FODTrack outputs through the real main window, on the recording parallel
// port library.

#include "app/widgets.h"
#include "support/window_fixture.h"

#include <QLabel>
#include <QPushButton>

#include <array>
#include <vector>

namespace kestrav::test {
namespace {

class LptWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        lpt.addresses = {0x378, 0x278, 0};
        start();
        window->formInit()->hide();
        select(RotorInterface::PourSat, 0);
    }

    void select(RotorInterface which, int lpt_choice) {
        StationState& s = window->state();
        s.SelectedInterface = which;
        (which == RotorInterface::PourSat ? s.PourSatLpt : s.FodTrackLpt) = lpt_choice;
    }

    void go(double azimuth) {
        window->state().RequestedAzimuth = azimuth;
        ui().EditAzimut->setText(QString::number(azimuth));
        ui().ButtonTrack->click();
    }

    bool led_on() const { return ui().ImageLedOn->isVisible(); }

    // The values written to `address`, in order.
    std::vector<int> values_at(std::uint16_t address) const {
        std::vector<int> values;
        for (const LptWriteRecord& w : lpt.writes)
            if (w.address == address)
                values.push_back(w.value);
        return values;
    }
};

TEST_F(LptWindowTest, GoWritesTheCalibratedByteOnTheChosenPort) {
    EXPECT_EQ(lpt.address_queries, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(window->state().LptAddresses, (std::array<unsigned short, 3>{0x378, 0x278, 0}));
    struct Row {
        RotorInterface which;
        int lpt_choice;
        StopSide side;
        double azimuth;
        std::uint16_t base;
        std::vector<int> data;
        std::size_t writes;
    };
    const Row rows[] = {
        {RotorInterface::PourSat, 0, StopSide::N, 180, 0x378, {93, 1}, 8},
        {RotorInterface::FodTrack, 1, StopSide::N, 90, 0x278, {64, 1}, 10},
        {RotorInterface::FodTrack, 0, StopSide::S, 90, 0x378, {192, 1}, 10},
    };
    window->LabelAzimutDblClick(); // the raw output display shows the byte
    for (const Row& r : rows) {
        lpt.writes.clear();
        select(r.which, r.lpt_choice);
        window->state().stop_side(r.which) = r.side;
        window->controller().forgetLastSent();
        go(r.azimuth);
        EXPECT_EQ(lpt.writes.size(), r.writes) << r.azimuth;
        EXPECT_EQ(values_at(r.base), r.data) << r.azimuth;
        EXPECT_EQ(values_at(static_cast<std::uint16_t>(r.base + 2)).size(), r.writes - 2)
            << r.azimuth;
        EXPECT_EQ(ui().LabelAzimut->text(), QString::number(r.data[0]));
        EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), r.azimuth);
        EXPECT_TRUE(led_on());
    }
    EXPECT_EQ(lpt.state_queries, 3);
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(LptWindowTest, FailedWriteBeepsShowsNoLedAndKeepsTheNewAzimuth) {
    for (LptFault fault :
         {LptFault::ClaimRefused, LptFault::WriteFails, LptFault::StateWithoutSucces}) {
        lpt.fault = fault;
        desktop.beeps = 0;
        window->controller().forgetLastSent();
        go(45);
        EXPECT_EQ(desktop.beeps, 1) << static_cast<int>(fault);
        EXPECT_FALSE(led_on());
        EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), 45);
        // Within the minimum step of the azimuth already recorded: nothing, not even a beep.
        const int queries = lpt.state_queries;
        go(45.5);
        EXPECT_EQ(desktop.beeps, 1);
        EXPECT_EQ(lpt.state_queries, queries);
    }
    // The flag was cleared by GO: the next good command lights the LED.
    lpt.fault = LptFault::None;
    go(50);
    EXPECT_TRUE(led_on());
}

TEST_F(LptWindowTest, NoPortBeepsAndWritesNothing) {
    for (int lpt_choice : {-1, 2 /* LPT3, address 0 */}) {
        select(RotorInterface::FodTrack, lpt_choice);
        desktop.beeps = 0;
        go(90);
        EXPECT_EQ(desktop.beeps, 1) << lpt_choice;
        EXPECT_TRUE(lpt.writes.empty());
        EXPECT_EQ(lpt.state_queries, 0);
        EXPECT_DOUBLE_EQ(window->controller().lastSentAzimuth(), -10);
        EXPECT_FALSE(led_on());
    }
}

TEST_F(LptWindowTest, ExitClosesAccessToThePortInUse) {
    struct Row {
        RotorInterface which;
        int lpt_choice;
        bool win_nt;
        std::vector<std::uint16_t> disabled;
    };
    const Row rows[] = {
        {RotorInterface::PourSat, 0, true, {0x378}}, {RotorInterface::FodTrack, 1, true, {0x278}},
        {RotorInterface::PourSat, -1, true, {}},     {RotorInterface::PourSat, 0, false, {}},
        {RotorInterface::Gs232, 0, true, {}},
    };
    for (const Row& r : rows) {
        if (!window)
            start();
        lpt.disables.clear();
        lpt.win_nt = r.win_nt;
        window->state().PourSatLpt = window->state().FodTrackLpt = -1;
        if (r.which == RotorInterface::Gs232)
            window->state().SelectedInterface = r.which;
        else
            select(r.which, r.lpt_choice);
        window->close();
        std::vector<std::uint16_t> disabled;
        for (const LptAccessCall& call : lpt.disables) {
            EXPECT_EQ(call.first, call.last);
            disabled.push_back(call.first);
        }
        EXPECT_EQ(disabled, r.disabled) << static_cast<int>(r.which) << " " << r.lpt_choice;
        window.reset();
    }
}

} // namespace
} // namespace kestrav::test
