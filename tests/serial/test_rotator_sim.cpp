// The rotator controller emulator's model and command handling, without a terminal.

#include "sim_commands.h"
#include "sim_rotator.h"

#include <gtest/gtest.h>

using namespace kestrav::sim;

namespace {

TEST(SimRotator, TurnsAtItsSpeedAndStopsOnTarget) {
    SimRotator r(6, EndStop::North);
    r.setTarget(45);
    EXPECT_FALSE(r.advance(5));
    EXPECT_DOUBLE_EQ(r.position(), 30);
    EXPECT_TRUE(r.advance(5));
    EXPECT_DOUBLE_EQ(r.position(), 45);
    EXPECT_FALSE(r.moving());
    r.setTarget(40);
    r.advance(0.5);
    EXPECT_DOUBLE_EQ(r.position(), 42);
}

TEST(SimRotator, NeverTurnsThroughTheEndStop) {
    SimRotator r(100, EndStop::North, 350);
    r.setTarget(10);
    r.advance(1);
    EXPECT_DOUBLE_EQ(r.position(), 250) << "back through south, not across north";
    r.setTarget(400);
    EXPECT_DOUBLE_EQ(r.target(), 360);
    r.setTarget(-20);
    EXPECT_DOUBLE_EQ(r.target(), 0);
}

TEST(SimRotator, StopHoldsThePosition) {
    SimRotator r(10, EndStop::North);
    r.setTarget(90);
    r.advance(2);
    r.stop();
    r.advance(2);
    EXPECT_DOUBLE_EQ(r.position(), 20);
}

TEST(SimRotator, SouthStopScaleStartsAtSouth) {
    const struct {
        double position;
        double bearing;
    } rows[] = {{0, 180}, {90, 270}, {180, 0}, {270, 90}, {360, 180}};
    for (const auto& row : rows) {
        SimRotator r(6, EndStop::South, row.position);
        EXPECT_DOUBLE_EQ(r.trueBearing(), row.bearing) << row.position;
    }
}

TEST(CommandSplitter, LinesEndAtCrOrLfAcrossReads) {
    CommandSplitter s;
    EXPECT_TRUE(s.feed("W0").empty());
    EXPECT_EQ(s.feed("45\rC\r\nAZ"), (std::vector<std::string>{"W045", "C"}));
    EXPECT_EQ(s.feed("\n\r\r"), (std::vector<std::string>{"AZ"}));
}

TEST(CommandSplitter, OverlongGarbageIsDroppedToTheNextEnd) {
    CommandSplitter s;
    EXPECT_TRUE(s.feed(std::string(300, 'x')).empty());
    EXPECT_EQ(s.feed("yy\rS\r"), (std::vector<std::string>{"S"}));
}

struct CommandRow {
    const char* name;
    const char* line;
    SimProtocol mode;
    SimProtocol protocol;
    const char* reply;
    double target; // after the command; the antenna starts at 12 and is not moving
    bool understood;
};

class SimCommand : public ::testing::TestWithParam<CommandRow> {};

TEST_P(SimCommand, CarriedOutOnTheAntenna) {
    const CommandRow& row = GetParam();
    SimRotator r(6, EndStop::North, 12);
    const SimOutcome out = handle_command(row.line, row.mode, r);
    EXPECT_EQ(out.protocol, row.protocol);
    EXPECT_EQ(out.reply, row.reply);
    EXPECT_DOUBLE_EQ(r.target(), row.target);
    EXPECT_EQ(out.understood, row.understood);
}

constexpr auto Auto = SimProtocol::Auto;
constexpr auto Gs = SimProtocol::Gs232;
constexpr auto Ec = SimProtocol::EasyComm;

INSTANTIATE_TEST_SUITE_P(
    Lines, SimCommand,
    ::testing::Values(
        CommandRow{"gs232_turn", "W045", Auto, Gs, "", 45, true},
        CommandRow{"gs232_turn_with_elevation", "W200 010", Auto, Gs, "", 200, true},
        CommandRow{"gs232_turn_lower_case", "w090", Auto, Gs, "", 90, true},
        CommandRow{"gs232_beyond_scale", "W361", Auto, Gs, "?>\r\n", 12, false},
        CommandRow{"gs232_not_a_number", "W4x5", Auto, Gs, "?>\r\n", 12, false},
        CommandRow{"gs232_position", "C", Auto, Gs, "+0012\r\n", 12, true},
        CommandRow{"gs232_position_and_elevation", "C2", Auto, Gs, "+0012+0000\r\n", 12, true},
        CommandRow{"gs232_stop", "S", Auto, Gs, "", 12, true},
        CommandRow{"gs232_unknown", "X", Auto, Gs, "?>\r\n", 12, false},
        CommandRow{"easycomm_turn", "AZ045.0", Auto, Ec, "", 45, true},
        CommandRow{"easycomm_turn_and_elevation", "AZ180.5 EL10.0", Auto, Ec, "", 180.5, true},
        CommandRow{"easycomm_position", "AZ", Auto, Ec, "AZ012.0\r\n", 12, true},
        CommandRow{"easycomm_position_and_elevation", "AZ EL", Auto, Ec, "AZ012.0 EL0.0\r\n", 12,
                   true},
        CommandRow{"easycomm_stop", "SA", Auto, Ec, "", 12, true},
        CommandRow{"easycomm_shutdown_stop", "SA SE", Auto, Ec, "", 12, true},
        CommandRow{"easycomm_comma_is_not_a_number", "AZ045,0", Auto, Ec, "", 12, false},
        CommandRow{"forced_gs232_refuses_easycomm", "AZ045.0", Gs, Gs, "?>\r\n", 12, false},
        CommandRow{"forced_easycomm_ignores_gs232", "W045", Ec, Ec, "", 12, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A rotator that turns 450 degrees: positions past 360 answered and reached through the
// overlap, commands beyond 450 refused, the bearing of an overlap position one turn less.
TEST(SimRotator, OverlapOfA450DegreeRotator) {
    SimRotator r(100, EndStop::North, 350, 450);
    EXPECT_TRUE(handle_command("W380", SimProtocol::Gs232, r).understood);
    r.advance(0.2);
    EXPECT_DOUBLE_EQ(r.position(), 370) << "on through north, not back through south";
    EXPECT_DOUBLE_EQ(r.trueBearing(), 10);
    r.advance(1);
    EXPECT_EQ(gs232_position_reply(r, false), "+0380\r\n");
    EXPECT_EQ(easycomm_position_reply(r), "AZ380.0");
    const struct {
        const char* line;
        SimProtocol protocol;
        bool understood;
        double target;
    } rows[] = {{"W450", SimProtocol::Gs232, true, 450},
                {"W451", SimProtocol::Gs232, false, 450},
                {"R", SimProtocol::Gs232, true, 450},
                {"L", SimProtocol::Gs232, true, 0},
                {"AZ420.5", SimProtocol::EasyComm, true, 420.5},
                {"AZ450.1", SimProtocol::EasyComm, false, 420.5}};
    for (const auto& row : rows) {
        const SimOutcome out = handle_command(row.line, row.protocol, r);
        EXPECT_EQ(out.understood, row.understood) << row.line;
        EXPECT_DOUBLE_EQ(r.target(), row.target) << row.line;
    }
    EXPECT_DOUBLE_EQ(SimRotator(6, EndStop::South, 400, 450).trueBearing(), 220);
}

TEST(SimReplies, PositionRoundedForEachProtocol) {
    const struct {
        double position;
        const char* gs232;
        const char* easycomm;
    } rows[] = {{0, "+0000\r\n", "AZ000.0"},
                {7.44, "+0007\r\n", "AZ007.4"},
                {99.96, "+0100\r\n", "AZ100.0"},
                {359.5, "+0360\r\n", "AZ359.5"}};
    for (const auto& row : rows) {
        SimRotator r(6, EndStop::North, row.position);
        EXPECT_EQ(gs232_position_reply(r, false), row.gs232) << row.position;
        EXPECT_EQ(easycomm_position_reply(r), row.easycomm) << row.position;
    }
}

} // namespace
