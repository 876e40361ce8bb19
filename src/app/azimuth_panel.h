#pragma once
// The azimuth side of the main window: the requested azimuth field and its typing pause, the
// up-down, GO and STOP, the LED and its timers, the raw output display, the dial with the
// antenna's heading, and the azimuth published to other programs. What goes to the rotator is
// the session's business; this part reads the widgets, calls it and shows what it tells.

#include "station/station_session.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace kestrav {

class DdeServer;
class ElevationPanel;
struct MainWindowUi;
class TForm1;

// A QObject only to end its connections to the controller and the session when it goes.
class AzimuthPanel final : public QObject {
public:
    // `dde_server` publishes the azimuth (none: it is only kept).
    AzimuthPanel(TForm1& window, MainWindowUi& ui, StationSession& session, DdeServer* dde_server);

    // The BEAM group's azimuth, dial, LP and distance, and the command panel, in `client`.
    void buildBeamGroup(QWidget* client);
    void buildCommandPanel(QWidget* client);
    // "Show antenna heading" under "&Unit", checked as the settings file says.
    void buildHeadingMenu();
    // Shows what the rotor controller tells: the text going out, the LED, failures, heading.
    void showRotor(RotorController& controller);

    // The field's handler, for the operator's keystrokes and the program's own texts alike.
    void azimuthEdited();
    void returnPressed();
    void typingPaused();
    void stepped();
    void go();
    void blink();
    void trackingEnded() { setTrackingIndication(false); }
    void toggleRawDisplay();
    // Parking at exit goes through GO as the operator's command does.
    void park();
    void handOverTestAzimuth(int azimuth);
    bool testCommandPending() const { return test_command_pending_; }
    void dropTestCommand() { test_command_pending_ = false; }

    // The program's text replaces what the operator was typing; `always_handle` runs the
    // field's handler also when the text stays the same.
    void writeAzimuthText(const QString& text, bool always_handle = false);
    void publish(const QString& text);
    const QString& published() const { return published_azimuth_; }
    void redrawDial();
    void updateDialTooltip();
    // AUTO's rule applied to a new azimuth: GO when it goes at once.
    void applyAuto(AzimuthChange change);
    // While `place` runs, a DX station from outside (WSJT-X, the map) is being set: its
    // bearing is no entry of the operator's, and GO sends it as another program's request.
    void placeFromOutside(const std::function<void()>& place);
    bool placingOutsideDx() const { return placing_outside_dx_; }
    // The failure of rotctld shown in the status line until the next command.
    const QString& networkError() const { return network_error_; }
    // The elevation of an azimuth-elevation rotator: GO asks it too, the dial tells its reading.
    void setElevationPanel(ElevationPanel* elevation) { elevation_ = elevation; }

private:
    bool refuseAzimuthKeystroke();
    void setTrackingIndication(bool on);
    void showCommandText(RotorInterface which, const QString& text);
    void commandFailed(GoFailure failure, const QString& reason);
    void showRequestedAzimuth(double azimuth);
    void showHeading(std::optional<double> heading);

    TForm1& window_;
    MainWindowUi& ui_;
    StationSession& session_;
    DdeServer* dde_server_;
    StationState& state_;                   // the session's
    RotorController* controller_ = nullptr; // none until the window has built it
    QString network_error_;
    QString published_azimuth_;
    bool raw_output_display_ = false;
    QString saved_azimut_caption_;
    bool test_command_pending_ = false;
    bool writing_azimuth_ = false; // writeAzimuthText is running the field's handler
    bool placing_outside_dx_ = false;
    ElevationPanel* elevation_ = nullptr;
    bool parking_ = false; // park() is sending the parking position
};

} // namespace kestrav
