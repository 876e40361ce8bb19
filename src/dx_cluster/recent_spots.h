#pragma once
// The recent spots of a node, newest first and bounded: a spot of a call on a band replaces
// the older spot of that call on that band, and beyond the capacity the oldest goes, so a node
// that floods cannot grow the list.

#include "dx_cluster/spot_line.h"

#include <QString>

#include <deque>

namespace kestrav {

inline constexpr int kRecentSpotCapacity = 500;

struct RecentSpot {
    Spot spot;
    QString band;           // band_of(frequency), empty outside the bands
    qint64 received_ms = 0; // when it was heard, on the caller's clock
};

class RecentSpots {
public:
    explicit RecentSpots(int capacity = kRecentSpotCapacity) : capacity_(capacity) {}

    // Adds a spot heard at `now_ms`; returns it as kept.
    const RecentSpot& add(const Spot& spot, qint64 now_ms);
    const std::deque<RecentSpot>& spots() const { return spots_; }
    void clear() { spots_.clear(); }

private:
    int capacity_;
    std::deque<RecentSpot> spots_;
};

} // namespace kestrav
