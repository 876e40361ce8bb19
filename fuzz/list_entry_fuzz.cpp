// A list entry as a user's list file may hold it, read under both decimal separators. The
// separator of the system must not change whether an entry is taken nor the position it
// gives; only the texts differ, in their separator.

#include "fuzz_check.h"

#include "geodesy/number_text.h"
#include "lists/list_entry.h"

#include <QString>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

ListEntryResult parse_under(QChar separator, QStringView entry) {
    set_decimal_separator(separator);
    const ListEntryResult result = parse_list_entry(entry);
    if (result.ok) {
        check(result.north.has_value() && result.east.has_value());
        // The texts are what the DX fields show: they read back as the numbers taken.
        check(read_number(result.latitude_text) == result.latitude);
        check(read_number(result.longitude_text) == result.longitude);
    }
    return result;
}

QString with_point(QString text) {
    return text.replace(u',', u'.');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString entry = QString::fromUtf8(fuzz::bytes_of(data, size));
    const ListEntryResult point = parse_under(u'.', entry);
    const ListEntryResult comma = parse_under(u',', entry);
    check(point.ok == comma.ok && point.north == comma.north && point.east == comma.east);
    if (point.ok) {
        check(point.latitude == comma.latitude && point.longitude == comma.longitude);
        check(point.latitude_text == with_point(comma.latitude_text));
        check(point.longitude_text == with_point(comma.longitude_text));
    }
    return 0;
}
