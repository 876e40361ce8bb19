// The azimuth dial: a red needle from the centre toward the requested azimuth, north up,
// drawn over the dial background, and the antenna's heading as a wider blue needle beneath
// it, so that the red one stays in view when the two agree.

#include "app/azimuth_panel.h"
#include "app/design_sizes.h"
#include "app/main_window.h"
#include "app/main_window_ui.h"
#include "azel/elevation_panel.h"

#include "geodesy/number_text.h"
#include "setup/languages.h"
#include <QLabel>

#include <QPainter>
#include <cmath>

namespace kestrav {

namespace {
// Outside the rose's ring, on the dial's rim: apart from the needles and the letters.
constexpr int kOverlapArcRadius = kDialRadius + 2;
} // namespace

void AzimuthPanel::redrawDial() {
    QPixmap picture = ui_.Image2->pixmap();
    QPainter painter(&picture);
    const auto tip = [](double angle) {
        return QPoint(
            static_cast<int>(round_half_even(kNeedleLength * std::sin(angle) + kDialCentre)),
            static_cast<int>(round_half_even(kDialCentre - kNeedleLength * std::cos(angle))));
    };
    // The antenna's real heading, when it is shown and known: a second needle, in blue.
    const std::optional<double> reading = controller_ ? controller_->heading() : std::nullopt;
    if (state_.ShowHeading && reading) {
        const double heading = *reading * 3.14159 / 180;
        const QColor blue(0, 0, 200);
        painter.setPen(QPen(blue, 4, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPoint(kDialCentre, kDialCentre), tip(heading));
        // Past north on a rotator with an overlap: an arc along the rim from north round to
        // the heading says the antenna went the long way past its 360.
        if (*reading > 360) {
            const int r = kOverlapArcRadius;
            painter.setPen(QPen(blue, 2, Qt::SolidLine, Qt::FlatCap));
            painter.drawArc(QRect(kDialCentre - r, kDialCentre - r, 2 * r, 2 * r), 90 * 16,
                            -static_cast<int>(std::lround((*reading - 360) * 16)));
        }
    }
    painter.setPen(QPen(QColor(255, 0, 0), 2, Qt::SolidLine));
    // The needle's angle uses 3.14159, which is what the dial has always been drawn with.
    const double theta = state_.RequestedAzimuth * 3.14159 / 180;
    painter.drawLine(QPoint(kDialCentre, kDialCentre), tip(theta));
    painter.end();
    ui_.Image1->setPixmap(picture);
    updateDialTooltip();
}

// The tooltip shows the heading to the eye; a screen reader reads both needles from the
// dial's description.
void AzimuthPanel::updateDialTooltip() {
    const bool french = window_.french();
    const UiLanguage language = french ? UiLanguage::French : UiLanguage::English;
    const std::optional<double> reading = controller_ ? controller_->heading() : std::nullopt;
    std::optional<QString> heading;
    if (state_.ShowHeading && reading)
        heading = format_fixed(*reading, 1);
    QString description = dial_description(format_fixed(state_.RequestedAzimuth, 1), heading,
                                           state_.ShowHeading, language);
    // An azimuth-elevation rotator's elevation is told beside its heading.
    const std::optional<QString> elevation =
        elevation_ != nullptr ? elevation_->dialTooltip() : std::nullopt;
    if (elevation_ != nullptr)
        description += elevation_->dialDescription().value_or(QString());
    if (ui_.Image1->accessibleDescription() != description)
        ui_.Image1->setAccessibleDescription(description);
    if (state_.ShowHeading && reading) {
        QString tip = QStringLiteral("%1°").arg(format_fixed(*reading, 1));
        if (elevation)
            tip += QStringLiteral(", ") + *elevation;
        ui_.Image1->setToolTip(tip);
    } else if (state_.ShowHeading) {
        ui_.Image1->setToolTip(
            language_texts(french ? UiLanguage::French : UiLanguage::English).no_reading);
    } else {
        ui_.Image1->setToolTip(QString());
    }
}

} // namespace kestrav
