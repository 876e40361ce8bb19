// A datagram from anyone on the network to the N1MM rotor port: refused or read without
// harm into a bounded name and finite numbers, and the heading report of whatever it holds
// written as the name, " @ " and an integer of tenths below 3600.

#include "fuzz_check.h"

#include "udp_rotor/n1mm_datagram.h"

#include <cmath>

using namespace kestrav;
using kestrav::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes_of(data, size);
    const std::optional<N1mmRotorCommand> c = parse_n1mm_rotor_datagram(bytes);
    if (!c)
        return 0;
    check(bytes.size() <= kN1mmLargestDatagram);
    check(!c->rotor.isEmpty() && c->rotor.size() <= kN1mmLongestName);
    check(c->rotor.trimmed() == c->rotor);
    n1mm_is_for_us(c->rotor, u"Tribander");
    double heading = 0;
    if (const auto* t = std::get_if<n1mm::Turn>(&c->action)) {
        check(std::isfinite(t->azimuth) && std::isfinite(t->offset));
        heading = t->azimuth + t->offset;
    }
    const QByteArray report = n1mm_report(c->rotor, heading);
    const QByteArray prefix = c->rotor.toUtf8() + " @ ";
    check(report.startsWith(prefix));
    bool ok = false;
    const int tenths = report.mid(prefix.size()).toInt(&ok);
    check(ok && tenths >= 0 && tenths < 3600);
    check(QByteArray::number(tenths) == report.mid(prefix.size()));
    return 0;
}
