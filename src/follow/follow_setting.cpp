#include "follow/follow_setting.h"

#include <QList>
#include <QRegularExpression>

namespace kestrav {

std::optional<FollowSetting> read_follow_setting(QStringView value) {
    QList<QStringView> fields = value.split(u',');
    QStringView country_file;
    if (fields.size() > 3) {
        // The path is the rest of the row, commas and all.
        const qsizetype start = fields[0].size() + fields[1].size() + fields[2].size() + 3;
        country_file = value.mid(start);
        if (!country_file.startsWith(u'/') || country_file.contains(u'\r') ||
            country_file.contains(u'\n'))
            return std::nullopt;
        fields.resize(3);
    }
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
    setting.country_file = country_file.toString();
    return setting;
}

QString follow_setting_line(const FollowSetting& setting) {
    QString line =
        QStringLiteral("WSJTX=%1,%2,%3")
            .arg(setting.on ? QStringLiteral("ON") : QStringLiteral("OFF"), setting.address)
            .arg(setting.port);
    if (!setting.country_file.isEmpty())
        line += u',' + setting.country_file;
    return line;
}

} // namespace kestrav
