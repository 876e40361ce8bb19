#pragma once
// Number texts: every number the program shows or writes, and every number it reads
// from a field, a list entry or the settings file, goes through these functions so that
// the system decimal separator is honoured in one place.

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

namespace kestrav {

// The system decimal separator ('.' or ','), read once from the system locale at start.
// Tests set it to run every rule under both separators.
QChar decimal_separator();
void set_decimal_separator(QChar separator);
void init_decimal_separator_from_system();

// Fixed notation with exactly `decimals` digits after the separator, rounded once, halves
// away from zero, from the shortest decimal text of the value (359.95 shows as "360.0" with
// one decimal, 359.948 as "359.9"). With max_significant > 0 no more than that many
// significant digits come from the value: a longer whole part is rounded at that digit
// instead and filled with zeros. No thousands separator; "-" in front of a negative value;
// never "-0.0".
QString format_fixed(double value, int decimals, int max_significant = 0);

// General notation: the shortest text that shows the value rounded to `significant` digits
// (7 or 15), no trailing zeros, no separator for whole numbers; scientific notation
// ("1.5E+20", "1E-8") when the decimal exponent is below -5 or not below `significant`.
QString format_general(double value, int significant);

// Rounding to a whole number: nearest integer, exact halves to the even neighbour.
long long round_half_even(double value);

// Reads a number written with the system decimal separator: optional blanks, optional sign,
// digits with at most one separator (a lone separator reads as 0), an optional exponent
// (E or e, optional sign, digits; "4e" reads as 4), optional blanks, nothing else.
// Infinite or NaN results count as unreadable.
std::optional<double> read_number(QStringView text);

// Reads an integer: leading blanks skipped, optional sign, decimal digits, or hexadecimal
// digits after "$" or "0x"; nothing may follow; empty is not an integer; values outside
// 32-bit range are not integers.
std::optional<int> read_integer(QStringView text);

// Replaces the ',' or '.' of a number text by the system decimal separator. The position
// is that of ',' plus that of '.', counted from 1, as the readers expect; a text holding
// both is left for the reader to reject.
QString localize_decimal(const QString& text);

} // namespace kestrav
