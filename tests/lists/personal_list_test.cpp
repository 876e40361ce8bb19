#include "lists/personal_list.h"

#include <gtest/gtest.h>

namespace kestrav {
namespace {

const std::optional<QString> kNoTitle;

TEST(PersonalListParsing, TakesTheTitleFromTheLastBracketLine) {
    const struct {
        const char* name;
        const char* text;
        std::optional<QString> title;
        int entries;
    } rows[] = {
        {"title and two entries", "[Contest 2]\r\nB\tb\t1N\t1E\r\nA\ta\t2N\t2E\r\n",
         QStringLiteral("Contest 2"), 2},
        {"text after the bracket ignored", "[Field Day] 2024\nA\ta\t2N\t2E\n",
         QStringLiteral("Field Day"), 1},
        {"no closing bracket gives an empty title", "[Contest\nA\ta\t2N\t2E\n", QString(), 1},
        {"empty brackets", "[]\nA\ta\t2N\t2E\n", QString(), 1},
        {"last title wins", "[First]\nA\ta\t2N\t2E\n[Second]\n[Third]\n", QStringLiteral("Third"),
         1},
        {"no title line", "A\ta\t2N\t2E\n", kNoTitle, 1},
        {"bracket later in a line is no title", "A [x]\ta\t2N\t2E\n", kNoTitle, 1},
    };
    for (const auto& row : rows) {
        const PersonalList list = parse_personal_list(QString::fromLatin1(row.text));
        EXPECT_FALSE(list.empty_file) << row.name;
        EXPECT_EQ(list.title, row.title) << row.name;
        EXPECT_EQ(list.entries.size(), row.entries) << row.name;
    }
}

TEST(PersonalListParsing, KeepsEntriesUnchangedAndSortsThemIgnoringCase) {
    const PersonalList list = parse_personal_list(
        QStringLiteral("[Contest 2]\r\nb2\tx\t1N\t1E\r\n\r\nA1\tbad entry \r\na3\tx\t2N\t2E\r\n"
                       "B2\tx\t1N\t1E\r\n"));
    EXPECT_EQ(list.title, QStringLiteral("Contest 2"));
    EXPECT_EQ(list.entries,
              QStringList({QStringLiteral("A1\tbad entry "), QStringLiteral("a3\tx\t2N\t2E"),
                           QStringLiteral("b2\tx\t1N\t1E"), QStringLiteral("B2\tx\t1N\t1E")}));
}

TEST(PersonalListParsing, TellsAnEmptyFileFromOneOfLineEnds) {
    const PersonalList empty = parse_personal_list(QString());
    EXPECT_TRUE(empty.empty_file);
    EXPECT_EQ(empty.title, kNoTitle);
    EXPECT_TRUE(empty.entries.isEmpty());

    const PersonalList line_ends = parse_personal_list(QStringLiteral("\r\n\n\r"));
    EXPECT_FALSE(line_ends.empty_file);
    EXPECT_EQ(line_ends.title, kNoTitle);
    EXPECT_TRUE(line_ends.entries.isEmpty());
}

TEST(PersonalListParsing, LeavesOutWhatIsBeyondTheBounds) {
    const QString entry = QStringLiteral("A\ta\t1N\t1E\n");
    const QString too_long = QString(kLongestListEntry + 1, u'x') + u'\n';
    const QString longest = QString(kLongestListEntry, u'y') + u'\n';
    PersonalList list = parse_personal_list(entry.repeated(kMostListEntries) + longest);
    EXPECT_TRUE(list.cut);
    EXPECT_EQ(list.entries.size(), kMostListEntries);
    list = parse_personal_list(longest + u'[' + too_long + too_long +
                               entry.repeated(kMostListEntries - 1));
    EXPECT_TRUE(list.cut) << "over-long lines, a title among them";
    EXPECT_EQ(list.entries.size(), kMostListEntries);
    EXPECT_EQ(list.title, kNoTitle);
    EXPECT_FALSE(parse_personal_list(entry.repeated(kMostListEntries)).cut);
}

TEST(PersonalListParsing, AcceptsEveryLineEnd) {
    const QStringList expected = {QStringLiteral("A\ta\t1N\t1E"), QStringLiteral("B\tb\t2N\t2E")};
    for (const char* text : {"A\ta\t1N\t1E\r\nB\tb\t2N\t2E", "A\ta\t1N\t1E\nB\tb\t2N\t2E\n",
                             "A\ta\t1N\t1E\rB\tb\t2N\t2E\r", "B\tb\t2N\t2E\r\n\rA\ta\t1N\t1E"}) {
        const PersonalList list = parse_personal_list(QString::fromLatin1(text));
        EXPECT_EQ(list.entries, expected) << text;
    }
}

} // namespace
} // namespace kestrav
