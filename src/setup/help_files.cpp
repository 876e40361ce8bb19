#include "setup/help_files.h"

#include <QDir>
#include <QStringList>

#include <algorithm>

namespace kestrav {

namespace {

constexpr QLatin1StringView kHelpSuffix(".hlp");
constexpr QLatin1StringView kPageSuffix(".html");

} // namespace

QString resolve_help_page(const QString& directory, const QString& help_file_name) {
    if (!help_file_name.endsWith(kHelpSuffix, Qt::CaseInsensitive))
        return {};
    if (help_file_name.contains(QLatin1Char('/')) || help_file_name.contains(QLatin1Char('\\')))
        return {};
    const QString stem = help_file_name.chopped(kHelpSuffix.size());
    if (stem.isEmpty())
        return {};
    const QString wanted = stem + kPageSuffix;

    const QDir dir(directory);
    if (directory.isEmpty() || !dir.exists())
        return {};
    QStringList candidates;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            candidates.append(name);
    }
    if (candidates.isEmpty())
        return {};
    std::sort(candidates.begin(), candidates.end());
    const QString chosen = candidates.contains(wanted) ? wanted : candidates.first();
    return dir.absoluteFilePath(chosen);
}

} // namespace kestrav
