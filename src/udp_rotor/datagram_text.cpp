#include "udp_rotor/datagram_text.h"

#include <cmath>

namespace kestrav::udp_text {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

Datagram::Datagram(QByteArrayView bytes) : original(bytes), lower(bytes.toByteArray().toLower()) {}

qsizetype Datagram::find(QByteArrayView lower_needle, qsizetype from, qsizetype to) const {
    if (from < 0 || to > lower.size() || from >= to)
        return -1;
    const qsizetype at = QByteArrayView(lower).sliced(from, to - from).indexOf(lower_needle);
    return at < 0 ? -1 : from + at;
}

std::optional<Element> find_element(const Datagram& d, QByteArrayView lower_name, qsizetype from,
                                    qsizetype to) {
    const QByteArray open = '<' + lower_name.toByteArray() + '>';
    const QByteArray close = "</" + lower_name.toByteArray() + '>';
    const qsizetype start = d.find(open, from, to);
    if (start < 0)
        return std::nullopt;
    const qsizetype value_at = start + open.size();
    const qsizetype end = d.find(close, value_at, to);
    if (end < 0)
        return std::nullopt;
    return Element{d.original.sliced(value_at, end - value_at), end + close.size()};
}

QByteArrayView trimmed(QByteArrayView value) {
    qsizetype first = 0;
    qsizetype last = value.size();
    while (first < last && is_blank(value[first]))
        ++first;
    while (last > first && is_blank(value[last - 1]))
        --last;
    return value.sliced(first, last - first);
}

std::optional<double> leading_number(QByteArrayView value) {
    value = trimmed(value);
    if (value.size() > kLongestNumberValue)
        return std::nullopt;
    qsizetype i = 0;
    const qsizetype n = value.size();
    if (i < n && (value[i] == '+' || value[i] == '-'))
        ++i;
    qsizetype digits = 0;
    for (; i < n && is_digit(value[i]); ++i)
        ++digits;
    if (i < n && value[i] == '.') {
        ++i;
        for (; i < n && is_digit(value[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    // An exponent counts only when digits follow it: "5e" reads 5.
    if (i < n && (value[i] == 'e' || value[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (value[j] == '+' || value[j] == '-'))
            ++j;
        if (j < n && is_digit(value[j])) {
            while (j < n && is_digit(value[j]))
                ++j;
            i = j;
        }
    }
    // QByteArray's conversion is the C locale's whatever the process locale.
    bool ok = false;
    const double number = value.first(i).toByteArray().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number == 0 ? 0.0 : number;
}

} // namespace kestrav::udp_text
