#pragma once
// The window's pictures, drawn once at start: the dial background, the two LED states, the
// title picture, the STOP button's picture and the window icon, which is also the icon of the
// desktop's menu.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace kestrav {

QPixmap dial_background_picture(); // 68 x 68, north up
QPixmap led_picture(bool on);      // 31 x 31
QPixmap title_picture();           // 33 x 35, a beam antenna
QPixmap stop_picture();            // 12 x 12, a stop sign
QIcon window_icon();               // 16, 32 and 48 pixels square: the application icon

// The application icon, size x size pixels: a beam antenna over a compass disc.
QImage application_icon_image(int size);

} // namespace kestrav
