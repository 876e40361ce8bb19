// Heading answers of the controllers and of rotctld, and the rotctld command texts: good,
// partial, garbage and split frames.

#include "rotor/heading_protocol.h"

#include <QByteArrayList>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace kestrav {
namespace {

TEST(HeadingProtocol, AnswersOfEachRotator) {
    using Parse = std::optional<double> (*)(QByteArrayView);
    const struct {
        const char* name;
        Parse parse;
        const char* line;
        std::optional<double> heading;
    } rows[] = {
        {"gs232", parse_gs232_heading, "+0123", 123},
        {"gs232 with elevation", parse_gs232_heading, "+0359+0000", 359},
        {"gs232 AZ= form", parse_gs232_heading, "AZ=045", 45},
        {"gs232b with elevation", parse_gs232_heading, "AZ=045  EL=000", 45},
        {"gs232 short", parse_gs232_heading, "+012", {}},
        {"gs232 garbage", parse_gs232_heading, "?>", {}},
        {"gs232 letters", parse_gs232_heading, "+0x23", {}},
        {"easycomm", parse_easycomm_heading, "AZ123.4", 123.4},
        {"easycomm with elevation", parse_easycomm_heading, "AZ010.0 EL0.0", 10},
        {"easycomm no number", parse_easycomm_heading, "AZ", {}},
        {"easycomm comma", parse_easycomm_heading, "AZ12,5", {}},
        // The elevation of an azimuth-elevation rotator's answers (C2, "AZ EL", B, EL).
        {"gs232 elevation", parse_gs232_elevation, "+0359+0045", 45},
        {"gs232b elevation", parse_gs232_elevation, "AZ=045  EL=091", 91},
        {"gs232b elevation alone", parse_gs232_elevation, "EL=010", 10},
        {"gs232 azimuth only", parse_gs232_elevation, "+0123", {}},
        {"gs232 elevation garbage", parse_gs232_elevation, "AZ=045  EL=x", {}},
        {"gs232 glued EL", parse_gs232_elevation, "AZ=045EL=010", {}},
        {"easycomm elevation", parse_easycomm_elevation, "AZ123.0 EL045.5", 45.5},
        {"easycomm elevation alone", parse_easycomm_elevation, "EL12.0", 12},
        {"easycomm azimuth only", parse_easycomm_elevation, "AZ123.0", {}},
        {"easycomm elevation nan", parse_easycomm_elevation, "AZ1.0 ELnan", {}},
        {"rotctld", parse_plain_number, "123.400000", 123.4},
        {"rotctld negative", parse_plain_number, "-5.5", -5.5},
        {"rotctld two points", parse_plain_number, "1.2.3", {}},
        {"rotctld empty", parse_plain_number, "", {}},
        {"rotctld huge", parse_plain_number, "99999999999999999999", {}},
    };
    for (const auto& row : rows) {
        const std::optional<double> got = row.parse(row.line);
        ASSERT_EQ(got.has_value(), row.heading.has_value()) << row.name;
        if (got) {
            EXPECT_DOUBLE_EQ(*got, *row.heading) << row.name;
        }
    }
}

TEST(HeadingProtocol, LinesInAnyPiecesWithAnyEnd) {
    AnswerLines lines;
    EXPECT_TRUE(lines.feed("+01").empty());
    EXPECT_EQ(lines.feed("23\r\n+0124\rAZ=1"), (std::vector<QByteArray>{"+0123", "+0124"}));
    EXPECT_EQ(lines.feed("25\n\n"), std::vector<QByteArray>{"AZ=125"});
    EXPECT_TRUE(lines.feed(QByteArray(300, 'x')).empty());
    EXPECT_EQ(lines.feed("yy\r+0001\r"), std::vector<QByteArray>{"+0001"})
        << "garbage dropped up to its end";
}

TEST(HeadingProtocol, RotctldTexts) {
    EXPECT_EQ(rotctld_turn_command(1234), "P 123.4 0\n");
    EXPECT_EQ(rotctld_turn_command(0), "P 0.0 0\n");
    EXPECT_EQ(rotctld_turn_command(3600), "P 360.0 0\n");
    EXPECT_EQ(rotctld_turn_command(905, 452), "P 90.5 45.2\n");
    EXPECT_EQ(rotctld_turn_command(905, -5), "P 90.5 -0.5\n");
    EXPECT_EQ(rotctld_stop_command(), "S\n");
    EXPECT_EQ(parse_rotctld_elevation("45.250000"), 452);
    EXPECT_EQ(parse_rotctld_elevation("181"), std::nullopt);
    EXPECT_EQ(hamlib_error_text(-5), QStringLiteral("Communication timed out"));
    EXPECT_EQ(hamlib_error_text(-99), QStringLiteral("Hamlib error -99"));
    EXPECT_EQ(hamlib_error_text(INT_MIN), QStringLiteral("Hamlib error -2147483648"));
    EXPECT_EQ(hamlib_error_text(5), QStringLiteral("Hamlib error 5"));
}

TEST(HeadingProtocol, RotctldReports) {
    const struct {
        const char* line;
        bool report;
        std::optional<int> code;
    } rows[] = {
        {"RPRT 0", true, 0},
        {"RPRT -1", true, -1},
        {"RPRT -2147483648", true, INT_MIN},
        {"RPRT 2147483647", true, INT_MAX},
        {"RPRT 2147483648", true, {}},
        {"RPRT -2147483649", true, {}},
        {"RPRT -4294967296", true, {}},
        {"RPRT -1.5", true, {}},
        {"RPRT 0.0", true, {}},
        {"RPRT x", true, {}},
        {"RPRT -", true, {}},
        {"RPRT", true, {}},
        {"123.0", false, {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(is_rotctld_report(row.line), row.report) << row.line;
        EXPECT_EQ(parse_rotctld_report(row.line), row.code) << row.line;
    }
}

TEST(HeadingProtocol, OnlyHeadingsARotatorCanReport) {
    for (double possible : {0.0, 0.1, 180.0, 359.9, 360.0})
        EXPECT_EQ(heading_reading(possible), possible);
    for (double impossible : {-0.1, -45.5, 360.1, 400.0, 720.0, 9999999999.0, std::nan("")})
        EXPECT_EQ(heading_reading(impossible), std::nullopt) << impossible;
}

// Each line answers the oldest open question, whatever it holds, so that later answers stay
// in step after an unreadable one.
TEST(HeadingProtocol, RotctldAnswersStayInStep) {
    using Q = RotctldAnswers::Question;
    RotctldAnswers answers;
    for (Q q : {Q::Command, Q::Position, Q::Command, Q::Position, Q::Position, Q::Command})
        answers.expect(q);
    EXPECT_TRUE(answers.positionOpen());
    EXPECT_EQ(answers.take("RPRT abc").failure, QStringLiteral("Unreadable answer from rotctld"));
    const RotctldAnswers::Outcome position = answers.take("123.500000");
    EXPECT_EQ(position.heading, 123.5);
    EXPECT_FALSE(position.failure);
    EXPECT_EQ(answers.take("10.000000").elevation_tenths, 100);
    EXPECT_EQ(answers.take("RPRT -5").failure, QStringLiteral("Communication timed out"));
    EXPECT_FALSE(answers.take("RPRT -5").failure) << "a position that cannot be had is not told";
    const RotctldAnswers::Outcome garbage = answers.take("abc");
    EXPECT_FALSE(garbage.heading || garbage.failure);
    EXPECT_FALSE(answers.take("xyz").elevation_tenths);
    EXPECT_TRUE(answers.commandOpen());
    EXPECT_FALSE(answers.positionOpen());
    EXPECT_FALSE(answers.take("RPRT 0").failure);
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(answers.take("RPRT -1").failure) << "nothing asked";
}

// What a position answer tells a turn waiting for its elevation, and the name asked ahead of
// the questions already open.
TEST(HeadingProtocol, RotctldPositionForATurnAndTheName) {
    using Q = RotctldAnswers::Question;
    const struct {
        QByteArrayList lines;
        std::optional<long long> elevation;
        bool unavailable;
        const char* failure;
    } rows[] = {
        {{"10.00", "45.25"}, 452, false, nullptr},
        {{"abc", "-90.00"}, -900, false, nullptr}, // the azimuth does not matter to it
        {{"10.00", "-90.01"}, {}, false, "Unreadable answer from rotctld"},
        {{"RPRT -4"}, {}, true, nullptr},
        {{"RPRT -11"}, {}, true, nullptr},
        {{"RPRT -6"}, {}, false, "IO error"},
        {{"RPRT 0"}, {}, false, "Unreadable answer from rotctld"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines.join(' ').toStdString());
        RotctldAnswers answers;
        answers.expect(Q::Position);
        answers.expect(Q::Command);
        answers.expectFirst(Q::Info);
        EXPECT_EQ(answers.take("Dummy rotator").info, QByteArray("Dummy rotator"));
        for (qsizetype i = 0; i < row.lines.size(); ++i) {
            const RotctldAnswers::Outcome o = answers.take(row.lines[i]);
            const bool last = i == row.lines.size() - 1;
            EXPECT_EQ(o.position_answered, last);
            if (!last)
                continue;
            EXPECT_EQ(o.elevation_tenths, row.elevation);
            EXPECT_EQ(o.position_unavailable, row.unavailable);
            EXPECT_EQ(o.position_failure, row.failure
                                              ? std::optional<QString>(QLatin1String(row.failure))
                                              : std::nullopt);
            EXPECT_FALSE(o.failure) << "told only through a waiting turn";
        }
        EXPECT_FALSE(answers.take("RPRT 0").failure);
        EXPECT_TRUE(answers.empty());
    }
}

// rotctld's state, up to "done" or in the older form of six bare lines, answers the range
// question: the range when it holds a sensible one, none otherwise; the answers after it stay
// in step.
TEST(HeadingProtocol, RotctldRangeFromItsState) {
    using Q = RotctldAnswers::Question;
    struct Row {
        QByteArrayList lines;
        std::optional<RotorRange> range;
        std::optional<ElevationRange> elevations = {}; // told only by an AzEl rotator
    };
    const QByteArrayList hamlib = {"1",
                                   "601",
                                   "min_az=-180.000000",
                                   "max_az=450.000000",
                                   "min_el=0.000000",
                                   "max_el=180.000000",
                                   "south_zero=0",
                                   "rot_type=AzEl",
                                   "done"};
    const Row rows[] = {
        {hamlib, RotorRange{-180, 450}, ElevationRange{0, 180}},
        {{"min_az=0", "max_az=360", "min_el=0", "max_el=90", "rot_type=Az", "done"},
         RotorRange{0, 360}},
        {{"min_az=0", "max_az=360", "min_el=0", "max_el=200", "rot_type=AzEl", "done"},
         RotorRange{0, 360}},
        {{"min_az=0", "max_az=360", "min_el=0", "max_el=nan", "rot_type=AzEl", "done"},
         RotorRange{0, 360}},
        {{"min_az=0", "max_az=450", "done"}, RotorRange{0, 450}},
        {{"max_az=180", "min_az=-180", "done"}, RotorRange{-180, 180}},
        {{"min_az=90", "max_az=90", "done"}, {}},
        {{"min_az=-400", "max_az=450", "done"}, {}},
        {{"min_az=0", "max_az=abc", "done"}, {}},
        {{"min_az=0", "done"}, {}},
        {{"RPRT -4"}, {}},
        // Older releases: the version "0", the model, then bare numbers, six lines in all.
        {{"0", "601", "-180.000000", "450.000000", "0.000000", "90.000000"}, RotorRange{-180, 450}},
        {{"0", "1", "0.000000", "abc", "0.000000", "90.000000"}, {}},
        {{"0", "601", "RPRT -5"}, {}},
    };
    for (const Row& r : rows) {
        RotctldAnswers answers;
        answers.expect(Q::Range);
        answers.expect(Q::Command);
        for (qsizetype i = 0; i < r.lines.size(); ++i) {
            const RotctldAnswers::Outcome o = answers.take(r.lines[i]);
            const bool last = i == r.lines.size() - 1;
            EXPECT_EQ(o.range_answered, last) << r.lines.join(' ').toStdString();
            if (last && r.range) {
                ASSERT_TRUE(o.range) << r.lines.join(' ').toStdString();
                EXPECT_EQ(o.range->min, r.range->min);
                EXPECT_EQ(o.range->max, r.range->max);
                EXPECT_EQ(o.elevation_range, r.elevations) << r.lines.join(' ').toStdString();
            } else {
                EXPECT_FALSE(o.range) << r.lines.join(' ').toStdString();
            }
        }
        EXPECT_FALSE(answers.positionOpen());
        EXPECT_EQ(answers.take("RPRT -1").failure, QStringLiteral("Invalid parameter"));
    }
    RotctldAnswers endless; // a state that never ends gives up and lets later answers through
    endless.expect(Q::Range);
    int lines = 0;
    while (!endless.take("x").range_answered && ++lines < 1000) {
    }
    EXPECT_LT(lines, 100);
    EXPECT_TRUE(endless.empty());
}

} // namespace
} // namespace kestrav
