#include "station/rotctld_service.h"

#include "station/station_session.h"

namespace kestrav {

namespace {

RotorService::Outcome outcome_of(RequestResult result) {
    switch (result) {
    case RequestResult::Done:
        return RotorService::Outcome::Done;
    case RequestResult::Refused:
        return RotorService::Outcome::Refused;
    case RequestResult::NotAvailable:
        return RotorService::Outcome::Unavailable;
    case RequestResult::NotDelivered:
        return RotorService::Outcome::Failed;
    case RequestResult::TimedOut:
        return RotorService::Outcome::TimedOut;
    }
    return RotorService::Outcome::Failed;
}

} // namespace

RotorService::Outcome RotctldService::go_to(double azimuth) {
    return outcome_of(
        session_.requestPosition(azimuth, QStringLiteral("P"), QStringLiteral("rotctld")));
}

RotorService::Outcome RotctldService::go_to_both(double azimuth, double elevation) {
    return outcome_of(session_.requestPosition(azimuth, QStringLiteral("P"),
                                               QStringLiteral("rotctld"), elevation));
}

void RotctldService::stop() {
    session_.requestStop();
}

RotorService::Outcome RotctldService::park() {
    return outcome_of(session_.requestPark(QStringLiteral("K"), QStringLiteral("rotctld")));
}

double RotctldService::position() {
    return session_.requestReportedAzimuth();
}

double RotctldService::elevation() {
    return session_.reportedElevation();
}

RotorService::Range RotctldService::range() const {
    const RotorRange scale = session_.range();
    Range range{scale.min, scale.max};
    if (session_.azEl()) {
        const ElevationRange heights = session_.elevationRange();
        range.az_el = true;
        range.min_elevation = heights.min;
        range.max_elevation = heights.max;
    }
    return range;
}

QString RotctldService::info() const {
    return rotctld_own_info();
}

} // namespace kestrav
