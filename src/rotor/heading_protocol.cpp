#include "rotor/heading_protocol.h"

#include <array>
#include <cstdlib>

namespace kestrav {

namespace {

constexpr qsizetype kLongestAnswer = 256;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

QByteArray gs232_heading_query() {
    return QByteArrayLiteral("C\r");
}

QByteArray easycomm_heading_query() {
    return QByteArrayLiteral("AZ\r");
}

QByteArray rotctld_heading_query() {
    return QByteArrayLiteral("p\n");
}

std::vector<QByteArray> AnswerLines::feed(QByteArrayView bytes) {
    std::vector<QByteArray> lines;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!pending_.isEmpty() && !discarding_)
                lines.push_back(pending_);
            pending_.clear();
            discarding_ = false;
        } else if (discarding_) {
            continue;
        } else if (pending_.size() < kLongestAnswer) {
            pending_.append(c);
        } else {
            pending_.clear();
            discarding_ = true;
        }
    }
    return lines;
}

void AnswerLines::clear() {
    pending_.clear();
    discarding_ = false;
}

std::optional<double> parse_plain_number(QByteArrayView text) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && (text[0] == '-' || text[0] == '+');
    const bool minus = negative && text[0] == '-';
    if (negative)
        ++i;
    long long whole = 0;
    long long fraction = 0;
    long long scale = 1;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            digits = true;
            if (point) {
                if (scale < 1000000000) { // further digits cannot matter to a heading
                    fraction = fraction * 10 + (c - '0');
                    scale *= 10;
                }
            } else if (whole < 1000000000) {
                whole = whole * 10 + (c - '0');
            } else {
                return std::nullopt;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    const double value = static_cast<double>(whole) + static_cast<double>(fraction) / scale;
    return minus ? -value : value;
}

std::optional<double> parse_gs232_heading(QByteArrayView line) {
    if (line.startsWith("AZ=")) { // the GS-232B form, "AZ=aaa  EL=eee" after C2
        const qsizetype space = line.indexOf(' ');
        return parse_plain_number(line.sliced(3, (space < 0 ? line.size() : space) - 3));
    }
    // "+0nnn", with the elevation "+0eee" after it when asked with C2.
    if (line.size() != 5 && !(line.size() == 10 && line[5] == '+'))
        return std::nullopt;
    if (line[0] != '+')
        return std::nullopt;
    return parse_plain_number(line.sliced(1, 4));
}

std::optional<double> parse_easycomm_heading(QByteArrayView line) {
    if (!line.startsWith("AZ"))
        return std::nullopt;
    const qsizetype space = line.indexOf(' ');
    return parse_plain_number(line.sliced(2, (space < 0 ? line.size() : space) - 2));
}

QByteArray rotctld_turn_command(long long tenths) {
    const bool negative = tenths < 0;
    const long long magnitude = negative ? -tenths : tenths;
    return "P " + QByteArray(negative ? "-" : "") + QByteArray::number(magnitude / 10) + '.' +
           QByteArray::number(magnitude % 10) + " 0\n";
}

QByteArray rotctld_stop_command() {
    return QByteArrayLiteral("S\n");
}

std::optional<int> parse_rotctld_report(QByteArrayView line) {
    if (!line.startsWith("RPRT "))
        return std::nullopt;
    const std::optional<double> code = parse_plain_number(line.sliced(5));
    if (!code || *code != static_cast<int>(*code))
        return std::nullopt;
    return static_cast<int>(*code);
}

QString hamlib_error_text(int code) {
    // Hamlib's own wording, by the magnitude of the code.
    static constexpr std::array<const char*, 21> kTexts = {
        "Command completed successfully",
        "Invalid parameter",
        "Invalid configuration",
        "Memory shortage",
        "Feature not implemented",
        "Communication timed out",
        "IO error",
        "Internal Hamlib error",
        "Protocol error",
        "Command rejected by the rig",
        "Command performed, but arg truncated, result not guaranteed",
        "Feature not available",
        "Target VFO unaccessible",
        "Communication bus error",
        "Communication bus collision",
        "NULL RIG handle or invalid pointer parameter",
        "Invalid VFO",
        "Argument out of domain of func",
        "Function deprecated",
        "Security error password not provided or crypto failure",
        "Rig is not powered on",
    };
    const int index = std::abs(code);
    if (index < static_cast<int>(kTexts.size()))
        return QString::fromLatin1(kTexts[static_cast<std::size_t>(index)]);
    return QStringLiteral("Hamlib error %1").arg(code);
}

} // namespace kestrav
