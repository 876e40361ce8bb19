// Azimuth and distance in the main window: the computation from the two stations, the long
// path, the distance unit, and the hand-over of each new azimuth.

#include "ui/accessible_names.h"
#include "app/main_window.h"
#include "geodesy/bearing.h"
#include "geodesy/number_text.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace kestrav {

namespace {

double signed_degrees(double magnitude, bool positive) {
    return positive ? magnitude : -magnitude;
}

QString azimuth_text(double azimuth) {
    return format_fixed(azimuth, 1, 5);
}

QString distance_text(double km, double factor) {
    return format_fixed(km * factor, 1, 7);
}

} // namespace

void TForm1::compute_bearing() {
    const QString dx_locator = EditDXLocator->text();
    if (state_.LocalLocator.isEmpty() || dx_locator.isEmpty())
        return;
    Bearing b;
    if (dx_locator != state_.LocalLocator) {
        b = great_circle_bearing(
            signed_degrees(state_.LocalLatitude, state_.LocalNorth),
            signed_degrees(state_.LocalLongitude, state_.LocalEast),
            signed_degrees(state_.DxLatitude, CheckBoxLattitudeNordDX->isChecked()),
            signed_degrees(state_.DxLongitude, CheckBoxLongitudeEstDX->isChecked()));
    }
    show_bearing(b.azimuth, b.distance_km);
    if (long_path_) {
        const Bearing lp = long_path(b);
        show_bearing(lp.azimuth, lp.distance_km);
    }
    apply_auto(placing_outside_dx_ ? AzimuthChange::Outside : AzimuthChange::Computed);
}

// Shows an azimuth and a distance and hands the azimuth on to the published item and the dial.
void TForm1::show_bearing(double azimuth, double distance_km) {
    state_.RequestedAzimuth = azimuth;
    state_.Distance = distance_km;
    write_azimuth_text(azimuth_text(azimuth));
    publish_azimuth(QString::number(round_half_even(azimuth)));
    EditDistance->setText(distance_text(distance_km, state_.DistanceFactor));
    redraw_dial();
}

void TForm1::SpeedButtonLPClick() {
    long_path_ = !long_path_;
    SpeedButtonLP->setChecked(long_path_);
    if (!EditAzimut->text().isEmpty()) {
        state_.RequestedAzimuth = reverse_azimuth(state_.RequestedAzimuth);
        write_azimuth_text(azimuth_text(state_.RequestedAzimuth));
        publish_azimuth(QString::number(round_half_even(state_.RequestedAzimuth)));
        // While the operator types an azimuth by hand only the heading is reversed.
        if (!EditAzimut->hasFocus()) {
            state_.Distance = kCircumferenceKm - state_.Distance;
            EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
        }
        redraw_dial();
    }
    apply_auto(AzimuthChange::LongPath);
}

void TForm1::MenuKmClick() {
    MenuKm->setChecked(true);
    if (!mile_)
        return;
    mile_ = false;
    LabelDistance->setText(QStringLiteral("QRB = (km)"));
    state_.DistanceFactor = 1;
    EditDistance->setAccessibleName(distance_name(false, accessible_language(this)));
    if (!EditDistance->text().isEmpty())
        EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
}

void TForm1::MenuMileClick() {
    MenuMile->setChecked(true);
    if (mile_)
        return;
    mile_ = true;
    LabelDistance->setText(QStringLiteral("QRB = (mile)"));
    state_.DistanceFactor = kMilesPerKm;
    EditDistance->setAccessibleName(distance_name(true, accessible_language(this)));
    if (!EditDistance->text().isEmpty())
        EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
}

} // namespace kestrav
