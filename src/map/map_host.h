#pragma once
// What the map window needs of the main window beside it: the station state and session, the
// DX station and the beam as the main window shows them, the DX station of a call sign, and
// word of every change the map follows.

#include "map/azimuthal_projection.h"

#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace kestrav {

class StationSession;
struct StationState;

// The DX station and the beam as the main window shows them.
struct MapDxView {
    bool has_dx = false; // a whole locator and both coordinates are shown
    GeoPoint dx;
    QString label; // the list entry it was chosen from, the call it was set by, or its locator
    QString call;  // the call it was set by (the map's call field, WSJT-X), else empty
    bool has_azimuth = false; // an azimuth is shown: the requested one is the beam
    bool long_path = false;
    bool miles = false;
};

class MapHost {
public:
    virtual ~MapHost() = default;
    // The window the map opens beside, takes its icon from, and shows and hides with.
    virtual QWidget& mapHostWindow() = 0;
    virtual StationState& mapStation() = 0;
    // A click on the map sets the DX station through it.
    virtual StationSession& mapSession() = 0;
    virtual MapDxView mapDxView() const = 0;
    // Sets the DX station at the country of a call sign, as when a list entry is chosen; a
    // call with no country is refused with the window's beep.
    virtual void placeDxCall(const QString& call) = 0;
    // Calls `changed` in `receiver`'s lifetime after every change that can move a station, the
    // azimuth, the long path or the unit.
    virtual void followMapChanges(QObject* receiver, std::function<void()> changed) = 0;
};

} // namespace kestrav
