#include "lists/list_entry.h"

#include "lists/separator_guard.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

class ListEntryParsing : public ::testing::TestWithParam<char> {
protected:
    QChar separator() const { return QLatin1Char(GetParam()); }
    QString local(const char* number) const {
        QString text = QString::fromLatin1(number);
        text.replace(u'.', separator());
        return text;
    }
};

TEST_P(ListEntryParsing, ReadsWellFormedEntries) {
    test::SeparatorGuard guard(separator());
    const struct {
        const char* name;
        const char* entry;
        bool north;
        const char* latitude_text;
        double latitude;
        bool east;
        const char* longitude_text;
        double longitude;
    } rows[] = {
        {"whole degrees", "F\tFrance (Eu)\t46N\t2E", true, "46", 46, true, "2", 2},
        {"comma notation", "1A\tMalta (Eu)\t35,83N\t14,58E", true, "35.83", 35.83, true, "14.58",
         14.58},
        {"dot notation", "1A\tMalta (Eu)\t35.83N\t14.58E", true, "35.83", 35.83, true, "14.58",
         14.58},
        {"south and west", "FR/E\tEuropa\t22,33S\t40,33W", false, "22.33", 22.33, false, "40.33",
         40.33},
        {"spaces around numbers", "X\tY\t 46 N\t 2.5 W", true, " 46 ", 46, false, " 2.5 ", 2.5},
        {"empty prefix and name", "\t\t10N\t20E", true, "10", 10, true, "20", 20},
        {"out of locator range still read", "X\tY\t95N\t200E", true, "95", 95, true, "200", 200},
        {"lone separator reads as zero", "X\tY\t,N\t.E", true, ".", 0, true, ".", 0},
    };
    for (const auto& row : rows) {
        const ListEntryResult result = parse_list_entry(QString::fromLatin1(row.entry));
        ASSERT_TRUE(result.ok) << row.name;
        EXPECT_EQ(result.north, row.north) << row.name;
        EXPECT_EQ(result.east, row.east) << row.name;
        EXPECT_EQ(result.latitude_text, local(row.latitude_text)) << row.name;
        EXPECT_EQ(result.longitude_text, local(row.longitude_text)) << row.name;
        EXPECT_DOUBLE_EQ(result.latitude, row.latitude) << row.name;
        EXPECT_DOUBLE_EQ(result.longitude, row.longitude) << row.name;
    }
}

// A refused entry keeps the hemispheres found before the failure: the window has already
// switched those boxes.
TEST_P(ListEntryParsing, RefusesMalformedEntriesWithPartialHemispheres) {
    test::SeparatorGuard guard(separator());
    const std::optional<bool> none;
    const struct {
        const char* name;
        const char* entry;
        std::optional<bool> north;
        std::optional<bool> east;
    } rows[] = {
        {"no field separator", "F France 46N 2E", none, none},
        {"two fields", "F\tFrance (Eu)", none, none},
        {"three fields", "F\tFrance (Eu)\t46N", none, none},
        {"empty latitude", "F\tFrance\t\t2E", none, none},
        {"lower-case latitude letter", "F\tFrance\t46n\t2E", none, none},
        {"latitude unreadable", "F\tFrance\t4x6N\t2E", true, none},
        {"latitude with both separators", "F\tFrance\t4,5.1S\t2E", false, none},
        {"latitude letter not last", "F\tFrance\t46N \t2E", true, none},
        {"lower-case longitude letter", "F\tFrance\t46N\t2e", true, none},
        {"no longitude letter", "F\tFrance\t46S\t2", false, none},
        {"empty longitude", "F\tFrance\t46S\t", false, none},
        {"longitude with both separators", "F\tFrance\t46N\t1,2.3W", true, false},
        {"longitude unreadable", "F\tFrance\t46N\t2x5E", true, true},
        {"fifth field", "F\tFrance\t46N\t2E\tParis", true, true},
        {"empty fifth field", "F\tFrance\t46N\t2E\t", true, true},
        {"fifth field after the number", "X\tY\t46N\t2\tE", true, true},
        {"empty field before the longitude", "X\tY\t46N\t\t2E", true, true},
        {"space after longitude letter", "F\tFrance\t46N\t2E ", true, true},
        {"character after longitude letter", "F\tFrance\t46N\t2Ex", true, true},
        {"west entry holding an E", "F\tFrance\t46N\t1E2W", true, true},
    };
    for (const auto& row : rows) {
        const ListEntryResult result = parse_list_entry(QString::fromLatin1(row.entry));
        EXPECT_FALSE(result.ok) << row.name;
        EXPECT_EQ(result.north, row.north) << row.name;
        EXPECT_EQ(result.east, row.east) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(BothSeparators, ListEntryParsing, ::testing::Values(',', '.'),
                         [](const auto& info) {
                             return std::string(info.param == ',' ? "Comma" : "Dot");
                         });

} // namespace
} // namespace kestrav
