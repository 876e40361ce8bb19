#pragma once
// The row of Kestrav's own rotctld server in the settings file, "SERVE_ROTCTLD=127.0.0.1,4533":
// the address it listens on and its port. The row exists only while the server is on, so a
// file of someone who never turned it on stays as it always was.

#include <QString>
#include <QStringView>

#include <optional>

namespace kestrav {

inline constexpr int kServeDefaultPort = 4533;
inline constexpr char kServeLocalAddress[] = "127.0.0.1";
inline constexpr char kServeAnyAddress[] = "0.0.0.0";

struct ServeSetting {
    bool on = false;
    QString address = QLatin1String(kServeLocalAddress);
    int port = kServeDefaultPort;

    friend bool operator==(const ServeSetting&, const ServeSetting&) = default;
};

// The value after "SERVE_ROTCTLD=": an address without blanks, a comma, a port 1..65535.
// Anything else is not a server row.
std::optional<ServeSetting> read_serve_setting(QStringView value);

// The whole row, "SERVE_ROTCTLD=" included.
QString serve_setting_line(const ServeSetting& setting);

} // namespace kestrav
