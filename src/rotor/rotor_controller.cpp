#include "rotor/rotor_controller.h"

#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "rotor/parallel_port.h"
#include "rotor/rotor_protocol.h"
#include "rotor/serial_pacer.h"
#include "rotor/window_messages.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace kestrav {

namespace {

// The outside program's window is known by its class and title, both matched exactly.
WindowHandle arswin_window(WindowMessages* messages) {
    if (!messages)
        return 0;
    return messages->FindWindow(QStringLiteral("ThunderForm"), QStringLiteral("ARSWIN"));
}

// The message is registered anew for every post, as the receiver may have been restarted in
// between; on X11 the registration is a cached atom and costs nothing.
bool post_azimuth(WindowMessages& messages, WindowHandle window, long long wparam) {
    const std::uint32_t message = messages.RegisterWindowMessage(QStringLiteral("AZIMUTH"));
    return messages.PostMessage(window, message, wparam, 0);
}

// A position asked for decides where a bearing goes when the rotator reaches it and it points
// that way.
bool preferred_decides(const RotorRange& range, double bearing, std::optional<double> preferred) {
    return preferred && range.reaches(*preferred) &&
           std::fabs(std::remainder(*preferred - bearing, 360)) < 1e-9;
}

// The interfaces whose rotator can tell where it is.
bool reports_position(RotorInterface which) {
    return which == RotorInterface::Gs232 || which == RotorInterface::EasyComm ||
           which == RotorInterface::Network;
}

} // namespace

RotorController::RotorController(StationConfig& config, const RotorSeams& seams, QObject* parent)
    : QObject(parent), config_(config), gs232_(seams.gs232), easycomm_(seams.easycomm),
      parallel_port_(seams.parallel_port), window_messages_(seams.window_messages),
      link_(seams.network), pause_(seams.pause), heading_timer_(new QTimer(this)),
      heading_stale_timer_(new QTimer(this)), position_wait_timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("RotorController"));
    gs232_->setParent(this);
    easycomm_->setParent(this);
    gs232_pacer_ = new SerialPacer(*gs232_, seams.clock, this);
    easycomm_pacer_ = new SerialPacer(*easycomm_, seams.clock, this);
    link_->setParent(this);
    connect(link_, &RotorLink::failed, this, &RotorController::network_failed);
    connect(link_, &RotorLink::headingReceived, this, &RotorController::headingReceived);
    connect(link_, &RotorLink::elevationReceived, this, &RotorController::elevationReceived);
    connect(link_, &RotorLink::rangeReceived, this, &RotorController::network_range_received);

    heading_timer_->setObjectName(QStringLiteral("TimerHeading"));
    heading_timer_->setInterval(kHeadingPeriodMilliseconds);
    connect(heading_timer_, &QTimer::timeout, this, &RotorController::pollHeading);
    heading_stale_timer_->setObjectName(QStringLiteral("TimerHeadingStale"));
    heading_stale_timer_->setSingleShot(true);
    heading_stale_timer_->setInterval(kHeadingLifeMilliseconds);
    connect(heading_stale_timer_, &QTimer::timeout, this, &RotorController::headingExpired);
    position_wait_timer_->setObjectName(QStringLiteral("TimerPositionWait"));
    position_wait_timer_->setSingleShot(true);
    position_wait_timer_->setInterval(kPositionWaitMilliseconds);
    connect(position_wait_timer_, &QTimer::timeout, this, &RotorController::release_pending);

    // Answers of the serial controllers, read by their ports' poll timers.
    const auto answers = [this](AnswerLines& lines, auto parse) {
        return [this, &lines, parse](TCommPortDriver*, const char* data, std::int32_t size) {
            for (const QByteArray& line : lines.feed(QByteArrayView(data, size))) {
                if (const std::optional<double> degrees = parse.first(line))
                    headingReceived(*degrees);
                if (azEl(config_.SelectedInterface)) {
                    if (const std::optional<double> degrees = parse.second(line))
                        elevationReceived(*degrees);
                }
            }
        };
    };
    gs232_->setOnReceiveData(
        answers(gs232_answers_, std::pair{&parse_gs232_heading, &parse_gs232_elevation}));
    easycomm_->setOnReceiveData(
        answers(easycomm_answers_, std::pair{&parse_easycomm_heading, &parse_easycomm_elevation}));
}

TCommPortDriver* RotorController::serialPort(RotorInterface which) const {
    return which == RotorInterface::Gs232 ? gs232_ : easycomm_;
}

GoResult RotorController::go(double azimuth, Origin origin) {
    const auto forget_preferred = qScopeGuard([this] { preferred_position_.reset(); });
    result_ = GoResult{};
    replaceable_ = origin == Origin::Outside;
    stop_burst_ = false;
    const RotorInterface which = config_.SelectedInterface;
    if (which == RotorInterface::None || !(azimuth >= 0 && azimuth < 360) ||
        (azEl(which) && !elevationRange(which).reaches(elevation_))) {
        fail(GoFailure::Refused);
        return result_;
    }
    command_azimuth_ = azimuth;
    // North asked for as 360 on a 0 to 360 rotator stopped at north: the end at 360, not the
    // opposite end stop at 0 (the step test and the output then see 360).
    if (preferred_position_ == 360.0 && azimuth == 0 && rotatorRange(which).northToNorth() &&
        config_.stop_side(which) == StopSide::N)
        command_azimuth_ = 360;
    if (!send())
        return result_;
    last_handed_over_ = azimuth;
    if (azEl(which))
        last_handed_over_elevation_ = elevation_;
    emit commandHandedOver(azimuth);
    return result_;
}

bool RotorController::fail(GoFailure failure, const QString& reason) {
    result_.failure = failure;
    result_.reason = reason;
    emit commandFailed(failure, reason);
    return false;
}

bool RotorController::send() {
    switch (config_.SelectedInterface) {
    case RotorInterface::Gs232:
    case RotorInterface::EasyComm:
        return serial_output(config_.SelectedInterface);
    case RotorInterface::Ea4tx:
        return ea4tx_output();
    case RotorInterface::PourSat:
    case RotorInterface::FodTrack:
        return lpt_output(config_.SelectedInterface);
    case RotorInterface::Network:
        return network_output();
    case RotorInterface::None:
        break;
    }
    return false;
}

// The step test every output begins with: a command closer than the interface's minimum step
// to the last one sent is dropped; otherwise it becomes the last one sent, before any end-stop
// mapping and whether or not the sending then succeeds. A rotator with an overlap is compared
// by the positions sent (400 and 40 are the same bearing and a whole turn apart).
bool RotorController::take_step(RotorInterface which, std::optional<double> position) {
    const int step = config_.min_step(which);
    const bool passes = position && last_sent_position_ && last_sent_azimuth_ != kNothingSent
                            ? passes_min_step(*position, *last_sent_position_, step)
                            : passes_min_step(command_azimuth_, last_sent_azimuth_, step);
    const bool elevation_passes =
        azEl(which) && passes_min_step(elevation_, last_sent_elevation_, config_.ElevationStep);
    if (!passes && !elevation_passes)
        return fail(GoFailure::BelowMinimumStep);
    last_sent_azimuth_ = command_azimuth_;
    last_sent_position_ = position;
    if (azEl(which))
        last_sent_elevation_ = elevation_;
    return true;
}

bool RotorController::needs_heading(const RotorRange& range, double bearing,
                                    std::optional<double> preferred) const {
    if (range.northToNorth() || heading_)
        return false;
    if (preferred_decides(range, bearing, preferred))
        return false;
    // Only a bearing reached two ways needs it.
    int ways = 0;
    for (const double candidate : {bearing, bearing - 360, bearing + 360})
        ways += range.reaches(candidate) ? 1 : 0;
    return ways > 1;
}

// The serial port of an interface, opened on its configured device if it is closed. The
// other serial interface's port, left open by its questions before the interface changed, may
// hold the very device: it is closed first (closing writes nothing).
bool RotorController::open_serial(RotorInterface which) {
    close_serial(which == RotorInterface::Gs232 ? RotorInterface::EasyComm : RotorInterface::Gs232);
    TCommPortDriver* driver = serialPort(which);
    if (driver->IsOpen())
        return true;
    driver->setComPort(which == RotorInterface::Gs232 ? config_.Gs232Com : config_.EasyCommCom);
    return driver->OpenPort();
}

// GS232 and EasyComm: one command text on a serial port opened by the first command and kept
// open until STOP, the end of a test, the dialog or exit. On a rotator with an overlap and no
// fresh heading, the heading is asked first and the command waits for it.
bool RotorController::serial_output(RotorInterface which) {
    const RotorRange range = rotatorRange(which);
    if (range.northToNorth())
        return serial_turn(which, command_azimuth_, std::nullopt);
    const double bearing = command_azimuth_;
    if (!needs_heading(range, bearing, preferred_position_))
        return serial_turn(which, bearing, preferred_position_);
    if (!open_serial(which))
        return fail(GoFailure::NoPort, serialPort(which)->openFailure());
    pending_ = PendingTurn{which, bearing, preferred_position_, false, replaceable_};
    pacer(which)->ask(which == RotorInterface::Gs232 ? gs232_heading_query()
                                                     : easycomm_heading_query());
    position_wait_timer_->start();
    return true;
}

bool RotorController::serial_turn(RotorInterface which, double bearing,
                                  std::optional<double> preferred) {
    const bool gs232 = which == RotorInterface::Gs232;
    TCommPortDriver* driver = serialPort(which);
    const RotorRange range = rotatorRange(which);
    command_azimuth_ = bearing;
    if (range.northToNorth()) {
        if (!take_step(which))
            return false;
        command_azimuth_ = map_stop_side(command_azimuth_, config_.stop_side(which));
    } else {
        const double position = overlap_target(bearing, range, preferred);
        if (!take_step(which, position))
            return false;
        command_azimuth_ = position;
    }

    if (!open_serial(which))
        return fail(GoFailure::NoPort, driver->openFailure());
    const int n = static_cast<int>(round_half_even(command_azimuth_));
    const int e = static_cast<int>(round_half_even(elevation_));
    const QByteArray text = azEl(which)
                                ? (gs232 ? gs232_azel_command(n, e) : easycomm_azel_command(n, e))
                            : gs232 ? gs232_turn_command(n)
                                    : easycomm_turn_command(n);
    emit commandText(which, QString::fromLatin1(text));
    // At exit no event loop is left to pace anything: the parking command is written now,
    // waiting at most the port's time-out.
    const auto size = static_cast<std::int32_t>(text.size());
    const bool taken = shutting_down_
                           ? driver->WriteBytes(text.constData(), size) == size
                           : pacer(which)->send(text, replaceable_) != SerialPacer::Sent::Refused;
    // A device that went away during the write (an adapter pulled out) has been closed by
    // the port component: the command did not reach the rotator.
    if (!driver->IsOpen())
        return fail(GoFailure::NotDelivered);
    // A line that takes nothing now (stopped by its flow control): the window goes on as if
    // sent, its own command going once the line takes it, but another program is told, and
    // its request given up.
    result_.writeTimedOut = !taken;
    if (!taken && replaceable_)
        pacer(which)->reset();
    return true;
}

// PourSat and FODTrack: the azimuth as one calibrated byte, handed to the rotator interface
// by a fixed sequence of register writes on the chosen parallel port.
bool RotorController::lpt_output(RotorInterface which) {
    const bool poursat = which == RotorInterface::PourSat;
    // A port whose address is 0 does not exist (or no port is chosen): nothing may be written
    // to I/O addresses 0 and 2, so it is refused like a missing choice.
    const std::uint16_t base =
        lpt_base_address(config_.LptAddresses, poursat ? config_.PourSatLpt : config_.FodTrackLpt);
    if (parallel_port_ == nullptr || base == 0)
        return fail(GoFailure::NoPort);
    if (!take_step(which))
        return false;
    command_azimuth_ = map_stop_side(command_azimuth_, config_.stop_side(which));

    const int value =
        poursat ? lpt_output_value(command_azimuth_, config_.PourSatZero, config_.PourSatCalAz)
                : lpt_output_value(command_azimuth_, config_.FodTrackZero, config_.FodTrackCalAz);
    emit commandText(which, QString::number(value));
    // The FODTrack pauses block the caller for about 80 ms, as the interface needs.
    run_lpt_sequence(*parallel_port_, base, lpt_sequence(which), value, pause_);

    std::array<char, kLastStateBufferSize> outcome{};
    parallel_port_->GetLastState(outcome.data());
    outcome.back() = '\0';
    if (std::strstr(outcome.data(), "succes") == nullptr)
        return fail(GoFailure::NotDelivered, QString::fromLatin1(outcome.data()));
    return true;
}

// EA4TX: the azimuth posted to the outside rotator program's window as a registered message.
// Nothing is read back, so a post the desktop accepted counts as sent.
bool RotorController::ea4tx_output() {
    if (!take_step(RotorInterface::Ea4tx))
        return false;
    // The outside program always gets the true azimuth: its end stop is its own business, so
    // the EA4TX stop side is stored but never applied.
    const long long n = std::max(0LL, round_half_even(command_azimuth_));
    emit commandText(RotorInterface::Ea4tx, QString::number(n));
    const WindowHandle window = arswin_window(window_messages_);
    if (!window)
        return fail(GoFailure::ArswinNotRunning);
    if (!post_azimuth(*window_messages_, window, n))
        return fail(GoFailure::NotDelivered);
    return true;
}

// Network: the azimuth to rotctld, whose backend knows its rotator's end stop, so the true
// azimuth goes out. What goes wrong there is told later through network_failed. With the
// range rotctld reports, the first turn of a connection waits for the range to be read, except
// at exit, when no answer could be read any more.
bool RotorController::network_output() {
    link_->setAddress(config_.NetworkHost, static_cast<quint16>(config_.NetworkPort));
    pending_.reset();
    position_wait_timer_->stop();
    const double bearing = command_azimuth_;
    if (config_.NetworkRange == RangeChoice::Reported && !link_->reportedRange() &&
        !shutting_down_) {
        pending_ = PendingTurn{.which = RotorInterface::Network,
                               .bearing = bearing,
                               .preferred = preferred_position_,
                               .needsRange = true,
                               .replaceable = replaceable_,
                               .both = azEl(RotorInterface::Network)};
        link_->askRange();
        return true;
    }
    const RotorRange range = rotatorRange(RotorInterface::Network);
    if (!shutting_down_ && needs_heading(range, bearing, preferred_position_)) {
        pending_ = PendingTurn{.which = RotorInterface::Network,
                               .bearing = bearing,
                               .preferred = preferred_position_,
                               .needsRange = false,
                               .replaceable = replaceable_,
                               .both = azEl(RotorInterface::Network)};
        link_->askHeading();
        position_wait_timer_->start();
        return true;
    }
    return network_turn(bearing, preferred_position_, azEl(RotorInterface::Network));
}

bool RotorController::network_turn(double bearing, std::optional<double> preferred, bool both) {
    command_azimuth_ = bearing;
    const RotorRange range = rotatorRange(RotorInterface::Network);
    const double position = overlap_target(bearing, range, preferred);
    // On the 0 to 360 scale the bearing is the position (360 aside, which go() has set).
    if (!take_step(RotorInterface::Network,
                   range.northToNorth() ? std::nullopt : std::optional(position)))
        return false;
    command_azimuth_ = position;
    const long long tenths = round_half_even(command_azimuth_ * 10);
    if (both && azEl(RotorInterface::Network)) {
        const long long elevation_tenths = round_half_even(elevation_ * 10);
        emit commandText(
            RotorInterface::Network,
            QString::fromLatin1(rotctld_turn_command(tenths, elevation_tenths).chopped(1)));
        link_->turnBoth(tenths, elevation_tenths);
        return true;
    }
    emit commandText(RotorInterface::Network,
                     QString::fromLatin1(link_->turnCommand(tenths).chopped(1)));
    link_->turn(tenths);
    return true;
}

// The range has come: the waiting turn goes, or first asks the heading when the range turns
// out to have an overlap.
void RotorController::network_range_received() {
    if (!pending_ || pending_->which != RotorInterface::Network || !pending_->needsRange)
        return;
    pending_->needsRange = false;
    if (needs_heading(rotatorRange(RotorInterface::Network), pending_->bearing,
                      pending_->preferred)) {
        link_->askHeading();
        position_wait_timer_->start();
        return;
    }
    release_pending();
}

void RotorController::release_pending() {
    position_wait_timer_->stop();
    if (!pending_)
        return;
    const PendingTurn turn = *pending_;
    pending_.reset();
    if (turn.which != config_.SelectedInterface)
        return;
    result_ = GoResult{};
    replaceable_ = turn.replaceable;
    if (turn.which == RotorInterface::Network)
        network_turn(turn.bearing, turn.preferred, turn.both);
    else
        serial_turn(turn.which, turn.bearing, turn.preferred);
}

void RotorController::network_failed(const QString& reason) {
    if (pending_ && pending_->which == RotorInterface::Network) {
        pending_.reset();
        position_wait_timer_->stop();
    }
    emit commandFailed(GoFailure::NetworkFailed, reason);
}

// A stopped antenna stands anywhere between the last azimuth sent and where it came from:
// the next command goes out whatever the minimum step.
void RotorController::stop(Origin origin) {
    // A burst of STOPs from other programs within one turn of the event loop, nothing sent in
    // between, is one STOP: the outside program's window is looked for once.
    if (origin == Origin::Outside && stop_burst_)
        return;
    if (!stop_burst_) {
        stop_burst_ = true;
        QTimer::singleShot(0, this, [this] { stop_burst_ = false; });
    }
    forgetLastSent();
    pending_.reset();
    position_wait_timer_->stop();
    arswin_stop();
    serial_stop(RotorInterface::Gs232, gs232_stop_command());
    // An azimuth-elevation rotator stops in both axes ("S" is all of GS-232's).
    serial_stop(RotorInterface::EasyComm, azEl(RotorInterface::EasyComm)
                                              ? easycomm_shutdown_command()
                                              : easycomm_stop_command());
    network_stop();
    emit stopped();
}

// Runs on every STOP whatever the interface, so a missing outside program is no fault here.
void RotorController::arswin_stop() {
    emit commandText(RotorInterface::Ea4tx, QStringLiteral("-1"));
    const WindowHandle window = arswin_window(window_messages_);
    if (window && !post_azimuth(*window_messages_, window, -1))
        fail(GoFailure::NotDelivered);
}

// Ahead of anything waiting, and without waiting on the line.
void RotorController::serial_stop(RotorInterface which, const QByteArray& command) {
    TCommPortDriver* driver = serialPort(which);
    if (!driver->IsOpen())
        return;
    pacer(which)->stop(command);
    close_serial(which);
}

void RotorController::close_serial(RotorInterface which) {
    pacer(which)->reset();
    serialPort(which)->ClosePort();
}

SerialPacer* RotorController::pacer(RotorInterface which) const {
    return which == RotorInterface::Gs232 ? gs232_pacer_ : easycomm_pacer_;
}

void RotorController::network_stop() {
    if (!link_->isOpen())
        return;
    link_->stop();
    link_->close();
}

void RotorController::closeSerialPorts() {
    close_serial(RotorInterface::Gs232);
    close_serial(RotorInterface::EasyComm);
}

bool RotorController::parkingDue() const {
    return config_.ParkingInterface && *config_.ParkingInterface == config_.SelectedInterface;
}

bool RotorController::park() {
    if (!parkingDue())
        return false;
    if (azEl(config_.SelectedInterface))
        elevation_ = parkingElevation();
    return go(config_.ParkingAzimuth).handedOver();
}

double RotorController::parkingElevation() const {
    const ElevationRange heights = elevationRange(config_.SelectedInterface);
    return std::clamp(static_cast<double>(config_.ParkingElevation), heights.min, heights.max);
}

void RotorController::beginShutDown() {
    // Parking belongs to the interface it was set for: after another interface was chosen in
    // the dialog still open, nothing is parked and no parking is kept for the next run.
    if (!parkingDue())
        config_.ParkingInterface.reset();
    shutting_down_ = true;
    heading_timer_->stop();
    stop();
}

void RotorController::finishShutDown() {
    const RotorInterface in_use = config_.SelectedInterface;
    const bool parked = parkingDue();
    // Access to the parallel port in use is closed, whether or not it was ever opened.
    if (parallel_port_ != nullptr &&
        (in_use == RotorInterface::PourSat || in_use == RotorInterface::FodTrack)) {
        const int lpt =
            in_use == RotorInterface::PourSat ? config_.PourSatLpt : config_.FodTrackLpt;
        if (parallel_port_->IsWinNT() && lpt != -1) {
            const std::uint16_t address = lpt_base_address(config_.LptAddresses, lpt);
            parallel_port_->DisablePorts(address, address);
        }
    }
    // The interface the antenna is parked with gets no final stop, so that it completes the
    // move; the ports are closed in any case. The serial closing strings go out only where
    // the parking turn opened the port again, which it never does when it gets no stop: the
    // STOP before has stopped both lines and closed them, so they get nothing more here.
    if (in_use == RotorInterface::Ea4tx && !parked)
        arswin_stop();
    close_serial(RotorInterface::Gs232);
    close_serial(RotorInterface::EasyComm);
    // rotctld had its stop from the STOP before when it was connected; a parking turn is
    // written now, as no event loop runs after this.
    if (in_use == RotorInterface::Network && parked && link_->isOpen())
        link_->finish(kNetworkFinishMilliseconds);
    link_->close();
}

void RotorController::setShowHeading(bool show) {
    config_.ShowHeading = show;
    if (show) {
        heading_timer_->start();
        pollHeading(); // from now, not a second later
    } else {
        heading_timer_->stop();
    }
    emit headingChanged(show ? heading_ : std::nullopt);
}

void RotorController::resumeHeadingPolling() {
    if (config_.ShowHeading) {
        heading_timer_->start();
        pollHeading();
    }
}

void RotorController::pollHeading() {
    askPosition();
}

// A serial port is opened for the question when closed (after STOP, say), and moved to the
// device chosen meanwhile in the dialog; a port that cannot be opened is simply not asked.
bool RotorController::askPosition() {
    const RotorInterface which = config_.SelectedInterface;
    if (shutting_down_ || !reports_position(which))
        return false;
    if (which == RotorInterface::Network) {
        link_->setAddress(config_.NetworkHost, static_cast<quint16>(config_.NetworkPort));
        link_->askHeading();
        return true;
    }
    TCommPortDriver* driver = serialPort(which);
    const int com = which == RotorInterface::Gs232 ? config_.Gs232Com : config_.EasyCommCom;
    if (driver->IsOpen() && driver->ComPort() != (com & 0xFF))
        close_serial(which);
    if (!open_serial(which))
        return false;
    const bool both = azEl(which);
    pacer(which)->ask(which == RotorInterface::Gs232
                          ? (both ? gs232_azel_query() : gs232_heading_query())
                          : (both ? easycomm_azel_query() : easycomm_heading_query()));
    return true;
}

// A number the rotator cannot report is no reading: the heading goes rather than point
// somewhere false. A reading is kept whether or not it is shown; the dial and the map hear
// of it only while it is.
void RotorController::headingReceived(double degrees) {
    // A rotator with an overlap reports positions up to the end of its range.
    const RotorRange range = rotatorRange(config_.SelectedInterface);
    std::optional<double> reading = heading_reading(
        degrees, range.northToNorth() ? kReportedHeadings : HeadingRange{range.min, range.max});
    // A serial controller installed with its end stop at south counts from south, as the
    // commands sent to it do: its reading is turned back to a true bearing.
    const RotorInterface which = config_.SelectedInterface;
    if (reading && (which == RotorInterface::Gs232 || which == RotorInterface::EasyComm) &&
        range.northToNorth() && config_.stop_side(which) == StopSide::S)
        reading = bearing_of_position(*reading + 180);
    if (reading)
        heading_stale_timer_->start();
    heading_ = reading;
    if (config_.ShowHeading)
        emit headingChanged(reading);
    if (reading && pending_ && !pending_->needsRange)
        release_pending();
}

void RotorController::headingExpired() {
    heading_.reset();
    if (config_.ShowHeading)
        emit headingChanged(std::nullopt);
    if (reported_elevation_) {
        reported_elevation_.reset();
        if (config_.ShowHeading)
            emit elevationChanged(std::nullopt);
    }
}

// Kept with the heading and gone stale with it; a number outside the rotator's elevations is
// no reading.
void RotorController::elevationReceived(double degrees) {
    const ElevationRange range = elevationRange(config_.SelectedInterface);
    const std::optional<double> reading =
        degrees >= range.min && degrees <= range.max ? std::optional(degrees) : std::nullopt;
    reported_elevation_ = reading;
    if (config_.ShowHeading)
        emit elevationChanged(reading);
}

std::optional<double> RotorController::reportedElevation() const {
    if (reported_elevation_)
        return reported_elevation_;
    return last_handed_over_elevation_;
}

bool RotorController::azEl(RotorInterface which) const {
    switch (which) {
    case RotorInterface::Gs232:
        return config_.Gs232AzEl.on;
    case RotorInterface::EasyComm:
        return config_.EasyCommAzEl.on;
    case RotorInterface::Network:
        return link_->reportedElevationRange().has_value();
    default:
        return false;
    }
}

ElevationRange RotorController::elevationRange(RotorInterface which) const {
    switch (which) {
    case RotorInterface::Gs232:
        return {0, static_cast<double>(config_.Gs232AzEl.max_elevation)};
    case RotorInterface::EasyComm:
        return {0, static_cast<double>(config_.EasyCommAzEl.max_elevation)};
    case RotorInterface::Network:
        return link_->reportedElevationRange().value_or(ElevationRange{});
    default:
        return {};
    }
}

// A rotator turns past 360 only when its range says so. With the end stop at south the
// serial rotators keep the 0 to 360 scale: the stop-side mapping already sends the short way
// round for such an installation, and the dialog does not offer 450 with it. rotctld's own
// range applies once read, 0 to 360 until then.
RotorRange RotorController::rotatorRange(RotorInterface which) const {
    switch (which) {
    case RotorInterface::Gs232:
        if (config_.Gs232Range == RangeChoice::Turn450 && config_.stop_side(which) == StopSide::N)
            return {0, 450};
        break;
    case RotorInterface::EasyComm:
        if (config_.EasyCommRange == RangeChoice::Turn450 &&
            config_.stop_side(which) == StopSide::N)
            return {0, 450};
        break;
    case RotorInterface::Network:
        if (config_.NetworkRange == RangeChoice::Turn450)
            return {0, 450};
        if (config_.NetworkRange == RangeChoice::Reported)
            return link_->reportedRange().value_or(RotorRange{});
        break;
    default:
        break;
    }
    return {};
}

// The position a bearing is sent as: the short way through the overlap from a fresh heading
// (a reading stays only while fresh), the bearing itself without one.
double RotorController::overlap_target(double bearing, const RotorRange& range,
                                       std::optional<double> preferred) const {
    if (preferred_decides(range, bearing, preferred))
        return *preferred;
    std::optional<HeadingReading> heading;
    if (heading_)
        heading = HeadingReading{*heading_, 0};
    return overlap_position(bearing, range, heading).value_or(bearing);
}

std::optional<double> RotorController::reportedAzimuth() const {
    if (heading_)
        return heading_;
    return last_handed_over_;
}

} // namespace kestrav
