// The network interface (a client of Hamlib's rotctld) and the antenna's real heading:
// asked once a second of the rotator in use while its connection is open, and drawn on the
// dial as a second needle while the readings keep coming.

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "map/map_window.h"
#include "rotor/comm_port_driver.h"
#include "rotor/heading_protocol.h"
#include "rotor/rotctld_link.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace kestrav {

namespace {

constexpr int kHeadingPeriodMilliseconds = 1000;
// A reading older than this is no longer the antenna's heading: STOP, a port closed or a
// rotator that stopped answering.
constexpr int kHeadingLifeMilliseconds = 3000;

} // namespace

void TForm1::build_network_and_heading() {
    NetworkLink = new RotctldLink(this);
    NetworkLink->setObjectName(QStringLiteral("NetworkLink"));
    connect(NetworkLink, &RotctldLink::failed, this, &TForm1::network_failed);
    connect(NetworkLink, &RotctldLink::headingReceived, this, &TForm1::heading_received);

    MenuHeading = new QAction(QStringLiteral("Show antenna heading"), this);
    MenuHeading->setObjectName(QStringLiteral("MenuHeading"));
    MenuHeading->setCheckable(true);
    MenuUnit->addSeparator();
    MenuUnit->addAction(MenuHeading);
    connect(MenuHeading, &QAction::triggered, this, &TForm1::MenuHeadingClick);

    TimerHeading = new QTimer(this);
    TimerHeading->setObjectName(QStringLiteral("TimerHeading"));
    TimerHeading->setInterval(kHeadingPeriodMilliseconds);
    connect(TimerHeading, &QTimer::timeout, this, &TForm1::TimerHeadingTimer);
    TimerHeadingStale = new QTimer(this);
    TimerHeadingStale->setObjectName(QStringLiteral("TimerHeadingStale"));
    TimerHeadingStale->setSingleShot(true);
    TimerHeadingStale->setInterval(kHeadingLifeMilliseconds);
    connect(TimerHeadingStale, &QTimer::timeout, this, &TForm1::TimerHeadingStaleTimer);

    // Answers of the serial controllers, read by their ports' poll timers.
    const auto answers = [this](AnswerLines& lines, auto parse) {
        return [this, &lines, parse](TCommPortDriver*, const char* data, std::int32_t size) {
            for (const QByteArray& line : lines.feed(QByteArrayView(data, size))) {
                if (const std::optional<double> degrees = parse(line))
                    heading_received(*degrees);
            }
        };
    };
    CommPortDriverGS->setOnReceiveData(answers(gs232_answers_, parse_gs232_heading));
    CommPortDriverEasy->setOnReceiveData(answers(easycomm_answers_, parse_easycomm_heading));

    // "HEADING=ON" in the settings file.
    if (state_.ShowHeading) {
        MenuHeading->setChecked(true);
        TimerHeading->start();
    }
}

void TForm1::network_output() {
    if (!take_step(RotorInterface::Network))
        return;
    // rotctld's backend knows its rotator's end stop: the true azimuth goes out.
    const long long tenths = round_half_even(state_.CommandAzimuth * 10);
    network_error_.clear();
    update_status_lines();
    NetworkLink->setAddress(state_.NetworkHost, static_cast<quint16>(state_.NetworkPort));
    if (raw_output_display_)
        LabelAzimut->setText(QString::fromLatin1(NetworkLink->turnCommand(tenths).chopped(1)));
    NetworkLink->turn(tenths);
}

void TForm1::network_stop() {
    if (!NetworkLink->isOpen())
        return;
    NetworkLink->stop();
    NetworkLink->close();
}

// A GO that did not reach the rotator, told after the fact: the beep, the LED off, and the
// reason in the status line until the next GO.
void TForm1::network_failed(const QString& reason) {
    desktop_->beep();
    set_tracking_indication(false);
    if (state_.SelectedInterface == RotorInterface::Network) {
        network_error_ = reason;
        update_status_lines();
    }
}

void TForm1::MenuHeadingClick() {
    state_.ShowHeading = MenuHeading->isChecked();
    if (state_.ShowHeading) {
        TimerHeading->start();
    } else {
        TimerHeading->stop();
        TimerHeadingStale->stop();
    }
    show_heading(std::nullopt);
}

void TForm1::TimerHeadingTimer() {
    switch (state_.SelectedInterface) {
    case RotorInterface::Gs232:
        if (CommPortDriverGS->IsOpen())
            CommPortDriverGS->WriteText(gs232_heading_query());
        break;
    case RotorInterface::EasyComm:
        if (CommPortDriverEasy->IsOpen())
            CommPortDriverEasy->WriteText(easycomm_heading_query());
        break;
    case RotorInterface::Network:
        NetworkLink->askHeading();
        break;
    default:
        break;
    }
}

// A number the rotator cannot report is no reading: the needle goes rather than point
// somewhere false.
void TForm1::heading_received(double degrees) {
    if (!state_.ShowHeading)
        return;
    const std::optional<double> reading = heading_reading(degrees);
    if (reading)
        TimerHeadingStale->start();
    show_heading(reading);
}

void TForm1::TimerHeadingStaleTimer() {
    show_heading(std::nullopt);
}

void TForm1::show_heading(std::optional<double> heading) {
    state_.AntennaHeading = heading;
    redraw_dial();
    if (FormMap != nullptr)
        FormMap->setHeading(heading);
}

} // namespace kestrav
