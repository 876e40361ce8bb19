#include "follow/follow_setting.h"

#include <QList>
#include <QRegularExpression>

namespace kestrav {

std::optional<FollowSetting> read_follow_setting(QStringView value) {
    const QList<QStringView> fields = value.split(u',');
    if (fields.size() != 3 || (fields[0] != u"ON" && fields[0] != u"OFF"))
        return std::nullopt;
    // Digits, dots, colons and hexadecimal letters: an address, never a host name that
    // would have to be looked up at start.
    static const QRegularExpression address(QStringLiteral("^[0-9A-Fa-f.:]{2,45}$"));
    if (!address.match(fields[1].toString()).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int port = fields[2].toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    FollowSetting setting;
    setting.used = true;
    setting.on = fields[0] == u"ON";
    setting.address = fields[1].toString();
    setting.port = static_cast<quint16>(port);
    return setting;
}

QString follow_setting_line(const FollowSetting& setting) {
    return QStringLiteral("WSJTX=%1,%2,%3")
        .arg(setting.on ? QStringLiteral("ON") : QStringLiteral("OFF"), setting.address)
        .arg(setting.port);
}

} // namespace kestrav
