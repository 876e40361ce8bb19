#include "lists/personal_list.h"

#include "lists/text_decoding.h"

#include <algorithm>

namespace kestrav {

PersonalList parse_personal_list(const QString& text) {
    PersonalList list;
    if (text.isEmpty()) {
        list.empty_file = true;
        return list;
    }
    for_each_text_line(text, [&list](QStringView line) {
        if (line.isEmpty())
            return;
        if (line.size() > kLongestListEntry) {
            list.cut = true;
            return;
        }
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            list.title = close < 0 ? QString() : line.sliced(1, close - 1).toString();
            return;
        }
        if (list.entries.size() == kMostListEntries) {
            list.cut = true;
            return;
        }
        list.entries.append(line.toString());
    });
    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const QString& a, const QString& b) {
                         return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                     });
    return list;
}

} // namespace kestrav
