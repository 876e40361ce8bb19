#pragma once
// Words the settings file shares between its reader and its writer.

#include "rotor/rotor_types.h"

#include <QStringView>
#include <array>

namespace kestrav::settings_words {

// The word of each interface after "ANT=" and "PARKING=", indexed by RotorInterface value.
// The same word names the interface in its own keys ("STOP_POURSAT=", "STEP_GS232=").
inline constexpr std::array<QStringView, kRotorInterfaceCount> kInterfaceWords{
    u"POURSAT", u"FODTRACK", u"EA4TX", u"GS232", u"EASYCOMM"};

// The serial speeds the file may name; a text's position is the speed index the serial
// port driver takes.
inline constexpr std::array<QStringView, 13> kSpeedTexts{
    u"110",   u"300",   u"600",   u"1200",  u"2400",  u"4800",  u"9600",
    u"14400", u"19200", u"38400", u"56000", u"57600", u"115200"};

} // namespace kestrav::settings_words
