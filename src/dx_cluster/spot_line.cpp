#include "dx_cluster/spot_line.h"

#include "rotor/heading_protocol.h"

#include <QStringDecoder>

#include <array>
#include <cmath>

namespace kestrav {

namespace {

constexpr qsizetype kLongestComment = 100;

bool is_call_char(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'/';
}

// A call as spots carry it: letters, digits and slashes, at least one letter and one digit.
bool is_call(QStringView token) {
    if (token.size() < 3 || token.size() > kLongestCall)
        return false;
    bool letter = false;
    bool digit = false;
    for (QChar c : token) {
        if (!is_call_char(c))
            return false;
        letter = letter || c.isLetter();
        digit = digit || c.isDigit();
    }
    return letter && digit && token.front() != u'/' && token.back() != u'/';
}

bool is_time(QStringView token) {
    if (token.size() != 5 || (token[4] != u'Z' && token[4] != u'z'))
        return false;
    for (int i = 0; i < 4; ++i) {
        if (!token[i].isDigit())
            return false;
    }
    const int hours = (token[0].unicode() - u'0') * 10 + token[1].unicode() - u'0';
    const int minutes = (token[2].unicode() - u'0') * 10 + token[3].unicode() - u'0';
    return hours < 24 && minutes < 60;
}

// A Maidenhead grid of 4 or 6 characters.
bool is_grid(QStringView token) {
    if (token.size() != 4 && token.size() != 6)
        return false;
    const auto in = [](QChar c, char16_t low, char16_t high) {
        const char16_t u = c.toUpper().unicode();
        return u >= low && u <= high;
    };
    return in(token[0], u'A', u'R') && in(token[1], u'A', u'R') && token[2].isDigit() &&
           token[3].isDigit() &&
           (token.size() == 4 || (in(token[4], u'A', u'X') && in(token[5], u'A', u'X')));
}

// The next blank-separated token from `at`, and where it ends.
QStringView next_token(QStringView line, qsizetype& at) {
    while (at < line.size() && line[at].isSpace())
        ++at;
    const qsizetype start = at;
    while (at < line.size() && !line[at].isSpace())
        ++at;
    return line.sliced(start, at - start);
}

struct Band {
    double low;
    double high;
    const char16_t* name;
};

constexpr std::array kBands{
    Band{135.7, 137.8, u"2200m"},     Band{472, 479, u"630m"},
    Band{1800, 2000, u"160m"},        Band{3500, 4000, u"80m"},
    Band{5250, 5450, u"60m"},         Band{7000, 7300, u"40m"},
    Band{10100, 10150, u"30m"},       Band{14000, 14350, u"20m"},
    Band{18068, 18168, u"17m"},       Band{21000, 21450, u"15m"},
    Band{24890, 24990, u"12m"},       Band{28000, 29700, u"10m"},
    Band{50000, 54000, u"6m"},        Band{70000, 71000, u"4m"},
    Band{144000, 148000, u"2m"},      Band{222000, 225000, u"1.25m"},
    Band{420000, 450000, u"70cm"},    Band{902000, 928000, u"33cm"},
    Band{1240000, 1300000, u"23cm"},  Band{2300000, 2450000, u"13cm"},
    Band{3300000, 3500000, u"9cm"},   Band{5650000, 5925000, u"6cm"},
    Band{10000000, 10500000, u"3cm"}, Band{24000000, 24250000, u"1.2cm"},
};

} // namespace

QString cluster_line_text(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes.data(), bytes.size());
    return text;
}

std::optional<Spot> parse_spot_line(QStringView line) {
    if (line.size() > kLongestSpotLine || !line.startsWith(u"DX de ", Qt::CaseInsensitive))
        return std::nullopt;
    // Bells and other control characters some nodes add count as blanks.
    QString clean = line.toString();
    for (QChar& c : clean) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    const QStringView text(clean);
    const qsizetype colon = text.indexOf(u':', 6);
    if (colon < 0)
        return std::nullopt;
    Spot spot;
    const QStringView spotter = text.sliced(6, colon - 6).trimmed();
    if (spotter.isEmpty() || spotter.size() > kLongestCall + 4)
        return std::nullopt;
    for (QChar c : spotter) {
        if (!is_call_char(c) && c != u'-' && c != u'#')
            return std::nullopt;
    }
    spot.spotter = spotter.toString().toUpper();

    qsizetype at = colon + 1;
    // Always with a decimal point, whatever the desktop's separator.
    const std::optional<double> frequency = parse_plain_number(next_token(text, at).toLatin1());
    if (!frequency || !(*frequency >= 1 && *frequency <= 300e6))
        return std::nullopt;
    spot.frequency_khz = *frequency;
    const QStringView call = next_token(text, at);
    if (!is_call(call))
        return std::nullopt;
    spot.call = call.toString().toUpper();

    // The time is the last token of its form; a grid may follow it.
    QStringView rest = text.sliced(at).trimmed();
    qsizetype end = rest.size();
    while (end > 0) {
        qsizetype start = end;
        while (start > 0 && !rest[start - 1].isSpace())
            --start;
        const QStringView token = rest.sliced(start, end - start);
        if (is_time(token)) {
            spot.time = token.first(4).toString();
            const QStringView after = rest.sliced(end).trimmed();
            if (is_grid(after))
                spot.grid = after.toString().toUpper();
            rest = rest.first(start);
            break;
        }
        end = start;
        while (end > 0 && rest[end - 1].isSpace())
            --end;
        if (rest.size() - end > 12) // the time stands at the end, a grid at most after it
            break;
    }
    spot.comment = rest.trimmed().left(kLongestComment).toString();
    return spot;
}

QString band_of(double frequency_khz) {
    for (const Band& b : kBands) {
        if (frequency_khz >= b.low && frequency_khz <= b.high)
            return QString::fromUtf16(b.name);
    }
    return {};
}

} // namespace kestrav
