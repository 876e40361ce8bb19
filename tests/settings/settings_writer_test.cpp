// Writing the settings lines, and reading them back under either decimal separator.

#include "settings/settings_writer.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

namespace kestrav::testing {
namespace {

TEST(SettingsWriter, FirstRunWritesTheThirtyThreeLines) {
    for (const QString sep : {".", ","}) {
        SeparatorGuard guard(sep[0]);
        // clang-format off
        const QStringList expected{
            "[KESTRAV]", "LANGUAGE=ENGLISH", "QRA_LOCATOR=", "LATTITUDE=N0" + sep + "000",
            "LONGITUDE=E0" + sep + "000", "UNIT=KM", "ANT=", "[POURSAT]", "LPT_POURSAT=0",
            "STOP_POURSAT=N", "STEP_POURSAT=1", "CALAZ_POURSAT=0" + sep + "5138901",
            "ZERO_POURSAT=0", "[FODTRACK]", "LPT_FODTRACK=0", "STOP_FODTRACK=N", "STEP_FODTRACK=1",
            "CALAZ_FODTRACK=0" + sep + "711", "ZERO_FODTRACK=0", "[EA4TX]", "STOP_EA4TX=N",
            "STEP_EA4TX=1", "[GS-232]", "PORT_GS232=0", "BAUD_GS232=", "STOP_GS232=N",
            "STEP_GS232=1", "[EASYCOMM]", "PORT_EASYCOMM=0", "BAUD_EASYCOMM=", "STOP_EASYCOMM=N",
            "STEP_EASYCOMM=1", "AZIMUT_PARKING=0"};
        // clang-format on
        EXPECT_EQ(settings_lines(StationConfig{}, false, false), expected) << sep.toStdString();
    }
}

// The network rows and the heading come last, and only once in use; read back, they give the
// same state. A reader of the five interfaces alone finds nothing it knows in them.
TEST(SettingsWriter, NetworkRowsOnlyOnceSetUp) {
    SeparatorGuard guard(u'.');
    StationConfig state;
    state.NetworkConfigured = true;
    state.NetworkHost = QStringLiteral("shack-pi");
    state.NetworkPort = 4534;
    state.stop_side(RotorInterface::Network) = StopSide::S;
    state.min_step(RotorInterface::Network) = 3;
    state.SelectedInterface = RotorInterface::Network;
    state.ParkingInterface = RotorInterface::Network;
    state.ShowHeading = true;
    state.EasyCommRange = RangeChoice::Turn450;
    state.NetworkRange = RangeChoice::Reported;
    const QStringList lines = settings_lines(state, false, false);
    EXPECT_EQ(lines.mid(34), (QStringList{"[NETWORK]", "HOST_NETWORK=shack-pi", "PORT_NETWORK=4534",
                                          "STOP_NETWORK=S", "STEP_NETWORK=3", "HEADING=ON",
                                          "RANGE_EASYCOMM=450", "RANGE_NETWORK=AUTO"}));
    EXPECT_EQ(lines[6], "ANT=NETWORK");
    EXPECT_EQ(lines[33], "PARKING=NETWORK");

    StationConfig read;
    RecordingActions actions(read);
    read_settings(lines, read, actions);
    EXPECT_TRUE(read.NetworkConfigured);
    EXPECT_EQ(read.NetworkHost, QStringLiteral("shack-pi"));
    EXPECT_EQ(read.NetworkPort, 4534);
    EXPECT_EQ(read.SelectedInterface, RotorInterface::Network);
    EXPECT_EQ(read.ParkingInterface, RotorInterface::Network);
    EXPECT_EQ(read.MinSteps, state.MinSteps);
    EXPECT_EQ(read.StopSides, state.StopSides);
    EXPECT_TRUE(read.ShowHeading);
    EXPECT_EQ(describe(read)[describe(read).size() - 2], "ranges=0 1 2");

    StationConfig bad;
    RecordingActions quiet(bad);
    read_settings({"PORT_NETWORK=70000", "PORT_NETWORK=x"}, bad, quiet);
    EXPECT_EQ(bad.NetworkPort, 4533) << "a port outside 1..65535 is not taken";
}

// Personal lists sit between the longitude and the unit, the parking interface last; a path
// with a line break would split into lines of its own and is left out.
TEST(SettingsWriter, OptionalLinesInTheirPlaces) {
    StationConfig state;
    state.PersoPathNames = {"/a/one.ksv", "/x\nANT=GS232", "/c/three.txt"};
    state.ParkingInterface = RotorInterface::Ea4tx;
    state.SelectedInterface = RotorInterface::EasyComm;
    const QStringList lines = settings_lines(state, true, true);
    ASSERT_EQ(lines.size(), 36);
    EXPECT_EQ(lines.mid(5, 4),
              (QStringList{"PERSO1_PATHNAME=/a/one.ksv", "PERSO3_PATHNAME=/c/three.txt",
                           "UNIT=MILE", "ANT=EASYCOMM"}));
    EXPECT_EQ(lines[1], "LANGUAGE=FRENCH");
    EXPECT_EQ(lines.last(), "PARKING=EA4TX");
}

TEST(SettingsWriter, NumberFormats) {
    SeparatorGuard guard(u'.');
    struct Row {
        double value;
        const char* fixed;   // local coordinates
        const char* general; // calibration and zero
        const char* whole;   // parking azimuth
    };
    for (const Row& row :
         {Row{1.0 / 3.0, "0.333", "0.3333333", "0"}, Row{2.5, "2.500", "2.5", "2"},
          Row{3.5, "3.500", "3.5", "4"}, Row{359.99996, "360.000", "360", "360"},
          Row{-12.5, "-12.500", "-12.5", "-12"}, Row{1e-8, "0.000", "1E-8", "0"}}) {
        SCOPED_TRACE(row.value);
        StationConfig state;
        state.LocalLatitude = state.PourSatZero = state.ParkingAzimuth = row.value;
        const QStringList lines = settings_lines(state, false, false);
        EXPECT_EQ(lines[3], QString("LATTITUDE=N") + row.fixed);
        EXPECT_EQ(lines[12], QString("ZERO_POURSAT=") + row.general);
        EXPECT_EQ(lines[32], QString("AZIMUT_PARKING=") + row.whole);
    }
}

TEST(SettingsRoundTrip, EveryKeyUnderBothSeparators) {
    StationConfig written;
    written.LocalLocator = "FF46KN";
    written.LocalLatitude = 33.5;
    written.LocalNorth = written.LocalEast = false;
    written.LocalLongitude = 70.25;
    written.PersoPathNames = {"/home/op/one.ksv", "/home/op/two words.txt", "/home/op/Ré.ksv"};
    written.SelectedInterface = RotorInterface::Gs232;
    written.PourSatLpt = 2;
    written.FodTrackLpt = 1;
    written.Gs232Com = 1;
    written.EasyCommCom = 3;
    written.Gs232BaudText = "4800";
    written.Gs232BaudIndex = 5;
    written.EasyCommBaudText = "4801"; // not a speed: kept as text, index unchanged
    written.MinSteps = {0, 2, 3, 4, 5};
    written.StopSides = {StopSide::S, StopSide::N, StopSide::S, StopSide::S, StopSide::N};
    written.PourSatCalAz = 0.6251;
    written.PourSatZero = -3.25;
    written.FodTrackCalAz = 0.8;
    written.FodTrackZero = 12.5;
    written.ParkingAzimuth = 270;
    written.ParkingInterface = RotorInterface::Gs232;
    written.Gs232Range = RangeChoice::Turn450;
    written.EasyCommAzEl = {true, 180};
    written.ElevationStep = 4;
    written.ParkingElevation = 30;

    for (const auto& [from, to] :
         {std::pair{u'.', u'.'}, {u',', u','}, {u',', u'.'}, {u'.', u','}}) {
        SCOPED_TRACE((std::string{char(from), '>', char(to)}));
        QStringList lines;
        {
            SeparatorGuard guard(from);
            lines = settings_lines(written, true, true);
        }
        SeparatorGuard guard(to);
        StationConfig read;
        RecordingActions actions(read);
        read_settings(lines, read, actions);
        EXPECT_EQ(describe(read), describe(written));
        EXPECT_EQ(actions.events,
                  (QStringList{"french", "mile", "port 3 1", "speed 3 5", "port 4 3",
                               "list 1 /home/op/one.ksv", "list 2 /home/op/two words.txt",
                               "list 3 /home/op/Ré.ksv"}));
        SeparatorGuard back(from);
        EXPECT_EQ(settings_lines(read, true, true), lines); // written back unchanged
    }
}

} // namespace
} // namespace kestrav::testing
