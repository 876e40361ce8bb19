#pragma once
// The content of a personal list file: an optional title and the list entries.

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrav {

struct PersonalList {
    bool empty_file = false;      // no characters at all: the list must stay as it was
    std::optional<QString> title; // from the last "[" line; absent when there is none
    QStringList entries;          // every other non-empty line, unchanged, sorted
};

// Empty lines are skipped. A line beginning with "[" gives a title: the text after "[" up
// to the first "]", or empty when there is no "]"; the last such line wins. Every other
// line is an entry, kept unchanged (entries are only checked when chosen). Entries are
// sorted ignoring case; entries that compare equal keep their file order. A text of line
// ends only is not an empty file: it gives an empty list.
PersonalList parse_personal_list(const QString& text);

} // namespace kestrav
