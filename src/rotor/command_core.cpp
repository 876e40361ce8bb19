// The rotator command core of the main window: the requested azimuth typed or stepped by the
// operator, GO, STOP, the tracking LED, the raw output display and parking at exit.

#include "app/desktop.h"
#include "app/field_text.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "rotor/rotor_protocol.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

namespace kestrav {

void TForm1::EditAzimutChange() {
    // A text written by the program while the operator works elsewhere only moves the arrows;
    // whoever wrote it has already set the requested azimuth.
    if (!EditAzimut->hasFocus() && !test_command_pending_) {
        UpDownAzimut->setPosition(static_cast<int>(round_half_even(state_.RequestedAzimuth)));
        return;
    }
    for (;;) {
        // Typing an azimuth by hand leaves no DX station selected.
        for (QLineEdit* field : {EditDXLocator, EditDXLattitude, EditDXLongitude, EditDistance})
            field->clear();
        clear_list_selections();

        const auto number = read_number(EditAzimut->text());
        if (!number) {
            if (convert_separator(EditAzimut))
                continue;
            if (refuse_azimuth_keystroke())
                continue;
            return;
        }
        if (*number < 0 || *number >= 360) {
            // A refused test azimuth (the dialog offers up to 450) ends the test: left
            // pending, it would send the next text the program writes here, a new bearing
            // say, without GO.
            test_command_pending_ = false;
            if (refuse_azimuth_keystroke())
                continue;
            return;
        }
        state_.RequestedAzimuth = *number;
        const long long whole = round_half_even(*number);
        publish_azimuth(QString::number(whole));
        UpDownAzimut->setPosition(static_cast<int>(whole));
        redraw_dial();
        if (SpeedButtonAuto->isChecked() || test_command_pending_)
            ButtonTrack->click();
        if (test_command_pending_) {
            test_command_pending_ = false;
            CommPortDriverGS->ClosePort();
            CommPortDriverEasy->ClosePort();
        }
        return;
    }
}

// A refused keystroke: beep and remove the character before the caret. Returns whether the
// text changed and so has to be checked again.
bool TForm1::refuse_azimuth_keystroke() {
    desktop_->beep();
    return remove_before_caret(EditAzimut);
}

void TForm1::write_azimuth_text(const QString& text, bool always_handle) {
    const bool changed = EditAzimut->text() != text;
    {
        const QSignalBlocker blocker(EditAzimut);
        EditAzimut->setText(text);
        EditAzimut->setCursorPosition(0);
    }
    if (changed || always_handle)
        EditAzimutChange();
}

void TForm1::UpDownAzimutClick() {
    const int position = UpDownAzimut->position();
    state_.RequestedAzimuth = position;
    write_azimuth_text(format_fixed(position, 1));
    publish_azimuth(QString::number(position));
    redraw_dial();
    if (SpeedButtonAuto->isChecked())
        ButtonTrack->click();
}

void TForm1::hand_over_test_azimuth(int azimuth) {
    state_.LastSentAzimuth = -10;
    test_command_pending_ = true;
    // Every test sends, also when the field already shows the value.
    write_azimuth_text(QString::number(azimuth), true);
}

void TForm1::ButtonTrackClick() {
    // A field still showing a refused value (a test azimuth of 400, say) is refused again:
    // the requested azimuth behind it is an older one that the operator no longer sees.
    const auto shown = read_number(EditAzimut->text());
    if (!shown || *shown < 0 || *shown >= 360 || state_.SelectedInterface == RotorInterface::None ||
        state_.RequestedAzimuth < 0 || state_.RequestedAzimuth >= 360) {
        desktop_->beep();
        return;
    }
    state_.CommandAzimuth = state_.RequestedAzimuth;
    send_to_selected_interface();
    if (output_failed_) {
        output_failed_ = false;
        return;
    }
    set_tracking_indication(true);
}

// The step test every output begins with: a command closer than the interface's minimum step
// to the last one sent is dropped without a beep and reported through the failure flag;
// otherwise it becomes the last one sent, before any end-stop mapping and whether or not
// the sending then succeeds.
bool TForm1::take_step(RotorInterface which) {
    if (!passes_min_step(state_.CommandAzimuth, state_.LastSentAzimuth, state_.min_step(which))) {
        output_failed_ = true;
        return false;
    }
    state_.LastSentAzimuth = state_.CommandAzimuth;
    return true;
}

void TForm1::send_to_selected_interface() {
    switch (state_.SelectedInterface) {
    case RotorInterface::Gs232:
    case RotorInterface::EasyComm:
        serial_output(state_.SelectedInterface);
        break;
    case RotorInterface::Ea4tx:
        ea4tx_output();
        break;
    case RotorInterface::PourSat:
    case RotorInterface::FodTrack:
        lpt_output(state_.SelectedInterface);
        break;
    case RotorInterface::Network:
        network_output();
        break;
    case RotorInterface::None:
        break;
    }
}

// The LED blinks from the first GO that handed a command over until TimerTrackOK fires; a
// running timer is left running, so a second GO does not lengthen the indication.
void TForm1::set_tracking_indication(bool on) {
    if (on) {
        if (!TimerBlink->isActive())
            TimerBlink->start();
        if (!TimerTrackOK->isActive())
            TimerTrackOK->start();
    } else {
        TimerBlink->stop();
        TimerTrackOK->stop();
    }
    ImageLedOn->setVisible(on);
    ImageLEDOff->setVisible(!on);
}

void TForm1::TimerBlinkTimer() {
    const bool on = ImageLEDOff->isVisible();
    ImageLedOn->setVisible(on);
    ImageLEDOff->setVisible(!on);
}

void TForm1::TimerTrackOKTimer() {
    set_tracking_indication(false);
}

// A stopped antenna stands anywhere between the last azimuth sent and where it came from:
// the next command goes out whatever the minimum step.
void TForm1::stop_all() {
    state_.LastSentAzimuth = -10;
    arswin_stop();
    serial_stop(CommPortDriverGS, gs232_stop_command());
    serial_stop(CommPortDriverEasy, easycomm_stop_command());
    network_stop();
    set_tracking_indication(false);
}

void TForm1::BitBtnStopClick() {
    stop_all();
}

void TForm1::LabelAzimutDblClick() {
    raw_output_display_ = !raw_output_display_;
    if (raw_output_display_)
        saved_azimut_caption_ = LabelAzimut->text();
    else
        LabelAzimut->setText(saved_azimut_caption_);
}

void TForm1::park() {
    if (state_.ParkingInterface == 0)
        return;
    state_.RequestedAzimuth = state_.ParkingAzimuth;
    write_azimuth_text(format_general(state_.ParkingAzimuth, 15));
    ButtonTrack->click();
}

} // namespace kestrav
