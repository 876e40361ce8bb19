#pragma once
// Rows of the settings that came after the five interfaces (the heading, the map, the rotctld
// server, following WSJT-X, the rotator ranges, the UDP rotor protocols, elevation) which the
// reader could not read. Such a row is told once when read and written back exactly as it stood, in
// its own place, for as long as its setting keeps the value it had once the whole file was read: a
// row damaged by hand, or written by a later Kestrav, is never dropped silently at the next save.
// Once the operator changes that setting, the row is written anew from the setting.

#include "follow/follow_setting.h"
#include "rotor/rotor_types.h"
#include "settings/map_setting.h"
#include "settings/serve_setting.h"
#include "udp_rotor/udp_rotor_setting.h"
#include "dx_cluster/cluster_setting.h"

#include <QString>

#include <optional>

namespace kestrav {

template <typename Setting> struct KeptRow {
    QString text;      // the whole line as the file had it, key included
    Setting as_read{}; // the setting once the whole file was read
};

struct KeptRows {
    std::optional<KeptRow<bool>> heading;
    std::optional<KeptRow<MapSetting>> map;
    std::optional<KeptRow<ServeSetting>> serve;
    std::optional<KeptRow<FollowSetting>> wsjtx;
    std::optional<KeptRow<RangeChoice>> range_gs232;
    std::optional<KeptRow<RangeChoice>> range_easycomm;
    std::optional<KeptRow<RangeChoice>> range_network;
    std::optional<KeptRow<PstSetting>> pst;
    std::optional<KeptRow<N1mmSetting>> n1mm;
    std::optional<KeptRow<AzElChoice>> azel_gs232;
    std::optional<KeptRow<AzElChoice>> azel_easycomm;
    std::optional<KeptRow<int>> elevation_step;
    std::optional<KeptRow<int>> parking_elevation;
    std::optional<KeptRow<ClusterSetting>> cluster;
};

// The kept row's text while `now` is still the value read, else nothing.
template <typename Setting>
std::optional<QString> kept_text(const std::optional<KeptRow<Setting>>& kept, const Setting& now) {
    if (kept && kept->as_read == now)
        return kept->text;
    return std::nullopt;
}

} // namespace kestrav
