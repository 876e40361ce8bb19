// A country file of any content: the reader skips what it cannot read, and a lookup of any
// call, the file's own text cut into calls included, gives positions on the globe or none.

#include "fuzz_check.h"

#include "follow/country_file.h"

#include <QRegularExpression>

using namespace kestrav;
using kestrav::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromLatin1(fuzz::bytes_of(data, size));
    const CountryTable table = CountryTable::from_country_file(text);
    const QStringList calls = text.split(QRegularExpression(QStringLiteral("[\\s,;:=]")));
    for (qsizetype i = 0; i < std::min<qsizetype>(calls.size(), 64); ++i)
        if (const std::optional<Country> c = table.lookup(calls[i]))
            check(!c->name.isEmpty() && !c->prefix.isEmpty());
    return 0;
}
