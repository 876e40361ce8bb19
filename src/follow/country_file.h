#pragma once
// Call sign to country: the country-file format that loggers share ("cty.dat") and the
// call-sign rules used with it.
//
// A country is a header line of eight fields ended by ':' - name, CQ zone, ITU zone,
// continent, latitude (north positive), longitude (WEST positive), offset from UTC (also
// sign-reversed), primary prefix ('*' before it marks an entity of one award list only) -
// followed by its aliases, separated by ',' and ended by ';'. An alias is a prefix, or
// "=CALL" for that exact call only, and may carry overrides of its own: (CQ zone),
// [ITU zone], <latitude/longitude>, {continent}, ~UTC offset~.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrav {

struct Country {
    QString name;
    QString prefix; // the primary prefix
    QString continent;
    int cq_zone = 0;
    int itu_zone = 0;
    double latitude = 0;   // north positive
    double longitude = 0;  // EAST positive, unlike the file
    double utc_offset = 0; // hours, east positive
};

class CountryTable {
public:
    // Reads the file's text. A country whose header does not read is skipped with its
    // aliases, an alias whose overrides do not read is skipped alone; a position that is not
    // a finite latitude within 90 degrees and longitude within 180 does not read.
    static CountryTable from_country_file(QStringView text);
    // The built-in prefix table's entries ("prefix TAB name TAB 35,83N TAB 14,58E"); ranges
    // like "AA-AL" and "AH6-7" stand for their first prefix.
    static CountryTable from_prefix_entries(const QStringList& entries);

    qsizetype countryCount() const { return countries_.size(); }
    // Every record kept: one per country, plus one per alias with overrides of its own.
    const std::vector<Country>& countries() const { return countries_; }
    bool isEmpty() const { return prefixes_.isEmpty() && exact_.isEmpty(); }

    // The country of a call, or nothing. The call is taken in upper case without spaces;
    // an exact call wins, then the longest prefix of the call as the portable rules leave
    // it: "EA8/DL1ABC" and "DL1ABC/EA8" are looked up as EA8, "W1ABC/4" as W4ABC,
    // "/P", "/M", "/QRP", "/A" and the like are dropped, and "/MM" and "/AM" (at sea, in the
    // air) have no country. A KG4 call is Guantanamo Bay only with a two-letter suffix.
    std::optional<Country> lookup(QStringView call) const;

private:
    int add_country(Country c);
    std::optional<int> find_prefix(QStringView text) const;

    std::vector<Country> countries_; // one per header, plus one per alias with overrides
    QHash<QString, int> prefixes_;
    QHash<QString, int> exact_;
    qsizetype longest_prefix_ = 0;
};

// Whether a DX call field holds a whole call sign rather than one being typed: a base call
// of a prefix (letters and digits, at least one letter), a digit and a suffix of one to
// four letters, optionally with a "prefix/" in front and "/suffix" behind.
bool is_complete_call(QStringView call);

} // namespace kestrav
