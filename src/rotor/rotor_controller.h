#pragma once
// The rotator's policy without a window: which interface a command goes out on, the minimum
// step, the end-stop mapping, STOP, parking and the order of the shut-down, the antenna's
// heading asked of the rotator and how long a reading stays true, and the last azimuth sent,
// which are its own. It reads its configuration from the StationConfig the settings fill and
// tells the outside world by signals; the window shows what they mean (beeps, boxes, the LED,
// the status line).

#include "rotor/comm_port_driver.h"
#include "rotor/heading_protocol.h"
#include "rotor/lpt_sequence.h"
#include "rotor/overlap.h"
#include "rotor/rotor_link.h"
#include "rotor/rotor_types.h"
#include "settings/station_config.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace kestrav {

// The last azimuth sent before any was, or after STOP: far enough below every azimuth that
// the next command passes the step test whatever the minimum step.
inline constexpr double kNothingSent = -10;

class ParallelPortLibrary;
class SerialPacer;
class TCommPortDriver;
class WindowMessages;

// Why a GO handed nothing over.
enum class GoFailure {
    Refused,          // no interface chosen, or the azimuth is outside 0 to 360
    BelowMinimumStep, // closer than the interface's minimum step to the last azimuth sent
    NoPort,           // no parallel port for it, or the serial port cannot be opened
    NotDelivered,     // the write or the post did not reach the rotator
    ArswinNotRunning, // the outside rotator program has no window
    NetworkFailed,    // rotctld failed the command, told after the fact
};

// What became of one GO, for whoever asked for it.
struct GoResult {
    std::optional<GoFailure> failure; // none: handed over (to rotctld: queued, told later)
    QString reason;
    // Handed over, but the serial line took only part of the command within its time-out.
    bool writeTimedOut = false;

    bool handedOver() const { return !failure; }
    explicit operator bool() const { return handedOver(); }
};

// What the controller drives. The two serial ports and the network link become its children;
// the parallel port library and the window messages stay their owner's. Any may be null
// except the serial ports and the link.
struct RotorSeams {
    TCommPortDriver* gs232 = nullptr;
    TCommPortDriver* easycomm = nullptr;
    ParallelPortLibrary* parallel_port = nullptr;
    WindowMessages* window_messages = nullptr;
    RotorLink* network = nullptr;
    PauseFunction pause = pause_milliseconds;     // the FODTrack pacing
    MillisecondClock clock = steady_milliseconds; // the serial lines' pacing
};

// Who asked for a GO: the operator at the desk (the window's own GO, AUTO, parking), whose
// commands all go out in their order, or another program, whose requests coalesce on a busy
// line (the latest wins).
enum class Origin { Desk, Outside };

class RotorController : public QObject {
    Q_OBJECT
public:
    RotorController(StationConfig& config, const RotorSeams& seams, QObject* parent = nullptr);

    // GO to `azimuth` on the selected interface: refused without an interface or outside
    // 0 to 360, dropped within the minimum step of the last position sent, else handed over.
    // Returns what became of it; commandHandedOver or commandFailed says the same. On a
    // rotator with an overlap and no fresh heading, the rotator is asked where it is first and
    // the command follows the answer (or, without one, kPositionWaitMilliseconds later).
    // On an azimuth-elevation rotator the elevation set goes with it, refused outside the
    // rotator's elevations; each axis has its own minimum step, and a command goes when either
    // axis passes its step.
    GoResult go(double azimuth, Origin origin = Origin::Desk);
    // The elevation every GO sends to an azimuth-elevation rotator.
    void setElevation(double elevation) { elevation_ = elevation; }
    double elevation() const { return elevation_; }
    // Whether the interface's rotator turns in elevation too, and how far.
    bool azEl(RotorInterface which) const;
    ElevationRange elevationRange(RotorInterface which) const;
    // The next GO sends `position` on the rotator's own scale (360 to 450 on a rotator with
    // an overlap, 360 for north at the end stop of a 0 to 360 rotator) when its rotator
    // reaches it and it points to that GO's azimuth, rather than the position the heading
    // chooses. Any GO forgets it.
    void preferPosition(double position) { preferred_position_ = position; }
    // STOP: the stop command of every interface that has one, ahead of anything waiting, the
    // ports closed. The next command goes out whatever the minimum step. STOPs of other
    // programs that come in a burst count once.
    void stop(Origin origin = Origin::Desk);
    // The next command goes out whatever the minimum step.
    void forgetLastSent() { setLastSent(kNothingSent); }
    // The last azimuth handed over that the minimum step compares with; kNothingSent before
    // any and after STOP.
    double lastSentAzimuth() const { return last_sent_azimuth_; }
    // The step test then compares with `azimuth` (kNothingSent: with nothing).
    void setLastSent(double azimuth) {
        last_sent_azimuth_ = azimuth;
        last_sent_position_.reset();
        if (azimuth == kNothingSent)
            last_sent_elevation_ = kNothingSent;
    }
    void closeSerialPorts();

    // Whether the antenna is parked at exit: a parking azimuth set for the interface in use.
    bool parkingDue() const;
    // GO to the parking azimuth when parking is due; false otherwise.
    bool park();
    // Where an azimuth-elevation rotator parks in elevation: the setting, within its reach.
    double parkingElevation() const;
    // The shut-down in its order: beginShutDown drops a parking set for another interface
    // (it is not kept for the next run) and stops; then the owner parks; finishShutDown gives
    // the parallel port back and sends the final stops, except to the interface that parks so
    // that it completes the move, and closes every connection.
    void beginShutDown();
    void finishShutDown();

    // The antenna's heading: asked once a second of the interface in use while shown, the
    // serial port opened for it if need be.
    void setShowHeading(bool show);
    // Starts the asking when the settings file asked for the heading.
    void resumeHeadingPolling();
    void pollHeading();
    // Asks the rotator where it is, whether or not the heading is shown (a client of the
    // hub reading the position): false when the interface cannot tell.
    bool askPosition();
    void headingReceived(double degrees);
    void headingExpired();
    // The antenna's heading while a reading is fresh, shown or not.
    std::optional<double> heading() const { return heading_; }
    // Where the antenna points as far as is known: its heading while fresh, else the last
    // azimuth handed over (STOP does not forget it); nothing before the first command.
    std::optional<double> reportedAzimuth() const;
    // The same of the elevation of an azimuth-elevation rotator: its reading while fresh, else
    // the last elevation handed over.
    void elevationReceived(double degrees);
    std::optional<double> reportedElevation() const;
    // The rotator's elevation reading while fresh, as heading() is the azimuth's.
    std::optional<double> elevationReading() const { return reported_elevation_; }

    // The positions the interface's rotator reaches: 0 to 360 unless its range is wider.
    RotorRange rotatorRange(RotorInterface which) const;

    TCommPortDriver* serialPort(RotorInterface which) const;
    RotorLink* networkLink() const { return link_; }

    static constexpr int kHeadingPeriodMilliseconds = 1000;
    // A reading older than this is no longer the antenna's heading: STOP, a port closed or a
    // rotator that stopped answering.
    static constexpr int kHeadingLifeMilliseconds = static_cast<int>(kHeadingFreshSeconds * 1000);
    // How long the exit waits for the parking turn or the stop to reach rotctld.
    static constexpr int kNetworkFinishMilliseconds = 2000;
    // How long a command that needs the heading waits for the rotator to tell it.
    static constexpr int kPositionWaitMilliseconds = 2000;

signals:
    // The text about to go out on `which`: the command, the byte or the number posted ("-1"
    // for the outside program's stop).
    void commandText(RotorInterface which, const QString& text);
    void commandHandedOver(double azimuth);
    void commandFailed(GoFailure failure, const QString& reason);
    void stopped();
    // A new reading, or none when it went stale or the heading was switched on or off.
    void headingChanged(std::optional<double> heading);
    // The same of an azimuth-elevation rotator's elevation.
    void elevationChanged(std::optional<double> elevation);

private:
    bool send();
    bool take_step(RotorInterface which, std::optional<double> position = std::nullopt);
    double overlap_target(double bearing, const RotorRange& range,
                          std::optional<double> preferred) const;
    // Whether a command must wait for the rotator's heading: its range has an overlap, no
    // reading is fresh and no position was asked for.
    bool needs_heading(const RotorRange& range, double bearing,
                       std::optional<double> preferred) const;
    bool fail(GoFailure failure, const QString& reason = {});
    bool open_serial(RotorInterface which);
    bool serial_output(RotorInterface which);
    bool serial_turn(RotorInterface which, double bearing, std::optional<double> preferred);
    bool lpt_output(RotorInterface which);
    bool ea4tx_output();
    bool network_output();
    bool network_turn(double bearing, std::optional<double> preferred, bool both);
    void network_range_received();
    // The turn waiting for rotctld's range or for the heading goes now, as things stand.
    void release_pending();
    void arswin_stop();
    void serial_stop(RotorInterface which, const QByteArray& command);
    void close_serial(RotorInterface which);
    SerialPacer* pacer(RotorInterface which) const;
    void network_stop();
    void network_failed(const QString& reason);

    StationConfig& config_;
    // The azimuth of the command under way, on the rotator's scale once mapped.
    double command_azimuth_ = 0;
    double last_sent_azimuth_ = kNothingSent;
    double elevation_ = 0;
    double last_sent_elevation_ = kNothingSent;
    std::optional<double> reported_elevation_; // while fresh, as the heading
    std::optional<double> last_handed_over_elevation_;
    std::optional<double> heading_; // while a reading is fresh
    TCommPortDriver* gs232_;
    TCommPortDriver* easycomm_;
    ParallelPortLibrary* parallel_port_;
    WindowMessages* window_messages_;
    RotorLink* link_;
    PauseFunction pause_;
    QTimer* heading_timer_;
    QTimer* heading_stale_timer_;
    AnswerLines gs232_answers_;
    AnswerLines easycomm_answers_;
    std::optional<double> last_handed_over_; // kept through STOP, unlike the step test's
    // The position last sent on a rotator's own scale, where it differs from the bearing
    // (past 360, or 360 for north at the end stop); the step test compares these.
    std::optional<double> last_sent_position_;
    std::optional<double> preferred_position_;
    // A turn waiting for rotctld's range or for the rotator's heading: its interface, the
    // bearing and the position asked for it, if any.
    struct PendingTurn {
        RotorInterface which;
        double bearing;
        std::optional<double> preferred;
        bool needsRange = false;
        bool replaceable = false;
        // Both axes were asked for: the rotator was known to turn in elevation at the GO. One
        // found to do so only once the range has come keeps its elevation.
        bool both = false;
    };
    std::optional<PendingTurn> pending_;
    QTimer* position_wait_timer_;
    GoResult result_;          // what the GO under way has come to
    bool replaceable_ = false; // the GO under way is another program's request
    bool stop_burst_ = false;  // stopped in this turn of the event loop, nothing sent since
    SerialPacer* gs232_pacer_ = nullptr;
    SerialPacer* easycomm_pacer_ = nullptr;
    bool shutting_down_ = false;
};

} // namespace kestrav
