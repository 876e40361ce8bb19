#include "lists/prefix_table.h"

#include "geodesy/locator.h"
#include "lists/list_entry.h"
#include "lists/separator_guard.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>

namespace kestrav {
namespace {

// The prefixes of the stored table, in stored order.
const char* const kStoredPrefixes = R"(
1A 1S 3A 3B6 3B7 3B8 3B9 3C 3C0 3D2 3DA 3V 3X 3Y 4K 4L 4S 4T 4U 4U 4W 4X 5A 5B 5H1 5H3 5N 5R
5T 5U 5V 5W 5X 5Z 6O 6W 6Y 7J 7K 7L 7M 7N 7O 7P 7Q 7X 8J 8K 8L 8M 8N 8P 8Q 8R 9A 9G 9H 9H4
9J 9K 9L 9M2 9M6 9M8 9N 9Q 9U 9V 9X 9Y 9Z A2 A3 A4 A5 A6 A7 A9 AA2-AG2 AA4-AG4 AA4-AG4
AA5-AG5 AA6-AG6 AA7-AG7 AA9-AG9 AA-AL AH0 AH1 AH2 AH3 AH4 AH5 AH5K AH6-7 AH7K AH8 AH9
AL KL NL WL AP BT BV BY C2 C3 C5 C6 C9 CE CE0A CE0X CE0Z CE9A CM CN CO CP CT CT3 CU CX
CY0 CY9 D2 D4 D6 DA DB DC DD DE DF DG DH DI DJ DK DL DM DU DV DW DX DY DZ E3 EA6 EA8 EA9
EA EB EC ED EE EF EG EH EI EJ EK EL EP ER ES ET EU EV EW EX EY EZ F FG FH FJ FK FM FO FO
FO0 FP FR FR/E FR/G FR/J FR/T FS FT.W FT.X FT.Y FT.Z FW FY G GD GI GJ GM GU GW H4 HA HB
HB0 HC8 HC HD HG HH HI HK0 HK0 HK0 HK0 HJ HK HL HP HR6 HQ HR HS HV HZ I IS IT J2 J3 J4
J5 J6 J7 J8 JA JB JC JD JD1 JD1 JE JF JG JH JI JK JL JN JM JN JO JP JQ JR JR6 JS JT JU
JV JW JX JY K K2 K4 K4 K5 K6 K7 K9 KC4 KC6 KC6 KG1 KG4 KH0 KH1 KH2 KH3 KH4 KH5 KH5K
KH6-7 KH7K KH8 KH9 KP1 KP2 KP3-4 KP5 LA LU LX LY LZ M N N2 N4 N4 N5 N6 N7 N9 NH0 NH1 NH2
NH3 NH4 NH5 NH5K NH6-7 NH7K NH8 NH9 NP1 NP2 NP3-4 NP5 OA OB OC OD OE OF OH0 OH OJ0 OK OL
OM ON OR4 OX OY OZ P2 P4 P5 PA PJ PJ2 PJ7 PP PP PR PT PU PY PY0F PY0S PY0T PZ RA RZ S0 S2
S5 S7 S9 SA SM SN SP SQ SR ST ST0 SU SV SV5 SV9 SY SZ T2 T30 T31 T32 T33 T5 T6 T7 T9 TA
TB TC TF TG TI TI9 TJ TK TL TM TN TR TT TU TY TZ UA0 UA0 UA0 UA0F UA1 UA2 UA9 UA9 UA UB
UC UD UE UF UG UH UI UJ UK UL UM UN UO UP UQ UR US UT UU UV UW UX UY UZ V2 V3 V4 V5 V6 V7
V8 VE1 VE2 VE3 VE4 VE5 VE6 VE7 VE8 VE9 VK0 VK0 VK0 VK1 VK2 VK3 VK4 VK5 VK6 VK7 VK8 VK9C
VK9L VK9M VK9N VK9W VK9X VO1 VO2 VP2E VP2M VP2V VP5 VP8 VP8 VP8 VP8 VP8 VP9 VQ9 VR6 VS6
VU VU VU4 VU4 VU7 VY1 VY2 W W2 W4 W4 W5 W6 W7 W9 WH0 WH1 WH2 WH3 WH4 WH5 WH5K WH6-7 WH7K
WH8 WH9 WP1 WP2 WP3-4 WP7 XE XF4 XT XU XV XW XX9 XZ YA YB YI YJ YK YL YN YO YP YQ YR YS
YU YV0 YV YW YX YY Z2 Z3 ZA ZB ZC ZD7 ZD8 ZD9 ZF ZK1 ZK1 ZK2 ZK3 ZL ZL7 ZL8 ZL9 ZP ZS1
ZS2M ZS7 ZS8 ZZ
)";

QStringList stored_prefixes() {
    return QString::fromLatin1(kStoredPrefixes)
        .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

QString field(const QString& entry, int index) {
    return entry.split(u'\t').value(index);
}

const QString* find_entry(const QStringList& table, const QString& prefix) {
    for (const QString& entry : table) {
        if (field(entry, 0) == prefix)
            return &entry;
    }
    return nullptr;
}

TEST(StoredPrefixTable, HoldsEveryPrefixInStoredOrder) {
    const QStringList expected = stored_prefixes();
    ASSERT_EQ(expected.size(), 563);
    QStringList prefixes;
    for (const QString& entry : prefix_table_entries())
        prefixes << field(entry, 0);
    EXPECT_EQ(prefixes, expected);
}

TEST(StoredPrefixTable, HoldsTheTellingRowsByteForByte) {
    const QStringList rows = {
        QStringLiteral("1A\tMalta (Eu)\t35,83N\t14,58E"),
        QStringLiteral("1S\tSpratley (As)\t7N\t114E"),
        QStringLiteral("3B6\tAgalega (Af)\t10,4S\t56,62E"),
        QStringLiteral("4U\tITU Geneva (Eu)\t46,25N\t6,17E"),
        QStringLiteral("4U\tUN Headquaters (NAm)\t40,7N\t73,8W"),
        QStringLiteral("AA2-AG2\tUSA NEW YORK (NAm)\t40,38N\t74,02W"),
        QStringLiteral("AA-AL\tU.S.A. (NAm)\t38N\t97W"),
        QStringLiteral("AH1\tBaker-Howland-Phoenix(Oc)\t0,25N\t176,45W"),
        QStringLiteral("F\tFrance (Eu)\t46N\t2E"),
        QStringLiteral("FR/E\tEuropa Is (Af)\t22,33S\t40,33E"),
        QStringLiteral("FT.Y\tAdelie Land\t67S\t139E"),
        QString::fromUtf8("KH6-7\tHawa\xC3\xAF (Oc)\t20N\t157,75W"),
        QStringLiteral("OX\tGreenland (NAm)\t80N\t40W"),
        QStringLiteral("UA1\tFranz Josef land(Eu)\t81N\t55E"),
        QStringLiteral("ZL\tNew Zealand (Oc)\t41S\t174E"),
        QStringLiteral("ZZ\tBrasil (Sam)\t10S\t55W"),
    };
    for (const QString& row : rows)
        EXPECT_TRUE(prefix_table_entries().contains(row)) << row.toStdString();
}

TEST(StoredPrefixTable, EntriesFollowTheTableNotation) {
    const QRegularExpression coordinate(QStringLiteral("^\\d+(,\\d{1,2})?$"));
    const QRegularExpression continent(
        QStringLiteral("\\((Eu|As|Af|Oc|NAm|SAm|Eu\\+As|SA|Sam)\\)$"));
    QHash<QString, int> continents;
    QStringList without_continent;
    for (const QString& entry : prefix_table_entries()) {
        const QStringList fields = entry.split(u'\t');
        ASSERT_EQ(fields.size(), 4) << entry.toStdString();
        EXPECT_LE(fields[0].size(), 7) << entry.toStdString();
        EXPECT_FALSE(fields[1].trimmed().isEmpty()) << entry.toStdString();
        const QString latitude = fields[2];
        const QString longitude = fields[3];
        EXPECT_TRUE(latitude.endsWith(u'N') || latitude.endsWith(u'S')) << entry.toStdString();
        EXPECT_TRUE(longitude.endsWith(u'E') || longitude.endsWith(u'W')) << entry.toStdString();
        EXPECT_TRUE(coordinate.match(latitude.chopped(1)).hasMatch()) << entry.toStdString();
        EXPECT_TRUE(coordinate.match(longitude.chopped(1)).hasMatch()) << entry.toStdString();
        const QRegularExpressionMatch match = continent.match(fields[1]);
        if (match.hasMatch())
            ++continents[match.captured(1)];
        else
            without_continent << fields[1];
    }
    EXPECT_EQ(without_continent.size(), 12) << without_continent.join(u", ").toStdString();
    EXPECT_TRUE(without_continent.contains(QStringLiteral("Aruba")));
    EXPECT_EQ(continents.value(QStringLiteral("SA")), 1);
    EXPECT_EQ(continents.value(QStringLiteral("Sam")), 1);
}

TEST(StoredPrefixTable, RepeatedPrefixesStandForDifferentPlaces) {
    QHash<QString, QStringList> places;
    for (const QString& entry : prefix_table_entries())
        places[field(entry, 0)] << field(entry, 2) + u' ' + field(entry, 3);
    const QHash<QString, int> repeats = {{QStringLiteral("HK0"), 4}, {QStringLiteral("VP8"), 5},
                                         {QStringLiteral("UA0"), 3}, {QStringLiteral("4U"), 2},
                                         {QStringLiteral("VK0"), 3}, {QStringLiteral("JN"), 2}};
    for (auto it = repeats.begin(); it != repeats.end(); ++it) {
        const QStringList& list = places.value(it.key());
        EXPECT_EQ(list.size(), it.value()) << it.key().toStdString();
        EXPECT_EQ(QSet<QString>(list.begin(), list.end()).size(), list.size())
            << it.key().toStdString();
    }
    // Prefixes of one entity share it.
    for (const char* prefix : {"DB", "DC", "DL", "DM"})
        EXPECT_EQ(places.value(QString::fromLatin1(prefix)), places.value(QStringLiteral("DA")));
}

class PreparedPrefixTable : public ::testing::TestWithParam<char> {};

// Every entry must be choosable and lead to a locator, whatever the separator.
TEST_P(PreparedPrefixTable, EveryEntryGivesAPlausibleLocator) {
    const QChar separator = QLatin1Char(GetParam());
    test::SeparatorGuard guard(separator);
    const QStringList table = prepare_prefix_table(prefix_table_entries(), separator);
    ASSERT_EQ(table.size(), 563);
    for (const QString& entry : table) {
        const ListEntryResult result = parse_list_entry(entry);
        ASSERT_TRUE(result.ok) << entry.toStdString();
        EXPECT_LE(result.latitude, 89.99) << entry.toStdString();
        EXPECT_GE(result.latitude, 0.0) << entry.toStdString();
        EXPECT_LE(result.longitude, 180.0) << entry.toStdString();
        EXPECT_GE(result.longitude, 0.0) << entry.toStdString();
        EXPECT_FALSE(result.latitude_text.contains(separator == u',' ? u'.' : u','));
        EXPECT_EQ(
            position_to_locator(result.latitude, *result.north, result.longitude, *result.east)
                .size(),
            6)
            << entry.toStdString();
    }
}

TEST_P(PreparedPrefixTable, KnownEntriesGiveTheirLocators) {
    const QChar separator = QLatin1Char(GetParam());
    test::SeparatorGuard guard(separator);
    const QStringList table = prepare_prefix_table(prefix_table_entries(), separator);
    const struct {
        const char* prefix;
        const char* locator;
        double latitude;
        double longitude;
    } rows[] = {
        {"F", "JN16AA", 46, 2},
        {"1A", "JM75GT", 35.83, 14.58},
        {"AA-AL", "EM18MA", 38, 97},
        {"FT.Y", "PC93MA", 67, 139},
    };
    for (const auto& row : rows) {
        const QString* entry = find_entry(table, QString::fromLatin1(row.prefix));
        ASSERT_NE(entry, nullptr) << row.prefix;
        const ListEntryResult result = parse_list_entry(*entry);
        ASSERT_TRUE(result.ok) << row.prefix;
        EXPECT_DOUBLE_EQ(result.latitude, row.latitude) << row.prefix;
        EXPECT_DOUBLE_EQ(result.longitude, row.longitude) << row.prefix;
        EXPECT_EQ(
            position_to_locator(result.latitude, *result.north, result.longitude, *result.east),
            QString::fromLatin1(row.locator))
            << row.prefix;
    }
}

TEST_P(PreparedPrefixTable, IsSortedIgnoringCaseAndKeepsEveryEntry) {
    const QChar separator = QLatin1Char(GetParam());
    test::SeparatorGuard guard(separator);
    const QStringList table = prepare_prefix_table(prefix_table_entries(), separator);
    for (qsizetype i = 1; i < table.size(); ++i)
        EXPECT_LE(QString::compare(table[i - 1], table[i], Qt::CaseInsensitive), 0) << i;
    QHash<QString, int> count;
    for (const QString& entry : table)
        ++count[field(entry, 0) + u'\t' + field(entry, 1)];
    for (const QString& entry : prefix_table_entries())
        --count[field(entry, 0) + u'\t' + field(entry, 1)];
    for (auto it = count.begin(); it != count.end(); ++it)
        EXPECT_EQ(it.value(), 0) << it.key().toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothSeparators, PreparedPrefixTable, ::testing::Values(',', '.'),
                         [](const auto& info) {
                             return std::string(info.param == ',' ? "Comma" : "Dot");
                         });

TEST(PrefixTablePreparation, DotNotationShowsTheSamePositions) {
    QHash<QString, std::pair<double, double>> comma_positions;
    {
        test::SeparatorGuard guard(u',');
        for (const QString& entry : prepare_prefix_table(prefix_table_entries(), u',')) {
            const ListEntryResult result = parse_list_entry(entry);
            comma_positions.insert(field(entry, 0) + field(entry, 1),
                                   {result.latitude, result.longitude});
        }
    }
    test::SeparatorGuard guard(u'.');
    const QStringList table = prepare_prefix_table(prefix_table_entries(), u'.');
    EXPECT_TRUE(table.contains(QStringLiteral("1A\tMalta (Eu)\t35.83N\t14.58E")));
    EXPECT_TRUE(table.contains(QStringLiteral("1S\tSpratley (As)\t7N\t114E")));
    EXPECT_TRUE(table.contains(QStringLiteral("3B6\tAgalega (Af)\t10.4S\t56.62E")));
    for (const QString& entry : table) {
        EXPECT_FALSE(entry.contains(u',')) << entry.toStdString();
        const ListEntryResult result = parse_list_entry(entry);
        const auto expected = comma_positions.value(field(entry, 0) + field(entry, 1));
        EXPECT_EQ(result.latitude, expected.first) << entry.toStdString();
        EXPECT_EQ(result.longitude, expected.second) << entry.toStdString();
    }
}

TEST(PrefixTablePreparation, RewritesOnlyReadableFourFieldEntries) {
    test::SeparatorGuard guard(u'.');
    const struct {
        const char* name;
        const char* entry;
        const char* prepared;
    } rows[] = {
        {"trailing zeros dropped", "P\tN\t45,50N\t7,250E", "P\tN\t45.5N\t7.25E"},
        {"south and west", "P\tN\t0,25S\t176,45W", "P\tN\t0.25S\t176.45W"},
        {"whole numbers", "P\tN\t90N\t180W", "P\tN\t90N\t180W"},
        {"leading zeros dropped", "P\tN\t045,5N\t00,5E", "P\tN\t45.5N\t0.5E"},
        {"zero fraction dropped", "P\tN\t45,0N\t0,0E", "P\tN\t45N\t0E"},
        {"small fractions", "P\tN\t0,05N\t0,0000005E", "P\tN\t0.05N\t5E-7E"},
        {"letter first", "P\tN\tN45,5\tE7", "P\tN\t45.5N\t7E"},
        {"no hemisphere letter kept", "P\tN\t45,5\t7E", "P\tN\t45,5\t7E"},
        {"dot notation kept", "P\tN\t45.5N\t7,5E", "P\tN\t45.5N\t7,5E"},
        {"fifth field kept", "P\tN\t45,5N\t7E\tx", "P\tN\t45,5N\t7E\tx"},
        {"three fields kept", "P\tN\t45,5N", "P\tN\t45,5N"},
    };
    for (const auto& row : rows) {
        const QStringList prepared =
            prepare_prefix_table({QString::fromLatin1(row.entry)}, QLatin1Char('.'));
        ASSERT_EQ(prepared.size(), 1);
        EXPECT_EQ(prepared.first(), QString::fromLatin1(row.prepared)) << row.name;
    }
}

TEST(PrefixTablePreparation, CommaSeparatorOnlySorts) {
    test::SeparatorGuard guard(u',');
    const QStringList entries = {QStringLiteral("b\tx\t1,5N\t2E"),
                                 QStringLiteral("A\tx\t1.5N\t2E")};
    EXPECT_EQ(prepare_prefix_table(entries, u','), QStringList({entries[1], entries[0]}));
}

TEST(PrefixTablePreparation, SortIgnoresCaseAndKeepsTiesInOrder) {
    test::SeparatorGuard guard(u',');
    EXPECT_EQ(prepare_prefix_table(
                  {QStringLiteral("zz"), QStringLiteral("Ab"), QStringLiteral("aa")}, u','),
              QStringList({QStringLiteral("aa"), QStringLiteral("Ab"), QStringLiteral("zz")}));
    EXPECT_EQ(prepare_prefix_table(
                  {QStringLiteral("x\tB"), QStringLiteral("A"), QStringLiteral("x\tb")}, u','),
              QStringList({QStringLiteral("A"), QStringLiteral("x\tB"), QStringLiteral("x\tb")}));
    EXPECT_EQ(prepare_prefix_table({QStringLiteral("x\tb"), QStringLiteral("x\tB")}, u','),
              QStringList({QStringLiteral("x\tb"), QStringLiteral("x\tB")}));
}

} // namespace
} // namespace kestrav
