#include "follow/country_file.h"

#include <QRegularExpression>

#include <cmath>

namespace kestrav {

namespace {

// A position the antenna can be turned to: "nan", "inf" and degrees off the globe read as
// numbers, and would turn it toward 0 N 0 E or nowhere.
bool on_the_globe(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90 &&
           std::abs(longitude) <= 180;
}

// Applies the overrides that follow an alias's call or prefix; false when one does not read.
bool apply_overrides(QStringView rest, Country& c) {
    while (!rest.isEmpty()) {
        const QChar open = rest.front();
        const QChar close = open == u'('   ? u')'
                            : open == u'[' ? u']'
                            : open == u'<' ? u'>'
                            : open == u'{' ? u'}'
                            : open == u'~' ? u'~'
                                           : QChar();
        const qsizetype end = close.isNull() ? -1 : rest.indexOf(close, 1);
        if (end < 0)
            return false;
        const QStringView inside = rest.sliced(1, end - 1);
        bool ok = true;
        if (open == u'(') {
            c.cq_zone = inside.toInt(&ok);
        } else if (open == u'[') {
            c.itu_zone = inside.toInt(&ok);
        } else if (open == u'{') {
            c.continent = inside.toString();
        } else if (open == u'~') {
            c.utc_offset = -inside.toDouble(&ok);
        } else {
            const qsizetype slash = inside.indexOf(u'/');
            bool ok_longitude = false;
            if (slash < 0)
                return false;
            c.latitude = inside.first(slash).toDouble(&ok);
            c.longitude = -inside.sliced(slash + 1).toDouble(&ok_longitude);
            ok = ok && ok_longitude && on_the_globe(c.latitude, c.longitude);
        }
        if (!ok)
            return false;
        rest = rest.sliced(end + 1);
    }
    return true;
}

std::optional<Country> read_header(const QList<QStringView>& fields) {
    Country c;
    bool ok[6] = {};
    c.name = fields[0].trimmed().toString();
    c.cq_zone = fields[1].trimmed().toInt(&ok[0]);
    c.itu_zone = fields[2].trimmed().toInt(&ok[1]);
    c.continent = fields[3].trimmed().toString();
    c.latitude = fields[4].trimmed().toDouble(&ok[2]);
    c.longitude = -fields[5].trimmed().toDouble(&ok[3]);
    c.utc_offset = -fields[6].trimmed().toDouble(&ok[4]);
    QStringView prefix = fields[7].trimmed();
    if (prefix.startsWith(u'*'))
        prefix = prefix.sliced(1);
    c.prefix = prefix.toString();
    ok[5] = !c.name.isEmpty() && !c.prefix.isEmpty() && on_the_globe(c.latitude, c.longitude);
    for (bool b : ok)
        if (!b)
            return std::nullopt;
    return c;
}

// A coordinate of the built-in table, "35,83N" or "7S": signed degrees.
std::optional<double> read_table_coordinate(QString text, QChar positive, QChar negative) {
    if (text.isEmpty() || (text.back() != positive && text.back() != negative))
        return std::nullopt;
    const double sign = text.back() == positive ? 1 : -1;
    text.chop(1);
    text.replace(u',', u'.');
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(sign * value) : std::nullopt;
}

// Modifiers after a call that do not change its country.
bool is_plain_modifier(QStringView part) {
    static const QStringList modifiers = {"P", "M", "A", "QRP", "QRPP", "LH", "J", "R", "B"};
    return modifiers.contains(part);
}

bool is_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

int CountryTable::add_country(Country c) {
    countries_.push_back(std::move(c));
    return static_cast<int>(countries_.size() - 1);
}

CountryTable CountryTable::from_country_file(QStringView text) {
    CountryTable table;
    for (QStringView record : text.split(u';')) {
        const QList<QStringView> fields = record.split(u':');
        if (fields.size() != 9)
            continue;
        const std::optional<Country> header = read_header(fields);
        if (!header)
            continue;
        const int index = table.add_country(*header);
        for (QStringView alias : fields[8].split(u',')) {
            alias = alias.trimmed();
            const bool exact = alias.startsWith(u'=');
            if (exact)
                alias = alias.sliced(1);
            qsizetype end = 0;
            while (end < alias.size() && (alias[end].isLetterOrNumber() || alias[end] == u'/'))
                ++end;
            if (end == 0)
                continue;
            const QString key = alias.first(end).toString().toUpper();
            int target = index;
            if (end < alias.size()) {
                Country own = table.countries_[index];
                if (!apply_overrides(alias.sliced(end), own))
                    continue;
                target = table.add_country(std::move(own));
            }
            if (exact) {
                table.exact_.insert(key, target);
            } else {
                table.prefixes_.insert(key, target);
                table.longest_prefix_ = std::max(table.longest_prefix_, key.size());
            }
        }
    }
    return table;
}

CountryTable CountryTable::from_prefix_entries(const QStringList& entries) {
    CountryTable table;
    for (const QString& entry : entries) {
        const QStringList fields = entry.split(u'\t');
        if (fields.size() != 4)
            continue;
        const std::optional<double> latitude = read_table_coordinate(fields[2], u'N', u'S');
        const std::optional<double> longitude = read_table_coordinate(fields[3], u'E', u'W');
        if (!latitude || !longitude || !on_the_globe(*latitude, *longitude))
            continue;
        QString prefix = fields[0].section(u'-', 0, 0).trimmed().toUpper();
        if (prefix.isEmpty() || table.prefixes_.contains(prefix))
            continue; // a prefix listed twice keeps its first place
        Country c;
        c.name = fields[1];
        c.prefix = prefix;
        c.latitude = *latitude;
        c.longitude = *longitude;
        table.prefixes_.insert(prefix, table.add_country(std::move(c)));
        table.longest_prefix_ = std::max(table.longest_prefix_, prefix.size());
    }
    return table;
}

std::optional<int> CountryTable::find_prefix(QStringView text) const {
    for (qsizetype size = std::min(text.size(), longest_prefix_); size > 0; --size) {
        const auto found = prefixes_.constFind(text.first(size).toString());
        if (found != prefixes_.cend())
            return *found;
    }
    return std::nullopt;
}

std::optional<Country> CountryTable::lookup(QStringView call_text) const {
    QString call = call_text.toString().toUpper();
    call.remove(u' ');
    if (call.isEmpty())
        return std::nullopt;
    if (const auto exact = exact_.constFind(call); exact != exact_.cend())
        return countries_[*exact];

    QList<QStringView> parts = QStringView(call).split(u'/', Qt::SkipEmptyParts);
    QString area_call; // the base call moved to another call area, "W1ABC/4" -> "W4ABC"
    while (parts.size() > 1) {
        const QStringView last = parts.back();
        if (last == u"MM" || last == u"AM")
            return std::nullopt;
        if (is_plain_modifier(last)) {
            parts.pop_back();
        } else if (last.size() == 1 && is_digit(last[0])) {
            parts.pop_back();
            area_call = parts.back().toString();
            for (qsizetype i = area_call.size() - 1; i >= 0; --i)
                if (is_digit(area_call[i])) {
                    area_call[i] = last[0];
                    break;
                }
        } else {
            break;
        }
    }
    if (parts.isEmpty())
        return std::nullopt;
    QString text = area_call;
    if (text.isEmpty()) {
        // Of "prefix/call" or "call/prefix" the shorter part is the prefix.
        QStringView shortest = parts.front();
        for (QStringView part : parts)
            if (part.size() < shortest.size())
                shortest = part;
        text = shortest.toString();
    }
    if (text != call)
        if (const auto exact = exact_.constFind(text); exact != exact_.cend())
            return countries_[*exact];
    std::optional<int> found = find_prefix(text);
    if (!found)
        return std::nullopt;
    // KG4 with a two-letter suffix is Guantanamo Bay; every other KG4 call is a United
    // States call of the fourth area.
    static const QRegularExpression kg4(QStringLiteral("^KG4([A-Z]{1}|[A-Z]{3,})$"));
    if (countries_[*found].prefix == u"KG4" && kg4.match(text).hasMatch())
        if (const std::optional<int> usa = find_prefix(QStringLiteral("K4") + text.sliced(3)))
            found = usa;
    return countries_[*found];
}

bool is_complete_call(QStringView call) {
    static const QRegularExpression pattern(QStringLiteral(
        "^([A-Z0-9]{1,4}/)?[0-9]?[A-Z]{1,2}[0-9]?[0-9][A-Z]{1,4}(/[A-Z0-9]{1,4})?$"));
    return pattern.match(call.toString()).hasMatch();
}

} // namespace kestrav
