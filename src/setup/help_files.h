#pragma once
// Help "files" are named as the help command knows them ("Kestrav_EN.HLP", "Kestrav_Fr.hlp");
// the pages themselves are HTML files of the same stem installed beside the executable.

#include <QString>

namespace kestrav {

// The full path of the HTML page that stands for `help_file_name` in `directory`, or an
// empty text when there is none. The name must be a bare file name ending in ".hlp" (any
// letter case); the page is the regular file whose name is the same stem followed by
// ".html", compared without regard to letter case (Kestrav_EN.HLP finds Kestrav_En.html).
// When several files match, one whose name matches exactly in case is preferred, then the
// first in plain character order, so that the choice never depends on the listing order.
// A name holding a directory separator, a name with nothing before ".hlp", and an empty
// directory text find nothing.
QString resolve_help_page(const QString& directory, const QString& help_file_name);

} // namespace kestrav
