#pragma once
// Sizes of the main window's design, in pixels at 96 dots per inch.

#include <QColor>
#include <QSize>

namespace kestrav {

// The design's 482 x 350 window less a frame of 4 pixels each side, the caption and the menu
// bar: the room the controls were laid out in.
inline constexpr QSize kClientDesignSize{474, 296};

// The azimuth dial: a square picture, its rose drawn round the centre with this radius, the
// needles from the centre this long.
inline constexpr int kDialSize = 68;
inline constexpr int kDialCentre = kDialSize / 2;
inline constexpr int kDialRadius = 30;
inline constexpr int kNeedleLength = 22;

// The grey of the title, command and status panels.
inline const QColor kPanelGrey{224, 224, 224};

} // namespace kestrav
