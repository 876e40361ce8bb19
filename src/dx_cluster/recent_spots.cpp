#include "dx_cluster/recent_spots.h"

#include <algorithm>

namespace kestrav {

const RecentSpot& RecentSpots::add(const Spot& spot, qint64 now_ms) {
    RecentSpot added{spot, band_of(spot.frequency_khz), now_ms};
    // Outside the bands the frequency itself tells spots apart.
    const auto same = [&](const RecentSpot& r) {
        return r.spot.call == spot.call && r.band == added.band &&
               (!added.band.isEmpty() || r.spot.frequency_khz == spot.frequency_khz);
    };
    spots_.erase(std::remove_if(spots_.begin(), spots_.end(), same), spots_.end());
    spots_.push_front(std::move(added));
    while (spots_.size() > static_cast<std::size_t>(std::max(capacity_, 1)))
        spots_.pop_back();
    return spots_.front();
}

} // namespace kestrav
