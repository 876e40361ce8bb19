#pragma once
// The station being worked, without a window: the configuration the settings file holds, the
// rotor controller that turns the antenna, the azimuth asked for and AUTO. The main window and
// every other program turn the antenna through it; another program's request is told what
// became of it, and why it was refused or failed is kept, in the window's language, for the
// status line. The windows show what it signals.

#include "geodesy/bearing.h"
#include "map/azimuthal_projection.h"
#include "rotor/overlap.h"
#include "rotor/rotor_controller.h"
#include "setup/languages.h"
#include "station/station_state.h"

#include <QObject>
#include <QString>

#include <optional>

namespace kestrav {

// What became of another program's request.
enum class RequestResult {
    Done,         // handed over to the rotor interface, or the antenna is already there
    Refused,      // outside the rotor's range, or no interface chosen: nothing was sent
    NotAvailable, // parking asked for while none is set for the interface in use
    NotDelivered, // the interface could not be reached
    TimedOut,     // the serial line took only part of the command within its time-out
};

// Where a new azimuth came from, for AUTO's rule.
enum class AzimuthChange {
    Computed, // the bearing of a DX station the operator set (typed, chosen from a list)
    Outside,  // the bearing of a DX station another program or the map set
    Stepped,  // the up-down
    LongPath, // the long path switched
    Typed,    // a keystroke in the azimuth field
};

// What AUTO makes of a new azimuth.
enum class AutoAction {
    Hold,       // AUTO is up: the azimuth waits for GO
    SendNow,    // it goes to the rotor at once
    AfterPause, // it goes once typing pauses (or on Enter)
};

// A DX station placed by its position, as its fields show it: the magnitudes rounded to the
// fields' three decimals and the hemispheres. 180 E holds no locator; its twin 180 W does.
struct DxPlacement {
    QString latitude_text;
    QString longitude_text;
    double latitude = 0;
    double longitude = 0;
    bool north = true;
    bool east = true;
};

// The fields of a DX station at `p`; the latitude is kept below the pole a locator holds.
DxPlacement place_dx_station(GeoPoint p);

// The bearing and distance to the DX station: the short path, and the long path once it is
// chosen (shown after the short one).
struct DxBearing {
    Bearing short_path;
    std::optional<Bearing> long_path;
};

class StationSession : public QObject {
    Q_OBJECT
public:
    explicit StationSession(QObject* parent = nullptr);

    // The rotor controller is built once the seams are known (the window builds them).
    RotorController& buildRotor(const RotorSeams& seams);

    StationState& state() { return state_; }
    const StationState& state() const { return state_; }
    RotorController& rotor() { return *rotor_; }
    const RotorController& rotor() const { return *rotor_; }

    // The language of the texts kept for the status line.
    void setLanguage(UiLanguage language) { language_ = language; }

    // The bearing from the own station to the DX station whose locator is `dx_locator`, at
    // the state's DX latitude and longitude in the hemispheres given: none without both
    // stations, azimuth and distance 0 to the own station's own locator.
    std::optional<DxBearing> dxBearing(const QString& dx_locator, bool north, bool east) const;
    bool longPath() const { return long_path_; }
    void setLongPath(bool on) { long_path_ = on; }
    // Distances in miles rather than km.
    bool miles() const { return state_.DistanceFactor != 1; }
    void setMiles(bool on) { state_.DistanceFactor = on ? kMilesPerKm : 1; }

    // AUTO: every new azimuth goes to the rotor at once, a typed one once typing pauses.
    void setAuto(bool on) { auto_ = on; }
    bool autoOn() const { return auto_; }
    AutoAction autoAction(AzimuthChange change) const;

    // The operator's GO of the requested azimuth; a DX station another program set turns the
    // antenna as that program's request does (on a busy line the latest wins).
    GoResult go(Origin origin = Origin::Desk);
    void stop(Origin origin = Origin::Desk);

    // Another program's requests, with what became of them; `request` names each in the
    // status line ("K"; "P", which the position follows), and `by` the program, which the
    // status line names once the antenna turns for it ("Turned by N1MM: 55"). A position is on the
    // rotor's own scale (past 360 on a rotator with an overlap), decided once at the field's
    // resolution and refused outside the range of the interface in use. Unless refused, the azimuth
    // is then the requested one, as if typed (azimuthRequested).
    // An elevation turns an azimuth-elevation rotator too (refused outside its elevations, as
    // the window's field then shows it: elevationRequested); an azimuth rotator ignores it.
    RequestResult requestPosition(double position, const QString& request, const QString& by,
                                  std::optional<double> elevation = std::nullopt);
    // As the exit parks: only with parking set for the interface in use, and only to an
    // azimuth GO takes.
    RequestResult requestPark(const QString& request, const QString& by);
    void requestStop() { stop(Origin::Outside); }
    // Where the antenna is as far as is known, the rotor asked again so that the next answer
    // is fresh: its heading while fresh, else the last azimuth handed over, 0 before any.
    double requestReportedAzimuth();
    // The elevation likewise, read with the azimuth (no second question): 0 for an azimuth
    // rotator.
    double reportedElevation() const;
    // Whether the interface in use turns in elevation too, and how far.
    bool azEl() const;
    ElevationRange elevationRange() const;
    // The elevation GO sends with the azimuth (the window's field).
    void setElevation(double elevation) { rotor_->setElevation(elevation); }
    // The positions the interface in use reaches.
    RotorRange range() const;

    // Sets the DX station at a position found elsewhere (WSJT-X, a call's country, a click on
    // the map) as if the operator had typed its latitude and longitude: dxStationPlaced tells
    // the window, whose fields, locator, bearing, publication and AUTO follow. `label` names
    // it on the map while its locator stands; none (a click) leaves the label as it is.
    // Placed for another program (`by` and `request` named as for its requests), a failure of
    // the turn AUTO makes goes to the status line, never to a box at the desk.
    void placeDxStation(GeoPoint p, const std::optional<QString>& label = std::nullopt,
                        const QString& by = {}, const QString& request = {});
    // Sets the DX station by its locator (4, 6 or 8 characters) for another program, as if the
    // operator had typed it: dxLocatorPlaced tells the window.
    void placeDxLocator(const QString& locator, const QString& by, const QString& request);

    // Why another program's latest request was refused or failed, until a command goes out.
    const QString& outsideRefusal() const { return outside_refusal_; }
    // Which program asked for the last turn handed over, and where to ("Turned by N1MM: 55");
    // empty once the operator's own command went out.
    const QString& turnedBy() const { return turned_by_; }

signals:
    void dxStationPlaced(const kestrav::DxPlacement& placed, const std::optional<QString>& label);
    void dxLocatorPlaced(const QString& locator);
    // Another program's azimuth became the requested one, as if typed.
    void azimuthRequested(double azimuth);
    void elevationRequested(double elevation);
    // The refusal or the program that turned the antenna changed (the status line).
    void outsideRefusalChanged();
    // The operator's command failed (another program's failures go to outsideRefusal).
    void commandFailed(GoFailure failure, const QString& reason);

private:
    const LanguageTexts& texts() const { return language_texts(language_); }
    RequestResult turn(double azimuth, const QString& request, const QString& by);
    void handed_over(double azimuth);
    void tell_outside_refusal(const QString& reason);
    QString failure_text(GoFailure failure, const QString& reason) const;
    void command_failed(GoFailure failure, const QString& reason);

    StationState state_;
    RotorController* rotor_ = nullptr;
    UiLanguage language_ = UiLanguage::English;
    bool auto_ = false;
    bool long_path_ = false;
    QString outside_refusal_;
    QString outside_request_; // the other program's request under way, if any
    QString outside_by_;      // and that program
    QString turned_by_;
};

} // namespace kestrav
