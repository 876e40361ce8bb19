// Number texts under both decimal separators. Table texts are written with '.' standing for
// the system separator and ',' for the other one; in_locale() turns them into real texts.
#include "geodesy/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace kestrav;

namespace {

class NumberText : public ::testing::TestWithParam<char> {
protected:
    void SetUp() override { set_decimal_separator(QLatin1Char(GetParam())); }
    void TearDown() override { set_decimal_separator(QLatin1Char('.')); }

    QString in_locale(const char* pattern) const {
        const QChar other = GetParam() == '.' ? QLatin1Char(',') : QLatin1Char('.');
        QString text = QString::fromUtf8(pattern);
        for (QChar& c : text) {
            if (c == QLatin1Char('.'))
                c = QLatin1Char(GetParam());
            else if (c == QLatin1Char(','))
                c = other;
        }
        return text;
    }
};

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FixedRow {
    const char* name;
    double value;
    int decimals;
    int significant;
    const char* expected;
};

TEST_P(NumberText, FixedFormat) {
    const FixedRow rows[] = {
        {"azimuth rounds up to 360", 359.95, 1, 5, "360.0"},
        {"azimuth just below", 359.94, 1, 5, "359.9"},
        {"coordinate", 48.854166, 3, 7, "48.854"},
        {"trailing zeros kept", 2.4, 3, 7, "2.400"},
        {"zero", 0, 3, 7, "0.000"},
        {"binary below half still shown exact", 2.345, 3, 0, "2.345"},
        {"half away from zero", 0.0005, 3, 0, "0.001"},
        {"negative half away from zero", -2.5, 0, 0, "-3"},
        {"positive half away from zero", 0.25, 1, 0, "0.3"},
        {"tiny negative is not -0", -0.0004, 3, 0, "0.000"},
        {"negative zero", -0.0, 1, 0, "0.0"},
        {"one rounding only", 0.2449999, 2, 3, "0.24"},
        {"azimuth below a half stays down", 230.449, 1, 5, "230.4"},
        {"azimuth below 359.95", 359.948, 1, 5, "359.9"},
        {"long-path distance", 27902.2475, 1, 7, "27902.2"},
        {"cap rounds a long whole part", 12345678.96, 1, 7, "12345680.0"},
        {"carry into a new digit", 999.96, 1, 0, "1000.0"},
        {"no separator without decimals", 7, 0, 0, "7"},
        {"far below the last place", 5e-300, 3, 0, "0.000"},
        {"large", 1e20, 2, 0, "100000000000000000000.00"},
        {"distance", 12345.6789, 1, 7, "12345.7"},
        {"negative distance", -33.5, 3, 7, "-33.500"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(format_fixed(row.value, row.decimals, row.significant), in_locale(row.expected))
            << row.name;
    EXPECT_EQ(format_fixed(kNan, 1), QStringLiteral("NAN"));
    EXPECT_EQ(format_fixed(-kInf, 1), QStringLiteral("-INF"));
}

TEST_P(NumberText, GeneralFormat) {
    const FixedRow rows[] = {
        {"calibration default", 0.5138901, 0, 7, "0.5138901"},
        {"short", 0.711, 0, 7, "0.711"},
        {"zero", 0, 0, 7, "0"},
        {"negative zero", -0.0, 0, 7, "0"},
        {"negative", -12.5, 0, 7, "-12.5"},
        {"binary noise dropped", 0.1 + 0.2, 0, 15, "0.3"},
        {"rounded to 7", 1.0 / 3, 0, 7, "0.3333333"},
        {"rounded to 15", 2.0 / 3, 0, 15, "0.666666666666667"},
        {"whole number", 100, 0, 7, "100"},
        {"widest whole number", 1234567, 0, 7, "1234567"},
        {"too wide", 12345678, 0, 7, "1.234568E+7"},
        {"power of ten", 1e7, 0, 7, "1E+7"},
        {"huge", 1e20, 0, 7, "1E+20"},
        {"smallest fixed", 0.00001, 0, 7, "0.00001"},
        {"first scientific below", 0.000001, 0, 7, "1E-6"},
        {"tiny", -1.5e-8, 0, 7, "-1.5E-8"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(format_general(row.value, row.significant), in_locale(row.expected)) << row.name;
    EXPECT_EQ(format_general(kInf, 7), QStringLiteral("INF"));
}

TEST_P(NumberText, GeneralAndFixedReadBack) {
    std::mt19937 rng(4711);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 5000; ++i) {
        const double value = mantissa(rng) * std::pow(10.0, exponent(rng));
        const auto general = read_number(format_general(value, 15));
        ASSERT_TRUE(general.has_value()) << format_general(value, 15).toStdString();
        EXPECT_NEAR(*general, value, std::fabs(value) * 1e-14);
        const auto fixed = read_number(format_fixed(value, 3, 7));
        ASSERT_TRUE(fixed.has_value()) << format_fixed(value, 3, 7).toStdString();
        // Rounded at the third decimal, or at the seventh significant digit when coarser.
        EXPECT_NEAR(*fixed, value, 0.0005 + std::fabs(value) * 5e-6 + 1e-12);
    }
}

// clang-format off
TEST(NumberTextRounding, HalvesToEven) {
    const struct {
        double value;
        long long expected;
    } rows[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4},
        {-2.5, -2}, {-1.5, -2}, {-0.5, 0}, {2.4999999, 2},
        {2.5000001, 3}, {359.5, 360}, {358.5, 358}, {-7.2, -7},
        {kNan, 0}, {4503599627370497.0, 4503599627370497LL},
        {1e300, std::numeric_limits<long long>::max()},
        {-kInf, std::numeric_limits<long long>::min()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(round_half_even(row.value), row.expected) << row.value;
}
// clang-format on

// clang-format off
TEST_P(NumberText, ReadNumber) {
    const struct {
        const char* text;
        double expected;
    } accepted[] = {
        {"4e", 4}, {"4E-", 4}, {".", 0}, {"+.5", 0.5},
        {" -1.5e+3 ", -1500}, {"\t7\t", 7}, {"1E+20", 1e20}, {"5.", 5},
        {"007", 7}, {"1e-400", 0}, {"2.5E-3", 0.0025}, {"1e-99999999999999999999", 0},
    };
    // clang-format on
    for (const auto& row : accepted) {
        const auto value = read_number(in_locale(row.text));
        ASSERT_TRUE(value.has_value()) << row.text;
        EXPECT_DOUBLE_EQ(*value, row.expected) << row.text;
    }
    // clang-format off
    const char* refused[] = {"", "-", "+", "e5", "e", "1.2.3", "1 2", "1e400", "1,5", ",", "1.5,",
                             "abc", "1e5x", "+-1", "  ", "1e 5", "1e5.5", "--1", "1e+-5",
                             "1e99999999999999999999", "0x10", "$10", "1_0", "1.0f", "nan", "inf",
                             "٣"};
    // clang-format on
    for (const char* text : refused)
        EXPECT_FALSE(read_number(in_locale(text)).has_value()) << text;
    EXPECT_FALSE(read_number(QString(400, QLatin1Char('9'))).has_value())
        << "overflows to infinity";
    const QString long_fraction =
        in_locale("0.") + QString(999, QLatin1Char('0')) + QStringLiteral("1e1000");
    EXPECT_EQ(read_number(long_fraction), std::optional<double>(1.0))
        << "a thousand digits after the separator";
    const QString long_whole =
        QStringLiteral("1") + QString(1000, QLatin1Char('0')) + QStringLiteral("e-1000");
    EXPECT_EQ(read_number(long_whole), std::optional<double>(1.0))
        << "a thousand digits before the exponent";
    // 1 + 2^-53 lies exactly half-way between 1 and the next double; one non-zero digit far
    // beyond it tips the value up.
    const QString past_halfway =
        in_locale("1.00000000000000011102230246251565404236316680908203125") +
        QString(900, QLatin1Char('0')) + QStringLiteral("1");
    EXPECT_EQ(read_number(past_halfway), std::optional<double>(std::nextafter(1.0, 2.0)));
}

// clang-format off
TEST(NumberTextIntegers, ReadInteger) {
    const struct {
        const char* text;
        std::optional<int> expected;
    } rows[] = {
        {"$1F", 31}, {"0x1f", 31}, {"0X1F", 31}, {" 12", 12}, {"\t12", 12},
        {"12 ", {}}, {"+3", 3}, {"-3", -3}, {"-", {}}, {"", {}},
        {"  ", {}}, {"$", {}}, {"0x", {}}, {"-$10", -16}, {"$G", {}},
        {"0", 0}, {"007", 7}, {"1.0", {}}, {"1e3", {}}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"2147483648", {}}, {"-2147483649", {}},
        {"$80000000", {}}, {"99999999999999999999", {}}, {"1 2", {}}, {"x1", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(read_integer(QString::fromUtf8(row.text)), row.expected)
            << '"' << row.text << '"';
}
// clang-format on

TEST_P(NumberText, LocalizeDecimal) {
    // Source texts hold real '.' and ','; `replaced` is the 1-based position that must now hold
    // the system separator, 0 when the text must come back unchanged.
    const struct {
        const char* text;
        int replaced;
    } rows[] = {
        {"48.854", 3}, {"48,854", 3}, {"N48,854", 4}, {"", 0},
        {"48", 0},     {"1,2.3", 0}, // both present: the sum of the positions lies past the end
        {".1,234", 4}, // both present: the sum points at a digit, which is replaced all the same
    };
    for (const auto& row : rows) {
        QString expected = QString::fromUtf8(row.text);
        if (row.replaced > 0)
            expected[row.replaced - 1] = QLatin1Char(GetParam());
        EXPECT_EQ(localize_decimal(QString::fromUtf8(row.text)), expected) << row.text;
    }
    for (const char* both : {"1,2.3", "1.2,3", ".1,234", "1,234.5"})
        EXPECT_FALSE(read_number(localize_decimal(QString::fromUtf8(both))).has_value()) << both;
}

INSTANTIATE_TEST_SUITE_P(Separators, NumberText, ::testing::Values('.', ','),
                         [](const auto& info) { return info.param == '.' ? "point" : "comma"; });

} // namespace
