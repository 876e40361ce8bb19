// Serial rotator command texts, the rules applied before sending, and the speed table.

#include "rotor/rotor_protocol.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrav;

namespace {

struct TurnRow {
    const char* name;
    int n;
    QByteArray gs232;
    QByteArray easycomm;
};

class TurnCommand : public ::testing::TestWithParam<TurnRow> {};

TEST_P(TurnCommand, ThreeDigitsWithLeadingZeros) {
    const TurnRow& row = GetParam();
    EXPECT_EQ(gs232_turn_command(row.n), row.gs232);
    EXPECT_EQ(easycomm_turn_command(row.n), row.easycomm);
    EXPECT_EQ(gs232_turn_command(row.n).size(), 5);
    EXPECT_EQ(easycomm_turn_command(row.n).size(), 8);
}

INSTANTIATE_TEST_SUITE_P(
    Azimuths, TurnCommand,
    ::testing::Values(TurnRow{"north", 0, "W000\r", "AZ000.0\r"},
                      TurnRow{"one_digit", 8, "W008\r", "AZ008.0\r"},
                      TurnRow{"two_digits", 45, "W045\r", "AZ045.0\r"},
                      TurnRow{"lowest_two_digit", 10, "W010\r", "AZ010.0\r"},
                      TurnRow{"lowest_three_digit", 100, "W100\r", "AZ100.0\r"},
                      TurnRow{"full_turn", 360, "W360\r", "AZ360.0\r"},
                      TurnRow{"negative_clamped", -5, "W000\r", "AZ000.0\r"},
                      TurnRow{"four_digits_clamped", 1000, "W999\r", "AZ999.0\r"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TurnCommand, Azimuth45IsTheDocumentedBytes) {
    const QByteArray gs = gs232_turn_command(45);
    const QByteArray ec = easycomm_turn_command(45);
    EXPECT_EQ(gs, QByteArray::fromHex("573034350D"));
    EXPECT_EQ(ec, QByteArray::fromHex("415A3034352E300D"));
}

// An azimuth-elevation rotator's turn, as Hamlib's GS-232B backend writes it ("W%03u %03u\r",
// rotators/gs232a/gs232b.c) and EasyComm's "AZ%.1f EL%.1f" (rotators/easycomm/easycomm.c) reads it.
TEST(TurnCommand, AzimuthAndElevation) {
    EXPECT_EQ(gs232_azel_command(123, 45), "W123 045\r");
    EXPECT_EQ(gs232_azel_command(5, 180), "W005 180\r");
    EXPECT_EQ(gs232_azel_command(-3, 1000), "W000 999\r");
    EXPECT_EQ(easycomm_azel_command(123, 45), "AZ123.0 EL045.0\r");
    EXPECT_EQ(easycomm_azel_command(0, 0), "AZ000.0 EL000.0\r");
}

TEST(StopCommands, ExactBytes) {
    EXPECT_EQ(gs232_stop_command(), QByteArray("S\r"));
    EXPECT_EQ(easycomm_stop_command(), QByteArray("SA\r"));
    EXPECT_EQ(gs232_shutdown_command(), QByteArray("S\r"));
    EXPECT_EQ(easycomm_shutdown_command(), QByteArray("SA SE\r"));
}

struct StopSideRow {
    const char* name;
    double azimuth;
    StopSide side;
    double expected;
};

class StopSideMapping : public ::testing::TestWithParam<StopSideRow> {};

TEST_P(StopSideMapping, ScaleOfTheController) {
    const StopSideRow& row = GetParam();
    EXPECT_DOUBLE_EQ(map_stop_side(row.azimuth, row.side), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sides, StopSideMapping,
    ::testing::Values(StopSideRow{"north_unchanged", 90, StopSide::N, 90},
                      StopSideRow{"north_keeps_fraction", 359.7, StopSide::N, 359.7},
                      StopSideRow{"south_east_becomes_270", 90, StopSide::S, 270},
                      StopSideRow{"south_south_becomes_0", 180, StopSide::S, 0},
                      StopSideRow{"south_north_becomes_180", 0, StopSide::S, 180},
                      StopSideRow{"south_west_becomes_90", 270, StopSide::S, 90},
                      StopSideRow{"south_just_below_south", 179.5, StopSide::S, 359.5},
                      StopSideRow{"south_fraction_kept", 359.7, StopSide::S, 179.7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StopSideMapping, SouthScaleNeverLeavesZeroTo360) {
    for (int tenths = 0; tenths < 3600; ++tenths) {
        const double mapped = map_stop_side(tenths / 10.0, StopSide::S);
        ASSERT_GE(mapped, 0) << tenths;
        ASSERT_LT(mapped, 360) << tenths;
    }
}

struct StepRow {
    const char* name;
    double command;
    double lastSent;
    int step;
    bool passes;
};

class MinimumStep : public ::testing::TestWithParam<StepRow> {};

TEST_P(MinimumStep, RefusesOnlyCloserThanTheStep) {
    const StepRow& row = GetParam();
    EXPECT_EQ(passes_min_step(row.command, row.lastSent, row.step), row.passes);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MinimumStep,
    ::testing::Values(StepRow{"closer_refused", 10.5, 10, 1, false},
                      StepRow{"equal_passes", 11, 10, 1, true},
                      StepRow{"farther_passes", 15, 10, 3, true},
                      StepRow{"below_last_closer_refused", 8, 10, 3, false},
                      StepRow{"below_last_equal_passes", 7, 10, 3, true},
                      StepRow{"step_zero_same_azimuth_passes", 10, 10, 0, true},
                      StepRow{"reset_value_lets_zero_through", 0, -10, 5, true},
                      StepRow{"reset_value_refuses_with_big_step", 0, -10, 11, false},
                      StepRow{"no_wrap_across_north", 359, 1, 5, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComPortSpeeds, TextsAndRatesInOrdinalOrder) {
    const QStringList texts = com_port_speed_texts();
    const QStringList expected{"110",   "300",   "600",   "1200",  "2400",  "4800",  "9600",
                               "14400", "19200", "38400", "56000", "57600", "115200"};
    ASSERT_EQ(texts, expected);
    ASSERT_EQ(kComPortSpeedCount, expected.size());
    for (int i = 0; i < kComPortSpeedCount; ++i) {
        EXPECT_EQ(com_port_speed_text(i), expected[i]);
        EXPECT_EQ(speed_index_of(expected[i]), i);
        EXPECT_EQ(com_port_bit_rate(i), expected[i].toInt()) << i;
    }
}

TEST(ComPortSpeeds, OutOfRangeIndexes) {
    for (int index : {-1, 13, 255}) {
        EXPECT_TRUE(com_port_speed_text(index).isEmpty()) << index;
        EXPECT_EQ(com_port_bit_rate(index), 0) << index;
    }
}

TEST(ComPortSpeeds, OnlyExactTextsAreSpeeds) {
    for (const char* text : {"", " 9600", "9600 ", "9600.0", "09600", "128000", "abc", "-1"})
        EXPECT_EQ(speed_index_of(QString::fromLatin1(text)), -1) << '"' << text << '"';
    EXPECT_EQ(speed_index_of(u"38400"), 9); // beyond the dialog's list, still a speed
}

} // namespace
