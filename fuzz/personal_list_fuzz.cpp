// A personal list file of any bytes, loaded as the "My Lists" menu loads it: what comes out
// keeps the bounds and the order the drop-down list relies on.

#include "fuzz_check.h"

#include "lists/personal_list.h"
#include "lists/text_decoding.h"

using namespace kestrav;
using kestrav::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = decode_text(fuzz::bytes_of(data, size));
    const PersonalList list = parse_personal_list(text);
    check(list.empty_file == text.isEmpty());
    check(list.entries.size() <= kMostListEntries);
    if (list.title)
        check(list.title->size() < kLongestListEntry && !list.title->contains(u']'));
    for (qsizetype i = 0; i < list.entries.size(); ++i) {
        const QString& entry = list.entries[i];
        check(!entry.isEmpty() && entry.size() <= kLongestListEntry);
        check(!entry.startsWith(u'[') && !entry.contains(u'\r') && !entry.contains(u'\n'));
        if (i > 0)
            check(QString::compare(list.entries[i - 1], entry, Qt::CaseInsensitive) <= 0);
    }
    return 0;
}
