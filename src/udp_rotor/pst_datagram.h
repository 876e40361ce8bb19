#pragma once
// PstRotator's UDP control datagrams, as loggers (QLog, Hamlib's PstRotator backend and
// others) send them to the rotator program's port: commands in <PST>...</PST>, several
// blocks possibly in one datagram, several elements possibly in one block:
//
//   <PST><AZIMUTH>85</AZIMUTH></PST>       turn to 85 degrees
//   <PST><STOP>1</STOP></PST>              stop
//   <PST><PARK>1</PARK></PST>              park
//   <PST><QRA>KN34BJ</QRA></PST>           the DX station by its locator (4, 6 or 8 characters)
//   <PST>AZ?</PST>                         the azimuth, answered to the sender at port + 1
//
// <TRACK>, <ELEVATION> and "EL?" are read and ignored, as is anything unknown. Any local
// process can send to the port, so every command is checked and a malformed one is dropped
// without harm to the others.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <variant>
#include <vector>

namespace kestrav {

// Larger datagrams are refused unread; the largest UDP payload fits.
inline constexpr qsizetype kPstLargestDatagram = 65536;
// Commands read from one datagram; the rest are ignored. Senders send one or two.
inline constexpr int kPstMostCommands = 16;

namespace pst {
struct Turn {
    double azimuth = 0; // as sent: whether it is within the rotator's range is not judged here
    bool operator==(const Turn&) const = default;
};
struct Stop {
    bool operator==(const Stop&) const = default;
};
struct Park {
    bool operator==(const Park&) const = default;
};
struct Locator {
    QString text; // 4, 6 or 8 characters, upper case
    bool operator==(const Locator&) const = default;
};
struct AskAzimuth {
    bool operator==(const AskAzimuth&) const = default;
};
} // namespace pst

using PstCommand = std::variant<pst::Turn, pst::Stop, pst::Park, pst::Locator, pst::AskAzimuth>;

// The commands of a datagram in the order they stand. Tags are read without regard to case;
// numbers are the leading number of their value (Hamlib writes "123.000000.2") and must be
// finite. STOP and PARK need the value 1.
std::vector<PstCommand> parse_pst_datagram(QByteArrayView datagram);

// The answer to AZ?: "AZ:" and the azimuth in degrees with one decimal, within [0, 360),
// then a carriage return, as PstRotator reports the antenna's position. Empty for a
// number that is not finite.
QByteArray pst_azimuth_answer(double azimuth);

} // namespace kestrav
