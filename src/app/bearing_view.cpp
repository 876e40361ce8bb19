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
    const std::optional<DxBearing> b =
        session_.dxBearing(ui_.EditDXLocator->text(), ui_.CheckBoxLattitudeNordDX->isChecked(),
                           ui_.CheckBoxLongitudeEstDX->isChecked());
    if (!b)
        return;
    showBearing(b->short_path.azimuth, b->short_path.distance_km);
    if (b->long_path)
        showBearing(b->long_path->azimuth, b->long_path->distance_km);
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
    session_.setLongPath(!session_.longPath());
    ui_.SpeedButtonLP->setChecked(session_.longPath());
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
    if (!session_.miles())
        return;
    session_.setMiles(false);
    ui_.LabelDistance->setText(QStringLiteral("QRB = (km)"));
    ui_.EditDistance->setAccessibleName(distance_name(false, accessible_language(&window_)));
    if (!ui_.EditDistance->text().isEmpty())
        ui_.EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
}

void DxEntryView::showMiles() {
    ui_.MenuMile->setChecked(true);
    if (session_.miles())
        return;
    session_.setMiles(true);
    ui_.LabelDistance->setText(QStringLiteral("QRB = (mile)"));
    ui_.EditDistance->setAccessibleName(distance_name(true, accessible_language(&window_)));
    if (!ui_.EditDistance->text().isEmpty())
        ui_.EditDistance->setText(distance_text(state_.Distance, state_.DistanceFactor));
}

} // namespace kestrav
