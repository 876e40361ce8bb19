#pragma once
// Maidenhead locators of six characters and the positions they stand for.

#include <QString>
#include <QStringView>

namespace kestrav {

// A station's position as held everywhere: magnitudes in degrees plus hemisphere flags.
struct StationPosition {
    QString locator; // upper case; complete at 6 characters; empty = none
    double latitude = 0;
    bool north = true;
    double longitude = 0;
    bool east = true;
};

struct SignedPosition {
    double latitude = 0;  // north positive
    double longitude = 0; // east positive
};

// Centre of the subsquare of a complete locator. The characters are not checked here: the
// editing rules keep each one in its class.
SignedPosition locator_to_position(QStringView locator);

// The locator of a position given as magnitudes and hemispheres, or an empty text when the
// position is out of range (latitude above 89.99, east longitude 180 or more, any negative
// magnitude, longitude above 180).
QString position_to_locator(double latitude, bool north, double longitude, bool east);

// Whether character `c` may stand at position `position` (1 to 6) of a locator:
// 1-2 'A'..'R', 3-4 '0'..'9', 5-6 'A'..'X' (upper case only).
bool locator_char_fits(int position, QChar c);

} // namespace kestrav
