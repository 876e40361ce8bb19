#pragma once
// Command texts of the two serial rotator protocols, the rules every rotator output applies
// before it sends (minimum step, end-stop side), and the table of the thirteen serial speeds.
// Pure functions: wire texts are built from integers, so they never follow the process locale.

#include "rotor/rotor_types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace kestrav {

// "W" + three digits + CR (5 bytes). n is a rounded azimuth 0..360; values outside 0..999
// cannot be written with three digits and are clamped to that range.
QByteArray gs232_turn_command(int n);

// "AZ" + three digits + ".0" + CR (8 bytes); n clamped to 0..999 as above.
QByteArray easycomm_turn_command(int n);

// An azimuth-elevation rotator's turn, both rounded degrees clamped as above: GS-232
// "Waaa eee" CR (9 bytes), EasyComm "AZaaa.0 ELeee.0" CR (16 bytes).
QByteArray gs232_azel_command(int azimuth, int elevation);
QByteArray easycomm_azel_command(int azimuth, int elevation);

QByteArray gs232_stop_command();        // "S" CR, sent by STOP
QByteArray easycomm_stop_command();     // "SA" CR, sent by STOP
QByteArray gs232_shutdown_command();    // "S" CR, sent at exit
QByteArray easycomm_shutdown_command(); // "SA SE" CR, sent at exit

// The azimuth on the controller's scale. With N the true azimuth; with S the scale's 0 points
// south: azimuth - 180, plus 360 when that is negative (180 -> 0, 0 -> 180, 90 -> 270).
double map_stop_side(double azimuth, StopSide side);

// The minimum-step test: a command closer than min_step degrees to the last sent azimuth is
// refused; a difference equal to the step passes, and a step of 0 (or less) always passes.
bool passes_min_step(double command, double last_sent, int min_step);

// The serial speeds, in the order of the port component's rate ordinals (0 = "110").
inline constexpr int kComPortSpeedCount = 13;
QStringList com_port_speed_texts();
// The text of a speed index; empty outside 0..12.
QString com_port_speed_text(int index);
// The index of a speed text, compared exactly ("9600", not " 9600" or "9600.0"); -1 otherwise.
int speed_index_of(QStringView text);
// The bit rate handed to the system for a speed index; 0 outside 0..12.
int com_port_bit_rate(int index);

} // namespace kestrav
