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

// Rewrites one coordinate field: the first `primary` letter (or else the first
// `alternative`) is taken out, the rest read in table notation and written back in
// general notation with `separator`, followed by the letter.
std::optional<QString> rewrite_coordinate(const QString& field, QChar primary, QChar alternative,
                                          QChar separator) {
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
