// Lines of the rotctld protocol Kestrav answers, cut from the input at its line ends: every
// answer is empty or ends with a line end, only finite azimuths within the range reach the
// rotator, and an answer in plain mode (no "+;|," on the line) is printable text, never an
// echo of the client's bytes.

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
    void stop() override {}
    Outcome park() override { return ++calls % 2 ? Outcome::Done : Outcome::Unavailable; }
    double position() override { return 359.995; }
    Range range() const override { return {}; }
    QString info() const override { return QStringLiteral("Kestrav"); }

    int calls = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckingRotator rotator;
    const QByteArray bytes = fuzz::bytes_of(data, size);
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
