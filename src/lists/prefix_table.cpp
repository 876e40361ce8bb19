#include "lists/prefix_table.h"

#include "geodesy/number_text.h"

#include <algorithm>
#include <optional>

namespace kestrav {

namespace {

// A table coordinate is always written with ',' whatever the system separator is; a text
// already holding the system separator (other than ',') is not in table notation.
std::optional<double> read_table_number(QString text) {
    const QChar system = decimal_separator();
    if (system != u',' && text.contains(system))
        return std::nullopt;
    text.replace(u',', system);
    return read_number(text);
}

bool is_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Most table fields are already written as general notation would write them ("45,5N",
// "114E"): digits, no leading zero, a fraction without trailing zeros, the letter last. Only
// the separator changes then, and the start is spared reading and formatting 1,100 numbers.
std::optional<QString> rewrite_plain_coordinate(const QString& field, QChar letter,
                                                QChar separator) {
    const qsizetype size = field.size();
    if (size < 2 || size > 16 || field.back() != letter || field.indexOf(letter) != size - 1)
        return std::nullopt;
    const qsizetype comma = field.indexOf(u',');
    const qsizetype whole_end = comma < 0 ? size - 1 : comma;
    for (qsizetype i = 0; i < size - 1; ++i)
        if (i != comma && !is_digit(field.at(i)))
            return std::nullopt;
    if (whole_end == 0 || (whole_end > 1 && field.at(0) == u'0'))
        return std::nullopt;
    if (comma >= 0) {
        // A fraction of its own digits, not ending in 0, not so small that general notation
        // would switch to an exponent.
        if (comma + 1 == size - 1 || field.at(size - 2) == u'0' ||
            (field.at(0) == u'0' && field.at(comma + 1) == u'0'))
            return std::nullopt;
        QString text = field;
        text[comma] = separator;
        return text;
    }
    return field;
}

// Rewrites one coordinate field: the first `primary` letter (or else the first
// `alternative`) is taken out, the rest read in table notation and written back in
// general notation with `separator`, followed by the letter.
std::optional<QString> rewrite_coordinate(const QString& field, QChar primary, QChar alternative,
                                          QChar separator) {
    for (QChar letter : {primary, alternative})
        if (std::optional<QString> plain = rewrite_plain_coordinate(field, letter, separator))
            return plain;
    qsizetype at = field.indexOf(primary);
    if (at < 0)
        at = field.indexOf(alternative);
    if (at < 0)
        return std::nullopt;
    const QChar letter = field.at(at);
    QString number = field;
    number.remove(at, 1);
    const std::optional<double> value = read_table_number(number);
    if (!value)
        return std::nullopt;
    QString text = format_general(*value, 15);
    text.replace(decimal_separator(), separator);
    return text + letter;
}

QString rewrite_entry(const QString& entry, QChar separator) {
    const QStringList fields = entry.split(u'\t');
    if (fields.size() != 4)
        return entry;
    const std::optional<QString> latitude = rewrite_coordinate(fields[2], u'N', u'S', separator);
    const std::optional<QString> longitude = rewrite_coordinate(fields[3], u'E', u'W', separator);
    if (!latitude || !longitude)
        return entry;
    return fields[0] + u'\t' + fields[1] + u'\t' + *latitude + u'\t' + *longitude;
}

} // namespace

QStringList prepare_prefix_table(const QStringList& entries, QChar separator) {
    QStringList prepared;
    prepared.reserve(entries.size());
    for (const QString& entry : entries)
        prepared.append(separator == u',' ? entry : rewrite_entry(entry, separator));
    std::stable_sort(prepared.begin(), prepared.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return prepared;
}

} // namespace kestrav
