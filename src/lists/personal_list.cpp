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
    for (const QString& line : split_text_lines(text)) {
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            list.title = close < 0 ? QString() : line.mid(1, close - 1);
            continue;
        }
        list.entries.append(line);
    }
    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const QString& a, const QString& b) {
                         return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                     });
    return list;
}

} // namespace kestrav
