#pragma once
// The rows of the two UDP rotor protocols in the settings file, written only once the operator
// has used them, so that a file of someone who never did stays as it always was:
//
//   PSTROTATOR=127.0.0.1,12000                        address, port
//   N1MM=127.0.0.1,12040,Kestrav,127.0.0.1,13010     address, port, rotor name,
//                                                     report address, report port
//
// A row without more fields is on; ",OFF" after the last field keeps a switched-off setting.
// Addresses are IP addresses as written (loopback by default); names are not looked up.

#include <QString>
#include <QStringView>

#include <optional>

namespace kestrav {

inline constexpr char kUdpLocalAddress[] = "127.0.0.1";
inline constexpr int kPstSettingPort = 12000;
inline constexpr int kN1mmSettingPort = 12040;
inline constexpr int kN1mmReportPort = 13010;
inline constexpr char16_t kN1mmDefaultRotor[] = u"Kestrav";

struct PstSetting {
    bool used = false; // the row exists
    bool on = false;
    QString address = QLatin1String(kUdpLocalAddress);
    int port = kPstSettingPort;

    friend bool operator==(const PstSetting&, const PstSetting&) = default;
};

struct N1mmSetting {
    bool used = false;
    bool on = false;
    QString address = QLatin1String(kUdpLocalAddress);
    int port = kN1mmSettingPort;
    QString rotor = QString::fromUtf16(kN1mmDefaultRotor);
    QString report_address = QLatin1String(kUdpLocalAddress);
    int report_port = kN1mmReportPort;

    friend bool operator==(const N1mmSetting&, const N1mmSetting&) = default;
};

// The values after "PSTROTATOR=" and "N1MM=": nothing unless every field reads (an IP
// address, a port 1..65535, a rotor name of 1 to 64 characters without commas or control
// characters, an optional ON or OFF).
std::optional<PstSetting> read_pst_setting(QStringView value);
std::optional<N1mmSetting> read_n1mm_setting(QStringView value);

// The whole rows, keys included.
QString pst_setting_line(const PstSetting& setting);
QString n1mm_setting_line(const N1mmSetting& setting);

// Whether a rotor name can stand in the row.
bool n1mm_rotor_name_fits(QStringView name);
// Whether a row can hold `text` as an address: an IPv4 or IPv6 address in its numeric form.
bool udp_address_fits(QStringView text);

} // namespace kestrav
