#pragma once
// Reading the settings file: its lines are applied to the station state one at a time, in
// file order. The file only looks like an INI file: section lines are ignored, a key counts
// in any section, and a key given twice takes its later value.

#include "rotor/rotor_types.h"
#include "settings/station_config.h"

#include <QString>
#include <QStringList>

namespace kestrav {

// What reading does beyond filling the state, handed to the main window.
class SettingsReaderActions {
public:
    virtual ~SettingsReaderActions() = default;
    virtual void select_language(bool french) = 0; // clicks the language menu item
    virtual void select_unit(bool mile) = 0;       // clicks the unit menu item
    // n is 1 to 3; the path is already in state.PersoPathNames[n - 1]. Called once per list
    // named in the file, after all lines. A list that cannot be opened is reported and its
    // path cleared by the window.
    virtual void load_personal_list(int n) = 0;
    virtual void set_com_port(RotorInterface rotor, int index) = 0;  // ComPort of its driver
    virtual void set_com_speed(RotorInterface rotor, int index) = 0; // ComPortSpeed of its driver
    virtual void beep() = 0;
    // A calibration, zero or parking value that is not a number; the field keeps its
    // previous value and reading goes on with the next line. Only the first
    // kMostBadNumberReports of a file are reported.
    virtual void report_bad_number(const QString& bad_text) = 0;
    // A row of a setting added after the five interfaces (the heading, the map, the rotctld
    // server, following WSJT-X, a range) that cannot be read, the whole line: its setting
    // keeps its previous value and the row is kept (see KeptRows). Told once for each key.
    virtual void report_unread_row(const QString& row) = 0;
};

inline constexpr int kMostBadNumberReports = 3;

// Applies every known key of `lines` to `state`. A line is "key=value" where the key is
// everything up to and including the first "="; a line without "=" or starting with "=" is
// skipped; nothing is trimmed and keys are case-sensitive.
//
// Values the initialisation dialog could not have produced are kept as written, except:
// an LPT value other than 0 to 3 means no LPT (it would index past the three ports); a
// port value below 0 means no port; a negative step becomes the default 1. Every finite
// calibration, zero or parking value is taken, however large (the writer's scientific form
// included): the outputs guard what they make of it. The unreadable rows of the later
// additions are left in state.UnreadRows.
void read_settings(const QStringList& lines, StationConfig& state, SettingsReaderActions& actions);

} // namespace kestrav
