// The rotator panel of the main window: the requested azimuth typed or stepped by the
// operator, GO, STOP, the tracking LED, the raw output display, parking at exit and the
// antenna's heading. What goes to the rotator is the controller's business; this file reads
// the widgets, calls it and shows what it tells.

#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "ui/field_text.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "geodesy/number_text.h"
#include "map/map_window.h"
#include "rotor/comm_port_driver.h"
#include "rotor/rotctld_link.h"
#include "rotor/rotor_controller.h"
#include "setup/languages.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

namespace kestrav {

void TForm1::EditAzimutChange() {
    // A text written by the program while the operator works elsewhere only moves the arrows;
    // whoever wrote it has already set the requested azimuth. So does the bearing of a DX
    // station set from outside (WSJT-X, the map), wherever the caret stands: it is no entry
    // of the operator's, and its setter sends it itself.
    if ((!EditAzimut->hasFocus() || placing_outside_dx_) && !test_command_pending_) {
        UpDownAzimut->setPosition(static_cast<int>(round_half_even(state_.RequestedAzimuth)));
        return;
    }
    // The operator's own keystrokes, as opposed to a text the program writes here with the
    // caret in the field (the up-down, LP, parking, a test azimuth), which empties the DX
    // fields as typing does.
    const bool typed = !writing_azimuth_ && !test_command_pending_;
    if (typed)
        TimerAzimutPause->stop();
    for (;;) {
        // Typing an azimuth by hand leaves no DX station selected.
        for (QLineEdit* field : {EditDXLocator, EditDXLattitude, EditDXLongitude, EditDistance})
            field->clear();
        clear_list_selections();

        const auto number = read_number(EditAzimut->text());
        if (!number) {
            if (convert_separator(EditAzimut))
                continue;
            tell_refusal(EditAzimut, Refusal::Keystroke);
            if (refuse_azimuth_keystroke())
                continue;
            return;
        }
        if (*number < 0 || *number >= 360) {
            // A refused test azimuth (the dialog offers up to 450) ends the test: left
            // pending, it would send the next text the program writes here, a new bearing
            // say, without GO.
            test_command_pending_ = false;
            tell_refusal(EditAzimut, Refusal::AzimuthOutOfRange);
            if (refuse_azimuth_keystroke())
                continue;
            return;
        }
        state_.RequestedAzimuth = *number;
        clear_refusal(EditAzimut);
        const long long whole = round_half_even(*number);
        publish_azimuth(QString::number(whole));
        UpDownAzimut->setPosition(static_cast<int>(whole));
        redraw_dial();
        // With AUTO down a typed azimuth goes out once typing pauses (or on Enter): each
        // keystroke of "250" sent at once would turn the rotator to 2, 25 and 250, reversing
        // it on the way. A text the program writes is sent by its writer (the up-down, LP and
        // a new bearing with AUTO down, parking always), once; a test azimuth is sent here.
        if (typed && session_->autoAction(AzimuthChange::Typed) == AutoAction::AfterPause)
            TimerAzimutPause->start();
        else if (test_command_pending_)
            ButtonTrack->click();
        if (test_command_pending_) {
            test_command_pending_ = false;
            controller_->closeSerialPorts();
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

// The program's text replaces what the operator was typing: a typed azimuth still waiting
// for its pause is dropped, the writer sending its own.
void TForm1::write_azimuth_text(const QString& text, bool always_handle) {
    TimerAzimutPause->stop();
    const bool changed = EditAzimut->text() != text;
    {
        const QSignalBlocker blocker(EditAzimut);
        EditAzimut->setText(text);
        EditAzimut->setCursorPosition(0);
    }
    if (changed || always_handle) {
        const QScopedValueRollback<bool> writing(writing_azimuth_, true);
        EditAzimutChange();
    }
}

// Enter sends the typed azimuth without waiting for the pause.
void TForm1::EditAzimutReturnPressed() {
    if (!TimerAzimutPause->isActive())
        return;
    TimerAzimutPause->stop();
    ButtonTrack->click();
}

// Typing has paused: the typed azimuth goes out, unless AUTO was released meanwhile.
void TForm1::TimerAzimutPauseTimer() {
    if (session_->autoAction(AzimuthChange::Typed) == AutoAction::AfterPause)
        ButtonTrack->click();
}

void TForm1::UpDownAzimutClick() {
    const int position = UpDownAzimut->position();
    state_.RequestedAzimuth = position;
    write_azimuth_text(format_fixed(position, 1));
    publish_azimuth(QString::number(position));
    redraw_dial();
    apply_auto(AzimuthChange::Stepped);
}

void TForm1::apply_auto(AzimuthChange change) {
    if (session_->autoAction(change) == AutoAction::SendNow)
        ButtonTrack->click();
}

void TForm1::hand_over_test_azimuth(int azimuth) {
    controller_->forgetLastSent();
    test_command_pending_ = true;
    // Every test sends, also when the field already shows the value.
    write_azimuth_text(QString::number(azimuth), true);
}

void TForm1::ButtonTrackClick() {
    // Whoever presses GO sends the azimuth the field shows now: a typed one waiting for its
    // pause goes with it, not a second time after.
    TimerAzimutPause->stop();
    // A field still showing a refused value (a test azimuth of 400, say) is refused again:
    // the requested azimuth behind it is an older one that the operator no longer sees.
    const auto shown = read_number(EditAzimut->text());
    if (!shown || *shown < 0 || *shown >= 360) {
        desktop_->beep();
        tell_refusal(ButtonTrack, Refusal::GoWithoutAzimuth);
        return;
    }
    // A DX station from another program (WSJT-X) turns the antenna as another program's
    // request does: on a busy line the latest wins.
    session_->go(placing_outside_dx_ ? Origin::Outside : Origin::Desk);
}

// Another program's azimuth, as if typed: the field and what typing also does, left until the
// command was on its way: no DX station selected any more, and the arrows, the published
// azimuth and the dial follow the field.
void TForm1::show_requested_azimuth(double azimuth) {
    {
        const QSignalBlocker blocker(EditAzimut);
        EditAzimut->setText(format_general(azimuth, 15));
        EditAzimut->setCursorPosition(0);
    }
    for (QLineEdit* field : {EditDXLocator, EditDXLattitude, EditDXLongitude, EditDistance}) {
        const QSignalBlocker blocker(field);
        field->clear();
    }
    clear_list_selections();
    const long long whole = round_half_even(azimuth);
    UpDownAzimut->setPosition(static_cast<int>(whole));
    publish_azimuth(QString::number(whole));
    redraw_dial();
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

void TForm1::stop_all() {
    TimerAzimutPause->stop();
    session_->stop();
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

// Parking goes through GO as the operator's command does, the field showing where to.
void TForm1::park() {
    if (!controller_->parkingDue())
        return;
    state_.RequestedAzimuth = state_.ParkingAzimuth;
    write_azimuth_text(format_general(state_.ParkingAzimuth, 15));
    ButtonTrack->click();
}

void TForm1::build_rotor_controller() {
    RotorSeams seams;
    seams.gs232 = new TCommPortDriver;
    seams.gs232->setObjectName(QStringLiteral("CommPortDriverGS"));
    seams.easycomm = new TCommPortDriver;
    seams.easycomm->setObjectName(QStringLiteral("CommPortDriverEasy"));
    for (TCommPortDriver* driver : {seams.gs232, seams.easycomm})
        driver->setPortDirectory(state_.AppDirectory);
    auto* link = new RotctldLink;
    link->setObjectName(QStringLiteral("NetworkLink"));
    seams.network = link;
    seams.parallel_port = parallel_port_;
    seams.window_messages = window_messages_;
    controller_ = &session_->buildRotor(seams);

    connect(controller_, &RotorController::commandText, this, &TForm1::show_command_text);
    connect(controller_, &RotorController::commandHandedOver, this, [this] {
        clear_refusal(ButtonTrack);
        set_tracking_indication(true);
    });
    connect(session_, &StationSession::commandFailed, this, &TForm1::command_failed);
    connect(session_, &StationSession::outsideRefusalChanged, this, &TForm1::update_status_lines);
    connect(session_, &StationSession::azimuthRequested, this, &TForm1::show_requested_azimuth);
    connect(SpeedButtonAuto, &QToolButton::toggled, session_, &StationSession::setAuto);
    connect(controller_, &RotorController::stopped, this,
            [this] { set_tracking_indication(false); });
    connect(controller_, &RotorController::headingChanged, this, &TForm1::show_heading);
}

// The text about to go out, in place of the azimuth caption while the raw display is on. A
// command to rotctld ends a failure still shown in the status line.
void TForm1::show_command_text(RotorInterface which, const QString& text) {
    if (which == RotorInterface::Network) {
        network_error_.clear();
        update_status_lines();
    }
    if (raw_output_display_)
        LabelAzimut->setText(text);
}

// The operator's command that did not go out: a beep, except for a step too small (dropped in silence) and
// a missing outside program (a box). rotctld's failure comes later: the LED goes off and the
// reason stays in the status line until the next command.
void TForm1::command_failed(GoFailure failure, const QString& reason) {
    switch (failure) {
    case GoFailure::BelowMinimumStep:
        return;
    case GoFailure::ArswinNotRunning:
        desktop_->exclamation_beep();
        desktop_->message_box(this, BoxIcon::Warning, state_.Messages.arswin_not_running);
        return;
    case GoFailure::NetworkFailed:
        desktop_->beep();
        tell_refusal(ButtonTrack, Refusal::NetworkFailed);
        set_tracking_indication(false);
        if (state_.SelectedInterface == RotorInterface::Network) {
            network_error_ = reason;
            update_status_lines();
        }
        return;
    case GoFailure::Refused:
        desktop_->beep();
        tell_refusal(ButtonTrack, Refusal::NoInterface);
        return;
    case GoFailure::NoPort:
        desktop_->beep();
        tell_refusal(ButtonTrack, Refusal::NoPort);
        return;
    case GoFailure::NotDelivered:
        desktop_->beep();
        tell_refusal(ButtonTrack, Refusal::NotDelivered);
        return;
    }
}

void TForm1::build_heading_menu() {
    MenuHeading = new QAction(QStringLiteral("Show antenna heading"), this);
    MenuHeading->setObjectName(QStringLiteral("MenuHeading"));
    MenuHeading->setCheckable(true);
    MenuUnit->addSeparator();
    MenuUnit->addAction(MenuHeading);
    connect(MenuHeading, &QAction::triggered, this, &TForm1::MenuHeadingClick);
    // "HEADING=ON" in the settings file.
    if (state_.ShowHeading) {
        MenuHeading->setChecked(true);
        controller_->resumeHeadingPolling();
    }
}

void TForm1::MenuHeadingClick() {
    controller_->setShowHeading(MenuHeading->isChecked());
}

void TForm1::TimerHeadingTimer() {
    controller_->pollHeading();
}

void TForm1::TimerHeadingStaleTimer() {
    controller_->headingExpired();
}

// The antenna's heading on the dial and the map; none removes it.
void TForm1::show_heading(std::optional<double> heading) {
    redraw_dial();
    if (FormMap != nullptr)
        FormMap->setHeading(heading);
}

} // namespace kestrav
