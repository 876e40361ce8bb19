// The azimuth side of the main window: the requested azimuth typed or stepped by the operator,
// GO, STOP, the tracking LED, the raw output display, parking at exit, the antenna's heading
// and the published azimuth. What goes to the rotator is the controller's business; this part
// reads the widgets, calls it and shows what it tells.

#include "app/azimuth_panel.h"

#include "app/design_sizes.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/widgets.h"
#include "azel/elevation_panel.h"
#include "geodesy/number_text.h"
#include "map/map_window.h"
#include "publish/dde_server.h"
#include "rotor/rotor_controller.h"
#include "setup/languages.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "ui/field_text.h"
#include "ui/fonts.h"
#include "ui/widget_factory.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace kestrav {

AzimuthPanel::AzimuthPanel(TForm1& window, MainWindowUi& ui, StationSession& session,
                           DdeServer* dde_server)
    : window_(window), ui_(ui), session_(session), dde_server_(dde_server),
      state_(session.state()) {}

void AzimuthPanel::buildBeamGroup(QWidget* client) {
    MainWindowUi& u = ui_;
    u.GroupBoxBeam = make<QGroupBox>(client, "GroupBoxBeam", 240, 60, 225, 133);
    u.GroupBoxBeam->setTitle(QStringLiteral("BEAM"));
    u.GroupBoxBeam->setFont(arial(10));
    set_background(u.GroupBoxBeam, QColor(224, 255, 224));
    QWidget* g = u.GroupBoxBeam;

    u.LabelAzimut = make<ClickableLabel>(g, "LabelAzimut", 98, 14, 100, 16);
    u.LabelAzimut->setText(QStringLiteral("Azimuth = (deg)"));
    u.LabelAzimut->setFont(arial(10));
    let_grow_with_text(u.LabelAzimut);
    u.EditAzimut = make<QLineEdit>(g, "EditAzimut", 104, 32, 73, 30);
    u.EditAzimut->setFont(arial(14));
    u.EditAzimut->setText(QStringLiteral("0"));
    u.UpDownAzimut = make<UpDown>(g, "UpDownAzimut", 176, 32, 17, 30);
    u.UpDownAzimut->setRange(0, 359);
    // Both dials start from the same background, drawn once and shared.
    const QPixmap dial = dial_background_picture();
    u.Image2 = make<QLabel>(g, "Image2", 16, 25, kDialSize, kDialSize);
    u.Image2->setPixmap(dial);
    u.Image2->hide();
    mark_decorative(u.Image2);
    u.Image1 = make<QLabel>(g, "Image1", 16, 25, kDialSize, kDialSize);
    u.Image1->setPixmap(dial);
    u.SpeedButtonLP = make<QToolButton>(g, "SpeedButtonLP", 40, 96, 25, 25);
    u.SpeedButtonLP->setText(QStringLiteral("LP"));
    u.SpeedButtonLP->setCheckable(true);
    u.SpeedButtonLP->setFocusPolicy(Qt::NoFocus);
    u.LabelDistance = make<QLabel>(g, "LabelDistance", 104, 70, 71, 16);
    u.LabelDistance->setText(QStringLiteral("QRB = (km)"));
    u.LabelDistance->setFont(arial(10));
    let_grow_with_text(u.LabelDistance);
    u.EditDistance = make<QLineEdit>(g, "EditDistance", 104, 88, 89, 30);
    u.EditDistance->setFont(arial(14));
    u.EditDistance->setReadOnly(true);
    u.EditDistance->setText(QStringLiteral("0"));

    // The button's own checked state is set by the handler, which owns the toggle.
    TForm1* w = &window_;
    QObject::connect(u.SpeedButtonLP, &QToolButton::clicked, w, &TForm1::SpeedButtonLPClick);
    QObject::connect(u.EditAzimut, &QLineEdit::textChanged, w, &TForm1::EditAzimutChange);
    QObject::connect(u.EditAzimut, &QLineEdit::returnPressed, w, &TForm1::EditAzimutReturnPressed);
    QObject::connect(u.UpDownAzimut, &UpDown::clicked, w, &TForm1::UpDownAzimutClick);
    QObject::connect(u.LabelAzimut, &ClickableLabel::doubleClicked, w,
                     &TForm1::LabelAzimutDblClick);
}

void AzimuthPanel::buildCommandPanel(QWidget* client) {
    MainWindowUi& u = ui_;
    u.PanelLampe = new Panel(client, kPanelGrey, Panel::Bevel::Lowered, Panel::Bevel::Lowered, 2);
    u.PanelLampe->setObjectName(QStringLiteral("PanelLampe"));
    u.PanelLampe->setGeometry(240, 202, 225, 45);
    QWidget* g = u.PanelLampe;
    u.ButtonTrack = make<QPushButton>(g, "ButtonTrack", 5, 5, 42, 36);
    u.ButtonTrack->setText(QStringLiteral("GO"));
    u.ButtonTrack->setFont(arial(18));
    u.SpeedButtonAuto = make<QToolButton>(g, "SpeedButtonAuto", 47, 5, 42, 36);
    u.SpeedButtonAuto->setText(QStringLiteral("AUTO"));
    u.SpeedButtonAuto->setFont(arial(10));
    u.SpeedButtonAuto->setCheckable(true); // AUTO latches; the handlers read its checked state
    u.SpeedButtonAuto->setFocusPolicy(Qt::NoFocus);
    u.BitBtnStop = new PictureButton(g, stop_picture());
    u.BitBtnStop->setObjectName(QStringLiteral("BitBtnStop"));
    u.BitBtnStop->setGeometry(89, 5, 42, 36);
    u.BitBtnStop->setText(QStringLiteral("STOP"));
    u.BitBtnStop->setFont(arial(10));
    u.ImageLEDOff = make<QLabel>(g, "ImageLEDOff", 186, 7, 31, 31);
    u.ImageLEDOff->setPixmap(led_picture(false));
    u.ImageLedOn = make<QLabel>(g, "ImageLedOn", 186, 7, 31, 31);
    u.ImageLedOn->setPixmap(led_picture(true));
    u.ImageLedOn->hide();
    QObject::connect(u.ButtonTrack, &QPushButton::clicked, &window_, &TForm1::ButtonTrackClick);
    QObject::connect(u.BitBtnStop, &QPushButton::clicked, &window_, &TForm1::BitBtnStopClick);
}

void AzimuthPanel::azimuthEdited() {
    MainWindowUi& u = ui_;
    // A text written by the program while the operator works elsewhere only moves the arrows;
    // whoever wrote it has already set the requested azimuth. So does the bearing of a DX
    // station set from outside (WSJT-X, the map), wherever the caret stands: it is no entry
    // of the operator's, and its setter sends it itself.
    if ((!u.EditAzimut->hasFocus() || placing_outside_dx_) && !test_command_pending_) {
        u.UpDownAzimut->setPosition(static_cast<int>(round_half_even(state_.RequestedAzimuth)));
        return;
    }
    // The operator's own keystrokes, as opposed to a text the program writes here with the
    // caret in the field (the up-down, LP, parking, a test azimuth), which empties the DX
    // fields as typing does.
    const bool typed = !writing_azimuth_ && !test_command_pending_;
    if (typed)
        u.TimerAzimutPause->stop();
    for (;;) {
        // Typing an azimuth by hand leaves no DX station selected.
        for (QLineEdit* field :
             {u.EditDXLocator, u.EditDXLattitude, u.EditDXLongitude, u.EditDistance})
            field->clear();
        u.clear_list_selections();

        const auto number = read_number(u.EditAzimut->text());
        if (!number) {
            if (convert_separator(u.EditAzimut))
                continue;
            tell_refusal(u.EditAzimut, Refusal::Keystroke);
            if (refuseAzimuthKeystroke())
                continue;
            return;
        }
        if (*number < 0 || *number >= 360) {
            // A refused test azimuth (the dialog offers up to 450) ends the test: left
            // pending, it would send the next text the program writes here, a new bearing
            // say, without GO.
            test_command_pending_ = false;
            tell_refusal(u.EditAzimut, Refusal::AzimuthOutOfRange);
            if (refuseAzimuthKeystroke())
                continue;
            return;
        }
        state_.RequestedAzimuth = *number;
        clear_refusal(u.EditAzimut);
        const long long whole = round_half_even(*number);
        publish(QString::number(whole));
        u.UpDownAzimut->setPosition(static_cast<int>(whole));
        redrawDial();
        // With AUTO down a typed azimuth goes out once typing pauses (or on Enter): each
        // keystroke of "250" sent at once would turn the rotator to 2, 25 and 250, reversing
        // it on the way. A text the program writes is sent by its writer (the up-down, LP and
        // a new bearing with AUTO down, parking always), once; a test azimuth is sent here.
        if (typed && session_.autoAction(AzimuthChange::Typed) == AutoAction::AfterPause)
            u.TimerAzimutPause->start();
        else if (test_command_pending_)
            u.ButtonTrack->click();
        if (test_command_pending_) {
            test_command_pending_ = false;
            controller_->closeSerialPorts();
        }
        return;
    }
}

// A refused keystroke: beep and remove the character before the caret. Returns whether the
// text changed and so has to be checked again.
bool AzimuthPanel::refuseAzimuthKeystroke() {
    window_.desktop().beep();
    return remove_before_caret(ui_.EditAzimut);
}

// A typed azimuth still waiting for its pause is dropped, the writer sending its own.
void AzimuthPanel::writeAzimuthText(const QString& text, bool always_handle) {
    ui_.TimerAzimutPause->stop();
    const bool changed = ui_.EditAzimut->text() != text;
    {
        const QSignalBlocker blocker(ui_.EditAzimut);
        ui_.EditAzimut->setText(text);
        ui_.EditAzimut->setCursorPosition(0);
    }
    if (changed || always_handle) {
        const QScopedValueRollback<bool> writing(writing_azimuth_, true);
        window_.EditAzimutChange();
    }
}

// Enter sends the typed azimuth without waiting for the pause.
void AzimuthPanel::returnPressed() {
    if (!ui_.TimerAzimutPause->isActive())
        return;
    ui_.TimerAzimutPause->stop();
    ui_.ButtonTrack->click();
}

// Typing has paused: the typed azimuth goes out, unless AUTO was released meanwhile.
void AzimuthPanel::typingPaused() {
    if (session_.autoAction(AzimuthChange::Typed) == AutoAction::AfterPause)
        ui_.ButtonTrack->click();
}

void AzimuthPanel::stepped() {
    const int position = ui_.UpDownAzimut->position();
    state_.RequestedAzimuth = position;
    writeAzimuthText(format_fixed(position, 1));
    publish(QString::number(position));
    redrawDial();
    applyAuto(AzimuthChange::Stepped);
}

void AzimuthPanel::applyAuto(AzimuthChange change) {
    if (session_.autoAction(change) == AutoAction::SendNow)
        ui_.ButtonTrack->click();
}

void AzimuthPanel::placeFromOutside(const std::function<void()>& place) {
    const QScopedValueRollback<bool> outside(placing_outside_dx_, true);
    place();
}

void AzimuthPanel::handOverTestAzimuth(int azimuth) {
    controller_->forgetLastSent();
    test_command_pending_ = true;
    // Every test sends, also when the field already shows the value.
    writeAzimuthText(QString::number(azimuth), true);
}

void AzimuthPanel::go() {
    // Whoever presses GO sends the azimuth the field shows now: a typed one waiting for its
    // pause goes with it, not a second time after.
    ui_.TimerAzimutPause->stop();
    // A field still showing a refused value (a test azimuth of 400, say) is refused again:
    // the requested azimuth behind it is an older one that the operator no longer sees.
    const auto shown = read_number(ui_.EditAzimut->text());
    if (!shown || *shown < 0 || *shown >= 360) {
        window_.desktop().beep();
        tell_refusal(ui_.ButtonTrack, Refusal::GoWithoutAzimuth);
        return;
    }
    // Parking sends the parking elevation, whatever the field shows.
    if (!parking_ && elevation_ != nullptr && !elevation_->readyToGo())
        return;
    // A DX station from another program (WSJT-X) turns the antenna as another program's
    // request does: on a busy line the latest wins.
    session_.go(placing_outside_dx_ ? Origin::Outside : Origin::Desk);
}

// Another program's azimuth, as if typed: the field and what typing also does, left until the
// command was on its way: no DX station selected any more, and the arrows, the published
// azimuth and the dial follow the field.
void AzimuthPanel::showRequestedAzimuth(double azimuth) {
    MainWindowUi& u = ui_;
    {
        const QSignalBlocker blocker(u.EditAzimut);
        u.EditAzimut->setText(format_general(azimuth, 15));
        u.EditAzimut->setCursorPosition(0);
    }
    for (QLineEdit* field :
         {u.EditDXLocator, u.EditDXLattitude, u.EditDXLongitude, u.EditDistance}) {
        const QSignalBlocker blocker(field);
        field->clear();
    }
    u.clear_list_selections();
    const long long whole = round_half_even(azimuth);
    u.UpDownAzimut->setPosition(static_cast<int>(whole));
    publish(QString::number(whole));
    redrawDial();
}

// The LED blinks from the first GO that handed a command over until TimerTrackOK fires; a
// running timer is left running, so a second GO does not lengthen the indication.
void AzimuthPanel::setTrackingIndication(bool on) {
    if (on) {
        if (!ui_.TimerBlink->isActive())
            ui_.TimerBlink->start();
        if (!ui_.TimerTrackOK->isActive())
            ui_.TimerTrackOK->start();
    } else {
        ui_.TimerBlink->stop();
        ui_.TimerTrackOK->stop();
    }
    ui_.ImageLedOn->setVisible(on);
    ui_.ImageLEDOff->setVisible(!on);
}

void AzimuthPanel::blink() {
    const bool on = ui_.ImageLEDOff->isVisible();
    ui_.ImageLedOn->setVisible(on);
    ui_.ImageLEDOff->setVisible(!on);
}

void AzimuthPanel::toggleRawDisplay() {
    raw_output_display_ = !raw_output_display_;
    if (raw_output_display_)
        saved_azimut_caption_ = ui_.LabelAzimut->text();
    else
        ui_.LabelAzimut->setText(saved_azimut_caption_);
}

void AzimuthPanel::park() {
    if (!controller_->parkingDue())
        return;
    state_.RequestedAzimuth = state_.ParkingAzimuth;
    writeAzimuthText(format_general(state_.ParkingAzimuth, 15));
    if (session_.azEl())
        session_.setElevation(controller_->parkingElevation());
    const QScopedValueRollback<bool> parking(parking_, true);
    ui_.ButtonTrack->click();
}

void AzimuthPanel::publish(const QString& text) {
    published_azimuth_ = text;
    if (dde_server_ != nullptr)
        dde_server_->publish(text);
}

void AzimuthPanel::showRotor(RotorController& controller) {
    controller_ = &controller;
    TForm1* w = &window_;
    QObject::connect(
        &controller, &RotorController::commandText, this,
        [this](RotorInterface which, const QString& text) { showCommandText(which, text); });
    QObject::connect(&controller, &RotorController::commandHandedOver, this, [this] {
        clear_refusal(ui_.ButtonTrack);
        setTrackingIndication(true);
    });
    QObject::connect(
        &session_, &StationSession::commandFailed, this,
        [this](GoFailure failure, const QString& reason) { commandFailed(failure, reason); });
    QObject::connect(&session_, &StationSession::outsideRefusalChanged, w,
                     &TForm1::update_status_lines);
    QObject::connect(&session_, &StationSession::azimuthRequested, this,
                     [this](double azimuth) { showRequestedAzimuth(azimuth); });
    QObject::connect(ui_.SpeedButtonAuto, &QToolButton::toggled, &session_,
                     &StationSession::setAuto);
    QObject::connect(&controller, &RotorController::stopped, this,
                     [this] { setTrackingIndication(false); });
    QObject::connect(&controller, &RotorController::headingChanged, this,
                     [this](std::optional<double> heading) { showHeading(heading); });
}

// The text about to go out, in place of the azimuth caption while the raw display is on. A
// command to rotctld ends a failure still shown in the status line.
void AzimuthPanel::showCommandText(RotorInterface which, const QString& text) {
    if (which == RotorInterface::Network) {
        network_error_.clear();
        window_.update_status_lines();
    }
    if (raw_output_display_)
        ui_.LabelAzimut->setText(text);
}

// The operator's command that did not go out: a beep, except for a step too small (dropped in
// silence) and a missing outside program (a box). rotctld's failure comes later: the LED goes
// off and the reason stays in the status line until the next command.
void AzimuthPanel::commandFailed(GoFailure failure, const QString& reason) {
    switch (failure) {
    case GoFailure::BelowMinimumStep:
        return;
    case GoFailure::ArswinNotRunning:
        window_.desktop().exclamation_beep();
        window_.desktop().message_box(&window_, BoxIcon::Warning,
                                      state_.Messages.arswin_not_running);
        return;
    case GoFailure::NetworkFailed:
        window_.desktop().beep();
        tell_refusal(ui_.ButtonTrack, Refusal::NetworkFailed);
        setTrackingIndication(false);
        if (state_.SelectedInterface == RotorInterface::Network) {
            network_error_ = reason;
            window_.update_status_lines();
        }
        return;
    case GoFailure::Refused:
        window_.desktop().beep();
        tell_refusal(ui_.ButtonTrack, Refusal::NoInterface);
        return;
    case GoFailure::NoPort:
        window_.desktop().beep();
        tell_refusal(ui_.ButtonTrack, Refusal::NoPort);
        return;
    case GoFailure::NotDelivered:
        window_.desktop().beep();
        tell_refusal(ui_.ButtonTrack, Refusal::NotDelivered);
        return;
    }
}

void AzimuthPanel::buildHeadingMenu() {
    MainWindowUi& u = ui_;
    u.MenuHeading = new QAction(QStringLiteral("Show antenna heading"), &window_);
    u.MenuHeading->setObjectName(QStringLiteral("MenuHeading"));
    u.MenuHeading->setCheckable(true);
    u.MenuUnit->addSeparator();
    u.MenuUnit->addAction(u.MenuHeading);
    QObject::connect(u.MenuHeading, &QAction::triggered, &window_, &TForm1::MenuHeadingClick);
    // "HEADING=ON" in the settings file.
    if (state_.ShowHeading) {
        u.MenuHeading->setChecked(true);
        controller_->resumeHeadingPolling();
    }
}

// The antenna's heading on the dial and the map; none removes it.
void AzimuthPanel::showHeading(std::optional<double> heading) {
    redrawDial();
    if (ui_.FormMap != nullptr)
        ui_.FormMap->setHeading(heading);
}

} // namespace kestrav
