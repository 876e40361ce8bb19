#include "rotor/heading_protocol.h"

#include "geodesy/number_text.h"

#include <algorithm>
#include <array>
#include <limits>

namespace kestrav {

namespace {

constexpr qsizetype kLongestAnswer = 256;
// The elevations an az/el rotator can stand at, in degrees (over the zenith up to 180).
constexpr double kLowestElevation = -90;
constexpr double kHighestElevation = 180;
// Hamlib's codes for a function its backend lacks: a rotator that tells no position.
constexpr int kHamlibNotImplemented = -4;
constexpr int kHamlibNotAvailable = -11;

QString unreadable_answer_text() {
    return QStringLiteral("Unreadable answer from rotctld");
}

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

QByteArray gs232_azel_query() {
    return QByteArrayLiteral("C2\r");
}

QByteArray easycomm_azel_query() {
    return QByteArrayLiteral("AZ EL\r");
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

std::optional<double> heading_reading(double degrees, HeadingRange range) {
    if (!(degrees >= range.lowest && degrees <= range.highest)) // NaN included
        return std::nullopt;
    return degrees;
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

std::optional<double> parse_gs232_elevation(QByteArrayView line) {
    if (line.size() == 10 && line[0] == '+' && line[5] == '+')
        return parse_plain_number(line.sliced(6, 4));
    const qsizetype at = line.indexOf("EL=");
    if (at < 0 || (at > 0 && line[at - 1] != ' '))
        return std::nullopt;
    return parse_plain_number(line.sliced(at + 3).trimmed());
}

std::optional<double> parse_easycomm_elevation(QByteArrayView line) {
    const qsizetype at = line.indexOf("EL");
    if (at < 0 || (at > 0 && line[at - 1] != ' '))
        return std::nullopt;
    const QByteArrayView rest = line.sliced(at + 2);
    const qsizetype space = rest.indexOf(' ');
    return parse_plain_number(space < 0 ? rest : rest.first(space));
}

std::optional<double> parse_easycomm_heading(QByteArrayView line) {
    if (!line.startsWith("AZ"))
        return std::nullopt;
    const qsizetype space = line.indexOf(' ');
    return parse_plain_number(line.sliced(2, (space < 0 ? line.size() : space) - 2));
}

namespace {

// Tenths of a degree as rotctld reads them: "123.4", "-5.0".
QByteArray tenths_text(long long tenths) {
    const bool negative = tenths < 0;
    const long long magnitude = negative ? -tenths : tenths;
    return QByteArray(negative ? "-" : "") + QByteArray::number(magnitude / 10) + '.' +
           QByteArray::number(magnitude % 10);
}

} // namespace

QByteArray rotctld_turn_command(long long tenths, std::optional<long long> elevation_tenths) {
    return "P " + tenths_text(tenths) + ' ' +
           (elevation_tenths ? tenths_text(*elevation_tenths) : QByteArray("0")) + '\n';
}

QByteArray rotctld_stop_command() {
    return QByteArrayLiteral("S\n");
}

QByteArray rotctld_range_query() {
    return QByteArrayLiteral("\\dump_state\n");
}

QByteArray rotctld_info_query() {
    return QByteArrayLiteral("_\n");
}

bool is_rotctld_report(QByteArrayView line) {
    return line.startsWith("RPRT");
}

std::optional<int> parse_rotctld_report(QByteArrayView line) {
    if (!line.startsWith("RPRT "))
        return std::nullopt;
    QByteArrayView number = line.sliced(5);
    const bool negative = number.startsWith('-');
    if (negative)
        number = number.sliced(1);
    if (number.isEmpty())
        return std::nullopt;
    // Accumulated as a negative number, which reaches INT_MIN.
    long long value = 0;
    for (char c : number) {
        if (!is_digit(c))
            return std::nullopt;
        value = value * 10 - (c - '0');
        if (value < std::numeric_limits<int>::min())
            return std::nullopt;
    }
    if (!negative) {
        if (-value > std::numeric_limits<int>::max())
            return std::nullopt;
        value = -value;
    }
    return static_cast<int>(value);
}

std::optional<long long> parse_rotctld_elevation(QByteArrayView line) {
    const std::optional<double> degrees = parse_plain_number(line);
    if (!degrees || *degrees < kLowestElevation || *degrees > kHighestElevation)
        return std::nullopt;
    return round_half_even(*degrees * 10);
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
    // Hamlib's codes are 0 and the negative numbers of its table; never negated here, as
    // the negation of the lowest int does not exist.
    if (code <= 0 && code > -static_cast<int>(kTexts.size()))
        return QString::fromLatin1(kTexts[static_cast<std::size_t>(-code)]);
    return QStringLiteral("Hamlib error %1").arg(code);
}

RotctldAnswers::Line RotctldAnswers::first_line(Question question) {
    switch (question) {
    case Question::Command:
        return Line::Report;
    case Question::Position:
        return Line::Azimuth;
    case Question::Range:
        return Line::State;
    case Question::Info:
        return Line::Info;
    }
    return Line::Report;
}

void RotctldAnswers::expect(Question question) {
    open_.push_back(first_line(question));
}

void RotctldAnswers::expectFirst(Question question) {
    open_.push_front(first_line(question));
}

void RotctldAnswers::clear() {
    open_.clear();
    forget_state();
}

bool RotctldAnswers::commandOpen() const {
    return std::any_of(open_.begin(), open_.end(), [](Line l) {
        return l == Line::Report || l == Line::State || l == Line::Info;
    });
}

bool RotctldAnswers::positionOpen() const {
    return std::any_of(open_.begin(), open_.end(),
                       [](Line l) { return l == Line::Azimuth || l == Line::Elevation; });
}

// One line of rotctld's state, in either of its forms. The first line is the form's version:
// "0", from older Hamlib releases, has exactly six lines of bare numbers (the version, the
// model, the least and greatest azimuth and elevation) and nothing after them; any other has
// the version, the model and "name=value" lines up to "done". A report ends the answer
// without a range, and so does a state that runs on far longer than any rotctld writes, so
// that the later answers are read as theirs.
void RotctldAnswers::take_state(QByteArrayView line, Outcome& outcome) {
    constexpr int kLongestState = 64;
    constexpr int kBareStateLines = 6;
    constexpr int kBareMinAzimuthLine = 3;
    constexpr int kBareMaxAzimuthLine = 4;
    constexpr double kLowestPosition = -360;
    constexpr double kHighestPosition = 720;
    const bool report = is_rotctld_report(line);
    ++state_lines_;
    if (state_lines_ == 1 && !report)
        bare_state_ = line == "0";
    bool complete = false;
    if (bare_state_) {
        if (state_lines_ == kBareMinAzimuthLine)
            min_azimuth_ = parse_plain_number(line);
        else if (state_lines_ == kBareMaxAzimuthLine)
            max_azimuth_ = parse_plain_number(line);
        complete = state_lines_ == kBareStateLines;
    } else {
        complete = line == "done";
        if (line.startsWith("min_az="))
            min_azimuth_ = parse_plain_number(line.sliced(7));
        else if (line.startsWith("max_az="))
            max_azimuth_ = parse_plain_number(line.sliced(7));
        else if (line.startsWith("min_el="))
            min_elevation_ = parse_plain_number(line.sliced(7));
        else if (line.startsWith("max_el="))
            max_elevation_ = parse_plain_number(line.sliced(7));
        else if (line.startsWith("rot_type="))
            az_el_ = line.sliced(9) == "AzEl";
    }
    if (!complete && !report && state_lines_ < kLongestState) {
        open_.push_front(Line::State);
        return;
    }
    outcome.range_answered = true;
    if (complete && !report && min_azimuth_ && max_azimuth_ && *min_azimuth_ >= kLowestPosition &&
        *min_azimuth_ < *max_azimuth_ && *max_azimuth_ <= kHighestPosition)
        outcome.range = RotorRange{*min_azimuth_, *max_azimuth_};
    if (outcome.range && az_el_ && min_elevation_ && max_elevation_ && *min_elevation_ >= 0 &&
        *min_elevation_ < *max_elevation_ && *max_elevation_ <= 180)
        outcome.elevation_range = ElevationRange{*min_elevation_, *max_elevation_};
    forget_state();
}

void RotctldAnswers::forget_state() {
    min_azimuth_.reset();
    max_azimuth_.reset();
    min_elevation_.reset();
    max_elevation_.reset();
    az_el_ = false;
    state_lines_ = 0;
    bare_state_ = false;
}

RotctldAnswers::Outcome RotctldAnswers::take(QByteArrayView line) {
    Outcome outcome;
    if (open_.empty())
        return outcome; // nothing asked: not ours to read
    const Line expected = open_.front();
    open_.pop_front();
    switch (expected) {
    case Line::Report:
        // A refused command is told; so is an answer that is no readable report, which ends
        // the command as a failure.
        if (const std::optional<int> code = parse_rotctld_report(line)) {
            if (*code < 0)
                outcome.failure = hamlib_error_text(*code);
        } else {
            outcome.failure = unreadable_answer_text();
        }
        break;
    case Line::Azimuth:
        // A report in place of the position: the position cannot be had. Any other line is
        // the azimuth line, readable or not, and the elevation follows it.
        if (is_rotctld_report(line)) {
            outcome.position_answered = true;
            const std::optional<int> code = parse_rotctld_report(line);
            if (code == kHamlibNotImplemented || code == kHamlibNotAvailable)
                outcome.position_unavailable = true;
            else if (code && *code < 0)
                outcome.position_failure = hamlib_error_text(*code);
            else
                outcome.position_failure = unreadable_answer_text();
            break;
        }
        outcome.heading = parse_plain_number(line);
        open_.push_front(Line::Elevation);
        break;
    case Line::Elevation:
        outcome.position_answered = true;
        outcome.elevation_tenths = parse_rotctld_elevation(line);
        if (!outcome.elevation_tenths)
            outcome.position_failure = unreadable_answer_text();
        break;
    case Line::State:
        take_state(line, outcome);
        break;
    case Line::Info:
        outcome.info = line.toByteArray();
        break;
    }
    return outcome;
}

} // namespace kestrav
