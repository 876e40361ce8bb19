// The azimuth dial: a red needle from the centre toward the requested azimuth, north up,
// drawn over the dial background.

#include "app/main_window.h"

#include "geodesy/number_text.h"
#include <QLabel>

#include <QPainter>
#include <cmath>

namespace kestrav {

void TForm1::redraw_dial() {
    QPixmap picture = Image2->pixmap();
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(255, 0, 0), 2, Qt::SolidLine));
    // The needle's angle uses 3.14159, which is what the dial has always been drawn with.
    const double theta = state_.RequestedAzimuth * 3.14159 / 180;
    const int x = static_cast<int>(round_half_even(22 * std::sin(theta) + 34));
    const int y = static_cast<int>(round_half_even(34 - 22 * std::cos(theta)));
    painter.drawLine(34, 34, x, y);
    painter.end();
    Image1->setPixmap(picture);
}

} // namespace kestrav
