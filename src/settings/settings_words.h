#pragma once
// Words the settings file shares between its reader and its writer.

#include "rotor/rotor_types.h"

#include <QStringView>
#include <array>

namespace kestrav::settings_words {

// The word of each interface after "ANT=" and "PARKING=", indexed by RotorInterface value.
// The same word names the interface in its own keys ("STOP_POURSAT=", "STEP_GS232=").
inline constexpr std::array<QStringView, kAllRotorInterfaceCount> kInterfaceWords{
    u"POURSAT", u"FODTRACK", u"EA4TX", u"GS232", u"EASYCOMM", u"NETWORK"};

} // namespace kestrav::settings_words
