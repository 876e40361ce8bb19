#pragma once
// The DX cluster node's row in the settings file, written only once the operator has used it:
//
//   DXCLUSTER=dxc.example.org,7300,F4ABC        host, port, the call to log in with
//
// ",OFF" after the last field keeps a connection switched off; a row without it is on.

#include <QString>
#include <QStringView>

#include <optional>

namespace kestrav {

struct ClusterSetting {
    bool used = false;
    bool on = false;
    QString host;
    int port = 7300;
    QString call;

    friend bool operator==(const ClusterSetting&, const ClusterSetting&) = default;
};

// The value after "DXCLUSTER=": a host of letters, digits, dots, hyphens and colons, a port
// 1..65535, a call of 3 to 20 letters, digits and slashes, an optional ON or OFF.
std::optional<ClusterSetting> read_cluster_setting(QStringView value);
QString cluster_setting_line(const ClusterSetting& setting);

// Whether a host or a call can stand in the row.
bool cluster_host_fits(QStringView host);
bool cluster_call_fits(QStringView call);

} // namespace kestrav
