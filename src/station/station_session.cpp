#include "station/station_session.h"

#include "geodesy/number_text.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

namespace kestrav {

DxPlacement place_dx_station(GeoPoint p) {
    DxPlacement placed;
    placed.north = p.latitude >= 0;
    placed.latitude_text = format_fixed(std::min(std::fabs(p.latitude), 89.99), 3);
    placed.latitude = read_number(placed.latitude_text).value_or(0);
    // The text, once rounded, is what the locator is made from.
    placed.longitude_text = format_fixed(std::fabs(p.longitude), 3);
    placed.longitude = read_number(placed.longitude_text).value_or(0);
    placed.east = p.longitude >= 0 && placed.longitude < 180;
    return placed;
}

StationSession::StationSession(QObject* parent) : QObject(parent) {}

RotorController& StationSession::buildRotor(const RotorSeams& seams) {
    rotor_ = new RotorController(state_, seams, this);
    connect(rotor_, &RotorController::commandHandedOver, this, &StationSession::handed_over);
    connect(rotor_, &RotorController::commandFailed, this, &StationSession::command_failed);
    return *rotor_;
}

std::optional<DxBearing> StationSession::dxBearing(const QString& dx_locator, bool north,
                                                   bool east) const {
    if (state_.LocalLocator.isEmpty() || dx_locator.isEmpty())
        return std::nullopt;
    DxBearing b;
    if (dx_locator != state_.LocalLocator) {
        b.short_path = great_circle_bearing(signed_degrees(state_.LocalLatitude, state_.LocalNorth),
                                            signed_degrees(state_.LocalLongitude, state_.LocalEast),
                                            signed_degrees(state_.DxLatitude, north),
                                            signed_degrees(state_.DxLongitude, east));
    }
    if (long_path_)
        b.long_path = long_path(b.short_path);
    return b;
}

AutoAction StationSession::autoAction(AzimuthChange change) const {
    if (!auto_)
        return AutoAction::Hold;
    // Each keystroke of "250" sent at once would turn the rotator to 2, 25 and 250.
    return change == AzimuthChange::Typed ? AutoAction::AfterPause : AutoAction::SendNow;
}

GoResult StationSession::go(Origin origin) {
    return rotor_->go(state_.RequestedAzimuth, origin);
}

void StationSession::stop(Origin origin) {
    rotor_->stop(origin);
}

void StationSession::placeDxStation(GeoPoint p, const std::optional<QString>& label,
                                    const QString& by, const QString& request) {
    const QScopedValueRollback<QString> outside(outside_request_,
                                                by.isEmpty() ? outside_request_ : request);
    const QScopedValueRollback<QString> who(outside_by_, by.isEmpty() ? outside_by_ : by);
    emit dxStationPlaced(place_dx_station(p), label);
}

void StationSession::placeDxLocator(const QString& locator, const QString& by,
                                    const QString& request) {
    const QScopedValueRollback<QString> outside(outside_request_, request);
    const QScopedValueRollback<QString> who(outside_by_, by);
    emit dxLocatorPlaced(locator);
}

// A command on its way ends the refusal shown; the status line names the program it went out
// for, until the operator's own goes.
void StationSession::handed_over(double azimuth) {
    const QString turned_by = outside_request_.isEmpty() || outside_by_.isEmpty()
                                  ? QString()
                                  : texts().turned_by.arg(outside_by_, format_general(azimuth, 15));
    if (outside_refusal_.isEmpty() && turned_by == turned_by_)
        return;
    outside_refusal_.clear();
    turned_by_ = turned_by;
    emit outsideRefusalChanged();
}

RotorRange StationSession::range() const {
    return rotor_->rotatorRange(state_.SelectedInterface);
}

bool StationSession::azEl() const {
    return rotor_->azEl(state_.SelectedInterface);
}

ElevationRange StationSession::elevationRange() const {
    return rotor_->elevationRange(state_.SelectedInterface);
}

double StationSession::reportedElevation() const {
    return azEl() ? rotor_->reportedElevation().value_or(0) : 0;
}

RequestResult StationSession::requestPosition(double requested, const QString& request,
                                              const QString& by, std::optional<double> elevation) {
    // What the field would show is what goes out.
    const double position = read_number(format_general(requested, 15)).value_or(requested);
    const QString named = QStringLiteral("%1 %2").arg(request, format_general(position, 15));
    const RotorRange scale = range();
    if (!scale.reaches(position)) {
        tell_outside_refusal(texts().client_refused.arg(
            named, texts().client_outside_range.arg(format_general(position, 15),
                                                    format_general(scale.min, 15),
                                                    format_general(scale.max, 15))));
        return RequestResult::Refused;
    }
    if (elevation && azEl()) {
        const double decided = read_number(format_general(*elevation, 15)).value_or(*elevation);
        const ElevationRange heights = elevationRange();
        if (!heights.reaches(decided)) {
            tell_outside_refusal(texts().client_refused.arg(
                named, texts().client_outside_range.arg(format_general(decided, 15),
                                                        format_general(heights.min, 15),
                                                        format_general(heights.max, 15))));
            return RequestResult::Refused;
        }
        rotor_->setElevation(decided);
        emit elevationRequested(decided);
    }
    rotor_->preferPosition(position);
    return turn(bearing_of_position(position), named, by);
}

RequestResult StationSession::requestPark(const QString& request, const QString& by) {
    if (!rotor_->parkingDue()) {
        tell_outside_refusal(texts().client_refused.arg(request, texts().client_no_parking));
        return RequestResult::NotAvailable;
    }
    const double azimuth = state_.ParkingAzimuth;
    if (!(azimuth >= 0 && azimuth < 360)) {
        tell_outside_refusal(texts().client_refused.arg(
            request, texts().client_outside_range.arg(format_general(azimuth, 15),
                                                      QStringLiteral("0"), QStringLiteral("360"))));
        return RequestResult::Refused;
    }
    // An azimuth-elevation rotator parks at the parking elevation too (within its reach), which
    // the window's field then shows.
    if (azEl()) {
        const double elevation = rotor_->parkingElevation();
        rotor_->setElevation(elevation);
        emit elevationRequested(elevation);
    }
    return turn(azimuth, request, by);
}

double StationSession::requestReportedAzimuth() {
    const std::optional<double> known = rotor_->reportedAzimuth();
    rotor_->askPosition();
    return known.value_or(0);
}

// GO as the other program's own; the azimuth then stands as if typed, unless it was refused
// (a refusal changes nothing).
RequestResult StationSession::turn(double azimuth, const QString& request, const QString& by) {
    GoResult result;
    {
        const QScopedValueRollback<QString> outside(outside_request_, request);
        const QScopedValueRollback<QString> who(outside_by_, by);
        result = rotor_->go(azimuth, Origin::Outside);
    }
    if (result.failure != GoFailure::Refused) {
        state_.RequestedAzimuth = azimuth;
        emit azimuthRequested(azimuth);
    }
    if (result.handedOver()) {
        if (!result.writeTimedOut)
            return RequestResult::Done;
        tell_outside_refusal(texts().client_refused.arg(request, texts().client_timed_out));
        return RequestResult::TimedOut;
    }
    switch (*result.failure) {
    case GoFailure::BelowMinimumStep:
        return RequestResult::Done; // the antenna is already there
    case GoFailure::Refused:
        return RequestResult::Refused;
    default:
        return RequestResult::NotDelivered;
    }
}

void StationSession::tell_outside_refusal(const QString& reason) {
    outside_refusal_ = reason;
    emit outsideRefusalChanged();
}

// Why another program's GO handed nothing over, in the window's language.
QString StationSession::failure_text(GoFailure failure, const QString& reason) const {
    QString why;
    switch (failure) {
    case GoFailure::Refused:
        why = texts().client_no_interface;
        break;
    case GoFailure::NoPort:
        why = texts().client_no_port;
        break;
    case GoFailure::ArswinNotRunning:
        why = state_.Messages.arswin_not_running;
        break;
    case GoFailure::NotDelivered:
    case GoFailure::NetworkFailed:
    case GoFailure::BelowMinimumStep:
        why = texts().client_not_delivered;
        break;
    }
    if (!reason.isEmpty())
        why += QStringLiteral(" (%1)").arg(reason);
    return texts().client_refused.arg(outside_request_, why);
}

// Another program is never beeped at nor shown a box: its failure waits in the status line.
// A step too small means the antenna is already there.
void StationSession::command_failed(GoFailure failure, const QString& reason) {
    if (outside_request_.isEmpty()) {
        emit commandFailed(failure, reason);
        return;
    }
    if (failure != GoFailure::BelowMinimumStep)
        tell_outside_refusal(failure_text(failure, reason));
}

} // namespace kestrav
