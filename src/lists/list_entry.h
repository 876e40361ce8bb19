#pragma once
// List entries: prefix TAB name TAB latitude TAB longitude, the one line format shared by
// the prefix table and the personal list files. Latitude and longitude are decimal degrees
// with ',' or '.' and end in an upper-case hemisphere letter (N or S, E or W).

#include <QString>
#include <QStringView>
#include <optional>

namespace kestrav {

// What choosing an entry does to the DX station. The hemisphere flags are set as soon as
// their letter is found, so a rejected entry may still have changed the boxes; the texts
// and numbers are meaningful only when `ok`.
struct ListEntryResult {
    bool ok = false;
    std::optional<bool> north; // set once the latitude letter was found
    std::optional<bool> east;  // set once the longitude letter was found
    QString latitude_text;     // without letter, with the system decimal separator
    double latitude = 0;
    QString longitude_text;
    double longitude = 0;
};

// Reads the position of an entry. Refused: fewer than four fields; a latitude without N
// or S or a longitude without E or W (lower-case letters do not count); a number holding
// both ',' and '.'; a number the system reader does not accept; anything after the
// hemisphere letter, a fifth field included. Spaces around a number are accepted. A
// position out of locator range is not refused here.
ListEntryResult parse_list_entry(QStringView entry);

} // namespace kestrav
