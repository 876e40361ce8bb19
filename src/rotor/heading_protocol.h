#pragma once
// The antenna's real heading as the rotators report it, and the texts of the rotctld network
// protocol (Hamlib's rotator daemon). Pure functions: wire texts are built from integers,
// answers are read byte by byte, so nothing here follows the process locale.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace kestrav {

// The position queries: GS-232 "C" CR, EasyComm "AZ" CR, rotctld "p" LF.
QByteArray gs232_heading_query();
QByteArray easycomm_heading_query();
QByteArray rotctld_heading_query();

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

// A GS-232 position answer: "+0nnn" (also "+0nnn+0eee" after C2) or the GS-232B form
// "AZ=nnn" (also "AZ=nnn  EL=eee"); degrees.
std::optional<double> parse_gs232_heading(QByteArrayView line);
// An EasyComm position answer: "AZnnn.n", possibly followed by " EL..."; degrees.
std::optional<double> parse_easycomm_heading(QByteArrayView line);
// A decimal number as rotctld writes it ("123.400000", "-5", "7.5"): digits with at most one
// "." and an optional leading sign; nothing else.
std::optional<double> parse_plain_number(QByteArrayView text);

// rotctld commands, each ending in LF: "P <azimuth> 0" with one decimal (tenths is the
// azimuth times ten, rounded), "S", and the answer code "RPRT <n>" read back.
QByteArray rotctld_turn_command(long long tenths);
QByteArray rotctld_stop_command();
std::optional<int> parse_rotctld_report(QByteArrayView line);

// Hamlib's text for an error code (RPRT -n), or "Hamlib error n" for one it does not name.
QString hamlib_error_text(int code);

} // namespace kestrav
