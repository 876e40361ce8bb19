// The rotator controller emulator's model and command handling, without a terminal.

#include "sim_commands.h"
#include "sim_rotator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

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
        CommandRow{"forced_easycomm_ignores_gs232", "W045", Ec, Ec, "", 12, false},
        // An azimuth rotator knows no elevation commands and takes any elevation in a turn.
        CommandRow{"gs232_no_elevation_axis_b", "B", Auto, Gs, "?>\r\n", 12, false},
        CommandRow{"gs232_no_elevation_axis_m", "M045", Auto, Gs, "?>\r\n", 12, false},
        CommandRow{"gs232_no_elevation_axis_e", "E", Auto, Gs, "?>\r\n", 12, false},
        CommandRow{"gs232_no_elevation_axis_any_elevation", "W045 200", Auto, Gs, "", 45, true},
        CommandRow{"easycomm_no_elevation_axis_el", "EL", Auto, Ec, "EL0.0\r\n", 12, true}),
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

// The elevation axis of an azimuth-elevation rotator.

TEST(SimElevation, TurnsAtItsOwnSpeedAndRefusesAnglesOutsideItsRange) {
    SimRotator r(10, EndStop::North);
    r.setElevation(SimElevation(5));
    r.setTarget(20);
    ASSERT_TRUE(r.elevation()->setTarget(30));
    EXPECT_FALSE(r.advance(2));
    EXPECT_DOUBLE_EQ(r.position(), 20);
    EXPECT_DOUBLE_EQ(r.elevation()->position(), 10);
    EXPECT_TRUE(r.moving()) << "the elevation still turns";
    EXPECT_FALSE(r.advance(3));
    EXPECT_TRUE(r.advance(1)) << "at rest once both axes are";
    EXPECT_DOUBLE_EQ(r.elevation()->position(), 30);

    const struct {
        double range;
        double angle;
        bool taken;
    } rows[] = {{90, 0, true},     {90, 90, true},
                {90, 90.1, false}, {90, -0.1, false},
                {90, 135, false},  {180, 135, true},
                {180, 180, true},  {180, 180.5, false},
                {180, -1, false},  {90, std::numeric_limits<double>::quiet_NaN(), false}};
    for (const auto& row : rows) {
        SimElevation e(6, row.range, 30);
        EXPECT_EQ(e.setTarget(row.angle), row.taken) << row.range << " " << row.angle;
        EXPECT_DOUBLE_EQ(e.target(), row.taken ? row.angle : 30) << row.range << " " << row.angle;
    }
    EXPECT_DOUBLE_EQ(SimElevation(6, 90, 120).position(), 90) << "a start beyond the range";
}

struct ElevationRow {
    const char* name;
    const char* line;
    SimProtocol mode;
    double range; // of the elevation
    const char* reply;
    double azimuth;   // targets after the command; the antenna starts at 12, elevation 10,
    double elevation; // both at rest
    bool understood;
};

class SimElevationCommand : public ::testing::TestWithParam<ElevationRow> {};

TEST_P(SimElevationCommand, CarriedOutOnBothAxes) {
    const ElevationRow& row = GetParam();
    SimRotator r(6, EndStop::North, 12);
    r.setElevation(SimElevation(6, row.range, 10));
    const SimOutcome out = handle_command(row.line, row.mode, r);
    EXPECT_EQ(out.reply, row.reply);
    EXPECT_DOUBLE_EQ(r.target(), row.azimuth);
    EXPECT_DOUBLE_EQ(r.elevation()->target(), row.elevation);
    EXPECT_EQ(out.understood, row.understood);
}

constexpr auto GsB = SimProtocol::Gs232B;

INSTANTIATE_TEST_SUITE_P(
    Lines, SimElevationCommand,
    ::testing::Values(
        ElevationRow{"gs232_turn_both", "W123 045", Auto, 90, "", 123, 45, true},
        ElevationRow{"gs232_turn_azimuth_only", "W123", Auto, 90, "", 123, 10, true},
        ElevationRow{"gs232_elevation_beyond_range", "W123 091", Auto, 90, "?>\r\n", 12, 10, false},
        ElevationRow{"gs232_over_the_zenith", "W123 135", Auto, 180, "", 123, 135, true},
        ElevationRow{"gs232_beyond_flip_range", "W123 181", Auto, 180, "?>\r\n", 12, 10, false},
        ElevationRow{"gs232_azimuth_beyond_keeps_elevation", "W361 045", Auto, 90, "?>\r\n", 12, 10,
                     false},
        ElevationRow{"gs232_elevation_fraction", "W123 04.5", Auto, 90, "?>\r\n", 12, 10, false},
        ElevationRow{"gs232_three_angles", "W123 045 010", Auto, 90, "?>\r\n", 12, 10, false},
        ElevationRow{"gs232_m_turns_azimuth_only", "M200", Auto, 90, "", 200, 10, true},
        ElevationRow{"gs232_m_takes_no_elevation", "M200 045", Auto, 90, "?>\r\n", 12, 10, false},
        ElevationRow{"gs232_up", "U", Auto, 180, "", 12, 180, true},
        ElevationRow{"gs232_down", "D", Auto, 90, "", 12, 0, true},
        ElevationRow{"gs232_elevation_answer", "B", Gs, 90, "+0010\r\n", 12, 10, true},
        ElevationRow{"gs232b_elevation_answer", "B", GsB, 90, "EL=010\r\n", 12, 10, true},
        ElevationRow{"gs232_both_answer", "C2", Gs, 90, "+0012+0010\r\n", 12, 10, true},
        ElevationRow{"gs232b_both_answer", "C2", GsB, 90, "AZ=012  EL=010\r\n", 12, 10, true},
        ElevationRow{"gs232_azimuth_answer", "C", Gs, 90, "+0012\r\n", 12, 10, true},
        ElevationRow{"easycomm_turn_both", "AZ123.0 EL45.0", Auto, 90, "", 123, 45, true},
        ElevationRow{"easycomm_elevation_alone", "EL45.5", Auto, 90, "", 12, 45.5, true},
        ElevationRow{"easycomm_elevation_apart", "EL 45.5", Auto, 90, "", 12, 45.5, true},
        ElevationRow{"easycomm_over_the_zenith", "EL170.0", Auto, 180, "", 12, 170, true},
        ElevationRow{"easycomm_elevation_beyond_ignored", "EL91.0", Auto, 90, "", 12, 10, false},
        ElevationRow{"easycomm_azimuth_taken_elevation_ignored", "AZ123.0 EL95.0", Auto, 90, "",
                     123, 10, false},
        ElevationRow{"easycomm_negative_elevation_ignored", "EL-1.0", Auto, 90, "", 12, 10, false},
        ElevationRow{"easycomm_both_answer", "AZ EL", Auto, 90, "AZ012.0 EL010.0\r\n", 12, 10,
                     true},
        ElevationRow{"easycomm_elevation_answer", "EL", Auto, 90, "EL010.0\r\n", 12, 10, true},
        ElevationRow{"easycomm_azimuth_answer", "AZ", Auto, 90, "AZ012.0\r\n", 12, 10, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Each stop command while both axes turn: which of them still turns afterwards.
TEST(SimElevation, StopsOneAxisOrBoth) {
    const struct {
        const char* line;
        bool azimuthTurns;
        bool elevationTurns;
    } rows[] = {{"S", false, false},     {"A", false, true},  {"E", true, false},
                {"SA SE", false, false}, {"SA", false, true}, {"SE", true, false},
                {"C2", true, true}};
    for (const auto& row : rows) {
        SimRotator r(10, EndStop::North);
        r.setElevation(SimElevation(10));
        handle_command("W100 060", SimProtocol::Gs232, r);
        r.advance(1);
        handle_command(row.line, SimProtocol::Auto, r);
        EXPECT_EQ(r.azimuthMoving(), row.azimuthTurns) << row.line;
        EXPECT_EQ(r.elevation()->moving(), row.elevationTurns) << row.line;
        r.advance(1);
        EXPECT_DOUBLE_EQ(r.position(), row.azimuthTurns ? 20 : 10) << row.line;
        EXPECT_DOUBLE_EQ(r.elevation()->position(), row.elevationTurns ? 20 : 10) << row.line;
    }
}

// What Hamlib's rotator backends send for a turn, a position question and a stop, byte for
// byte, and what they read back from the answers. Each exchange runs on one antenna that
// reaches its target before the next, so a question tells where the turns before it led.
struct HamlibExchange {
    const char* call;  // the backend's function and its arguments
    const char* sent;  // the bytes it writes, line ends included
    const char* reply; // the emulator's answer
};

std::string run_exchanges(SimProtocol protocol, double range,
                          std::initializer_list<HamlibExchange> exchanges) {
    SimRotator r(1000, EndStop::North);
    r.setElevation(SimElevation(1000, range));
    CommandSplitter splitter;
    std::string lastReply;
    for (const HamlibExchange& x : exchanges) {
        std::string reply;
        for (const std::string& line : splitter.feed(x.sent))
            reply += handle_command(line, protocol, r).reply;
        EXPECT_EQ(reply, x.reply) << x.call;
        r.advance(1);
        if (!reply.empty())
            lastReply = reply;
    }
    return lastReply;
}

// rotators/gs232a/gs232b.c: set_position writes "W%03u %03u\r" and then one more CR (its
// transaction ends a command that wants no answer with CR), get_position "C2\r" read up to
// the LF and parsed with "AZ=%d EL=%d", stop "S\r" and CR. A reply holding '>' is retried.
TEST(SimWithHamlibBytes, Gs232B) {
    const std::string reply = run_exchanges(SimProtocol::Gs232B, 180,
                                            {{"set_position(123, 45)", "W123 045\r\r", ""},
                                             {"get_position", "C2\r", "AZ=123  EL=045\r\n"},
                                             {"set_position(350, 181)", "W350 181\r\r", "?>\r\n"},
                                             {"set_position(7, 135)", "W007 135\r\r", ""},
                                             {"stop", "S\r\r", ""},
                                             {"get_position", "C2\r", "AZ=007  EL=135\r\n"}});
    int az = -1;
    int el = -1;
    ASSERT_EQ(std::sscanf(reply.c_str(), "AZ=%d EL=%d", &az, &el), 2) << reply;
    EXPECT_EQ(az, 7);
    EXPECT_EQ(el, 135);
}

// rotators/gs232a/gs232a.c: set_position writes "W%03u %03u\r", get_position "C2\r" read up
// to the LF and parsed with "+0%d+0%d" (both numbers required), stop "S\r".
TEST(SimWithHamlibBytes, Gs232A) {
    const std::string reply = run_exchanges(SimProtocol::Gs232, 90,
                                            {{"set_position(123, 45)", "W123 045\r", ""},
                                             {"get_position", "C2\r", "+0123+0045\r\n"},
                                             {"set_position(200, 95)", "W200 095\r", "?>\r\n"},
                                             {"set_position(360, 90)", "W360 090\r", ""},
                                             {"stop", "S\r", ""},
                                             {"get_position", "C2\r", "+0360+0090\r\n"}});
    int az = -1;
    int el = -1;
    ASSERT_EQ(std::sscanf(reply.c_str(), "+0%d+0%d", &az, &el), 2) << reply;
    EXPECT_EQ(az, 360);
    EXPECT_EQ(el, 90);
}

// rotators/easycomm/easycomm.c (EasyComm II): set_position writes "AZ%.1f EL%.1f\n",
// get_position "AZ EL \n" read up to the LF and parsed with "AZ%f EL%f", stop "SA SE \n".
TEST(SimWithHamlibBytes, EasyComm) {
    const std::string reply = run_exchanges(SimProtocol::EasyComm, 90,
                                            {{"set_position(123, 45)", "AZ123.0 EL45.0\n", ""},
                                             {"get_position", "AZ EL \n", "AZ123.0 EL045.0\r\n"},
                                             {"set_position(10.5, 99)", "AZ10.5 EL99.0\n", ""},
                                             {"get_position", "AZ EL \n", "AZ010.5 EL045.0\r\n"},
                                             {"set_position(0, 7.5)", "AZ0.0 EL7.5\n", ""},
                                             {"stop", "SA SE \n", ""},
                                             {"get_position", "AZ EL \n", "AZ000.0 EL007.5\r\n"}});
    float az = -1;
    float el = -1;
    ASSERT_EQ(std::sscanf(reply.c_str(), "AZ%f EL%f", &az, &el), 2) << reply;
    EXPECT_FLOAT_EQ(az, 0);
    EXPECT_FLOAT_EQ(el, 7.5f);
}

} // namespace
