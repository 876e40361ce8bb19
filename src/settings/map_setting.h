#pragma once
// The map window's row of the settings file, "MAP=OPEN,640,600" or "MAP=CLOSED,640,600": whether
// the map was open at exit and its size, followed by ",NOSUN" when day and night are hidden.
// The row exists only once the map has been used, so a file of someone who never opened it
// stays as it always was, and it keeps its three fields while day and night are shown.

#include <QSize>
#include <QString>
#include <QStringView>

#include <optional>

namespace kestrav {

struct MapSetting {
    bool used = false; // the map has been opened in this run or the file had the row
    bool open = false;
    int width = 0;
    int height = 0;
    bool shading_hidden = false; // day and night are not drawn

    friend bool operator==(const MapSetting&, const MapSetting&) = default;
};

inline constexpr int kMapSmallestSide = 200;
inline constexpr int kMapLargestSide = 8192;
// The most a side can take when the map window opens and no screen is known.
inline constexpr int kMapSideWithoutScreen = 4096;

// The value after "MAP=". The word is OPEN or CLOSED in upper case; each side is a whole
// number, brought into kMapSmallestSide to kMapLargestSide; a fourth field NOSUN hides day
// and night. Anything else is not a map row.
std::optional<MapSetting> read_map_setting(QStringView value);

// The size the map window opens at: the row's, each side brought within `room`, what the
// screen can show of a window (or kMapSideWithoutScreen without a screen), and never under
// kMapSmallestSide. A row written for a larger screen, or by hand, would otherwise make a map
// of hundreds of megabytes that is drawn anew at every keystroke.
QSize map_opening_size(const MapSetting& setting, std::optional<QSize> room);

// The whole row, "MAP=" included.
QString map_setting_line(const MapSetting& setting);

} // namespace kestrav
