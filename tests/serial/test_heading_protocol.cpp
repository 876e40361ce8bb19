// Heading answers of the controllers and of rotctld, and the rotctld command texts: good,
// partial, garbage and split frames.

#include "rotor/heading_protocol.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(rotctld_stop_command(), "S\n");
    EXPECT_EQ(parse_rotctld_report("RPRT 0"), 0);
    EXPECT_EQ(parse_rotctld_report("RPRT -1"), -1);
    EXPECT_EQ(parse_rotctld_report("RPRT x"), std::nullopt);
    EXPECT_EQ(parse_rotctld_report("123.0"), std::nullopt);
    EXPECT_EQ(hamlib_error_text(-5), QStringLiteral("Communication timed out"));
    EXPECT_EQ(hamlib_error_text(-99), QStringLiteral("Hamlib error -99"));
}

} // namespace
} // namespace kestrav
