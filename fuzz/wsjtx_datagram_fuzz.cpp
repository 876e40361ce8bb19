// A datagram from anyone on the machine: WSJT-X's parser must refuse or read it without
// harm, and a message it reads must survive the decisions of following, whatever it holds,
// which keep no more of it than their bounds.

#include "fuzz_check.h"

#include "follow/follow_logic.h"
#include "follow/wsjtx_message.h"

using namespace kestrav;
using kestrav::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes_of(data, size);
    const std::optional<WsjtxMessage> m = parse_wsjtx_datagram(bytes);
    if (!m)
        return 0;
    check(m->schema == 2 || m->schema == 3);
    check(bytes.size() <= kWsjtxLargestDatagram);
    static const CountryTable countries = CountryTable::from_country_file(
        u"Spain: 14: 37: EU: 40.37: 4.88: -1.0: EA:\n EA,=EA1A/P(5)[6]<1/2>{AF}~3~;\n");
    FollowLogic follow(countries);
    if (const std::optional<DxTarget> t = follow.receive(*m, 0)) {
        check(t->latitude >= -90 && t->latitude <= 90);
        check(t->longitude >= -180 && t->longitude <= 180);
    }
    // Whatever its size, an instance costs its cut id, call and grid, and a waiting call.
    check(follow.instanceCount() <= 1);
    check(follow.keptCharacters() <= 2 * (kLongestInstanceId + 2 * kLongestDxField));
    follow.settle(kCallSettleMs);
    countries.lookup(m->dx_call);
    return 0;
}
