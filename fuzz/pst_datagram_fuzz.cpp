// A datagram from anyone on the network to the PstRotator port: read without harm, never
// more commands than the bound, each one within its own bounds, and the answer to AZ? a
// short text that reads back as a number within [0, 360).

#include "fuzz_check.h"

#include "udp_rotor/pst_datagram.h"

#include <cmath>

using namespace kestrav;
using kestrav::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytes_of(data, size);
    const std::vector<PstCommand> commands = parse_pst_datagram(bytes);
    check(static_cast<int>(commands.size()) <= kPstMostCommands);
    check(bytes.size() <= kPstLargestDatagram || commands.empty());
    for (const PstCommand& c : commands) {
        if (const auto* t = std::get_if<pst::Turn>(&c)) {
            check(std::isfinite(t->azimuth));
            check(!std::signbit(t->azimuth) || t->azimuth != 0);
            const QByteArray answer = pst_azimuth_answer(t->azimuth);
            check(answer.startsWith("AZ:") && answer.endsWith('\r') && answer.size() <= 10);
            bool ok = false;
            const double back = answer.mid(3).trimmed().toDouble(&ok);
            check(ok && back >= 0 && back < 360);
        } else if (const auto* l = std::get_if<pst::Locator>(&c)) {
            check(l->text.size() == 4 || l->text.size() == 6 || l->text.size() == 8);
            check(l->text == l->text.toUpper());
        }
    }
    return 0;
}
