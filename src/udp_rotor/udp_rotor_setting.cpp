#include "udp_rotor/udp_rotor_setting.h"

#include "geodesy/number_text.h"
#include "udp_rotor/n1mm_datagram.h"

#include <QList>

#include <arpa/inet.h>

namespace kestrav {

namespace {

std::optional<QString> read_address(QStringView text) {
    // The address in its numeric form only: a name would have to be looked up.
    const QByteArray latin = text.toLatin1();
    unsigned char bytes[16];
    if (text.size() > 45 || (inet_pton(AF_INET, latin.constData(), bytes) != 1 &&
                             inet_pton(AF_INET6, latin.constData(), bytes) != 1))
        return std::nullopt;
    return text.toString();
}

std::optional<int> read_port(QStringView text) {
    const std::optional<int> port = read_integer(text);
    if (!port || *port < 1 || *port > 65535)
        return std::nullopt;
    return port;
}

// The fields, and whether the optional last one says on: nothing when there are not
// `count` fields, or the one after them is neither ON nor OFF.
std::optional<std::pair<QList<QStringView>, bool>> fields_of(QStringView value, int count) {
    QList<QStringView> fields = value.split(u',');
    bool on = true;
    if (fields.size() == count + 1) {
        const QStringView flag = fields.takeLast();
        if (flag != u"ON" && flag != u"OFF")
            return std::nullopt;
        on = flag == u"ON";
    }
    if (fields.size() != count)
        return std::nullopt;
    return std::pair{fields, on};
}

QString flag(bool on) {
    return on ? QString() : QStringLiteral(",OFF");
}

} // namespace

bool n1mm_rotor_name_fits(QStringView name) {
    if (name.isEmpty() || name.size() > kN1mmLongestName || name.trimmed() != name)
        return false;
    for (QChar c : name) {
        if (c == u',' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

std::optional<PstSetting> read_pst_setting(QStringView value) {
    const auto read = fields_of(value, 2);
    if (!read)
        return std::nullopt;
    const auto& [fields, on] = *read;
    const std::optional<QString> address = read_address(fields[0]);
    const std::optional<int> port = read_port(fields[1]);
    if (!address || !port)
        return std::nullopt;
    return PstSetting{true, on, *address, *port};
}

std::optional<N1mmSetting> read_n1mm_setting(QStringView value) {
    const auto read = fields_of(value, 5);
    if (!read)
        return std::nullopt;
    const auto& [fields, on] = *read;
    const std::optional<QString> address = read_address(fields[0]);
    const std::optional<int> port = read_port(fields[1]);
    const std::optional<QString> report_address = read_address(fields[3]);
    const std::optional<int> report_port = read_port(fields[4]);
    if (!address || !port || !n1mm_rotor_name_fits(fields[2]) || !report_address || !report_port)
        return std::nullopt;
    return N1mmSetting{true,        on, *address, *port, fields[2].toString(), *report_address,
                       *report_port};
}

QString pst_setting_line(const PstSetting& setting) {
    return QStringLiteral("PSTROTATOR=%1,%2%3")
        .arg(setting.address)
        .arg(setting.port)
        .arg(flag(setting.on));
}

QString n1mm_setting_line(const N1mmSetting& setting) {
    return QStringLiteral("N1MM=%1,%2,%3,%4,%5%6")
        .arg(setting.address)
        .arg(setting.port)
        .arg(setting.rotor, setting.report_address)
        .arg(setting.report_port)
        .arg(flag(setting.on));
}

bool udp_address_fits(QStringView text) {
    return read_address(text).has_value();
}

} // namespace kestrav
