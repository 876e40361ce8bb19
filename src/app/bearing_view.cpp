// Azimuth and distance in the main window: the computation from the two stations, the long
// path, the distance unit, and the hand-over of each new azimuth.

#include "app/azimuth_panel.h"
#include "app/dx_entry_view.h"
#include "app/main_window.h"
#include "geodesy/bearing.h"
#include "geodesy/number_text.h"
#include "ui/accessible_names.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace kestrav {

namespace {

QString azimuth_text(double azimuth) {
    return format_fixed(azimuth, 1, 5);
}

QString distance_text(double km, double factor) {
    return format_fixed(km * factor, 1, 7);
}

} // namespace

void DxEntryView::computeBearing() {
    const QString dx_locator = ui_.EditDXLocator->text();
    if (state_.LocalLocator.isEmpty() || dx_locator.isEmpty())
        return;
    Bearing b;
    if (dx_locator != state_.LocalLocator) {
        b = great_circle_bearing(
            signed_degrees(state_.LocalLatitude, state_.LocalNorth),
            signed_degrees(state_.LocalLongitude, state_.LocalEast),
            signed_degrees(state_.DxLatitude, ui_.CheckBoxLattitudeNordDX->isChecked()),
            signed_degrees(state_.DxLongitude, ui_.CheckBoxLongitudeEstDX->isChecked()));
    }
    showBearing(b.azimuth, b.distance_km);
    if (long_path_) {
        const Bearing lp = long_path(b);
        showBearing(lp.azimuth, lp.distance_km);
    }
    azimuth_.applyAuto(azimuth_.placingOutsideDx() ? AzimuthChange::Outside
                                                   : AzimuthChange::Computed);
}

// Shows an azimuth and a distance and hands the azimuth on to the published item and the dial.
void DxEntryView::showBearing(double azimuth, double distance_km) {
    state_.RequestedAzimuth = azimuth;
    state_.Distance = distance_km;
    azimuth_.writeAzimuthText(azimuth_text(azimuth));
    azimuth_.publish(QString::number(round_half_even(azimuth)));
    ui_.EditDistance->setText(distance_text(distance_km, state_.DistanceFactor));
    azimuth_.redrawDial();
}

void DxEntryView::switchLongPath() {
    long_path_ = !long_path_;
    ui_.SpeedButtonLP->setChecked(long_path_);
    if (!ui_.EditAzimut->text().isEmpty()) {
        state_.RequestedAzimuth = reverse_azimuth(state_.RequestedAzimuth);
        azimuth_.writeAzimuthText(azimuth_text(state_.RequestedAzimuth));
        azimuth_.publish(QString::number(round_half_even(state_.RequestedAzimuth)));
        // While the operator types an azimuth by hand only the heading is reversed.
        if (!ui_.EditAzimut->hasFocus()) {
            state_.Distance = kCircumferenceKm - state_.Distance;
            ui_.EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
        }
        azimuth_.redrawDial();
    }
    azimuth_.applyAuto(AzimuthChange::LongPath);
}

void DxEntryView::showKm() {
    ui_.MenuKm->setChecked(true);
    if (!mile_)
        return;
    mile_ = false;
    ui_.LabelDistance->setText(QStringLiteral("QRB = (km)"));
    state_.DistanceFactor = 1;
    ui_.EditDistance->setAccessibleName(distance_name(false, accessible_language(&window_)));
    if (!ui_.EditDistance->text().isEmpty())
        ui_.EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
}

void DxEntryView::showMiles() {
    ui_.MenuMile->setChecked(true);
    if (mile_)
        return;
    mile_ = true;
    ui_.LabelDistance->setText(QStringLiteral("QRB = (mile)"));
    state_.DistanceFactor = kMilesPerKm;
    ui_.EditDistance->setAccessibleName(distance_name(true, accessible_language(&window_)));
    if (!ui_.EditDistance->text().isEmpty())
        ui_.EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
}

} // namespace kestrav
