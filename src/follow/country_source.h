#pragma once
// Where call signs find their countries: the country file the operator chose, else the one
// of the hamradio-files package when it is installed, else the built-in prefix table.

#include "follow/country_file.h"

#include <optional>

namespace kestrav {

inline constexpr char16_t kSystemCountryFile[] = u"/usr/share/hamradio-files/cty.dat";

enum class CountryFileProblem { None, Unreadable, NotACountryFile };

// The table of the file at `path`, or nothing with the reason: it cannot be opened, is far
// larger than any country file, or holds no country.
std::optional<CountryTable> read_country_file(const QString& path,
                                              CountryFileProblem* problem = nullptr);

// The table of `path` when it can be read and holds countries, else the built-in one.
// `from_file` tells which it is.
CountryTable load_countries(const QString& path, bool* from_file = nullptr);

} // namespace kestrav
