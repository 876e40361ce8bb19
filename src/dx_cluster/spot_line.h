#pragma once
// The spots of a DX cluster node, as its telnet lines announce them:
//
//   DX de EA4XY:     14025.0  JA1ABC       CW 599 up 2                    1234Z
//   DX de W3LPL-#:   1296100.0 EA8/DL1ABC  EME                            2359Z FN20
//
// the spotter (a skimmer's "-#" kept), the frequency in kHz, the spotted call, the comment,
// the time (hhmm, UTC) and, where the node adds one, a grid after the time. Nodes differ in
// spacing and in what they add at the end (bells, grids, a continent); every other line of a
// node (announcements, WWV, talk, prompts) is no spot. Lines come from anyone a node relays, so
// every field is bounded and a malformed line is refused without harm.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace kestrav {

// Lines longer than this (in bytes) are no spot; nodes write about 80.
inline constexpr qsizetype kLongestSpotLine = 512;
inline constexpr qsizetype kLongestCall = 20;

struct Spot {
    QString spotter;
    double frequency_khz = 0;
    QString call;    // upper case
    QString comment; // trimmed, at most 100 characters
    QString time;    // "1234", empty when the line tells none
    QString grid;    // "FN20" or "JN18EU" when the node adds one, else empty

    friend bool operator==(const Spot&, const Spot&) = default;
};

// A line's text: UTF-8 where it is valid UTF-8, otherwise Latin-1, as nodes relay both.
QString cluster_line_text(QByteArrayView bytes);

// The spot a line announces, or nothing: the line starts "DX de" and holds a spotter and a
// colon, a frequency between 1 kHz and 300 GHz, and a call of 3 to 20 letters, digits and
// slashes with at least one of each.
std::optional<Spot> parse_spot_line(QStringView line);

// The amateur band of a frequency ("20m", "70cm", "23cm"), empty outside them.
QString band_of(double frequency_khz);

} // namespace kestrav
