#pragma once
// The content of a personal list file: an optional title and the list entries.

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrav {

// Bounds far above any real list (a few thousand entries of a few dozen characters), so
// that a damaged or hostile file cannot fill memory or stall the drop-down list.
inline constexpr qsizetype kMostListEntries = 50000;
inline constexpr qsizetype kLongestListEntry = 1000;

struct PersonalList {
    bool empty_file = false;      // no characters at all: the list must stay as it was
    std::optional<QString> title; // from the last "[" line; absent when there is none
    QStringList entries;          // every other non-empty line, unchanged, sorted
    bool cut = false;             // entries beyond the bounds were left out
};

// Empty lines are skipped. A line beginning with "[" gives a title: the text after "[" up
// to the first "]", or empty when there is no "]"; the last such line wins. Every other
// line is an entry, kept unchanged (entries are only checked when chosen). Entries are
// sorted ignoring case; entries that compare equal keep their file order. A text of line
// ends only is not an empty file: it gives an empty list. Lines longer than
// kLongestListEntry characters (title lines too) and entries after the first kMostListEntries are
// left out.
PersonalList parse_personal_list(const QString& text);

} // namespace kestrav
