#include "geodesy/locator.h"

#include <algorithm>
#include <cmath>

namespace kestrav {

namespace {

// Index of a locator character within its class, kept inside the class: rounding at the
// upper edge of a range (89.99 N, a longitude just under 180 E) must never give a
// character past 'R', '9' or 'X'.
int class_index(double value, int count) {
    const double whole = std::trunc(value);
    if (!(whole >= 0))
        return 0;
    return std::min(static_cast<int>(std::min(whole, 1000.0)), count - 1);
}

} // namespace

SignedPosition locator_to_position(QStringView locator) {
    if (locator.size() < 6)
        return {};
    const auto code = [&](int i) { return static_cast<double>(locator[i].unicode()); };
    SignedPosition position;
    position.longitude =
        20 * (code(0) - 'A') + 2 * (code(2) - '0') + (code(4) - 'A') / 12 + 1.0 / 24 - 180;
    position.latitude =
        10 * (code(1) - 'A') + (code(3) - '0') + (code(5) - 'A') / 24 + 1.0 / 48 - 90;
    return position;
}

QString position_to_locator(double latitude, bool north, double longitude, bool east) {
    // The comparisons are written so that NaN fails every one of them.
    const bool longitude_ok =
        east ? (longitude >= 0 && longitude < 180) : (longitude >= 0 && longitude <= 180);
    if (!longitude_ok)
        return {};
    if (!(latitude >= 0 && latitude <= 89.99))
        return {};

    const double p = east ? longitude + 180 : 180 - longitude;
    const double q = north ? latitude + 90 : 90 - latitude;

    const int a = class_index(p / 20, 18);
    const int b = class_index((p - 20 * a) / 2, 10);
    const int e = class_index((p - 20 * a - 2 * b) * 12, 24);
    const int c = class_index(q / 10, 18);
    const int d = class_index(q - 10 * c, 10);
    const int f = class_index((q - 10 * c - d) * 24, 24);

    QString locator(6, Qt::Uninitialized);
    locator[0] = QLatin1Char(static_cast<char>('A' + a));
    locator[1] = QLatin1Char(static_cast<char>('A' + c));
    locator[2] = QLatin1Char(static_cast<char>('0' + b));
    locator[3] = QLatin1Char(static_cast<char>('0' + d));
    locator[4] = QLatin1Char(static_cast<char>('A' + e));
    locator[5] = QLatin1Char(static_cast<char>('A' + f));
    return locator;
}

bool locator_char_fits(int position, QChar c) {
    const char16_t u = c.unicode();
    switch (position) {
    case 1:
    case 2:
        return u >= u'A' && u <= u'R';
    case 3:
    case 4:
        return u >= u'0' && u <= u'9';
    case 5:
    case 6:
        return u >= u'A' && u <= u'X';
    default:
        return false;
    }
}

} // namespace kestrav
