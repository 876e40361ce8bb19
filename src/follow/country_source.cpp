#include "follow/country_source.h"

#include "lists/prefix_table.h"

#include <QFile>

namespace kestrav {

CountryTable load_countries(const QString& path, bool* from_file) {
    // The real file is about 200 KiB; anything far larger is not one.
    constexpr qint64 kLargestCountryFile = 8 * 1024 * 1024;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= kLargestCountryFile) {
        CountryTable table = CountryTable::from_country_file(QString::fromLatin1(file.readAll()));
        if (!table.isEmpty()) {
            if (from_file != nullptr)
                *from_file = true;
            return table;
        }
    }
    if (from_file != nullptr)
        *from_file = false;
    return CountryTable::from_prefix_entries(prefix_table_entries());
}

} // namespace kestrav
