#pragma once
// Where call signs find their countries: the country file of the hamradio-files package
// when it is installed, else the built-in prefix table.

#include "follow/country_file.h"

namespace kestrav {

inline constexpr char16_t kSystemCountryFile[] = u"/usr/share/hamradio-files/cty.dat";

// The table of `path` when it can be read and holds countries, else the built-in one.
// `from_file` tells which it is.
CountryTable load_countries(const QString& path, bool* from_file = nullptr);

} // namespace kestrav
