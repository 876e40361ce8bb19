#pragma once
// Writing the settings file: every key, in a fixed order, with numbers in the system
// decimal separator current at the time of writing.

#include "settings/station_config.h"

#include <QStringList>

namespace kestrav {

// The lines of the settings file for `state`, without line ends. `french` and `mile` are
// the checked language and unit menu items. A personal list line is written only for a
// path that is not empty and holds no line break (such a path could not be read back and
// would split into a line of its own); the parking line only when a parking interface is
// set. With the initial state that makes 33 lines. The network rows follow only once the
// network interface has been set up, "HEADING=ON" only while the heading is shown, and the
// rotctld server's row only while it is on. A row of those later settings that the reader
// could not read is written back as it stood, in the place of its setting's row, until the
// setting is changed.
QStringList settings_lines(const StationConfig& state, bool french, bool mile);

} // namespace kestrav
