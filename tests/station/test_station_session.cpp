// The station session without a window: AUTO's rule, another program's requests answered in
// Hamlib's codes with what became of each (and why, for the status line), and where a DX
// station placed by its position stands in the fields.

#include "rotor/comm_port_driver.h"
#include "station/rotctld_service.h"
#include "station/station_session.h"
#include "support/parallel_port_fake.h"
#include "support/rotor_link_fake.h"
#include "support/serial_device_fake.h"
#include "support/window_messages_fake.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

namespace kestrav {
namespace {

void no_pause(int) {}

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        gs_line->presentPaths << QStringLiteral("/dev/ttyS0");
        RotorSeams seams;
        seams.gs232 = new TCommPortDriver(std::make_unique<FakeSerialDevice>(gs_line),
                                          fake_serial_clock(gs_line));
        seams.easycomm = new TCommPortDriver(std::make_unique<FakeSerialDevice>(easy_line),
                                             fake_serial_clock(easy_line));
        seams.parallel_port = &lpt;
        seams.window_messages = &messages;
        seams.network = new FakeLink;
        seams.pause = no_pause;
        session.buildRotor(seams);
        StationState& s = session.state();
        s.Gs232Com = 0;
        s.LptAddresses = {0x378, 0, 0};
        s.PourSatLpt = 0;
        s.Messages.arswin_not_running = QStringLiteral("ARSWIN must be running");
    }

    std::string ask(const char* line) {
        return rotctld_answer(QByteArrayView(line), service).text.toStdString();
    }

    // The data bytes written to the parallel port: the calibrated azimuth, then 1.
    QByteArray lpt_data() const {
        QByteArray values;
        for (const LptWriteRecord& w : lpt.writes)
            if (w.address == 0x378)
                values += QByteArray::number(w.value) + ",";
        return values;
    }

    std::shared_ptr<FakeSerialLine> gs_line = std::make_shared<FakeSerialLine>();
    std::shared_ptr<FakeSerialLine> easy_line = std::make_shared<FakeSerialLine>();
    FakeParallelPort lpt;
    FakeWindowMessages messages;
    StationSession session;
    RotctldService service{session};
};

TEST(AutoRule, EveryNewAzimuthGoesAtOnceWithAutoDownATypedOneAfterThePause) {
    using C = AzimuthChange;
    using A = AutoAction;
    const std::pair<C, A> with_auto[] = {{C::Computed, A::SendNow},
                                         {C::Outside, A::SendNow},
                                         {C::Stepped, A::SendNow},
                                         {C::LongPath, A::SendNow},
                                         {C::Typed, A::AfterPause}};
    StationSession session;
    for (const auto& [change, action] : with_auto) {
        session.setAuto(true);
        EXPECT_EQ(session.autoAction(change), action) << int(change);
        session.setAuto(false);
        EXPECT_EQ(session.autoAction(change), A::Hold) << int(change);
    }
}

// Each request is told what became of that very request, whatever the interface, and the
// reason waits for the status line; the azimuth stands as if typed unless it was refused.
TEST_F(SessionTest, EachRequestIsToldItsOwnOutcome) {
    using R = RotorInterface;
    struct Row {
        const char* name;
        R which;
        const char* line;
        const char* answer;
        const char* told; // in the reason kept, "" for none
        QByteArray sent;  // on the parallel port or the GS-232 line
        double requested; // the requested azimuth afterwards (it starts at 7)
        bool arswin_absent = false;
        LptFault fault = LptFault::None;
        std::optional<R> parking = {};
        double parking_azimuth = 200;
        RangeChoice range = RangeChoice::Turn360;
    };
    const Row rows[] = {
        {"handed over", R::PourSat, "P 180 0", "RPRT 0\n", "", "93,1,", 180},
        {"outside program absent", R::Ea4tx, "P 45 0", "RPRT -6\n", "ARSWIN must be running", "",
         45, true},
        {"parallel port fails", R::PourSat, "P 46 0", "RPRT -6\n", "not delivered", "", 46, false,
         LptFault::WriteFails},
        {"no interface", R::None, "P 47 0", "RPRT -1\n", "P 47 refused: no rotator interface", "",
         7},
        {"below the range", R::PourSat, "P -20 0", "RPRT -1\n",
         "P -20 refused: -20 is outside 0 to 360", "", 7},
        {"above the range", R::Gs232, "P 360.01 0", "RPRT -1\n", "360.01 is outside 0 to 360", "",
         7},
        {"north at the end stop", R::Gs232, "P 359.9999999999999 0", "RPRT 0\n", "", "W360\r", 0},
        {"past north on 450",
         R::Gs232,
         "P 400 0",
         "RPRT 0\n",
         "",
         "W400\r",
         40,
         false,
         LptFault::None,
         {},
         200,
         RangeChoice::Turn450},
        {"outside 450",
         R::Gs232,
         "P 450.5 0",
         "RPRT -1\n",
         "450.5 is outside 0 to 450",
         "",
         7,
         false,
         LptFault::None,
         {},
         200,
         RangeChoice::Turn450},
        {"no parking", R::PourSat, "K", "RPRT -11\n", "K refused: no parking", "", 7},
        {"parking set elsewhere", R::PourSat, "K", "RPRT -11\n", "no parking", "", 7, false,
         LptFault::None, R::Gs232},
        {"parking out of reach", R::PourSat, "K", "RPRT -1\n", "400 is outside 0 to 360", "", 7,
         false, LptFault::None, R::PourSat, 400},
        {"parked", R::Gs232, "K", "RPRT 0\n", "", "W200\r", 200, false, LptFault::None, R::Gs232},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        StationState& s = session.state();
        s.SelectedInterface = r.which;
        s.RequestedAzimuth = 7;
        s.ParkingInterface = r.parking;
        s.ParkingAzimuth = r.parking_azimuth;
        s.Gs232Range = r.range;
        messages.windowPresent = !r.arswin_absent;
        lpt.fault = r.fault;
        lpt.writes.clear();
        gs_line->written.clear();
        session.rotor().forgetLastSent();
        QSignalSpy requested(&session, &StationSession::azimuthRequested);
        QSignalSpy desk_failures(&session, &StationSession::commandFailed);

        EXPECT_EQ(ask(r.line), r.answer);
        EXPECT_EQ(r.which == R::Gs232 ? gs_line->written : lpt_data(), r.sent);
        EXPECT_TRUE(session.outsideRefusal().contains(QLatin1String(r.told)))
            << session.outsideRefusal().toStdString();
        EXPECT_EQ(session.outsideRefusal().isEmpty(), *r.told == 0);
        EXPECT_DOUBLE_EQ(s.RequestedAzimuth, r.requested);
        EXPECT_EQ(requested.size(), r.requested == 7 ? 0 : 1) << "a refusal changes nothing";
        EXPECT_TRUE(desk_failures.isEmpty()) << "another program's failure is no desk's";
        session.rotor().stop();
    }
}

// The minimum step: a request within it is already there (no error, nothing sent); a command
// handed over ends the reason shown; the operator's own failure goes to the desk.
TEST_F(SessionTest, StepRefusalAndTheDesksOwnFailures) {
    StationState& s = session.state();
    s.SelectedInterface = RotorInterface::PourSat;
    s.min_step(RotorInterface::PourSat) = 5;
    EXPECT_EQ(ask("P 90 0"), "RPRT 0\n");
    EXPECT_EQ(ask("P 92 0"), "RPRT 0\n");
    EXPECT_EQ(lpt_data(), "46,1,") << "92 is within the step of 90";
    EXPECT_EQ(ask("P -1 0"), "RPRT -1\n");
    EXPECT_FALSE(session.outsideRefusal().isEmpty());
    EXPECT_EQ(ask("P 180 0"), "RPRT 0\n");
    EXPECT_TRUE(session.outsideRefusal().isEmpty()) << "ended by a command handed over";

    QSignalSpy desk_failures(&session, &StationSession::commandFailed);
    s.PourSatLpt = -1;
    EXPECT_FALSE(session.go());
    ASSERT_EQ(desk_failures.size(), 1);
    EXPECT_EQ(desk_failures[0][0].value<GoFailure>(), GoFailure::NoPort);
    EXPECT_TRUE(session.outsideRefusal().isEmpty());
    EXPECT_EQ(ask("P 10 0"), "RPRT -6\n");
    EXPECT_EQ(desk_failures.size(), 1);
    EXPECT_TRUE(session.outsideRefusal().contains(QStringLiteral("the interface has no port")));
    session.setLanguage(UiLanguage::French);
    EXPECT_EQ(ask("P 11 0"), "RPRT -6\n");
    EXPECT_TRUE(session.outsideRefusal().contains(QStringLiteral("l'interface n'a pas de port")));
}

// A position given by another program or the map, as the DX fields show it.
TEST(DxPlacement, RoundedToTheFieldsAndKeptWhereALocatorExists) {
    struct Row {
        GeoPoint p;
        const char* latitude;
        const char* longitude;
        bool north;
        bool east;
    };
    const Row rows[] = {
        {{-33.8688, 151.2093}, "33.869", "151.209", false, true},
        {{48.85, -2.35}, "48.850", "2.350", true, false},
        {{90, 0}, "89.990", "0.000", true, true},
        {{-89.9999, 10}, "89.990", "10.000", false, true},
        {{10, 180}, "10.000", "180.000", true, false},
        {{10, 179.9996}, "10.000", "180.000", true, false},
        {{10, -180}, "10.000", "180.000", true, false},
        {{0, -0.0001}, "0.000", "0.000", true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.p.latitude << " " << r.p.longitude);
        const DxPlacement placed = place_dx_station(r.p);
        EXPECT_EQ(placed.latitude_text, QLatin1String(r.latitude));
        EXPECT_EQ(placed.longitude_text, QLatin1String(r.longitude));
        EXPECT_EQ(placed.north, r.north);
        EXPECT_EQ(placed.east, r.east);
        EXPECT_DOUBLE_EQ(placed.latitude, placed.latitude_text.toDouble());
        EXPECT_DOUBLE_EQ(placed.longitude, placed.longitude_text.toDouble());
    }
}

// The bearing and distance to the DX station, from its hemispheres, with the long path after
// the short one; nothing without both stations, nothing to measure to the own locator.
TEST(DxBearing, FromTheHemispheresWithTheLongPathAfter) {
    struct Row {
        const char* dx_locator;
        double latitude, longitude;
        bool north, east, long_path;
        std::optional<double> azimuth, distance, long_azimuth;
    };
    const Row rows[] = {
        {"NJ00AA", 0, 90, true, true, false, 90, 10000.8, {}},
        {"NJ00AA", 0, 90, true, false, false, 270, 10000.8, {}},
        {"JN05AA", 45, 0, true, true, true, 0, 5000.4, 180},
        {"JN05AA", 45, 0, false, true, false, 180, 5000.4, {}},
        {"JJ00AA", 10, 10, true, true, true, 0, 0, 180},
        {"", 45, 0, true, true, false, {}, {}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.latitude << " " << r.longitude << " " << r.north
                                        << r.east << r.long_path);
        StationSession session;
        StationState& s = session.state();
        s.LocalLocator = QStringLiteral("JJ00AA");
        s.DxLatitude = r.latitude;
        s.DxLongitude = r.longitude;
        session.setLongPath(r.long_path);
        const std::optional<DxBearing> b =
            session.dxBearing(QLatin1String(r.dx_locator), r.north, r.east);
        ASSERT_EQ(b.has_value(), r.azimuth.has_value());
        if (!b)
            continue;
        EXPECT_NEAR(b->short_path.azimuth, *r.azimuth, 1e-9);
        EXPECT_NEAR(b->short_path.distance_km, *r.distance, 1e-6);
        ASSERT_EQ(b->long_path.has_value(), r.long_azimuth.has_value());
        if (b->long_path) {
            EXPECT_NEAR(b->long_path->azimuth, *r.long_azimuth, 1e-9);
            EXPECT_NEAR(b->long_path->distance_km, kCircumferenceKm - *r.distance, 1e-6);
        }
    }
    StationSession without_local;
    EXPECT_FALSE(without_local.dxBearing(QStringLiteral("JN05AA"), true, true));
}

} // namespace
} // namespace kestrav
