#pragma once
// The window's pictures, drawn once at start: the dial background, the two LED states, the
// title picture and the window icon.

#include <QPixmap>

namespace kestrav {

QPixmap dial_background_picture(); // 68 x 68, north up
QPixmap led_picture(bool on);      // 31 x 31
QPixmap title_picture();           // 33 x 35, a beam antenna
QPixmap stop_picture();            // 16 x 16

} // namespace kestrav
