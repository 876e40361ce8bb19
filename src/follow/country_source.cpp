#include "follow/country_source.h"

#include "lists/prefix_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrav {

std::optional<CountryTable> read_country_file(const QString& path, CountryFileProblem* problem) {
    // The real file is about 200 KiB; anything far larger is not one.
    constexpr qint64 kLargestCountryFile = 8 * 1024 * 1024;
    const auto fail = [problem](CountryFileProblem why) {
        if (problem != nullptr)
            *problem = why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(CountryFileProblem::Unreadable);
    if (file.size() > kLargestCountryFile)
        return fail(CountryFileProblem::NotACountryFile);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(CountryFileProblem::Unreadable);
    CountryTable table = CountryTable::from_country_file(QString::fromLatin1(bytes));
    if (table.isEmpty())
        return fail(CountryFileProblem::NotACountryFile);
    if (problem != nullptr)
        *problem = CountryFileProblem::None;
    return table;
}

QString country_file_dialog_start(const QString& chosen, const QString& system_file) {
    if (!chosen.isEmpty()) {
        const QFileInfo file(chosen);
        if (file.isFile())
            return file.absoluteFilePath();
        if (file.absoluteDir().exists())
            return file.absolutePath();
    }
    if (QFileInfo(system_file).isFile())
        return system_file;
    return QDir::homePath();
}

CountryTable load_countries(const QString& path, bool* from_file) {
    std::optional<CountryTable> table = read_country_file(path);
    if (from_file != nullptr)
        *from_file = table.has_value();
    if (table)
        return std::move(*table);
    return CountryTable::from_prefix_entries(prefix_table_entries());
}

} // namespace kestrav
