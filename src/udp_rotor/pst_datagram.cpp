#include "udp_rotor/pst_datagram.h"

#include "udp_rotor/datagram_text.h"

#include <cmath>

namespace kestrav {

namespace {

using udp_text::Datagram;

// Longest element name looked at between '<' and '>'; PstRotator's are 9 at most.
constexpr qsizetype kLongestTagName = 16;

bool is_tag_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// A Maidenhead locator of 4, 6 or 8 characters: field A-R, square 0-9, subsquare A-X,
// extended square 0-9.
bool is_locator(QByteArrayView v) {
    if (v.size() != 4 && v.size() != 6 && v.size() != 8)
        return false;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char c = v[i] >= 'a' && v[i] <= 'z' ? static_cast<char>(v[i] - 'a' + 'A') : v[i];
        const bool ok = i < 2                ? (c >= 'A' && c <= 'R')
                        : (i == 4 || i == 5) ? (c >= 'A' && c <= 'X')
                                             : (c >= '0' && c <= '9');
        if (!ok)
            return false;
    }
    return true;
}

// The elements of one block's body [from, to), in order, until one is left unclosed.
void read_block(const Datagram& d, qsizetype from, qsizetype to, std::vector<PstCommand>& out) {
    const QByteArrayView body = udp_text::trimmed(d.original.sliced(from, to - from));
    if (body.compare("AZ?", Qt::CaseInsensitive) == 0) {
        out.push_back(pst::AskAzimuth{});
        return;
    }
    qsizetype pos = from;
    while (pos < to && static_cast<int>(out.size()) < kPstMostCommands) {
        const qsizetype open = d.find("<", pos, to);
        if (open < 0)
            return;
        qsizetype name_end = open + 1;
        while (name_end < to && name_end - open - 1 <= kLongestTagName &&
               is_tag_char(d.lower[name_end]))
            ++name_end;
        if (name_end >= to || d.lower[name_end] != '>' || name_end == open + 1) {
            pos = open + 1; // not an opening tag: a stray '<' or a closing tag
            continue;
        }
        const QByteArrayView name = QByteArrayView(d.lower).sliced(open + 1, name_end - open - 1);
        const std::optional<udp_text::Element> e = udp_text::find_element(d, name, open, to);
        if (!e)
            return; // unclosed: nothing after it can be trusted to be a whole element
        pos = e->end;
        const QByteArrayView value = udp_text::trimmed(e->value);
        if (name == "azimuth") {
            if (const std::optional<double> az = udp_text::leading_number(value))
                out.push_back(pst::Turn{*az});
        } else if (name == "stop") {
            if (value == "1")
                out.push_back(pst::Stop{});
        } else if (name == "park") {
            if (value == "1")
                out.push_back(pst::Park{});
        } else if (name == "qra") {
            if (is_locator(value))
                out.push_back(pst::Locator{QString::fromLatin1(value).toUpper()});
        }
        // TRACK, ELEVATION and unknown elements: read past and ignored.
    }
}

} // namespace

std::vector<PstCommand> parse_pst_datagram(QByteArrayView datagram) {
    std::vector<PstCommand> out;
    if (datagram.size() > kPstLargestDatagram)
        return out;
    const Datagram d(datagram);
    const qsizetype size = datagram.size();
    qsizetype pos = 0;
    while (pos < size && static_cast<int>(out.size()) < kPstMostCommands) {
        const qsizetype open = d.find("<pst>", pos, size);
        if (open < 0)
            break;
        const qsizetype body = open + 5;
        const qsizetype close = d.find("</pst>", body, size);
        if (close < 0)
            break; // an unterminated block is not read
        read_block(d, body, close, out);
        pos = close + 6;
    }
    return out;
}

QByteArray pst_azimuth_answer(double azimuth) {
    if (!std::isfinite(azimuth))
        return {};
    // Tenths as an integer, so that the text never follows the process locale.
    const double wrapped = std::fmod(azimuth, 360.0);
    long long tenths = std::llround((wrapped < 0 ? wrapped + 360.0 : wrapped) * 10.0);
    tenths %= 3600;
    return "AZ:" + QByteArray::number(tenths / 10) + '.' + QByteArray::number(tenths % 10) + '\r';
}

} // namespace kestrav
