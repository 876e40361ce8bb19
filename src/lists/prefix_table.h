#pragma once
// The built-in prefix table: call-sign prefixes with entity names and positions, in the
// list entry format, as offered in the DX prefix drop-down list.

#include <QChar>
#include <QStringList>

namespace kestrav {

// The 563 entries in their stored order, written with ',' as decimal separator.
const QStringList& prefix_table_entries();

// The table as shown: when `separator` is not ',', each entry of four fields has its
// latitude and longitude rewritten in general notation (15 significant digits) with
// `separator`, hemisphere letter last ("35,83N" becomes "35.83N", "7N" stays "7N"); an
// entry whose coordinates cannot be read that way is kept unchanged. The result is then
// sorted ignoring case; entries that compare equal keep their original order.
QStringList prepare_prefix_table(const QStringList& entries, QChar separator);

} // namespace kestrav
