// The rotctld server's row of the settings file: read, written last, and absent while off;
// a row that cannot be read is told and written back as it stood.

#include "settings/serve_setting.h"
#include "settings/settings_reader.h"
#include "settings/settings_test_support.h"
#include "settings/settings_writer.h"

#include <gtest/gtest.h>

using namespace kestrav;

namespace {

TEST(ServeSetting, ReadWrittenLastAndOnlyWhileOn) {
    const struct {
        const char* row;
        bool on;
        const char* address = "127.0.0.1";
        int port = kServeDefaultPort;
    } rows[] = {
        {"SERVE_ROTCTLD=127.0.0.1,4533", true},
        {"SERVE_ROTCTLD=0.0.0.0,14533", true, "0.0.0.0", 14533},
        {"SERVE_ROTCTLD=::1,4534", true, "::1", 4534},
        {"SERVE_ROTCTLD=127.0.0.1,0", false},
        {"SERVE_ROTCTLD=127.0.0.1,65536", false},
        {"SERVE_ROTCTLD=127.0.0.1", false},
        {"SERVE_ROTCTLD=,4533", false},
        {"SERVE_ROTCTLD=local host,4533", false},
        {"SERVE_ROTCTLD=127.0.0.1,45x", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        StationConfig state;
        kestrav::testing::RecordingActions actions(state);
        read_settings({QString::fromLatin1(r.row)}, state, actions);
        EXPECT_EQ(state.ServeRotctld.on, r.on);
        EXPECT_EQ(actions.events,
                  r.on ? QStringList{} : QStringList{"unread " + QString::fromLatin1(r.row)});
        const QStringList lines = settings_lines(state, false, false);
        ASSERT_EQ(lines.size(), 34);
        EXPECT_EQ(lines.back(), QString::fromLatin1(r.row));
        if (!r.on)
            continue;
        EXPECT_EQ(state.ServeRotctld.address, QLatin1String(r.address));
        EXPECT_EQ(state.ServeRotctld.port, r.port);
    }
}

} // namespace
