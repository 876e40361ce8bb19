// Lines of the rotctld protocol Kestrav answers, cut from the input at its line ends, for an
// azimuth or an azimuth-elevation rotator as the first byte says: every answer is empty or ends
// with a line end, only finite azimuths reach the rotator and elevations only an az/el one,
// within its elevations, and an answer in plain mode (no "+;|," on the line) is printable text,
// never an echo of the client's bytes.

#include "fuzz_check.h"

#include "rotor/rotctld_protocol.h"

#include <QList>

#include <cmath>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

class CheckingRotator final : public RotorService {
public:
    // Whether the azimuth is within range is the service's to decide; it is always a number.
    Outcome go_to(double azimuth) override {
        check(std::isfinite(azimuth));
        return static_cast<Outcome>(calls++ % 3);
    }
    // An azimuth-elevation rotator is handed elevations within its own only.
    Outcome go_to_both(double azimuth, double elevation) override {
        check(az_el && std::isfinite(elevation));
        check(elevation >= kLowest && elevation <= kHighest);
        return go_to(azimuth);
    }
    void stop() override {}
    Outcome park() override { return ++calls % 2 ? Outcome::Done : Outcome::Unavailable; }
    double position() override { return 359.995; }
    Range range() const override {
        Range r;
        r.az_el = az_el;
        r.min_elevation = kLowest;
        r.max_elevation = kHighest;
        return r;
    }
    QString info() const override { return QStringLiteral("Kestrav"); }

    static constexpr double kLowest = 5;
    static constexpr double kHighest = 85;
    int calls = 0;
    bool az_el = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    CheckingRotator rotator;
    rotator.az_el = data[0] & 1; // the first byte chooses an azimuth or an az/el rotator
    const QByteArray bytes = fuzz::bytes_of(data + 1, size - 1);
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.size() >= kRotctldLineLimit)
            continue;
        const RotctldAnswer answer = rotctld_answer(line, rotator);
        check(answer.text.isEmpty() || answer.text.endsWith('\n'));
        if (line.contains('+') || line.contains(';') || line.contains('|') || line.contains(','))
            continue;
        for (char c : answer.text)
            check(c == '\n' || c == '\t' || (c >= ' ' && c <= '~'));
    }
    return 0;
}
