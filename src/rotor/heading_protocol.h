#pragma once
// The antenna's real heading as the rotators report it, and the texts of the rotctld network
// protocol (Hamlib's rotator daemon). Pure functions: wire texts are built from integers,
// answers are read byte by byte, so nothing here follows the process locale.

#include "rotor/overlap.h"
#include "rotor/rotor_types.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

namespace kestrav {

// The position queries: GS-232 "C" CR, EasyComm "AZ" CR, rotctld "p" LF.
QByteArray gs232_heading_query();
QByteArray easycomm_heading_query();
QByteArray rotctld_heading_query();
// The same of an azimuth-elevation rotator, both axes at once: GS-232 "C2" CR, EasyComm
// "AZ EL" CR.
QByteArray gs232_azel_query();
QByteArray easycomm_azel_query();

// Answer lines of a controller or of rotctld, cut at CR, LF or CR LF, as the bytes arrive in
// any pieces; empty lines are dropped. A run without a line end beyond 256 bytes is garbage
// and is dropped up to the next end, so a babbling peer cannot grow the buffer.
class AnswerLines {
public:
    std::vector<QByteArray> feed(QByteArrayView bytes);
    void clear();

private:
    QByteArray pending_;
    bool discarding_ = false;
};

// The headings a rotator can report, in degrees: its own 0 to 360 scale, also with the end
// stop at south (where the scale's 0 points south). A reported number outside them is no
// reading. The one place that says so, for every rotator.
struct HeadingRange {
    double lowest;
    double highest;
};
inline constexpr HeadingRange kReportedHeadings{0, 360};
// The reading a reported number stands for: itself within the range, otherwise none.
std::optional<double> heading_reading(double degrees, HeadingRange range = kReportedHeadings);

// A GS-232 position answer: "+0nnn" (also "+0nnn+0eee" after C2) or the GS-232B form
// "AZ=nnn" (also "AZ=nnn  EL=eee"); degrees.
std::optional<double> parse_gs232_heading(QByteArrayView line);
// An EasyComm position answer: "AZnnn.n", possibly followed by " EL..."; degrees.
std::optional<double> parse_easycomm_heading(QByteArrayView line);
// The elevation in those answers: GS-232 "+0aaa+0eee" or "AZ=aaa  EL=eee" (also "EL=eee"
// alone), EasyComm "AZaaa.a ELeee.e" (also "ELeee.e" alone); degrees, none without one.
std::optional<double> parse_gs232_elevation(QByteArrayView line);
std::optional<double> parse_easycomm_elevation(QByteArrayView line);
// A decimal number as rotctld writes it ("123.400000", "-5", "7.5"): digits with at most one
// "." and an optional leading sign; nothing else.
std::optional<double> parse_plain_number(QByteArrayView text);

// rotctld commands, each ending in LF: "P <azimuth> <elevation>" with one decimal (tenths is
// the azimuth times ten, rounded), the elevation "0" for a rotator that tells none, and "S".
QByteArray rotctld_turn_command(long long tenths, std::optional<long long> elevation_tenths = {});
QByteArray rotctld_stop_command();
// The question for the rotator's range: "\\dump_state", answered by lines that end in "done",
// or by six lines of numbers from older releases.
QByteArray rotctld_range_query();
// The question for the line that names the rotator behind rotctld: "_" (get_info), which
// every release answers with one line.
QByteArray rotctld_info_query();
// A line that rotctld means as an answer code: it starts with "RPRT".
bool is_rotctld_report(QByteArrayView line);
// The code of "RPRT <n>": n an integer (optional "-", digits) within the range of int; none
// for any other line, a malformed report included.
std::optional<int> parse_rotctld_report(QByteArrayView line);
// The elevation of a position answer in tenths of a degree, when it is a number an elevation
// can be (-90 to 180); none otherwise.
std::optional<long long> parse_rotctld_elevation(QByteArrayView line);

// Hamlib's text for an error code (RPRT -n), or "Hamlib error n" for a number it does not
// define.
QString hamlib_error_text(int code);

// What rotctld still owes the link, oldest first, and what each answer line means. rotctld
// answers every command in order, a command with one "RPRT n" line, the position query with
// two lines (azimuth, elevation) or one "RPRT n", the range question with the lines of its
// state, "min_az=-180.000000" and "max_az=450.000000" among them up to "done" (or, from older
// releases, six lines of bare numbers), or one "RPRT n":
// so each line is taken as the answer, or the next line of the answer, to the oldest open
// question, whatever it holds, and an unreadable line cannot put the later answers out of step.
class RotctldAnswers {
public:
    enum class Question { Command, Position, Range, Info };
    // What one line told.
    struct Outcome {
        std::optional<QString> failure;            // a command refused, or answered unreadably
        std::optional<double> heading;             // a position number, not yet checked for range
        std::optional<long long> elevation_tenths; // the elevation that came with a position
        // The position question answered, readably or not. Without an elevation, either
        // rotctld said its rotator tells no position at all (Hamlib's "not implemented" or
        // "not available"), or position_failure says why none could be had.
        bool position_answered = false;
        bool position_unavailable = false;
        std::optional<QString> position_failure;
        std::optional<QByteArray> info; // the answer to the info question
        // The range question answered: with the rotator's range when the answer held a
        // sensible one (a minimum below a maximum, each within -360 to 720), else without.
        bool range_answered = false;
        std::optional<RotorRange> range;
        // With the range, the elevations of a rotator whose state says "rot_type=AzEl" (a
        // minimum below a maximum, each within 0 to 180); none for any other.
        std::optional<ElevationRange> elevation_range;
    };

    void expect(Question question);
    // A question asked ahead of every open one: the first thing asked on a connection, once
    // the others are already waiting to go.
    void expectFirst(Question question);
    // The answer line to the oldest open question; nothing when none is open.
    Outcome take(QByteArrayView line);
    bool empty() const { return open_.empty(); }
    // A command, or the range or info question a turn waits for, is still unanswered.
    bool commandOpen() const;
    bool positionOpen() const;
    void clear();

private:
    enum class Line { Report, Azimuth, Elevation, State, Info };
    static Line first_line(Question question);
    void take_state(QByteArrayView line, Outcome& outcome);
    void forget_state();
    std::deque<Line> open_;
    // The range's ends as the state's lines give them, how many lines it has had, and
    // whether it is the older form of bare numbers.
    std::optional<double> min_azimuth_;
    std::optional<double> max_azimuth_;
    std::optional<double> min_elevation_;
    std::optional<double> max_elevation_;
    bool az_el_ = false;
    int state_lines_ = 0;
    bool bare_state_ = false;
};

} // namespace kestrav
