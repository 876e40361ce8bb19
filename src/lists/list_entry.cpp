#include "lists/list_entry.h"

#include "geodesy/number_text.h"

namespace kestrav {

namespace {

struct Coordinate {
    QString text;
    double value = 0;
};

// One coordinate field whose hemisphere letter has been found: the letter must be its last
// character (otherwise "14,58E " would pass, its "E" being read as an empty exponent), the
// rest is a number with one ',' or '.' at most, put into the system notation. A TAB is a
// field separator, never a blank around the number: "2<TAB>E" would be a fifth field.
std::optional<Coordinate> read_coordinate(QStringView field, QChar letter) {
    if (field.isEmpty() || field.back() != letter || field.contains(u'\t'))
        return std::nullopt;
    QString text = field.chopped(1).toString();
    const bool comma = text.contains(u',');
    const bool dot = text.contains(u'.');
    if (comma && dot)
        return std::nullopt;
    if (comma || dot)
        text = localize_decimal(text);
    const std::optional<double> value = read_number(text);
    if (!value)
        return std::nullopt;
    return Coordinate{text, *value};
}

} // namespace

ListEntryResult parse_list_entry(QStringView entry) {
    ListEntryResult result;
    const qsizetype name_start = entry.indexOf(u'\t');
    if (name_start < 0)
        return result;
    const qsizetype latitude_start = entry.indexOf(u'\t', name_start + 1);
    if (latitude_start < 0)
        return result;
    const qsizetype longitude_start = entry.indexOf(u'\t', latitude_start + 1);
    if (longitude_start < 0)
        return result;

    const QStringView latitude_field =
        entry.sliced(latitude_start + 1, longitude_start - latitude_start - 1);
    if (latitude_field.contains(u'N'))
        result.north = true;
    else if (latitude_field.contains(u'S'))
        result.north = false;
    else
        return result;
    const std::optional<Coordinate> latitude =
        read_coordinate(latitude_field, *result.north ? u'N' : u'S');
    if (!latitude)
        return result;

    // The longitude runs to the end of the entry, so a fifth field makes it unreadable.
    const QStringView longitude_field = entry.sliced(longitude_start + 1);
    if (longitude_field.contains(u'E'))
        result.east = true;
    else if (longitude_field.contains(u'W'))
        result.east = false;
    else
        return result;
    const std::optional<Coordinate> longitude =
        read_coordinate(longitude_field, *result.east ? u'E' : u'W');
    if (!longitude)
        return result;

    result.ok = true;
    result.latitude_text = latitude->text;
    result.latitude = latitude->value;
    result.longitude_text = longitude->text;
    result.longitude = longitude->value;
    return result;
}

} // namespace kestrav
