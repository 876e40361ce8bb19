#include "settings/serve_setting.h"

#include "geodesy/number_text.h"

namespace kestrav {

std::optional<ServeSetting> read_serve_setting(QStringView value) {
    const qsizetype comma = value.lastIndexOf(u',');
    if (comma <= 0)
        return std::nullopt;
    const QStringView address = value.first(comma);
    for (QChar c : address) {
        if (c.isSpace() || c == u',' || c.unicode() < 0x20)
            return std::nullopt;
    }
    const std::optional<int> port = read_integer(value.sliced(comma + 1));
    if (!port || *port < 1 || *port > 65535)
        return std::nullopt;
    return ServeSetting{true, address.toString(), *port};
}

QString serve_setting_line(const ServeSetting& setting) {
    return QStringLiteral("SERVE_ROTCTLD=%1,%2").arg(setting.address).arg(setting.port);
}

} // namespace kestrav
