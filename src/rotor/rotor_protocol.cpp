#include "rotor/rotor_protocol.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrav {

namespace {

constexpr std::array<int, kComPortSpeedCount> kBitRates{
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};

QByteArray three_digits(int n) {
    n = std::clamp(n, 0, 999);
    QByteArray digits(3, '0');
    digits[0] = static_cast<char>('0' + n / 100);
    digits[1] = static_cast<char>('0' + n / 10 % 10);
    digits[2] = static_cast<char>('0' + n % 10);
    return digits;
}

} // namespace

QByteArray gs232_turn_command(int n) {
    return "W" + three_digits(n) + "\r";
}

QByteArray easycomm_turn_command(int n) {
    return "AZ" + three_digits(n) + ".0\r";
}

QByteArray gs232_azel_command(int azimuth, int elevation) {
    return "W" + three_digits(azimuth) + ' ' + three_digits(elevation) + "\r";
}

QByteArray easycomm_azel_command(int azimuth, int elevation) {
    return "AZ" + three_digits(azimuth) + ".0 EL" + three_digits(elevation) + ".0\r";
}

QByteArray gs232_stop_command() {
    return QByteArrayLiteral("S\r");
}

QByteArray easycomm_stop_command() {
    return QByteArrayLiteral("SA\r");
}

QByteArray gs232_shutdown_command() {
    return QByteArrayLiteral("S\r");
}

QByteArray easycomm_shutdown_command() {
    return QByteArrayLiteral("SA SE\r");
}

double map_stop_side(double azimuth, StopSide side) {
    if (side != StopSide::S)
        return azimuth;
    double mapped = azimuth - 180;
    if (mapped < 0)
        mapped += 360;
    return mapped;
}

bool passes_min_step(double command, double last_sent, int min_step) {
    return !(std::fabs(command - last_sent) < min_step);
}

QStringList com_port_speed_texts() {
    QStringList texts;
    for (int rate : kBitRates)
        texts << QString::number(rate);
    return texts;
}

QString com_port_speed_text(int index) {
    if (index < 0 || index >= kComPortSpeedCount)
        return {};
    return QString::number(kBitRates[static_cast<size_t>(index)]);
}

int speed_index_of(QStringView text) {
    for (int i = 0; i < kComPortSpeedCount; ++i) {
        if (text == com_port_speed_text(i))
            return i;
    }
    return -1;
}

int com_port_bit_rate(int index) {
    if (index < 0 || index >= kComPortSpeedCount)
        return 0;
    return kBitRates[static_cast<size_t>(index)];
}

} // namespace kestrav
