#pragma once
// N1MM Logger+'s rotor datagrams, sent to the rotor program's port (12040):
//
//   <N1MMRotor><rotor>NAME</rotor><goazi>55.0</goazi><offset>0.0</offset>
//     <bidirectional>0</bidirectional><freqband>14</freqband></N1MMRotor>      turn NAME
//   <N1MMRotor><stop><rotor>NAME</rotor><freqband>14.0</freqband></stop></N1MMRotor>  stop
//   <N1MMRotor><stop>NAME</stop></N1MMRotor>                                         stop
//
// The text is XML-like but not well-formed (no header, spacing and line breaks differ), so
// the few tags are found by name without regard to case and everything is bounded. The
// rotor program answers with its heading as "NAME @ hhhh" (see n1mm_report).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <variant>

namespace kestrav {

// Larger datagrams are refused unread; the largest UDP payload fits.
inline constexpr qsizetype kN1mmLargestDatagram = 65536;
// Longest rotor name kept, in characters; N1MM's rotor descriptions are short.
inline constexpr qsizetype kN1mmLongestName = 64;
// The rotor name that addresses every rotor program.
inline constexpr char16_t kN1mmAnyRotor[] = u"*";

namespace n1mm {
struct Turn {
    double azimuth = 0; // goazi, as sent
    double offset = 0;  // read and checked; the turn goes to goazi as sent
    // The antenna works both ways: pointing at azimuth or azimuth + 180 serves alike.
    bool bidirectional = false;
    bool operator==(const Turn&) const = default;
};
struct Stop {
    bool operator==(const Stop&) const = default;
};
} // namespace n1mm

struct N1mmRotorCommand {
    QString rotor; // trimmed, never empty
    std::variant<n1mm::Turn, n1mm::Stop> action;
    bool operator==(const N1mmRotorCommand&) const = default;
};

// The command of a datagram, or nothing when it is malformed: no closed <N1MMRotor>
// element, no rotor name or one that is too long or holds control characters, a goazi or
// offset that is not a finite number (its leading number is read), a bidirectional other
// than 0 or 1. A turn without <offset> or <bidirectional> has 0 for them.
std::optional<N1mmRotorCommand> parse_n1mm_rotor_datagram(QByteArrayView datagram);

// Whether a command naming `rotor` is for the rotor called `ours`: the same name, compared
// exactly as N1MM's rotor description is matched, or the name that addresses every rotor.
bool n1mm_is_for_us(QStringView rotor, QStringView ours);

// The heading report "NAME @ hhhh": the heading in tenths of a degree within [0, 3600), an
// integer without leading zeros or decimal point (36 degrees is "360"). Empty when the
// heading is not finite.
QByteArray n1mm_report(QStringView name, double heading);

} // namespace kestrav
