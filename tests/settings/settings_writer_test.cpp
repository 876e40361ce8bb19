// Writing the settings lines, and reading them back under either decimal separator.

#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

using testing::RecordingActions;
using testing::SeparatorGuard;
using R = RotorInterface;

TEST(SettingsWriter, FirstRunWritesTheThirtyThreeLines) {
    for (const QChar separator : {QChar(u'.'), QChar(u',')}) {
        SCOPED_TRACE(QString(separator).toStdString());
        SeparatorGuard guard(separator);
        const QString zero = QStringLiteral("0") + separator + QStringLiteral("000");
        const QStringList expected{
            "[KESTRAV]",        "LANGUAGE=ENGLISH",
            "QRA_LOCATOR=",     "LATTITUDE=N" + zero,
            "LONGITUDE=E" + zero, "UNIT=KM",
            "ANT=",             "[POURSAT]",
            "LPT_POURSAT=0",    "STOP_POURSAT=N",
            "STEP_POURSAT=1",   "CALAZ_POURSAT=0" + QString(separator) + "5138901",
            "ZERO_POURSAT=0",   "[FODTRACK]",
            "LPT_FODTRACK=0",   "STOP_FODTRACK=N",
            "STEP_FODTRACK=1",  "CALAZ_FODTRACK=0" + QString(separator) + "711",
            "ZERO_FODTRACK=0",  "[EA4TX]",
            "STOP_EA4TX=N",     "STEP_EA4TX=1",
            "[GS-232]",         "PORT_GS232=0",
            "BAUD_GS232=",      "STOP_GS232=N",
            "STEP_GS232=1",     "[EASYCOMM]",
            "PORT_EASYCOMM=0",  "BAUD_EASYCOMM=",
            "STOP_EASYCOMM=N",  "STEP_EASYCOMM=1",
            "AZIMUT_PARKING=0",
        };
        const QStringList lines = settings_lines(StationState{}, false, false);
        ASSERT_EQ(lines.size(), 33);
        for (int i = 0; i < expected.size(); ++i)
            EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    }
}

// Optional lines sit in their rows: the personal lists between the longitude and the unit,
// the parking interface last.
TEST(SettingsWriter, OptionalLinesInTheirPlaces) {
    SeparatorGuard guard(u'.');
    StationState state;
    state.PersoPathNames = {"/a/one.ksv", "", "/c/three.txt"};
    state.ParkingInterface = 3;
    state.SelectedInterface = R::EasyComm;
    const QStringList lines = settings_lines(state, true, true);
    ASSERT_EQ(lines.size(), 36);
    EXPECT_EQ(lines[1], "LANGUAGE=FRENCH");
    EXPECT_EQ(lines[5], "PERSO1_PATHNAME=/a/one.ksv");
    EXPECT_EQ(lines[6], "PERSO3_PATHNAME=/c/three.txt");
    EXPECT_EQ(lines[7], "UNIT=MILE");
    EXPECT_EQ(lines[8], "ANT=EASYCOMM");
    EXPECT_EQ(lines[34], "AZIMUT_PARKING=0");
    EXPECT_EQ(lines[35], "PARKING=EA4TX");
}

TEST(SettingsWriter, PathWithLineBreakIsLeftOut) {
    StationState state;
    state.PersoPathNames = {"/tmp/x\nANT=GS232", "/tmp/y\r", "/tmp/ok"};
    const QStringList lines = settings_lines(state, false, false);
    EXPECT_EQ(lines.size(), 34);
    EXPECT_EQ(lines.filter("PERSO"), QStringList{"PERSO3_PATHNAME=/tmp/ok"});
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(u'\n') || line.contains(u'\r')) << line.toStdString();
}

TEST(SettingsWriter, NumberFormats) {
    SeparatorGuard guard(u'.');
    struct Row {
        const char* name;
        double value;
        QString general;    // calibration and zero keys
        QString fixed;      // local coordinates
        QString whole;      // parking azimuth
    };
    const Row rows[] = {
        {"third", 1.0 / 3.0, "0.3333333", "0.333", "0"},
        {"half to even down", 2.5, "2.5", "2.500", "2"},
        {"half to even up", 3.5, "3.5", "3.500", "4"},
        {"seven digits round up", 359.99996, "360", "360.000", "360"},
        {"negative", -12.5, "-12.5", "-12.500", "-12"},
        {"tiny switches to exponent", 1e-8, "1E-8", "0.000", "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StationState state;
        state.PourSatZero = row.value;
        state.LocalLatitude = row.value;
        state.ParkingAzimuth = row.value;
        const QStringList lines = settings_lines(state, false, false);
        EXPECT_EQ(lines[3], "LATTITUDE=N" + row.fixed);
        EXPECT_EQ(lines[12], "ZERO_POURSAT=" + row.general);
        EXPECT_EQ(lines[32], "AZIMUT_PARKING=" + row.whole);
    }
}

// A state that differs from the initial one in every field the file holds.
StationState full_state() {
    StationState s;
    s.LocalLocator = "FF46KN";
    s.LocalLatitude = 33.5;
    s.LocalNorth = false;
    s.LocalLongitude = 70.25;
    s.LocalEast = false;
    s.PersoPathNames = {"/home/op/one.ksv", "/home/op/two words.txt", "/home/op/Ré.ksv"};
    s.SelectedInterface = R::Gs232;
    s.PourSatLpt = 2;
    s.FodTrackLpt = 1;
    s.Gs232Com = 1;
    s.EasyCommCom = 3;
    s.Gs232BaudText = "4800";
    s.Gs232BaudIndex = 5;
    s.EasyCommBaudText = "115200";
    s.EasyCommBaudIndex = 12;
    s.MinSteps = {0, 2, 3, 4, 5};
    s.StopSides = {StopSide::S, StopSide::N, StopSide::S, StopSide::S, StopSide::N};
    s.PourSatCalAz = 0.6251;
    s.PourSatZero = -3.25;
    s.FodTrackCalAz = 0.8;
    s.FodTrackZero = 12.5;
    s.ParkingAzimuth = 270;
    s.ParkingInterface = 4;
    return s;
}

void expect_same_settings(const StationState& read, const StationState& written) {
    EXPECT_EQ(read.LocalLocator, written.LocalLocator);
    EXPECT_DOUBLE_EQ(read.LocalLatitude, written.LocalLatitude);
    EXPECT_EQ(read.LocalNorth, written.LocalNorth);
    EXPECT_DOUBLE_EQ(read.LocalLongitude, written.LocalLongitude);
    EXPECT_EQ(read.LocalEast, written.LocalEast);
    EXPECT_EQ(read.PersoPathNames, written.PersoPathNames);
    EXPECT_EQ(read.SelectedInterface, written.SelectedInterface);
    EXPECT_EQ(read.PourSatLpt, written.PourSatLpt);
    EXPECT_EQ(read.FodTrackLpt, written.FodTrackLpt);
    EXPECT_EQ(read.Gs232Com, written.Gs232Com);
    EXPECT_EQ(read.EasyCommCom, written.EasyCommCom);
    EXPECT_EQ(read.Gs232BaudText, written.Gs232BaudText);
    EXPECT_EQ(read.Gs232BaudIndex, written.Gs232BaudIndex);
    EXPECT_EQ(read.EasyCommBaudText, written.EasyCommBaudText);
    EXPECT_EQ(read.EasyCommBaudIndex, written.EasyCommBaudIndex);
    EXPECT_EQ(read.MinSteps, written.MinSteps);
    EXPECT_EQ(read.StopSides, written.StopSides);
    EXPECT_DOUBLE_EQ(read.PourSatCalAz, written.PourSatCalAz);
    EXPECT_DOUBLE_EQ(read.PourSatZero, written.PourSatZero);
    EXPECT_DOUBLE_EQ(read.FodTrackCalAz, written.FodTrackCalAz);
    EXPECT_DOUBLE_EQ(read.FodTrackZero, written.FodTrackZero);
    EXPECT_DOUBLE_EQ(read.ParkingAzimuth, written.ParkingAzimuth);
    EXPECT_EQ(read.ParkingInterface, written.ParkingInterface);
}

TEST(SettingsRoundTrip, EveryKeyUnderBothSeparators) {
    struct Row {
        const char* name;
        QChar written;
        QChar read;
    };
    const Row rows[] = {
        {"point to point", u'.', u'.'},
        {"comma to comma", u',', u','},
        {"comma to point", u',', u'.'},
        {"point to comma", u'.', u','},
    };
    const StationState written = full_state();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList lines;
        {
            SeparatorGuard guard(row.written);
            lines = settings_lines(written, true, true);
        }
        SeparatorGuard guard(row.read);
        StationState read;
        RecordingActions actions(read);
        read_settings(lines, read, actions);
        expect_same_settings(read, written);
        EXPECT_EQ(actions.events,
                  (QStringList{"language french", "list 1 /home/op/one.ksv",
                               "list 2 /home/op/two words.txt", "list 3 /home/op/Ré.ksv",
                               "unit mile", "port 3 1", "speed 3 5", "port 4 3", "speed 4 12"}));
    }
}

TEST(SettingsRoundTrip, InitialStateAndUnknownSpeedText) {
    StationState initial;
    StationState read;
    RecordingActions actions(read);
    read_settings(settings_lines(initial, false, false), read, actions);
    expect_same_settings(read, initial);
    EXPECT_EQ(actions.events, (QStringList{"language english", "unit km"}));

    // An unknown speed text survives a whole run: read, kept, written back.
    StationState odd;
    RecordingActions odd_actions(odd);
    read_settings({"BAUD_GS232=4801"}, odd, odd_actions);
    EXPECT_TRUE(settings_lines(odd, false, false).contains("BAUD_GS232=4801"));
    EXPECT_EQ(odd.Gs232BaudIndex, 0);
}

} // namespace
} // namespace kestrav
