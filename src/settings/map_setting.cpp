#include "settings/map_setting.h"

#include "geodesy/number_text.h"

#include <QList>

#include <algorithm>

namespace kestrav {

std::optional<MapSetting> read_map_setting(QStringView value) {
    const QList<QStringView> fields = value.split(u',');
    if (fields.size() < 3 || fields.size() > 4 ||
        (fields[0] != u"OPEN" && fields[0] != u"CLOSED") ||
        (fields.size() == 4 && fields[3] != u"NOSUN"))
        return std::nullopt;
    const std::optional<int> width = read_integer(fields[1]);
    const std::optional<int> height = read_integer(fields[2]);
    if (!width || !height)
        return std::nullopt;
    MapSetting setting;
    setting.used = true;
    setting.open = fields[0] == u"OPEN";
    setting.width = std::clamp(*width, kMapSmallestSide, kMapLargestSide);
    setting.height = std::clamp(*height, kMapSmallestSide, kMapLargestSide);
    setting.shading_hidden = fields.size() == 4;
    return setting;
}

QSize map_opening_size(const MapSetting& setting, std::optional<QSize> room) {
    const QSize most = room.value_or(QSize(kMapSideWithoutScreen, kMapSideWithoutScreen));
    return {
        std::clamp(setting.width, kMapSmallestSide, std::max(most.width(), kMapSmallestSide)),
        std::clamp(setting.height, kMapSmallestSide, std::max(most.height(), kMapSmallestSide))};
}

QString map_setting_line(const MapSetting& setting) {
    return QStringLiteral("MAP=%1,%2,%3")
               .arg(setting.open ? QStringLiteral("OPEN") : QStringLiteral("CLOSED"))
               .arg(setting.width)
               .arg(setting.height) +
           (setting.shading_hidden ? QStringLiteral(",NOSUN") : QString());
}

} // namespace kestrav
