#include "dx_cluster/cluster_setting.h"

#include "geodesy/number_text.h"

#include <QList>

namespace kestrav {

bool cluster_host_fits(QStringView host) {
    if (host.isEmpty() || host.size() > 253)
        return false;
    for (QChar c : host) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-' && c != u':')
            return false;
    }
    return true;
}

bool cluster_call_fits(QStringView call) {
    if (call.size() < 3 || call.size() > 20)
        return false;
    for (QChar c : call) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'/' && c != u'-')
            return false;
    }
    return true;
}

std::optional<ClusterSetting> read_cluster_setting(QStringView value) {
    QList<QStringView> fields = value.split(u',');
    bool on = true;
    if (fields.size() == 4) {
        const QStringView flag = fields.takeLast();
        if (flag != u"ON" && flag != u"OFF")
            return std::nullopt;
        on = flag == u"ON";
    }
    if (fields.size() != 3 || !cluster_host_fits(fields[0]) || !cluster_call_fits(fields[2]))
        return std::nullopt;
    const std::optional<int> port = read_integer(fields[1]);
    if (!port || *port < 1 || *port > 65535)
        return std::nullopt;
    return ClusterSetting{true, on, fields[0].toString(), *port, fields[2].toString()};
}

QString cluster_setting_line(const ClusterSetting& setting) {
    return QStringLiteral("DXCLUSTER=%1,%2,%3%4")
        .arg(setting.host)
        .arg(setting.port)
        .arg(setting.call, setting.on ? QString() : QStringLiteral(",OFF"));
}

} // namespace kestrav
