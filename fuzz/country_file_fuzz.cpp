// A country file of any content: the reader skips what it cannot read, every record it keeps
// lies on the globe (finite, within 90 and 180 degrees), and a lookup of any call, the
// file's own text cut into calls included, gives positions on the globe or none.

#include "fuzz_check.h"

#include "follow/country_file.h"

#include <QRegularExpression>

#include <cmath>

using namespace kestrav;
using kestrav::fuzz::check;

namespace {

bool on_the_globe(const Country& c) {
    return std::isfinite(c.latitude) && std::isfinite(c.longitude) && std::abs(c.latitude) <= 90 &&
           std::abs(c.longitude) <= 180;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromLatin1(fuzz::bytes_of(data, size));
    const CountryTable table = CountryTable::from_country_file(text);
    for (const Country& c : table.countries())
        check(on_the_globe(c));
    const QStringList calls = text.split(QRegularExpression(QStringLiteral("[\\s,;:=]")));
    for (qsizetype i = 0; i < std::min<qsizetype>(calls.size(), 64); ++i)
        if (const std::optional<Country> c = table.lookup(calls[i]))
            check(!c->name.isEmpty() && !c->prefix.isEmpty() && on_the_globe(*c));
    return 0;
}
