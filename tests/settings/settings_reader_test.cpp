// Reading the settings lines into the state: key recognition, each key's handling, and the
// side effects handed to the window.

#include "settings/settings_reader.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

namespace kestrav {
namespace {

using testing::RecordingActions;
using testing::SeparatorGuard;
using R = RotorInterface;

struct Case {
    const char* name;
    QStringList lines;
    QStringList events;
    std::function<void(const StationState&)> check;
};

// Every row starts from the initial state (with a known local locator, so that forgetting
// it shows) and reads its lines under the '.' separator.
void run_cases(const std::vector<Case>& cases) {
    SeparatorGuard separator(u'.');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationState state;
        state.LocalLocator = QStringLiteral("JN18EU");
        RecordingActions actions(state);
        read_settings(c.lines, state, actions);
        EXPECT_EQ(actions.events, c.events);
        if (c.check)
            c.check(state);
    }
}

TEST(SettingsReaderKeys, RecognisesOnlyExactKeysWhereTheyStand) {
    run_cases({
        {"blank before key", {" ANT=GS232"}, {},
         [](const StationState& s) { EXPECT_EQ(s.SelectedInterface, R::None); }},
        {"lower-case key", {"ant=GS232"}, {},
         [](const StationState& s) { EXPECT_EQ(s.SelectedInterface, R::None); }},
        {"blank before equals", {"ANT =GS232"}, {},
         [](const StationState& s) { EXPECT_EQ(s.SelectedInterface, R::None); }},
        {"line starting with equals", {"=ANT=GS232"}, {},
         [](const StationState& s) { EXPECT_EQ(s.SelectedInterface, R::None); }},
        {"value keeps later equals", {"QRA_LOCATOR=a=b"}, {},
         [](const StationState& s) { EXPECT_EQ(s.LocalLocator, "A=B"); }},
        {"section lines anywhere", {"[EA4TX]", "LPT_POURSAT=2", "[junk"}, {},
         [](const StationState& s) { EXPECT_EQ(s.PourSatLpt, 1); }},
        {"later line wins", {"STEP_GS232=3", "STEP_GS232=4"}, {},
         [](const StationState& s) { EXPECT_EQ(s.MinSteps[3], 4); }},
        {"locator upper-cased, not validated", {"QRA_LOCATOR=jn18eu!"}, {},
         [](const StationState& s) { EXPECT_EQ(s.LocalLocator, "JN18EU!"); }},
        {"empty locator", {"QRA_LOCATOR="}, {},
         [](const StationState& s) { EXPECT_TRUE(s.LocalLocator.isEmpty()); }},
    });
}

TEST(SettingsReaderKeys, LanguageAndUnitClickOnlyForExactWords) {
    run_cases({
        {"english", {"LANGUAGE=ENGLISH"}, {"language english"}, nullptr},
        {"french", {"LANGUAGE=FRENCH"}, {"language french"}, nullptr},
        {"english in lower case", {"LANGUAGE=english"}, {}, nullptr},
        {"trailing blank", {"LANGUAGE=FRENCH "}, {}, nullptr},
        {"km then mile", {"UNIT=KM", "UNIT=MILE"}, {"unit km", "unit mile"}, nullptr},
        {"unknown unit", {"UNIT=Mile", "UNIT="}, {}, nullptr},
    });
}

TEST(SettingsReaderKeys, InterfaceAndParkingWords) {
    const QStringList words{"POURSAT", "FODTRACK", "EA4TX", "GS232", "EASYCOMM"};
    for (int i = 0; i < words.size(); ++i) {
        SCOPED_TRACE(words[i].toStdString());
        StationState state;
        RecordingActions actions(state);
        read_settings({"ANT=" + words[i], "PARKING=" + words[i]}, state, actions);
        EXPECT_EQ(state.SelectedInterface, static_cast<R>(i));
        EXPECT_EQ(state.ParkingInterface, i + 1);
    }
    run_cases({
        {"unknown word after a good ANT resets", {"ANT=GS232", "ANT=ROTOR"}, {},
         [](const StationState& s) { EXPECT_EQ(s.SelectedInterface, R::None); }},
        {"empty ANT resets", {"ANT=EA4TX", "ANT="}, {},
         [](const StationState& s) { EXPECT_EQ(s.SelectedInterface, R::None); }},
        {"unknown word after a good PARKING keeps it", {"PARKING=GS232", "PARKING=ROTOR"}, {},
         [](const StationState& s) { EXPECT_EQ(s.ParkingInterface, 4); }},
        {"empty PARKING keeps it", {"PARKING=EASYCOMM", "PARKING="}, {},
         [](const StationState& s) { EXPECT_EQ(s.ParkingInterface, 5); }},
        {"lower-case word", {"ANT=gs232", "PARKING=gs232"}, {},
         [](const StationState& s) {
             EXPECT_EQ(s.SelectedInterface, R::None);
             EXPECT_EQ(s.ParkingInterface, 0);
         }},
    });
}

TEST(SettingsReaderKeys, StopSidesAndSteps) {
    run_cases({
        {"exactly N", {"STOP_GS232=S", "STOP_GS232=N"}, {},
         [](const StationState& s) { EXPECT_EQ(s.StopSides[3], StopSide::N); }},
        {"lower-case n is S", {"STOP_GS232=n"}, {},
         [](const StationState& s) { EXPECT_EQ(s.StopSides[3], StopSide::S); }},
        {"empty is S", {"STOP_POURSAT="}, {},
         [](const StationState& s) { EXPECT_EQ(s.StopSides[0], StopSide::S); }},
        {"N with blank is S", {"STOP_EASYCOMM=N "}, {},
         [](const StationState& s) { EXPECT_EQ(s.StopSides[4], StopSide::S); }},
        {"each interface its own side",
         {"STOP_POURSAT=S", "STOP_FODTRACK=N", "STOP_EA4TX=S", "STOP_GS232=N", "STOP_EASYCOMM=S"},
         {},
         [](const StationState& s) {
             const std::array<StopSide, 5> expected{StopSide::S, StopSide::N, StopSide::S,
                                                    StopSide::N, StopSide::S};
             EXPECT_EQ(s.StopSides, expected);
         }},
        {"each interface its own step",
         {"STEP_POURSAT=0", "STEP_FODTRACK=2", "STEP_EA4TX=3", "STEP_GS232=4", "STEP_EASYCOMM=5"},
         {},
         [](const StationState& s) {
             EXPECT_EQ(s.MinSteps, (std::array<int, 5>{0, 2, 3, 4, 5}));
         }},
        {"step with leading blanks and hex", {"STEP_POURSAT=  7", "STEP_EA4TX=$A"}, {},
         [](const StationState& s) {
             EXPECT_EQ(s.MinSteps[0], 7);
             EXPECT_EQ(s.MinSteps[2], 10);
         }},
        {"unreadable step is 1", {"STEP_GS232=4", "STEP_GS232=4 "}, {},
         [](const StationState& s) { EXPECT_EQ(s.MinSteps[3], 1); }},
        {"negative step is 1", {"STEP_FODTRACK=-3"}, {},
         [](const StationState& s) { EXPECT_EQ(s.MinSteps[1], 1); }},
    });
}

TEST(SettingsReaderKeys, LptAndPortChoices) {
    constexpr int kMin = std::numeric_limits<int>::min();
    run_cases({
        {"LPT counted from 1", {"LPT_POURSAT=3", "LPT_FODTRACK=1"}, {},
         [](const StationState& s) {
             EXPECT_EQ(s.PourSatLpt, 2);
             EXPECT_EQ(s.FodTrackLpt, 0);
         }},
        {"LPT 0 is none", {"LPT_POURSAT=2", "LPT_POURSAT=0"}, {},
         [](const StationState& s) { EXPECT_EQ(s.PourSatLpt, -1); }},
        {"LPT beyond the three ports is none", {"LPT_POURSAT=7", "LPT_FODTRACK=4"}, {},
         [](const StationState& s) {
             EXPECT_EQ(s.PourSatLpt, -1);
             EXPECT_EQ(s.FodTrackLpt, -1);
         }},
        {"LPT not an integer", {"LPT_FODTRACK=2", "LPT_FODTRACK=two"}, {},
         [](const StationState& s) { EXPECT_EQ(s.FodTrackLpt, -1); }},
        {"LPT smallest integer", {"LPT_POURSAT=" + QString::number(kMin)}, {},
         [](const StationState& s) { EXPECT_EQ(s.PourSatLpt, -1); }},
        {"port sets the driver at once", {"PORT_GS232=2", "PORT_EASYCOMM=4"},
         {"port 3 1", "port 4 3"},
         [](const StationState& s) {
             EXPECT_EQ(s.Gs232Com, 1);
             EXPECT_EQ(s.EasyCommCom, 3);
         }},
        {"port beyond COM4 kept", {"PORT_GS232=12"}, {"port 3 11"},
         [](const StationState& s) { EXPECT_EQ(s.Gs232Com, 11); }},
        {"port 0 is none without driver call", {"PORT_GS232=0"}, {},
         [](const StationState& s) { EXPECT_EQ(s.Gs232Com, -1); }},
        {"negative port is none", {"PORT_EASYCOMM=-5", "PORT_GS232=" + QString::number(kMin)},
         {},
         [](const StationState& s) {
             EXPECT_EQ(s.EasyCommCom, -1);
             EXPECT_EQ(s.Gs232Com, -1);
         }},
        {"port not an integer", {"PORT_GS232=COM2"}, {},
         [](const StationState& s) { EXPECT_EQ(s.Gs232Com, -1); }},
    });
}

TEST(SettingsReaderKeys, SpeedTexts) {
    run_cases({
        {"4800 is index 5", {"BAUD_GS232=4800"}, {"speed 3 5"},
         [](const StationState& s) {
             EXPECT_EQ(s.Gs232BaudText, "4800");
             EXPECT_EQ(s.Gs232BaudIndex, 5);
         }},
        {"first and last speed", {"BAUD_EASYCOMM=110", "BAUD_GS232=115200"},
         {"speed 4 0", "speed 3 12"},
         [](const StationState& s) {
             EXPECT_EQ(s.EasyCommBaudIndex, 0);
             EXPECT_EQ(s.Gs232BaudIndex, 12);
         }},
        {"4801 kept as text, index unchanged", {"BAUD_GS232=9600", "BAUD_GS232=4801"},
         {"speed 3 6"},
         [](const StationState& s) {
             EXPECT_EQ(s.Gs232BaudText, "4801");
             EXPECT_EQ(s.Gs232BaudIndex, 6);
         }},
        {"empty value changes nothing", {"BAUD_EASYCOMM=38400", "BAUD_EASYCOMM="},
         {"speed 4 9"},
         [](const StationState& s) {
             EXPECT_EQ(s.EasyCommBaudText, "38400");
             EXPECT_EQ(s.EasyCommBaudIndex, 9);
         }},
        {"blank after speed is no speed", {"BAUD_GS232=4800 "}, {},
         [](const StationState& s) {
             EXPECT_EQ(s.Gs232BaudText, "4800 ");
             EXPECT_EQ(s.Gs232BaudIndex, 0);
         }},
    });
}

TEST(SettingsReaderKeys, PersonalListsByTheSixthCharacter) {
    run_cases({
        {"usual key", {"PERSO1_PATHNAME=/home/op/dx.ksv"}, {"list 1 /home/op/dx.ksv"},
         [](const StationState& s) { EXPECT_EQ(s.PersoPathNames[0], "/home/op/dx.ksv"); }},
        {"PERSO2= loads list 2", {"PERSO2=/a b/c.txt"}, {"list 2 /a b/c.txt"},
         [](const StationState& s) { EXPECT_EQ(s.PersoPathNames[1], "/a b/c.txt"); }},
        {"PERSO4= ignored", {"PERSO4=/x.ksv", "PERSO0=/y.ksv"}, {},
         [](const StationState& s) {
             for (const QString& path : s.PersoPathNames)
                 EXPECT_TRUE(path.isEmpty());
         }},
        {"no digit ignored", {"PERSO=/x.ksv", "PERSOX_PATHNAME=/y.ksv"}, {}, nullptr},
        {"lower case ignored", {"perso3_PATHNAME=/x.ksv"}, {}, nullptr},
        {"in file order, later wins", {"PERSO3_X=/c", "PERSO1_PATHNAME=/a", "PERSO3_PATHNAME=/d"},
         {"list 3 /c", "list 1 /a", "list 3 /d"},
         [](const StationState& s) { EXPECT_EQ(s.PersoPathNames[2], "/d"); }},
    });
}

TEST(SettingsReaderCoordinates, HemisphereLetterAndMagnitude) {
    run_cases({
        {"south and west", {"LATTITUDE=S33.500", "LONGITUDE=W70.250"}, {},
         [](const StationState& s) {
             EXPECT_FALSE(s.LocalNorth);
             EXPECT_DOUBLE_EQ(s.LocalLatitude, 33.5);
             EXPECT_FALSE(s.LocalEast);
             EXPECT_DOUBLE_EQ(s.LocalLongitude, 70.25);
             EXPECT_EQ(s.LocalLocator, "JN18EU");
         }},
        {"comma read under point", {"LATTITUDE=N48,854", "LONGITUDE=E2,351"}, {},
         [](const StationState& s) {
             EXPECT_TRUE(s.LocalNorth);
             EXPECT_DOUBLE_EQ(s.LocalLatitude, 48.854);
             EXPECT_DOUBLE_EQ(s.LocalLongitude, 2.351);
         }},
        {"any letter but N is south", {"LATTITUDE=n10.0"}, {},
         [](const StationState& s) { EXPECT_FALSE(s.LocalNorth); }},
        {"empty latitude beeps and forgets the locator", {"LATTITUDE=N12.5", "LATTITUDE="},
         {"beep"},
         [](const StationState& s) {
             EXPECT_TRUE(s.LocalLocator.isEmpty());
             EXPECT_DOUBLE_EQ(s.LocalLatitude, 12.5);
         }},
        {"unreadable longitude keeps magnitude, takes letter", {"LONGITUDE=E5", "LONGITUDE=Wxyz"},
         {"beep"},
         [](const StationState& s) {
             EXPECT_TRUE(s.LocalLocator.isEmpty());
             EXPECT_FALSE(s.LocalEast);
             EXPECT_DOUBLE_EQ(s.LocalLongitude, 5);
         }},
        {"letter alone is unreadable", {"LATTITUDE=S"}, {"beep"},
         [](const StationState& s) { EXPECT_FALSE(s.LocalNorth); }},
        {"locator read after a bad latitude stays", {"LATTITUDE=", "QRA_LOCATOR=IO91wm"},
         {"beep"}, [](const StationState& s) { EXPECT_EQ(s.LocalLocator, "IO91WM"); }},
    });
}

TEST(SettingsReaderNumbers, CalibrationZeroAndParking) {
    run_cases({
        {"calibration and zero values",
         {"CALAZ_POURSAT=0.6", "ZERO_POURSAT=-12.5", "CALAZ_FODTRACK=1E-3", "ZERO_FODTRACK=7"},
         {},
         [](const StationState& s) {
             EXPECT_DOUBLE_EQ(s.PourSatCalAz, 0.6);
             EXPECT_DOUBLE_EQ(s.PourSatZero, -12.5);
             EXPECT_DOUBLE_EQ(s.FodTrackCalAz, 0.001);
             EXPECT_DOUBLE_EQ(s.FodTrackZero, 7);
         }},
        {"calibration with comma", {"CALAZ_FODTRACK=0,75"}, {},
         [](const StationState& s) { EXPECT_DOUBLE_EQ(s.FodTrackCalAz, 0.75); }},
        {"empty calibration is skipped", {"CALAZ_POURSAT=", "ZERO_FODTRACK="}, {},
         [](const StationState& s) {
             EXPECT_DOUBLE_EQ(s.PourSatCalAz, 0.5138901);
             EXPECT_DOUBLE_EQ(s.FodTrackZero, 0);
         }},
        {"parking azimuth", {"AZIMUT_PARKING=270"}, {},
         [](const StationState& s) { EXPECT_DOUBLE_EQ(s.ParkingAzimuth, 270); }},
        {"parking comma is not exchanged", {"AZIMUT_PARKING=90", "AZIMUT_PARKING=12,5"},
         {"bad number 12,5"},
         [](const StationState& s) { EXPECT_DOUBLE_EQ(s.ParkingAzimuth, 90); }},
        {"empty parking azimuth is bad", {"AZIMUT_PARKING="}, {"bad number "}, nullptr},
        {"absurd magnitudes are bad",
         {"CALAZ_POURSAT=1e300", "ZERO_POURSAT=-2e6", "AZIMUT_PARKING=1e7"},
         {"bad number 1e300", "bad number -2e6", "bad number 1e7"},
         [](const StationState& s) {
             EXPECT_DOUBLE_EQ(s.PourSatCalAz, 0.5138901);
             EXPECT_DOUBLE_EQ(s.PourSatZero, 0);
             EXPECT_DOUBLE_EQ(s.ParkingAzimuth, 0);
         }},
        {"largest magnitude accepted", {"ZERO_FODTRACK=-1e6"}, {},
         [](const StationState& s) { EXPECT_DOUBLE_EQ(s.FodTrackZero, -1e6); }},
    });
}

// A bad calibration in the middle of the file is reported, and every line after it is
// still applied.
TEST(SettingsReaderNumbers, BadValueDoesNotStopReading) {
    SeparatorGuard separator(u'.');
    StationState state;
    RecordingActions actions(state);
    read_settings({"LANGUAGE=FRENCH", "LPT_POURSAT=2", "CALAZ_POURSAT=abc", "ZERO_POURSAT=5",
                   "ANT=EA4TX", "AZIMUT_PARKING=north", "PORT_GS232=3", "UNIT=MILE",
                   "PARKING=GS232", "PERSO1_PATHNAME=/l.ksv"},
                  state, actions);
    EXPECT_EQ(actions.events,
              (QStringList{"language french", "bad number abc", "bad number north", "port 3 2",
                           "unit mile", "list 1 /l.ksv"}));
    EXPECT_EQ(state.PourSatLpt, 1);
    EXPECT_DOUBLE_EQ(state.PourSatCalAz, 0.5138901);
    EXPECT_DOUBLE_EQ(state.PourSatZero, 5);
    EXPECT_EQ(state.SelectedInterface, R::Ea4tx);
    EXPECT_DOUBLE_EQ(state.ParkingAzimuth, 0);
    EXPECT_EQ(state.Gs232Com, 2);
    EXPECT_EQ(state.ParkingInterface, 4);
}

TEST(SettingsReaderNumbers, PointReadUnderCommaSeparator) {
    SeparatorGuard separator(u',');
    StationState state;
    RecordingActions actions(state);
    read_settings({"LATTITUDE=N48.854", "CALAZ_POURSAT=0.5", "AZIMUT_PARKING=12,5"}, state,
                  actions);
    EXPECT_TRUE(actions.events.isEmpty()) << actions.events.join(u'|').toStdString();
    EXPECT_DOUBLE_EQ(state.LocalLatitude, 48.854);
    EXPECT_DOUBLE_EQ(state.PourSatCalAz, 0.5);
    EXPECT_DOUBLE_EQ(state.ParkingAzimuth, 12.5);
}

} // namespace
} // namespace kestrav
