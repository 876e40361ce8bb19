#pragma once
// The design fonts of the windows and what stands in for them where they are not installed:
// Liberation Sans for Arial and Liberation Serif for Times New Roman (each has the metrics of
// the font it replaces), and the desktop's own sans-serif font for MS Sans Serif.

#include <QFont>

namespace kestrav {

// Registers the stand-ins with Qt's font matching; once per process, before any window.
void install_font_substitutes();

// The windows' Arial (shown in Liberation Sans, which has Arial's metrics, when Arial is absent).
QFont arial(int points, bool bold = true);
QFont ms_sans_serif(int points);
QFont times_new_roman(int points, bool bold, bool italic);

} // namespace kestrav
