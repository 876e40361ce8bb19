// The GS232 and EasyComm outputs: one command text per GO on a serial port that is opened by
// the first command and kept open until STOP, the end of a test, the dialog or exit.

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "rotor/rotor_protocol.h"

#include <QLabel>

namespace kestrav {

void TForm1::serial_output(RotorInterface which) {
    const bool gs232 = which == RotorInterface::Gs232;
    TCommPortDriver* driver = gs232 ? CommPortDriverGS : CommPortDriverEasy;
    if (!take_step(which))
        return;
    state_.CommandAzimuth = map_stop_side(state_.CommandAzimuth, state_.stop_side(which));

    if (!driver->IsOpen()) {
        driver->setComPort(gs232 ? state_.Gs232Com : state_.EasyCommCom);
        if (!driver->OpenPort()) {
            output_failed_ = true;
            desktop_->beep();
            return;
        }
    }
    const int n = static_cast<int>(round_half_even(state_.CommandAzimuth));
    const QByteArray text = gs232 ? gs232_turn_command(n) : easycomm_turn_command(n);
    if (raw_output_display_)
        LabelAzimut->setText(QString::fromLatin1(text));
    driver->WriteBytes(text.constData(), static_cast<std::int32_t>(text.size()));
    // A device that went away during the write (an adapter pulled out) has been closed by
    // the port component: the command did not reach the rotator.
    if (!driver->IsOpen()) {
        output_failed_ = true;
        desktop_->beep();
    }
}

void TForm1::serial_stop(TCommPortDriver* driver, const QByteArray& command) {
    if (!driver->IsOpen())
        return;
    driver->WriteText(command);
    driver->ClosePort();
}

} // namespace kestrav
