// The rotator's policy without a window: for each interface, what a GO hands over or why it
// does not (the step test, the end-stop mapping), STOP, parking and the shut-down order, and
// how long a heading reading stays the antenna's.

#include "rotor/comm_port_driver.h"
#include "rotor/rotor_controller.h"
#include "support/parallel_port_fake.h"
#include "support/rotor_link_fake.h"
#include "support/serial_device_fake.h"
#include "support/window_messages_fake.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace kestrav {
namespace {

void no_pause(int) {}

class ControllerTest : public ::testing::Test {
public:
    // Also run again by the table tests for each row: everything starts afresh.
    void SetUp() override {
        controller.reset();
        state = StationConfig{};
        gs_line = std::make_shared<FakeSerialLine>();
        easy_line = std::make_shared<FakeSerialLine>();
        lpt = FakeParallelPort{};
        messages = FakeWindowMessages{};
        for (auto& line : {gs_line, easy_line})
            line->presentPaths << QStringLiteral("/dev/ttyS0");
        RotorSeams seams;
        seams.gs232 = new TCommPortDriver(std::make_unique<FakeSerialDevice>(gs_line),
                                          fake_serial_clock(gs_line));
        seams.easycomm = new TCommPortDriver(std::make_unique<FakeSerialDevice>(easy_line),
                                             fake_serial_clock(easy_line));
        seams.parallel_port = &lpt;
        seams.window_messages = &messages;
        link = new FakeLink;
        seams.network = link;
        seams.pause = no_pause;
        state.Gs232Com = state.EasyCommCom = 0;
        state.LptAddresses = {0x378, 0, 0};
        state.PourSatLpt = state.FodTrackLpt = 0;
        controller = std::make_unique<RotorController>(state, seams);
    }

    void select(RotorInterface which, int step = 1, StopSide side = StopSide::N) {
        state.SelectedInterface = which;
        if (which != RotorInterface::None) {
            state.min_step(which) = step;
            state.stop_side(which) = side;
        }
    }

    // What reached the rotator of the selected interface, as text.
    QByteArray sent() const {
        switch (state.SelectedInterface) {
        case RotorInterface::Gs232:
            return gs_line->written;
        case RotorInterface::EasyComm:
            return easy_line->written;
        case RotorInterface::Ea4tx: {
            QByteArray posts;
            for (const FakePost& p : messages.posts)
                posts += QByteArray::number(p.wparam) + ";";
            return posts;
        }
        case RotorInterface::Network:
            return link->sent.join(';');
        case RotorInterface::PourSat:
        case RotorInterface::FodTrack: {
            // The data lines: the calibrated byte, then 1.
            QByteArray values;
            for (const LptWriteRecord& w : lpt.writes)
                if (w.address == 0x378)
                    values += QByteArray::number(w.value) + ",";
            return values;
        }
        case RotorInterface::None:
            break;
        }
        return {};
    }

    StationConfig state;
    std::shared_ptr<FakeSerialLine> gs_line = std::make_shared<FakeSerialLine>();
    std::shared_ptr<FakeSerialLine> easy_line = std::make_shared<FakeSerialLine>();
    FakeParallelPort lpt;
    FakeWindowMessages messages;
    FakeLink* link = nullptr;
    std::unique_ptr<RotorController> controller;
};

// Interface, minimum step, stop side, last azimuth sent and requested azimuth against what
// goes out (or why nothing does) and what is then the last azimuth sent.
TEST_F(ControllerTest, GoHandsOverOrFailsByInterfaceStepAndStopSide) {
    using R = RotorInterface;
    struct Row {
        R which;
        int step;
        StopSide side;
        double last_sent;
        double requested;
        QByteArray sent; // empty: nothing went out
        std::optional<GoFailure> failure;
        double last_after;
        RangeChoice range = RangeChoice::Turn360;
        std::optional<double> heading = {}; // a fresh reading before the GO
    };
    const auto N = StopSide::N;
    const auto W = RangeChoice::Turn450;
    const auto S = StopSide::S;
    const Row rows[] = {
        {R::Gs232, 1, N, kNothingSent, 180, "W180\r", {}, 180},
        {R::Gs232, 5, N, 178, 182.9, {}, GoFailure::BelowMinimumStep, 178},
        {R::Gs232, 5, N, 178, 183, "W183\r", {}, 183},
        {R::Gs232, 5, N, kNothingSent, 0, "W000\r", {}, 0},
        {R::Gs232, 1, S, kNothingSent, 90, "W270\r", {}, 90},
        {R::Gs232, 1, S, kNothingSent, 200.4, "W020\r", {}, 200.4},
        {R::EasyComm, 1, S, kNothingSent, 10, "AZ190.0\r", {}, 10},
        {R::EasyComm, 10, S, 15, 10, {}, GoFailure::BelowMinimumStep, 15},
        {R::PourSat, 1, N, kNothingSent, 180, "93,1,", {}, 180},
        {R::PourSat, 1, S, kNothingSent, 0, "93,1,", {}, 0},
        {R::PourSat, 1, S, kNothingSent, 180, "0,1,", {}, 180},
        {R::FodTrack, 1, N, kNothingSent, 180, "128,1,", {}, 180},
        {R::Ea4tx, 1, S, kNothingSent, 90.4, "90;", {}, 90.4},
        {R::Ea4tx, 3, S, 90, 92, {}, GoFailure::BelowMinimumStep, 90},
        {R::Network, 1, S, kNothingSent, 90.45, "P904", {}, 90.45},
        {R::Gs232, 1, N, kNothingSent, 20, "W380\r", {}, 20, W, 350},
        {R::Gs232, 1, N, kNothingSent, 200, "W200\r", {}, 200, W, 350},
        {R::Gs232, 1, N, kNothingSent, 20, "C\r", {}, kNothingSent, W}, // asked first
        {R::Gs232, 1, N, kNothingSent, 20, "W020\r", {}, 20, RangeChoice::Turn360, 350},
        {R::Gs232, 1, N, kNothingSent, 10, "W370\r", {}, 10, W, 380},
        {R::Gs232, 1, S, kNothingSent, 20, "W200\r", {}, 20, W, 350},
        {R::EasyComm, 1, N, kNothingSent, 30, "AZ390.0\r", {}, 30, W, 350},
        {R::Network, 1, N, kNothingSent, 10, "P3700", {}, 10, W, 400},
        {R::Network,
         1,
         N,
         kNothingSent,
         10,
         "dump_state",
         {},
         kNothingSent,
         RangeChoice::Reported,
         350}, // the step is taken once the range is known
        {R::None, 1, N, kNothingSent, 90, {}, GoFailure::Refused, kNothingSent},
        {R::Gs232, 1, N, kNothingSent, 360, {}, GoFailure::Refused, kNothingSent},
        {R::Gs232, 1, N, kNothingSent, -0.5, {}, GoFailure::Refused, kNothingSent},
    };
    for (const Row& r : rows) {
        SetUp();
        select(r.which, r.step, r.side);
        state.Gs232Range = state.EasyCommRange = state.NetworkRange = r.range;
        state.ShowHeading = r.heading.has_value();
        if (r.heading)
            controller->headingReceived(*r.heading);
        controller->setLastSent(r.last_sent);
        QSignalSpy handed(controller.get(), &RotorController::commandHandedOver);
        QSignalSpy failed(controller.get(), &RotorController::commandFailed);
        const bool ok = controller->go(r.requested).handedOver();
        const QString row = QStringLiteral("interface %1 step %2 side %3 last %4 requested %5 "
                                           "range %6 heading %7")
                                .arg(int(r.which))
                                .arg(r.step)
                                .arg(int(r.side))
                                .arg(r.last_sent)
                                .arg(r.requested)
                                .arg(int(r.range))
                                .arg(r.heading.value_or(-1));
        SCOPED_TRACE(row.toStdString());
        EXPECT_EQ(ok, !r.failure);
        EXPECT_EQ(handed.size(), r.failure ? 0 : 1);
        ASSERT_EQ(failed.size(), r.failure ? 1 : 0);
        if (r.failure) {
            EXPECT_EQ(failed[0][0].value<GoFailure>(), *r.failure);
        }
        EXPECT_EQ(sent(), r.sent);
        EXPECT_DOUBLE_EQ(controller->lastSentAzimuth(), r.last_after);
    }
}

// Failures of the drivers: no port means no step taken; a port that will not open or a
// missing outside program comes after the step, which counts.
TEST_F(ControllerTest, DriverFailuresSayWhyAndWhetherTheStepCounted) {
    using R = RotorInterface;
    struct Row {
        R which;
        void (*break_it)(ControllerTest&);
        GoFailure failure;
        double last_after;
    };
    const Row rows[] = {
        {R::PourSat, [](ControllerTest& t) { t.state.PourSatLpt = -1; }, GoFailure::NoPort,
         kNothingSent},
        {R::FodTrack,
         [](ControllerTest& t) {
             t.state.LptAddresses = {0, 0, 0};
         },
         GoFailure::NoPort, kNothingSent},
        {R::PourSat, [](ControllerTest& t) { t.lpt.fault = LptFault::StateWithoutSucces; },
         GoFailure::NotDelivered, 45},
        {R::Gs232, [](ControllerTest& t) { t.gs_line->faults.busy = true; }, GoFailure::NoPort, 45},
        {R::EasyComm, [](ControllerTest& t) { t.easy_line->faults.goneAfterBytes = 2; },
         GoFailure::NotDelivered, 45},
        {R::Ea4tx, [](ControllerTest& t) { t.messages.windowPresent = false; },
         GoFailure::ArswinNotRunning, 45},
    };
    for (const Row& r : rows) {
        SetUp();
        select(r.which);
        r.break_it(*this);
        QSignalSpy failed(controller.get(), &RotorController::commandFailed);
        EXPECT_FALSE(controller->go(45));
        ASSERT_EQ(failed.size(), 1) << int(r.which);
        EXPECT_EQ(failed[0][0].value<GoFailure>(), r.failure) << int(r.which);
        EXPECT_DOUBLE_EQ(controller->lastSentAzimuth(), r.last_after) << int(r.which);
    }
}

// STOP reaches every interface that has a stop and lets the next command through whatever
// the step; what was last handed over is still reported.
TEST_F(ControllerTest, StopForgetsTheStepButNotWhereTheAntennaWasSent) {
    select(RotorInterface::Gs232, 10);
    ASSERT_TRUE(controller->go(100));
    link->open = true;
    QSignalSpy stopped(controller.get(), &RotorController::stopped);
    controller->stop();
    EXPECT_EQ(stopped.size(), 1);
    EXPECT_EQ(gs_line->written, QByteArray("W100\rS\r"));
    EXPECT_FALSE(gs_line->open);
    EXPECT_EQ(link->sent, QList<QByteArray>{"S"});
    ASSERT_EQ(messages.posts.size(), 1u);
    EXPECT_EQ(messages.posts[0].wparam, -1);
    EXPECT_EQ(controller->reportedAzimuth(), 100);
    EXPECT_TRUE(controller->go(101));
    EXPECT_EQ(gs_line->written, QByteArray("W100\rS\rW101\r"));
}

// Parking at exit: only through the interface it was set for, which then gets no final stop;
// a parking set for another interface is dropped.
TEST_F(ControllerTest, ShutDownParksThroughTheInterfaceItWasSetFor) {
    using R = RotorInterface;
    struct Row {
        R selected;
        std::optional<R> parking;
        QByteArray sent; // after a first GO to 100 and the exit
        bool parking_kept;
    };
    const Row rows[] = {
        {R::Gs232, R::Gs232, "W100\rS\rW200\r", true},
        {R::Gs232, R::EasyComm, "W100\rS\r", false},
        {R::Gs232, {}, "W100\rS\r", false},
        {R::EasyComm, R::EasyComm, "AZ100.0\rSA\rAZ200.0\r", true},
        {R::Network, R::Network, "P1000;S;P2000", true},
        {R::Network, R::Gs232, "P1000;S", false}, // one stop, no second connection
        {R::Ea4tx, R::Ea4tx, "100;-1;200;", true},
        {R::Ea4tx, {}, "100;-1;-1;", false},
    };
    for (const Row& r : rows) {
        SetUp();
        select(r.selected);
        state.ParkingInterface = r.parking;
        state.ParkingAzimuth = 200;
        ASSERT_TRUE(controller->go(100));
        controller->beginShutDown();
        EXPECT_EQ(controller->park(), r.parking_kept);
        controller->finishShutDown();
        EXPECT_EQ(sent(), r.sent) << int(r.selected);
        EXPECT_EQ(state.ParkingInterface.has_value(), r.parking_kept) << int(r.selected);
        EXPECT_FALSE(gs_line->open || easy_line->open || link->open) << int(r.selected);
    }
}

// With the range rotctld reports, the first turn of a connection waits for it; STOP or a
// failure drops the waiting turn, the last GO wins, and parking at exit does not wait.
TEST_F(ControllerTest, ReportedRangeIsReadBeforeTheFirstTurn) {
    select(RotorInterface::Network);
    state.NetworkRange = RangeChoice::Reported;
    state.ShowHeading = true;
    ASSERT_TRUE(controller->go(200));
    EXPECT_EQ(sent(), "dump_state");
    link->range = RotorRange{-180, 180};
    emit link->rangeReceived();
    EXPECT_EQ(sent(), "dump_state;P-1600") << "200 is reached as -160 only";

    controller->stop(); // the connection and its range are forgotten
    ASSERT_TRUE(controller->go(20));
    ASSERT_TRUE(controller->go(30));
    link->range = RotorRange{0, 450};
    emit link->headingReceived(350);
    EXPECT_EQ(controller->heading(), 350);
    emit link->rangeReceived();
    EXPECT_EQ(sent(), "dump_state;P-1600;S;dump_state;dump_state;P3900");

    // A rotator found to turn in elevation only once its range has come: the waiting turn was
    // asked without an elevation, and the rotator keeps the one it stands at.
    controller->stop();
    controller->setElevation(30);
    ASSERT_TRUE(controller->go(50));
    link->range = RotorRange{0, 360};
    link->elevations = ElevationRange{0, 90};
    emit link->rangeReceived();
    EXPECT_TRUE(sent().endsWith(";S;dump_state;P500")) << sent().toStdString();
    link->elevations.reset();

    controller->stop();
    ASSERT_TRUE(controller->go(40));
    emit link->failed(QStringLiteral("Connection refused"));
    emit link->rangeReceived();
    EXPECT_FALSE(sent().contains("P400")) << "a failed connection drops the waiting turn";

    state.ParkingInterface = RotorInterface::Network;
    state.ParkingAzimuth = 90;
    controller->beginShutDown();
    ASSERT_TRUE(controller->park());
    EXPECT_TRUE(sent().endsWith("P900")) << sent().toStdString();
}

// Positions asked for on the rotator's own scale: north at the end stop at 360 rather than
// the opposite one at 0, and a whole turn back on a rotator with an overlap, are not the
// bearing sent before. Each row is a run of GOs, each with the position a client asked for.
TEST_F(ControllerTest, StepTestComparesPositionsOnTheRotatorsScale) {
    using R = RotorInterface;
    struct Go {
        double azimuth;
        std::optional<double> position = {};
    };
    struct Row {
        const char* name;
        R which;
        StopSide side;
        RangeChoice range;
        std::vector<Go> gos;
        QByteArray sent;
    };
    const auto N = StopSide::N;
    const auto R360 = RangeChoice::Turn360;
    const auto R450 = RangeChoice::Turn450;
    const Row rows[] = {
        {"north as 360", R::Gs232, N, R360, {{0, 360}}, "W360\r"},
        {"0 then 360: the other end", R::Gs232, N, R360, {{0}, {0, 360}}, "W000\rW360\r"},
        {"360 then 359.6: the same", R::Gs232, N, R360, {{0, 360}, {359.6}}, "W360\r"},
        {"360 then 0: the other end", R::Gs232, N, R360, {{0, 360}, {0}}, "W360\rW000\r"},
        {"south stop: north is 180", R::Gs232, StopSide::S, R360, {{0, 360}}, "W180\r"},
        {"EasyComm", R::EasyComm, N, R360, {{0, 360}}, "AZ360.0\r"},
        {"outside program", R::Ea4tx, N, R360, {{0, 360}}, "360;"},
        {"rotctld", R::Network, N, R360, {{0, 360}}, "P3600"},
        {"PourSat", R::PourSat, N, R360, {{0, 360}}, "185,1,"},
        {"450: unwind", R::Gs232, N, R450, {{40, 400}, {40, 40}}, "W400\rW040\r"},
        {"450: and back",
         R::Gs232,
         N,
         R450,
         {{40, 400}, {40, 40}, {40, 400}},
         "W400\rW040\rW400\r"},
        {"450: same position", R::Gs232, N, R450, {{40, 400}, {40.5, 400.5}}, "W400\r"},
        {"rotctld 450: unwind", R::Network, N, R450, {{40, 400}, {40, 40}}, "P4000;P400"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        SetUp();
        select(r.which, 1, r.side);
        state.Gs232Range = state.NetworkRange = r.range;
        for (const Go& g : r.gos) {
            if (g.position)
                controller->preferPosition(*g.position);
            controller->go(g.azimuth);
        }
        EXPECT_EQ(sent(), r.sent);
    }
}

// With an overlap and no fresh heading (at start, after STOP), a GO asks the rotator where it
// is and goes the short way from its answer; without an answer, the bearing itself goes.
// STOP drops the waiting command; the last GO wins.
TEST_F(ControllerTest, OverlapAsksTheHeadingFirst) {
    select(RotorInterface::Gs232);
    state.Gs232Range = RangeChoice::Turn450;
    ASSERT_TRUE(controller->go(20));
    EXPECT_EQ(gs_line->written, "C\r");
    gs_line->incoming = "+0350\r\n";
    ASSERT_TRUE(QTest::qWaitFor([&] { return gs_line->written.endsWith("W380\r"); }, 3000))
        << gs_line->written.constData();
    EXPECT_EQ(controller->heading(), 350);

    controller->stop();
    controller->headingExpired();
    auto* wait = controller->findChild<QTimer*>(QStringLiteral("TimerPositionWait"));
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->interval(), RotorController::kPositionWaitMilliseconds);
    wait->setInterval(10);
    ASSERT_TRUE(controller->go(20));
    ASSERT_TRUE(controller->go(30)); // replaces the waiting 20
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wait->isActive(); }, 2000));
    EXPECT_EQ(gs_line->written, "C\rW380\rS\rC\rC\rW030\r") << "no answer: the bearing";

    controller->stop();
    ASSERT_TRUE(controller->go(40));
    controller->stop();
    ASSERT_TRUE(controller->askPosition()); // the port open again to hear the answer
    gs_line->incoming = "+0370\r\n";
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->heading() == 370; }, 3000));
    EXPECT_FALSE(gs_line->written.contains("W400")) << "STOP dropped the waiting command";

    // rotctld: the position is asked on the connection, then the turn follows it.
    select(RotorInterface::Network);
    state.NetworkRange = RangeChoice::Turn450;
    controller->headingExpired();
    ASSERT_TRUE(controller->go(20));
    EXPECT_EQ(link->sent, QList<QByteArray>{"p"});
    emit link->headingReceived(350);
    EXPECT_EQ(link->sent, (QList<QByteArray>{"p", "P3800"}));
}

// Where the antenna is, asked even while the heading is not shown: the serial port is opened
// for the question (after STOP, say) and the reading is kept without reaching the dial.
TEST_F(ControllerTest, PositionIsAskedWithTheHeadingHidden) {
    select(RotorInterface::EasyComm);
    ASSERT_TRUE(controller->go(100));
    controller->stop();
    ASSERT_FALSE(easy_line->open);
    QSignalSpy changed(controller.get(), &RotorController::headingChanged);
    EXPECT_TRUE(controller->askPosition());
    EXPECT_TRUE(easy_line->open);
    EXPECT_TRUE(easy_line->written.endsWith("AZ\r")) << easy_line->written.constData();
    easy_line->incoming = "AZ65.8\r\n";
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->heading() == 65.8; }, 3000));
    EXPECT_EQ(controller->reportedAzimuth(), 65.8);
    EXPECT_TRUE(changed.isEmpty());
    select(RotorInterface::PourSat);
    EXPECT_FALSE(controller->askPosition()) << "a parallel port cannot tell";
}

// An azimuth-elevation rotator: both axes in one command, each with its own step, the
// elevation refused outside the rotator's, both stopped and read, parked at the parking
// elevation; an azimuth rotator of the same interface gets today's bytes whatever the elevation.
TEST_F(ControllerTest, AzElRotatorsTurnStopReadAndParkBothAxes) {
    using R = RotorInterface;
    struct Row {
        R which;
        int max_elevation;
        QByteArray sent;  // GO 100/45, GO 101/46 (within both steps), GO 101/48, GO 101/91, STOP,
                          // park 200/10
        QByteArray query; // asking the position
        QByteArray answer;
        std::optional<double> read_elevation;
    };
    const Row rows[] = {
        {R::Gs232, 90, "W100 045\rW101 048\rS\rW200 010\r", "C2\r", "AZ=123  EL=045\r\n", 45},
        {R::Gs232, 180, "W100 045\rW101 048\rW101 091\rS\rW200 010\r", "C2\r", "+0123+0091\r\n",
         91},
        {R::EasyComm, 90, "AZ100.0 EL045.0\rAZ101.0 EL048.0\rSA SE\rAZ200.0 EL010.0\r", "AZ EL\r",
         "AZ123.0 EL045.0\r\n", 45},
        {R::Network, 90, "P1000 450;P1010 480;S;P2000 100", {}, {}, {}},
    };
    for (const Row& r : rows) {
        SetUp();
        select(r.which, 2);
        state.ElevationStep = 2;
        state.ParkingElevation = 10;
        state.ParkingInterface = r.which;
        state.ParkingAzimuth = 200;
        const AzElChoice choice{true, r.max_elevation};
        (r.which == R::Gs232 ? state.Gs232AzEl : state.EasyCommAzEl) = choice;
        if (r.which == R::Network)
            link->elevations = ElevationRange{0, 90};
        ASSERT_TRUE(controller->azEl(r.which));
        for (const auto& [azimuth, elevation] :
             {std::pair{100, 45}, std::pair{101, 46}, std::pair{101, 48}, std::pair{101, 91}}) {
            controller->setElevation(elevation);
            const GoResult result = controller->go(azimuth);
            if (elevation == 46) {
                EXPECT_EQ(result.failure, GoFailure::BelowMinimumStep);
            } else if (elevation == 91) {
                EXPECT_EQ(result.failure == GoFailure::Refused, r.max_elevation == 90);
            }
        }
        controller->stop();
        EXPECT_TRUE(controller->park());
        EXPECT_EQ(sent(), r.sent) << int(r.which) << " " << r.max_elevation;
        EXPECT_EQ(controller->reportedElevation(), 10);
        if (r.query.isEmpty())
            continue;
        std::shared_ptr<FakeSerialLine> line = r.which == R::Gs232 ? gs_line : easy_line;
        ASSERT_TRUE(controller->askPosition());
        // Asked once the parking command has left the line.
        EXPECT_TRUE(QTest::qWaitFor([&] { return line->written.endsWith(r.query); }, 3000))
            << line->written.constData();
        line->incoming = r.answer;
        ASSERT_TRUE(QTest::qWaitFor([&] { return controller->heading() == 123.0; }, 3000));
        EXPECT_EQ(controller->reportedElevation(), r.read_elevation);
    }
    // The same interfaces without an elevation axis: today's bytes, the elevation ignored.
    SetUp();
    select(R::EasyComm);
    controller->setElevation(200);
    ASSERT_TRUE(controller->go(100));
    controller->stop();
    EXPECT_EQ(sent(), "AZ100.0\rSA\r");
}

// A line that takes the command only in part is still a command handed over for the window
// (the LED), but whoever asked is told; rotctld that was never used gets nothing at exit.
TEST_F(ControllerTest, TimedOutWriteAndUnusedLinkAtExit) {
    select(RotorInterface::Gs232);
    gs_line->faults.stallAfterBytes = 0;
    const GoResult result = controller->go(90, Origin::Outside);
    EXPECT_TRUE(result.handedOver());
    EXPECT_TRUE(result.writeTimedOut);
    EXPECT_TRUE(gs_line->written.isEmpty());

    SetUp();
    select(RotorInterface::Network);
    controller->beginShutDown();
    controller->finishShutDown();
    EXPECT_TRUE(link->sent.isEmpty()) << link->sent.join(';').constData();
}

TEST_F(ControllerTest, ShutDownGivesTheParallelPortInUseBack) {
    select(RotorInterface::FodTrack);
    controller->beginShutDown();
    controller->finishShutDown();
    ASSERT_EQ(lpt.disables.size(), 1u);
    EXPECT_EQ(lpt.disables[0].first, 0x378);
}

// A reading is the heading until it is three seconds old; then the last azimuth sent stands
// for it. Readings are asked of the interface in use only while the heading is shown.
TEST_F(ControllerTest, HeadingStaysFreshUntilItsLifeEnds) {
    select(RotorInterface::Network);
    ASSERT_TRUE(controller->go(100));
    QSignalSpy changed(controller.get(), &RotorController::headingChanged);
    controller->headingReceived(42);
    EXPECT_EQ(controller->heading(), 42) << "kept for the rotator's rules";
    EXPECT_TRUE(changed.isEmpty()) << "but not shown";

    controller->setShowHeading(true);
    EXPECT_EQ(link->sent.last(), "p") << "asked at once";
    auto* stale = controller->findChild<QTimer*>(QStringLiteral("TimerHeadingStale"));
    ASSERT_NE(stale, nullptr);
    EXPECT_EQ(stale->interval(), RotorController::kHeadingLifeMilliseconds);
    stale->setInterval(20);
    emit link->headingReceived(123.5);
    EXPECT_EQ(controller->heading(), 123.5);
    EXPECT_EQ(controller->reportedAzimuth(), 123.5);
    emit link->headingReceived(999); // no heading a rotator reports
    EXPECT_EQ(controller->heading(), std::nullopt);
    emit link->headingReceived(124);
    ASSERT_TRUE(changed.wait(2000)); // the reading expires
    EXPECT_EQ(changed.last()[0].value<std::optional<double>>(), std::nullopt);
    EXPECT_EQ(controller->reportedAzimuth(), 100);
}

} // namespace
} // namespace kestrav
