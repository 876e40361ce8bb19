// Reading settings lines into the state: which lines count, each key's handling, and the
// side effects handed to the window.

#include "settings_test_support.h"

#include <gtest/gtest.h>

namespace kestrav::testing {
namespace {

struct Case {
    const char* name;
    QStringList lines;
    QStringList changed; // describe() entries that differ from the state before reading
    QStringList events;
};

// Each row reads its lines into the initial state with a known locator (so that forgetting
// it shows), under the separator given.
void run(QChar separator, const std::vector<Case>& cases) {
    SeparatorGuard guard(separator);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationConfig before;
        before.LocalLocator = "JN18EU";
        StationConfig state = before;
        RecordingActions actions(state);
        read_settings(c.lines, state, actions);
        EXPECT_EQ(changes(before, state), c.changed);
        EXPECT_EQ(actions.events, c.events);
    }
}

TEST(SettingsReader, WhichLinesCount) {
    // clang-format off
    run(u'.', {
        {"blank before key", {" ANT=GS232"}, {}, {}},
        {"lower-case key", {"ant=GS232", "unit=MILE"}, {}, {}},
        {"blank before equals", {"ANT =GS232"}, {}, {}},
        {"line starting with equals", {"=ANT=GS232", "no equals sign"}, {}, {}},
        {"sections anywhere", {"[EA4TX]", "LPT_POURSAT=2", "[x"}, {"lpt=1 -1"}, {}},
        {"later line wins", {"STEP_GS232=3", "STEP_GS232=4"}, {"steps=1 1 1 4 1"}, {}},
        {"value keeps later equals", {"QRA_LOCATOR=a=b"}, {"locator=A=B"}, {}},
    });
    // clang-format on
}

TEST(SettingsReader, WordsAndChoices) {
    // clang-format off
    run(u'.', {
        {"language", {"LANGUAGE=FRENCH", "LANGUAGE=ENGLISH"}, {}, {"french", "english"}},
        {"lower-case english", {"LANGUAGE=english", "UNIT=Mile"}, {}, {}},
        {"unit", {"UNIT=MILE", "UNIT=KM", "UNIT="}, {}, {"mile", "km"}},
        {"POURSAT", {"ANT=POURSAT", "PARKING=POURSAT"}, {"ant=0", "parking=0 1"}, {}},
        {"FODTRACK", {"ANT=FODTRACK", "PARKING=FODTRACK"}, {"ant=1", "parking=0 2"}, {}},
        {"EA4TX", {"ANT=EA4TX", "PARKING=EA4TX"}, {"ant=2", "parking=0 3"}, {}},
        {"GS232", {"ANT=GS232", "PARKING=GS232"}, {"ant=3", "parking=0 4"}, {}},
        {"EASYCOMM", {"ANT=EASYCOMM", "PARKING=EASYCOMM"}, {"ant=4", "parking=0 5"}, {}},
        {"lower-case words", {"ANT=gs232", "PARKING=gs232"}, {}, {}},
        {"unknown ANT after good one", {"ANT=GS232", "ANT=ROTOR"}, {}, {}},
        {"unknown PARKING after good one", {"PARKING=GS232", "PARKING=ROTOR", "PARKING="},
         {"parking=0 4"}, {}},
        {"stop exactly N", {"STOP_POURSAT=N", "STOP_FODTRACK=n", "STOP_GS232=", "STOP_EA4TX=N "},
         {"stops=NSSSN"}, {}},
        {"steps", {"STEP_POURSAT=0", "STEP_FODTRACK= 7", "STEP_EA4TX=$A", "STEP_EASYCOMM=5"},
         {"steps=0 7 10 1 5"}, {}},
        {"bad and negative steps are 1", {"STEP_GS232=4", "STEP_GS232=4 ", "STEP_POURSAT=-3"},
         {}, {}},
        {"LPT from 1, 0 none", {"LPT_POURSAT=3", "LPT_FODTRACK=1", "LPT_FODTRACK=0"},
         {"lpt=2 -1"}, {}},
        {"LPT beyond three ports is none", {"LPT_POURSAT=7", "LPT_FODTRACK=-2147483648"}, {}, {}},
        {"ports set the drivers", {"PORT_GS232=2", "PORT_EASYCOMM=12"}, {"com=1 11"},
         {"port 3 1", "port 4 11"}},
        {"port none, negative, bad", {"PORT_GS232=0", "PORT_EASYCOMM=-5", "PORT_GS232=COM2"},
         {}, {}},
        {"4800 is index 5", {"BAUD_GS232=4800"}, {"baud=4800 5  -1"}, {"speed 3 5"}},
        {"4801 kept, index unchanged", {"BAUD_EASYCOMM=115200", "BAUD_EASYCOMM=4801"},
         {"baud= -1 4801 12"}, {"speed 4 12"}},
        {"empty speed ignored", {"BAUD_GS232=110", "BAUD_GS232="}, {"baud=110 0  -1"},
         {"speed 3 0"}},
        {"ranges", {"RANGE_GS232=450", "RANGE_EASYCOMM=450", "RANGE_NETWORK=AUTO"},
         {"ranges=1 1 2"}, {}},
        {"range back to 360", {"RANGE_GS232=450", "RANGE_GS232=360"}, {}, {}},
        {"azimuth-elevation rotators",
         {"AZEL_GS232=ON,180", "AZEL_EASYCOMM=ON", "STEP_ELEVATION=3", "PARKING_ELEVATION=20"},
         {"elevation=1,180 1,90 step 3 park 20"}, {}},
        {"azimuth-elevation off again", {"AZEL_GS232=ON", "AZEL_GS232=OFF"}, {}, {}},
        {"bad ranges keep 360", {"RANGE_GS232=AUTO", "RANGE_EASYCOMM=450 ", "RANGE_NETWORK=540"},
         {}, {"unread RANGE_GS232=AUTO", "unread RANGE_EASYCOMM=450 ",
              "unread RANGE_NETWORK=540"}},
    });
    // clang-format on
}

TEST(SettingsReader, PersonalListsByTheSixthCharacter) {
    // clang-format off
    run(u'.', {
        {"usual key", {"PERSO1_PATHNAME=/a b/l"}, {"perso=/a b/l||"}, {"list 1 /a b/l"}},
        {"PERSO2= loads list 2", {"PERSO2=/x"}, {"perso=|/x|"}, {"list 2 /x"}},
        {"others ignored", {"PERSO4=/x", "PERSO0=/x", "PERSO=/x", "PERSOX=/x", "perso1=/x"},
         {}, {}},
        {"each list loaded once, from its last path", {"PERSO3_Q=/c", "PERSO1=/a",
                                                        "PERSO3_PATHNAME=/d", "PERSO3=/d"},
         {"perso=/a||/d"}, {"list 1 /a", "list 3 /d"}},
    });
    // clang-format on
}

TEST(SettingsReader, LocalCoordinates) {
    // clang-format off
    run(u'.', {
        {"south and west", {"LATTITUDE=S33.500", "LONGITUDE=W70.250"},
         {"lat=S33.5", "lon=W70.25"}, {}},
        {"comma under point", {"LATTITUDE=N48,854"}, {"lat=N48.854"}, {}},
        {"empty latitude", {"LATTITUDE=N12.5", "LATTITUDE="}, {"locator=", "lat=N12.5"}, {"beep"}},
        {"bad longitude takes its letter", {"LONGITUDE=Wxyz"}, {"locator=", "lon=W0"}, {"beep"}},
        {"locator after a bad latitude", {"LATTITUDE=S", "QRA_LOCATOR=io91wm"},
         {"locator=IO91WM", "lat=S0"}, {"beep"}},
    });
    // clang-format on
    run(u',', {{"point under comma", {"LATTITUDE=N48.854"}, {"lat=N48.854"}, {}}});
}

TEST(SettingsReader, CalibrationZeroAndParkingNumbers) {
    // clang-format off
    run(u'.', {
        {"values", {"CALAZ_POURSAT=0,6", "ZERO_POURSAT=-12.5", "CALAZ_FODTRACK=1E-3",
                    "AZIMUT_PARKING=270"},
         {"poursat=0.6 -12.5", "fodtrack=0.001 0", "parking=270 0"}, {}},
        {"empty calibration skipped", {"CALAZ_POURSAT=", "ZERO_FODTRACK="}, {}, {}},
        {"parking comma not exchanged", {"AZIMUT_PARKING=12,5"}, {}, {"bad 12,5"}},
        {"empty parking is bad", {"AZIMUT_PARKING="}, {}, {"bad "}},
        {"any finite magnitude", {"CALAZ_POURSAT=1.5E+20", "ZERO_FODTRACK=-1e6",
                                  "AZIMUT_PARKING=1e7", "ZERO_POURSAT=1e400"},
         {"poursat=1.5e+20 0", "fodtrack=0.711 -1000000", "parking=10000000 0"},
         {"bad 1e400"}},
        {"at most three reports", {"CALAZ_POURSAT=a", "ZERO_POURSAT=b", "CALAZ_FODTRACK=c",
                                   "ZERO_FODTRACK=d", "AZIMUT_PARKING=e"},
         {}, {"bad a", "bad b", "bad c"}},
        // The bad value is reported and every line after it still counts.
        {"bad value in the middle",
         {"LANGUAGE=FRENCH", "LPT_POURSAT=2", "CALAZ_POURSAT=abc", "ZERO_POURSAT=5",
          "ANT=EA4TX", "AZIMUT_PARKING=north", "PORT_GS232=3", "UNIT=MILE", "PARKING=GS232"},
         {"ant=2", "lpt=1 -1", "com=2 -1", "poursat=0.5138901 5", "parking=0 4"},
         {"french", "bad abc", "bad north", "port 3 2", "mile"}},
    });
    // clang-format on
    run(u',', {{"parking comma", {"AZIMUT_PARKING=12,5"}, {"parking=12.5 0"}, {}}});
}

} // namespace
} // namespace kestrav::testing
