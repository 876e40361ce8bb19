#include "geodesy/number_text.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kestrav {

namespace {

// The one place the separator lives. '.' until the system locale has been read.
QChar g_decimal_separator = QLatin1Char('.');

// Decimal digits of a finite value rounded to `significant` digits: value = 0.D x 10^(exponent +
// 1), that is the first digit stands for 10^exponent. The digits never carry a sign.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

DecimalDigits decimal_digits(double value, int significant) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                      std::chars_format::scientific, significant - 1);
    DecimalDigits out;
    const char* p = buffer.data();
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            out.digits.push_back(*p);
    }
    if (p != result.ptr) {
        ++p; // 'e'
        int exponent = 0;
        if (*p == '+')
            ++p;
        std::from_chars(p, result.ptr, exponent);
        out.exponent = exponent;
    }
    return out;
}

// The shortest decimal digits that read back as the same finite value.
DecimalDigits shortest_digits(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      std::fabs(value), std::chars_format::scientific);
    DecimalDigits out;
    const char* p = buffer.data();
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            out.digits.push_back(*p);
    }
    if (p != result.ptr)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, out.exponent);
    return out;
}

QString non_finite_text(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Adds one unit in the last place of a decimal digit string, carrying to the left.
void increment_digits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

bool is_blank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool is_digit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int hex_value(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

QChar decimal_separator() {
    return g_decimal_separator;
}

void set_decimal_separator(QChar separator) {
    g_decimal_separator = separator == QLatin1Char(',') ? QLatin1Char(',') : QLatin1Char('.');
}

void init_decimal_separator_from_system() {
    const QString point = QLocale::system().decimalPoint();
    set_decimal_separator(point.isEmpty() ? QLatin1Char('.') : point.front());
}

QString format_fixed(double value, int decimals, int max_significant) {
    if (!std::isfinite(value))
        return non_finite_text(value);
    decimals = std::clamp(decimals, 0, 30);

    // One rounding only, half away from zero, applied to the shortest decimal text that
    // reads back as the value (so 359.95 is taken as 359.95, not as its binary neighbour
    // 359.94999...). It happens at the requested decimal place, or at the last significant
    // digit allowed when the value has more digits than that: 230.449 gives 230.4, never
    // 230.5 through an earlier rounding to fewer digits.
    const DecimalDigits d = shortest_digits(value);
    const int size = static_cast<int>(d.digits.size());
    const int wanted = d.exponent + 1 + decimals; // digits that stand at or above 10^-decimals
    const int keep = max_significant > 0 ? std::min(wanted, max_significant) : wanted;

    std::string scaled; // the magnitude times 10^decimals, as a whole number
    if (keep < 0) {
        scaled = "0";
    } else if (keep == 0) {
        scaled = d.digits.front() >= '5' ? "1" : "0";
    } else {
        scaled = d.digits.substr(0, static_cast<std::size_t>(std::min(keep, size)));
        if (keep > size)
            scaled.append(static_cast<std::size_t>(keep - size), '0');
        else if (keep < size && d.digits[static_cast<std::size_t>(keep)] >= '5')
            increment_digits(scaled);
    }
    if (wanted > keep && keep >= 0)
        scaled.append(static_cast<std::size_t>(wanted - keep), '0');

    const bool zero = scaled.find_first_not_of('0') == std::string::npos;
    if (static_cast<int>(scaled.size()) < decimals + 1)
        scaled.insert(0, static_cast<std::size_t>(decimals + 1) - scaled.size(), '0');
    // Leading zeros of the whole part beyond the first are dropped ("0.5", not "00.5").
    const std::size_t whole_length = scaled.size() - static_cast<std::size_t>(decimals);
    std::size_t first = scaled.find_first_not_of('0');
    if (first == std::string::npos || first >= whole_length)
        first = whole_length - 1;

    QString text;
    text.reserve(static_cast<qsizetype>(scaled.size() + 2));
    if (std::signbit(value) && !zero)
        text.append(QLatin1Char('-'));
    text.append(QLatin1String(scaled.data() + first, static_cast<qsizetype>(whole_length - first)));
    if (decimals > 0) {
        text.append(g_decimal_separator);
        text.append(QLatin1String(scaled.data() + whole_length, decimals));
    }
    return text;
}

QString format_general(double value, int significant) {
    if (!std::isfinite(value))
        return non_finite_text(value);
    significant = std::clamp(significant, 1, 17);
    if (value == 0)
        return QStringLiteral("0");

    DecimalDigits d = decimal_digits(value, significant);
    const std::size_t last = d.digits.find_last_not_of('0');
    d.digits.resize(last == std::string::npos ? 1 : last + 1);
    const int size = static_cast<int>(d.digits.size());

    QString text;
    if (value < 0)
        text.append(QLatin1Char('-'));
    if (d.exponent < -5 || d.exponent >= significant) {
        text.append(QLatin1Char(d.digits.front()));
        if (size > 1) {
            text.append(g_decimal_separator);
            text.append(QLatin1String(d.digits.data() + 1, size - 1));
        }
        text.append(QLatin1Char('E'));
        text.append(QLatin1Char(d.exponent < 0 ? '-' : '+'));
        text.append(QString::number(std::abs(d.exponent)));
    } else if (d.exponent < 0) {
        text.append(QLatin1Char('0'));
        text.append(g_decimal_separator);
        text.append(QString(-d.exponent - 1, QLatin1Char('0')));
        text.append(QLatin1String(d.digits.data(), size));
    } else {
        const int whole = d.exponent + 1;
        if (size <= whole) {
            text.append(QLatin1String(d.digits.data(), size));
            text.append(QString(whole - size, QLatin1Char('0')));
        } else {
            text.append(QLatin1String(d.digits.data(), whole));
            text.append(g_decimal_separator);
            text.append(QLatin1String(d.digits.data() + whole, size - whole));
        }
    }
    return text;
}

long long round_half_even(double value) {
    constexpr double two_to_63 = 9223372036854775808.0;
    if (std::isnan(value))
        return 0;
    if (value >= two_to_63)
        return std::numeric_limits<long long>::max();
    if (value < -two_to_63)
        return std::numeric_limits<long long>::min();
    // Not std::nearbyint: that follows the floating-point rounding mode of the moment.
    const double lower = std::floor(value);
    const double fraction = value - lower; // exact for doubles
    auto result = static_cast<long long>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

namespace {

// Skips the leading blanks and an optional sign from position i; returns whether the sign
// was a minus.
bool skip_blanks_and_sign(QStringView text, qsizetype& i) {
    while (i < text.size() && is_blank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        return text[i++] == QLatin1Char('-');
    return false;
}

} // namespace

std::optional<double> read_number(QStringView text) {
    const QChar separator = g_decimal_separator;
    const qsizetype n = text.size();
    qsizetype i = 0;
    const bool negative = skip_blanks_and_sign(text, i);

    std::string digits;     // mantissa digits, separator left out
    int point_exponent = 0; // power of ten of the separator's place relative to the digits' end
    bool seen_separator = false;
    for (; i < n; ++i) {
        if (is_digit(text[i])) {
            digits.push_back(static_cast<char>(text[i].unicode()));
            if (seen_separator)
                --point_exponent;
        } else if (text[i] == separator && !seen_separator) {
            seen_separator = true;
        } else {
            break;
        }
    }
    if (digits.empty() && !seen_separator)
        return std::nullopt;
    if (digits.empty())
        digits = "0"; // a lone separator reads as 0

    // An exponent letter without digits counts as exponent 0 ("4e" is 4). The exponent is
    // saturated well beyond the double range so that a long run of digits cannot overflow.
    long exponent = 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        bool exponent_negative = false;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
            exponent_negative = text[i] == QLatin1Char('-');
            ++i;
        }
        for (; i < n && is_digit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), 100000L);
        if (exponent_negative)
            exponent = -exponent;
    }

    while (i < n && is_blank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;

    const std::size_t first_nonzero = digits.find_first_not_of('0');
    if (first_nonzero == std::string::npos)
        return negative ? -0.0 : 0.0;
    digits.erase(0, first_nonzero);
    // Keep the digit count within what the exponent arithmetic and from_chars handle easily.
    // A double is decided by its first 768 significant digits, except that an exact halfway
    // case among them is tipped by any non-zero digit further on: the digits after the 800th
    // are therefore replaced by one sticky digit, 1 when any of them is non-zero.
    long scale = exponent + point_exponent;
    if (digits.size() > 801) {
        const bool sticky = digits.find_first_not_of('0', 800) != std::string::npos;
        scale += static_cast<long>(digits.size() - 801);
        digits.resize(800);
        digits.push_back(sticky ? '1' : '0');
    }
    // The value lies in [10^m, 10^(m+1)) with m the magnitude below.
    const long magnitude = scale + static_cast<long>(digits.size()) - 1;
    if (magnitude > 400)
        return std::nullopt; // infinite
    if (magnitude < -400)
        return negative ? -0.0 : 0.0;

    std::string normal = digits + "e" + std::to_string(scale);
    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return std::nullopt;
        value = 0; // underflow below the smallest double reads as 0
    } else if (result.ec != std::errc() || result.ptr != normal.data() + normal.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<int> read_integer(QStringView text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    const bool negative = skip_blanks_and_sign(text, i);

    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }

    // The magnitude may reach 2^31 for the most negative int.
    constexpr long long limit = 2147483648LL;
    long long magnitude = 0;
    const qsizetype digits_start = i;
    for (; i < n; ++i) {
        const int digit = hex_value(text[i]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    if (i == digits_start)
        return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

QString localize_decimal(const QString& text) {
    // Both positions are added on purpose: with only one of the two marks present this is
    // its position; with both it points elsewhere (or past the end), and the reader then
    // refuses the text, as a coordinate holding both marks must be refused.
    const qsizetype position =
        (text.indexOf(QLatin1Char(',')) + 1) + (text.indexOf(QLatin1Char('.')) + 1);
    QString result = text;
    if (position > 0 && position <= result.size())
        result[position - 1] = g_decimal_separator;
    return result;
}

} // namespace kestrav
