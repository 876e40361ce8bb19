// The number readers and writers and the locator conversions on any text. Under both
// decimal separators: a number read and written again reads back as itself (17 digits),
// within rounding (15 digits, fixed decimals); an integer read prints and reads back; a
// locator of valid characters gives a position whose locator is itself; any position gives
// either no locator or one whose subsquare holds it.

#include "fuzz_check.h"

#include "geodesy/locator.h"
#include "geodesy/number_text.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

bool within(std::optional<double> read, double value, double tolerance) {
    return read && std::fabs(*read - value) <= tolerance;
}

void check_number_round_trips(double value) {
    check(std::isfinite(value));
    const double magnitude = std::fabs(value);
    check(read_number(format_general(value, 17)) == value);
    check(within(read_number(format_general(value, 15)), value,
                 std::max(magnitude * 1e-14, std::numeric_limits<double>::denorm_min())));
    for (int decimals : {0, 1, 3}) {
        const double half_unit = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9);
        check(within(read_number(format_fixed(value, decimals)), value,
                     half_unit + magnitude * 1e-15));
    }
    // As the settings writer stores a coordinate: 3 decimals, 7 significant digits at most.
    check(within(read_number(format_fixed(value, 3, 7)), value,
                 std::max(0.5e-3, magnitude * 5e-7) * (1 + 1e-9) + magnitude * 1e-15));
}

void check_localized(const QString& text) {
    const QString local = localize_decimal(text);
    check(local.size() == text.size());
    qsizetype changed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (local[i] != text[i]) {
            check(local[i] == decimal_separator());
            ++changed;
        }
    }
    check(changed <= 1);
}

void check_locator_text(const QString& text) {
    if (text.size() < 6)
        return;
    const QString locator = text.first(6);
    for (int i = 0; i < 6; ++i) {
        if (!locator_char_fits(i + 1, locator[i]))
            return;
    }
    const SignedPosition p = locator_to_position(locator);
    check(position_to_locator(std::fabs(p.latitude), p.latitude >= 0, std::fabs(p.longitude),
                              p.longitude >= 0) == locator);
}

// A position from raw bytes: two doubles and the hemisphere flags.
void check_position(const std::uint8_t* data, std::size_t size) {
    if (size < 2 * sizeof(double) + 1)
        return;
    double latitude = 0;
    double longitude = 0;
    std::memcpy(&latitude, data, sizeof latitude);
    std::memcpy(&longitude, data + sizeof latitude, sizeof longitude);
    const bool north = data[16] & 1;
    const bool east = data[16] & 2;
    const QString locator = position_to_locator(latitude, north, longitude, east);
    if (locator.isEmpty())
        return;
    check(locator.size() == 6);
    for (int i = 0; i < 6; ++i)
        check(locator_char_fits(i + 1, locator[i]));
    const SignedPosition centre = locator_to_position(locator);
    check(std::fabs(centre.latitude - (north ? latitude : -latitude)) <= 1.0 / 48 + 1e-9);
    check(std::fabs(centre.longitude - (east ? longitude : -longitude)) <= 1.0 / 24 + 1e-9);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzz::bytes_of(data, size));
    for (QChar separator : {QChar(u'.'), QChar(u',')}) {
        set_decimal_separator(separator);
        if (const std::optional<double> value = read_number(text))
            check_number_round_trips(*value);
        check_localized(text);
    }
    if (const std::optional<int> integer = read_integer(text))
        check(read_integer(QString::number(*integer)) == integer);
    check_locator_text(text);
    check_position(data, size);
    return 0;
}
