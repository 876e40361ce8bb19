// A line from a DX cluster node, relayed from anyone: refused, or read into a bounded spot whose
// every field keeps to its form.

#include "fuzz_check.h"

#include "dx_cluster/recent_spots.h"
#include "dx_cluster/spot_line.h"

#include <cmath>

using namespace kestrav;
using kestrav::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes_of(data, size);
    const QString text = cluster_line_text(bytes);
    const std::optional<Spot> spot = parse_spot_line(text);
    if (!spot)
        return 0;
    check(text.size() <= kLongestSpotLine);
    check(std::isfinite(spot->frequency_khz) && spot->frequency_khz >= 1 &&
          spot->frequency_khz <= 300e6);
    check(spot->call.size() >= 3 && spot->call.size() <= kLongestCall);
    check(spot->call == spot->call.toUpper() && !spot->call.contains(u' '));
    check(!spot->spotter.isEmpty() && spot->comment.size() <= 100);
    check(spot->time.isEmpty() || spot->time.size() == 4);
    check(spot->grid.isEmpty() || spot->grid.size() == 4 || spot->grid.size() == 6);
    RecentSpots recent(2);
    recent.add(*spot, 0);
    recent.add(*spot, 1);
    check(recent.spots().size() == 1);
    return 0;
}
