#pragma once
// What the rotor datagram readers share: tags found without regard to case, the text
// between an opening and a closing tag, and the leading number of a value. The datagrams
// look like XML but are not well-formed (no header, spacing differs between senders), so
// only the few tags that matter are looked for, each search starting where the last ended.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace kestrav::udp_text {

// A datagram and its ASCII lower-case copy: searches run on the copy, values are cut from
// the original at the same offsets.
struct Datagram {
    explicit Datagram(QByteArrayView bytes);
    QByteArrayView original;
    QByteArray lower;

    // Offset of `lower_needle` (given in lower case) in [from, to), or -1.
    qsizetype find(QByteArrayView lower_needle, qsizetype from, qsizetype to) const;
};

// An element `<name>value</name>` inside [from, to): its value, and the offset just past
// its closing tag. Nothing when the opening tag is absent or it is never closed.
struct Element {
    QByteArrayView value;
    qsizetype end = 0;
};
std::optional<Element> find_element(const Datagram& d, QByteArrayView lower_name, qsizetype from,
                                    qsizetype to);

// The value without the spaces, tabs and line ends around it.
QByteArrayView trimmed(QByteArrayView value);

// The finite number a value starts with (after blanks): an optional sign, digits with an
// optional decimal point and an optional exponent; what follows is ignored, so Hamlib's
// "123.000000.2" reads 123. Nothing without a digit, when it overflows (1e309), or when the
// value is longer than kLongestNumberValue. Minus zero reads as zero.
inline constexpr qsizetype kLongestNumberValue = 64;
std::optional<double> leading_number(QByteArrayView value);

} // namespace kestrav::udp_text
