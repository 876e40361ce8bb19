#pragma once
// What the initialisation dialog needs of the main window: the shared station state, the
// desktop, the parallel port library, the status lines to rewrite, and the test azimuth to
// hand over and drop.

#include <QIcon>

namespace kestrav {

class Desktop;
class ParallelPortLibrary;
class StationSession;
struct StationState;

class InitDialogHost {
public:
    virtual ~InitDialogHost() = default;
    virtual StationState& dialogStation() = 0;
    virtual StationSession& dialogSession() = 0;
    virtual Desktop& dialogDesktop() = 0;
    // The library of the PourSat and FODTrack ports; null when there is none.
    virtual ParallelPortLibrary* dialogParallelPort() = 0;
    // The dialog is a window of its own: it does not inherit the main window's icon.
    virtual QIcon dialogIcon() const = 0;
    // The interface, its ports or its parking changed: the status lines are written again.
    virtual void interfaceChanged() = 0;
    // A test azimuth, sent at once through the selected interface whatever the minimum step.
    virtual void handOverTestAzimuth(int azimuth) = 0;
    // The dialog closes: a test command still pending is dropped.
    virtual void dropTestCommand() = 0;
};

} // namespace kestrav
