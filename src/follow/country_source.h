#pragma once
// Where call signs find their countries: the country file the operator chose, else the one
// of the hamradio-files package when it is installed, else the built-in prefix table.

#include "follow/country_file.h"

#include <optional>

namespace kestrav {

inline constexpr char16_t kSystemCountryFile[] = u"/usr/share/hamradio-files/cty.dat";

// The real file is about 330 KiB; anything far larger is not one.
inline constexpr qint64 kLargestCountryFile = 8 * 1024 * 1024;

enum class CountryFileProblem { None, Unreadable, NotACountryFile };

// The table of the file at `path`, or nothing with the reason: it is not a regular file (a
// FIFO, a device, a folder) or cannot be opened or read, is larger than kLargestCountryFile,
// or holds no country. Never waits: what cannot be read at once is refused.
std::optional<CountryTable> read_country_file(const QString& path,
                                              CountryFileProblem* problem = nullptr);

// Where the dialog choosing a country file opens: at the file in use, the one chosen
// (`chosen`, its folder when the file has gone since) or else `system_file`, and in the home
// folder when neither is there.
QString country_file_dialog_start(const QString& chosen, const QString& system_file);

// The table of `path` when it can be read and holds countries, else the built-in one.
// `from_file` tells which it is.
CountryTable load_countries(const QString& path, bool* from_file = nullptr);

} // namespace kestrav
