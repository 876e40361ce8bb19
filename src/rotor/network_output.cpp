// The network interface (a client of Hamlib's rotctld) and the antenna's real heading:
// asked once a second of the rotator in use while its connection is open, and drawn on the
// dial as a second needle.

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
    if (raw_output_display_)
        LabelAzimut->setText(QString::fromLatin1(rotctld_turn_command(tenths).chopped(1)));
    network_error_.clear();
    update_status_lines();
    NetworkLink->setAddress(state_.NetworkHost, static_cast<quint16>(state_.NetworkPort));
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
        state_.AntennaHeading.reset();
        redraw_dial();
        if (FormMap != nullptr)
            FormMap->setHeading(std::nullopt);
    }
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

void TForm1::heading_received(double degrees) {
    if (!state_.ShowHeading)
        return;
    state_.AntennaHeading = degrees;
    redraw_dial();
    if (FormMap != nullptr)
        FormMap->setHeading(degrees);
}

} // namespace kestrav
