// The map's row of the settings file: read, written, and absent until the map is used.

#include "settings/map_setting.h"
#include "settings/settings_reader.h"
#include "settings/settings_test_support.h"
#include "settings/settings_writer.h"

#include <gtest/gtest.h>

using namespace kestrav;

namespace {

TEST(MapSetting, ReadingTheValue) {
    const struct {
        const char* value;
        bool read;
        bool open = false;
        int width = 0;
        int height = 0;
        bool shading_hidden = false;
    } rows[] = {
        {"OPEN,640,600", true, true, 640, 600},
        {"CLOSED,300,200", true, false, 300, 200},
        {"OPEN,50,99999", true, true, kMapSmallestSide, kMapLargestSide},
        {"open,640,600", false},
        {"OPEN,640", false},
        {"OPEN,640,600,1", false},
        {"CLOSED,640,600,NOSUN", true, false, 640, 600, true},
        {"OPEN,640,600,nosun", false},
        {"OPEN,640,600,NOSUN,NOSUN", false},
        {"OPEN,a,600", false},
        {"OPEN,640,", false},
        {"", false},
    };
    for (const auto& row : rows) {
        const auto s = read_map_setting(QString::fromLatin1(row.value));
        ASSERT_EQ(s.has_value(), row.read) << row.value;
        if (!s)
            continue;
        EXPECT_TRUE(s->used);
        EXPECT_EQ(s->open, row.open) << row.value;
        EXPECT_EQ(s->width, row.width) << row.value;
        EXPECT_EQ(s->height, row.height) << row.value;
        EXPECT_EQ(s->shading_hidden, row.shading_hidden) << row.value;
    }
}

TEST(MapSetting, OpeningSizeFitsTheScreen) {
    const struct {
        int width, height;
        std::optional<QSize> room;
        QSize opening;
    } rows[] = {
        {640, 600, QSize(1024, 740), QSize(640, 600)},
        {8192, 8192, QSize(1280, 770), QSize(1280, 770)},
        {900, 8192, QSize(1280, 770), QSize(900, 770)},
        {8192, 8192, std::nullopt, QSize(kMapSideWithoutScreen, kMapSideWithoutScreen)},
        {300, 250, QSize(150, 120), QSize(kMapSmallestSide, kMapSmallestSide)},
    };
    for (const auto& row : rows) {
        MapSetting setting{true, true, row.width, row.height};
        EXPECT_EQ(map_opening_size(setting, row.room), row.opening)
            << row.width << "x" << row.height;
    }
}

TEST(MapSetting, WrittenLastAndOnlyOnceUsed) {
    StationConfig state;
    EXPECT_EQ(settings_lines(state, false, false).size(), 33);
    kestrav::testing::RecordingActions actions(state);
    StationConfig unread;
    read_settings({QStringLiteral("MAP=OPENED,1,1")}, unread, actions);
    EXPECT_FALSE(unread.MapWindowSetting.used) << "a value that is no map row";
    EXPECT_EQ(settings_lines(unread, false, false).back(), QStringLiteral("MAP=OPENED,1,1"))
        << "an unreadable row is written back as it stood";

    read_settings({QStringLiteral("MAP=OPEN,700,500")}, state, actions);
    const QStringList lines = settings_lines(state, false, false);
    ASSERT_EQ(lines.size(), 34);
    EXPECT_EQ(lines.back(), QStringLiteral("MAP=OPEN,700,500"));
    state.MapWindowSetting.open = false;
    EXPECT_EQ(settings_lines(state, false, false).back(), QStringLiteral("MAP=CLOSED,700,500"));
    state.MapWindowSetting.shading_hidden = true;
    EXPECT_EQ(settings_lines(state, false, false).back(),
              QStringLiteral("MAP=CLOSED,700,500,NOSUN"));
}

} // namespace
