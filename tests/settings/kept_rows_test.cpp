// Unreadable rows of the later settings: told once when read, written back byte for byte
// while their setting is unchanged, written anew once the operator changes it.

#include "lists/text_decoding.h"
#include "settings/settings_file.h"
#include "settings/settings_writer.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrav::testing {
namespace {

struct Row {
    const char* text;                           // the unreadable row as the file holds it
    std::function<void(StationConfig&)> change; // what the operator then does to its setting
    const char* anew;                           // the row written after the change, "" for none
};

// The rows that follow the 33 lines of a first run, in the order the writer gives them.
QStringList written_after_first_run(const StationConfig& state) {
    return settings_lines(state, false, false).mid(33);
}

TEST(KeptRows, UnreadableRowsAreToldOnceAndWrittenBackUntilChanged) {
    SeparatorGuard guard(u'.');
    // clang-format off
    const Row rows[] = {
        {"SERVE_ROTCTLD=127.0.0.1,99999", [](StationConfig& s) { s.ServeRotctld.on = true; },
         "SERVE_ROTCTLD=127.0.0.1,4533"},
        {"SERVE_ROTCTLD=127.0.0.1", [](StationConfig& s) { s.ServeRotctld.on = true; },
         "SERVE_ROTCTLD=127.0.0.1,4533"},
        {"SERVE_ROTCTLD=this computer,4533", [](StationConfig& s) { s.ServeRotctld.port = 4534; },
         ""},
        {"RANGE_GS232=540", [](StationConfig& s) { s.Gs232Range = RangeChoice::Turn450; },
         "RANGE_GS232=450"},
        {"RANGE_GS232=AUTO", [](StationConfig& s) { s.Gs232Range = RangeChoice::Turn450; },
         "RANGE_GS232=450"},
        {"RANGE_EASYCOMM=450 ", [](StationConfig& s) { s.EasyCommRange = RangeChoice::Turn450; },
         "RANGE_EASYCOMM=450"},
        {"RANGE_NETWORK=auto", [](StationConfig& s) { s.NetworkRange = RangeChoice::Reported; },
         "RANGE_NETWORK=AUTO"},
        {"MAP=open,640,640", [](StationConfig& s) { s.MapWindowSetting = {true, true, 640, 640}; },
         "MAP=OPEN,640,640"},
        {"MAP=OPEN,640,640,nosun",
         [](StationConfig& s) { s.MapWindowSetting = {true, false, 700, 500, true}; },
         "MAP=CLOSED,700,500,NOSUN"},
        {"MAP=OPEN,640", [](StationConfig& s) { s.MapWindowSetting = {true, true, 300, 300}; },
         "MAP=OPEN,300,300"},
        {"WSJTX=ON,239.255.0.1,2237,cty.dat", [](StationConfig& s) { s.WsjtxFollowing.used = true; },
         "WSJTX=OFF,127.0.0.1,2237"},
        {"WSJTX=ON,localhost,2237", [](StationConfig& s) { s.WsjtxFollowing.used = true; },
         "WSJTX=OFF,127.0.0.1,2237"},
        {"WSJTX=ON,127.0.0.1,0,/home/op/cty \xe9.dat",
         [](StationConfig& s) { s.WsjtxFollowing.used = s.WsjtxFollowing.on = true; },
         "WSJTX=ON,127.0.0.1,2237"},
        {"PSTROTATOR=localhost,12000", [](StationConfig& s) { s.PstRotator.used = true; },
         "PSTROTATOR=127.0.0.1,12000,OFF"},
        {"N1MM=127.0.0.1,12040,,127.0.0.1,13010", [](StationConfig& s) { s.N1mm.used = true; },
         "N1MM=127.0.0.1,12040,Kestrav,127.0.0.1,13010,OFF"},
        {"HEADING=yes", [](StationConfig& s) { s.ShowHeading = true; }, "HEADING=ON"},
        {"HEADING=", [](StationConfig& s) { s.ShowHeading = true; }, "HEADING=ON"},
        {"AZEL_GS232=ON,91", [](StationConfig& s) { s.Gs232AzEl = {true, 180}; },
         "AZEL_GS232=ON,180"},
        {"AZEL_EASYCOMM=on", [](StationConfig& s) { s.EasyCommAzEl.on = true; },
         "AZEL_EASYCOMM=ON"},
        {"STEP_ELEVATION=-1", [](StationConfig& s) { s.ElevationStep = 5; }, "STEP_ELEVATION=5"},
        {"STEP_ELEVATION=91", [](StationConfig& s) { s.ElevationStep = 90; }, "STEP_ELEVATION=90"},
        {"PARKING_ELEVATION=nan", [](StationConfig& s) { s.ParkingElevation = 10; },
         "PARKING_ELEVATION=10"},
        {"PARKING_ELEVATION=181", [](StationConfig& s) { s.ParkingElevation = 180; },
         "PARKING_ELEVATION=180"},
    };
    // clang-format on
    const QStringList first_run = settings_lines(StationConfig{}, false, false);
    for (const Row& row : rows) {
        const QString text = QString::fromLatin1(row.text);
        SCOPED_TRACE(text.toStdString());
        // The file as a first run writes it, with the row after it, in its stored bytes.
        const QByteArray file = encode_settings_text(first_run + QStringList{text});

        StationConfig state;
        RecordingActions actions(state);
        read_settings(split_text_lines(decode_text(file)), state, actions);
        EXPECT_EQ(actions.events, (QStringList{"english", "km", "unread " + text}));
        EXPECT_EQ(encode_settings_text(settings_lines(state, false, false)), file);

        // Changed by the operator, the setting writes its own row.
        row.change(state);
        const QString anew = QString::fromLatin1(row.anew);
        EXPECT_EQ(written_after_first_run(state),
                  anew.isEmpty() ? QStringList{} : QStringList{anew});
    }
}

// A key given twice takes its later row, as every key does; an unreadable row is told once
// for its key, the later one kept.
TEST(KeptRows, LaterRowOfTheSameKeyCounts) {
    struct Case {
        const char* name;
        QStringList lines;
        QStringList told;
        QStringList written; // after the 33 lines
    };
    // clang-format off
    const Case cases[] = {
        {"good after bad", {"RANGE_GS232=540", "RANGE_GS232=450"}, {"unread RANGE_GS232=540"},
         {"RANGE_GS232=450"}},
        {"bad after good keeps the setting, writes the bad row",
         {"RANGE_GS232=450", "RANGE_GS232=540"}, {"unread RANGE_GS232=540"},
         {"RANGE_GS232=540"}},
        {"two bad rows, told once", {"MAP=a", "MAP=b"}, {"unread MAP=a"}, {"MAP=b"}},
        {"each key told", {"HEADING=1", "RANGE_NETWORK=9", "HEADING=2", "RANGE_EASYCOMM=9"},
         {"unread HEADING=1", "unread RANGE_NETWORK=9", "unread RANGE_EASYCOMM=9"},
         {"HEADING=2", "RANGE_EASYCOMM=9", "RANGE_NETWORK=9"}},
        {"OFF is read, and no row", {"HEADING=ON", "HEADING=OFF"}, {}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationConfig state;
        RecordingActions actions(state);
        read_settings(c.lines, state, actions);
        EXPECT_EQ(actions.events, c.told);
        EXPECT_EQ(written_after_first_run(state), c.written);
    }
    StationConfig state;
    RecordingActions actions(state);
    read_settings({"RANGE_GS232=450", "RANGE_GS232=540"}, state, actions);
    EXPECT_EQ(state.Gs232Range, RangeChoice::Turn450) << "the rotator still turns 450";
}

} // namespace
} // namespace kestrav::testing
