// What the rotators answer: bytes cut into lines in chunks drawn from the input, against the
// same bytes at once (the cutting must not change the lines), every line read as a GS-232
// "C" or "C2", an EasyComm "AZ" or "AZ EL" and a rotctld "p" or "RPRT" answer, and the rotctld answers taken
// in turn for a run of questions drawn from the input (commands, positions and ranges). A number
// read is finite, a heading reading lies within what a rotator reports, a report code reads back as
// itself and has a text, and each line settles one open question at most.

#include "fuzz_check.h"

#include "rotor/heading_protocol.h"

#include <cmath>
#include <cstring>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

void check_number(std::optional<double> number) {
    if (!number)
        return;
    check(std::isfinite(*number));
    if (const std::optional<double> reading = heading_reading(*number)) {
        check(*reading >= kReportedHeadings.lowest && *reading <= kReportedHeadings.highest);
        check(*reading == *number);
    }
}

void check_line(const QByteArray& line) {
    check(!line.isEmpty() && line.size() <= 256);
    check(!line.contains('\r') && !line.contains('\n'));
    check_number(parse_gs232_heading(line));
    check_number(parse_easycomm_heading(line));
    check_number(parse_plain_number(line));
    for (const std::optional<double> elevation :
         {parse_gs232_elevation(line), parse_easycomm_elevation(line)}) {
        if (elevation)
            check(std::isfinite(*elevation));
    }
    if (const std::optional<int> code = parse_rotctld_report(line)) {
        check(is_rotctld_report(line));
        check(parse_rotctld_report("RPRT " + QByteArray::number(*code)) == code);
        check(!hamlib_error_text(*code).isEmpty());
    }
    if (const std::optional<long long> elevation = parse_rotctld_elevation(line))
        check(*elevation >= -900 && *elevation <= 1800);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    // Any int for the error text, the lowest one included.
    int code = 0;
    std::memcpy(&code, data, sizeof code);
    check(!hamlib_error_text(code).isEmpty());
    // The questions open, oldest first: a bit for each, commands and positions, and the
    // first byte's bits turn some into range questions.
    const std::uint8_t questions = data[4];
    const std::uint8_t ranges = data[0];
    const QByteArray bytes = fuzz::bytes_of(data + 5, size - 5);

    AnswerLines whole;
    const std::vector<QByteArray> lines = whole.feed(bytes);
    AnswerLines cut;
    std::vector<QByteArray> pieces;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = 1 + static_cast<unsigned char>(bytes[at]) % 7;
        for (QByteArray& line :
             cut.feed(QByteArrayView(bytes).sliced(at).first(std::min(length, bytes.size() - at))))
            pieces.push_back(std::move(line));
        at += length;
    }
    check(pieces == lines);

    RotctldAnswers answers;
    for (int bit = 0; bit < 8; ++bit)
        answers.expect(ranges & (1 << bit)      ? RotctldAnswers::Question::Range
                       : questions & (1 << bit) ? RotctldAnswers::Question::Position
                                                : RotctldAnswers::Question::Command);
    for (const QByteArray& line : lines) {
        check_line(line);
        const bool command = answers.commandOpen();
        const bool position = answers.positionOpen();
        const bool was_empty = answers.empty();
        const RotctldAnswers::Outcome outcome = answers.take(line);
        check(!outcome.failure || command);
        check(!outcome.heading || position);
        check(!outcome.elevation_tenths || position);
        check(!was_empty || (!outcome.failure && !outcome.heading && !outcome.elevation_tenths &&
                             !outcome.range_answered));
        check(!outcome.range || outcome.range_answered);
        if (outcome.range)
            check(outcome.range->min >= -360 && outcome.range->min < outcome.range->max &&
                  outcome.range->max <= 720);
        check(!outcome.elevation_range || outcome.range);
        if (outcome.elevation_range)
            check(outcome.elevation_range->min >= 0 &&
                  outcome.elevation_range->min < outcome.elevation_range->max &&
                  outcome.elevation_range->max <= 180);
    }
    // Eight questions cannot be settled by fewer lines.
    check(lines.size() >= 8 || !answers.empty());
    return 0;
}
