#include "follow/country_file.h"

#include "lists/prefix_table.h"

#include "setup/qstring_printer.h"
#include <QFile>

#include <gtest/gtest.h>

namespace kestrav {
namespace {

// Rows in the file's own layout, with the places that trip readers up: exact calls beside
// prefixes, overrides on an alias, West-positive longitudes, the KG4 calls.
const char* const kSample =
    R"(Sov Mil Order of Malta:   15:  28:  EU:   41.90:   -12.43:    -1.0:  1A:
    1A;
Spain:                    14:  37:  EU:   40.37:     4.88:    -1.0:  EA:
    AM,AN,AO,EA,EB,EC,ED,EE,EF,EG,EH;
Canary Islands:           33:  36:  AF:   28.32:    15.85:     0.0:  EA8:
    AM8,AN8,AO8,EA8,EB8,EC8,ED8,EE8,EF8,EG8,EH8,=EA1ABC/QRP;
Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:
    DA,DB,DC,DD,DE,DF,DG,DH,DI,DJ,DK,DL,DM,DN,DO,DP,DQ,DR;
United States:            05:  08:  NA:   37.53:    91.67:     5.0:  K:
    AA,K,N,W,=KG4DFX,K6(3)[6]<35.00/118.00>{NA}~8.0~;
Guantanamo Bay:           08:  11:  NA:   20.00:    75.00:     5.0:  KG4:
    KG4,=KG4AC,=W1AW/KG4;
Broken:                   xx:  11:  NA:   20.00:    75.00:     5.0:  ZZ:
    ZZ;
Australia:                30:  55:  OC:  -23.70:  -132.33:   -10.0:  VK:
    AX,VH,VI,VJ,VK,VL,VM,VN,VZ,VK9(30)<bad>;
)";

TEST(CountryFile, LookupRules) {
    const CountryTable t = CountryTable::from_country_file(QString::fromLatin1(kSample));
    EXPECT_EQ(t.countryCount(), 7 + 1); // the K6 alias has its own record, "Broken" is skipped
    const struct {
        const char* call;
        const char* country; // nullptr: none
    } rows[] = {
        {"1A0KM", "Sov Mil Order of Malta"},
        {"ea1abc", "Spain"},
        {"EA8ZZ", "Canary Islands"},          // longest prefix
        {"EA8/DL1ABC", "Canary Islands"},     // portable prefix in front
        {"DL1ABC/EA8", "Canary Islands"},     // or behind
        {"EA1ABC/QRP", "Canary Islands"},     // an exact call as written
        {"DL1ABC/P", "Fed. Rep. of Germany"}, // modifiers dropped
        {"DL1ABC/M", "Fed. Rep. of Germany"},
        {"EA1XYZ/QRP", "Spain"},
        {"DL1ABC/MM", nullptr},      // at sea
        {"DL1ABC/AM", nullptr},      // in the air, not Spain (AM)
        {"KG4AB", "Guantanamo Bay"}, // two-letter suffix
        {"KG4AC", "Guantanamo Bay"}, // exact
        {"KG4ABC", "United States"}, // three letters: the fourth US call area
        {"KG4DFX", "United States"}, // exact call in the US list
        {"W1AW/KG4", "Guantanamo Bay"},
        {"W1AW/4", "United States"},
        {"VK2ABC", "Australia"},
        {"VK9XX", "Australia"}, // its alias with a bad override is skipped
        {"ZZ1A", nullptr},
        {"", nullptr},
        {"/", nullptr},
    };
    for (const auto& row : rows) {
        const std::optional<Country> c = t.lookup(QString::fromLatin1(row.call));
        if (row.country == nullptr)
            EXPECT_FALSE(c) << row.call;
        else
            EXPECT_EQ(c ? c->name : QString(), row.country) << row.call;
    }
}

TEST(CountryFile, WestPositiveLongitudesAndOverrides) {
    const CountryTable t = CountryTable::from_country_file(QString::fromLatin1(kSample));
    const Country spain = *t.lookup(u"EA4XX");
    EXPECT_DOUBLE_EQ(spain.longitude, -4.88);
    EXPECT_DOUBLE_EQ(spain.latitude, 40.37);
    EXPECT_DOUBLE_EQ(spain.utc_offset, 1.0);
    const Country k6 = *t.lookup(u"K6XYZ");
    EXPECT_EQ(k6.cq_zone, 3);
    EXPECT_EQ(k6.itu_zone, 6);
    EXPECT_DOUBLE_EQ(k6.latitude, 35.0);
    EXPECT_DOUBLE_EQ(k6.longitude, -118.0);
    EXPECT_DOUBLE_EQ(k6.utc_offset, -8.0);
    EXPECT_DOUBLE_EQ(t.lookup(u"K1ABC")->longitude, -91.67);
    EXPECT_DOUBLE_EQ(t.lookup(u"VK2ABC")->longitude, 132.33);
}

// Positions that read as numbers but are not on the globe: the record is refused (a header
// with its aliases, an alias with its own position alone), the others kept.
TEST(CountryFile, PositionsOffTheGlobeAreRefused) {
    const struct {
        const char* name;
        const char* latitude;
        const char* longitude; // West positive, as in the file
    } rows[] = {{"nan", "nan", "10.00"},       {"nan longitude", "10.00", "nan"},
                {"inf", "inf", "10.00"},       {"minus inf", "10.00", "-inf"},
                {"91 N", "91.00", "10.00"},    {"91 S", "-91.00", "10.00"},
                {"181 E", "10.00", "-181.00"}, {"181 W", "10.00", "181.00"}};
    for (const auto& row : rows) {
        const QString latitude = QString::fromLatin1(row.latitude);
        const QString longitude = QString::fromLatin1(row.longitude);
        const QString text = QStringLiteral("Testland: 14: 28: EU: %1: %2: -1.0: ZZ:\n ZZ;\n"
                                            "Spain: 14: 37: EU: 40.37: 4.88: -1.0: EA:\n EA;\n"
                                            "Edge: 1: 1: AN: -90.00: 180.00: 0.0: XX:\n"
                                            " XX,XY<90/-180>;\n")
                                 .arg(latitude, longitude);
        const CountryTable header = CountryTable::from_country_file(text);
        EXPECT_FALSE(header.lookup(u"ZZ1A")) << row.name;
        EXPECT_EQ(header.lookup(u"EA1A")->name, "Spain") << row.name;
        EXPECT_DOUBLE_EQ(header.lookup(u"XX1A")->longitude, -180) << row.name; // edges kept
        EXPECT_DOUBLE_EQ(header.lookup(u"XY1A")->latitude, 90) << row.name;
        // The same position as an alias's override under a sound header.
        const CountryTable alias = CountryTable::from_country_file(
            QStringLiteral("Testland: 14: 28: EU: 10.00: 20.00: -1.0: ZZ:\n ZZ,ZY<%1/%2>;\n")
                .arg(latitude, longitude));
        EXPECT_EQ(alias.countryCount(), 1) << row.name;
        EXPECT_FALSE(alias.lookup(u"ZY1A")) << row.name;
        EXPECT_TRUE(alias.lookup(u"ZZ1A")) << row.name;
    }
    // The built-in table's form, refused the same way.
    const CountryTable table =
        CountryTable::from_prefix_entries({"ZZ\tNowhere\tnanN\t10E", "ZY\tFar\t91N\t10E",
                                           "ZX\tFar\t10N\t181E", "EA\tSpain\t40,37N\t4,88W"});
    EXPECT_EQ(table.countryCount(), 1);
    EXPECT_TRUE(table.lookup(u"EA1A"));
}

TEST(CountryFile, BuiltInPrefixTableFallback) {
    const CountryTable t = CountryTable::from_prefix_entries(prefix_table_entries());
    const std::optional<Country> malta = t.lookup(u"9H1AA");
    ASSERT_TRUE(malta);
    EXPECT_TRUE(malta->name.startsWith("Malta")) << malta->name.toStdString();
    EXPECT_NEAR(malta->latitude, 35.9, 0.2);
    const std::optional<Country> usa = t.lookup(u"AA1ABC"); // "AA-AL" is read as AA
    ASSERT_TRUE(usa);
    EXPECT_LT(usa->longitude, 0);
}

TEST(CountryFile, RealFileWhenInstalled) {
    QFile file(QStringLiteral("/usr/share/hamradio-files/cty.dat"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "hamradio-files is not installed";
    const CountryTable t = CountryTable::from_country_file(QString::fromLatin1(file.readAll()));
    EXPECT_GT(t.countryCount(), 340);
    EXPECT_EQ(t.lookup(u"KG4AB")->name, "Guantanamo Bay");
    EXPECT_EQ(t.lookup(u"KG4ABC")->name, "United States of America");
    EXPECT_EQ(t.lookup(u"EA8/DL1ABC")->name, "Canary Islands");
    EXPECT_LT(t.lookup(u"W1AW")->longitude, -60);
    EXPECT_GT(t.lookup(u"JA1XYZ")->longitude, 120);
}

TEST(CompleteCall, WholeCallsOnly) {
    for (const char* call : {"K1A", "VK2ABC", "2E0ABC", "3DA0RS", "4U1ITU", "EA8/DL1ABC",
                             "DL1ABC/P", "W1AW/4", "E73XYZ"})
        EXPECT_TRUE(is_complete_call(QString::fromLatin1(call))) << call;
    for (const char* call : {"", "V", "VK", "VK2", "VK2ABCDE", "EA8/", "DL1ABC/", "vk2abc", "123"})
        EXPECT_FALSE(is_complete_call(QString::fromLatin1(call))) << call;
}

} // namespace
} // namespace kestrav
