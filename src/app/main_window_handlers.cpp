// The main window's handlers of the DX station entry, the BEAM group and the command panel:
// each hands its event to the part of the view it belongs to, or to the session.

#include "app/azimuth_panel.h"
#include "app/dx_entry_view.h"
#include "app/main_window.h"

#include <QAction>
#include <QTimer>

namespace kestrav {

void TForm1::EditDXLocatorChange() {
    dx_->locatorEdited();
}
void TForm1::EditDXLattitudeChange() {
    dx_->coordinateEdited(EditDXLattitude, state().DxLatitude);
}
void TForm1::EditDXLongitudeChange() {
    dx_->coordinateEdited(EditDXLongitude, state().DxLongitude);
}

void TForm1::CheckBoxLattitudeNordDXClick() {
    dx_->hemisphereClicked(CheckBoxLattitudeNordDX, CheckBoxLattitudeSudDX);
}
void TForm1::CheckBoxLattitudeSudDXClick() {
    dx_->hemisphereClicked(CheckBoxLattitudeSudDX, CheckBoxLattitudeNordDX);
}
void TForm1::CheckBoxLongitudeOuestDXClick() {
    dx_->hemisphereClicked(CheckBoxLongitudeOuestDX, CheckBoxLongitudeEstDX);
}
void TForm1::CheckBoxLongitudeEstDXClick() {
    dx_->hemisphereClicked(CheckBoxLongitudeEstDX, CheckBoxLongitudeOuestDX);
}

void TForm1::ComboBoxListDXClick() {
    dx_->listChosen(0);
}
void TForm1::ComboBoxPerso1Click() {
    dx_->listChosen(1);
}
void TForm1::ComboBoxPerso2Click() {
    dx_->listChosen(2);
}
void TForm1::ComboBoxPerso3Click() {
    dx_->listChosen(3);
}

void TForm1::MenuListe1Click() {
    dx_->loadPersonalList(1, true);
}
void TForm1::Menuliste2Click() {
    dx_->loadPersonalList(2, true);
}
void TForm1::MenuListe3Click() {
    dx_->loadPersonalList(3, true);
}

void TForm1::SpeedButtonLPClick() {
    dx_->switchLongPath();
}
void TForm1::MenuKmClick() {
    dx_->showKm();
}
void TForm1::MenuMileClick() {
    dx_->showMiles();
}

void TForm1::EditAzimutChange() {
    azimuth_->azimuthEdited();
}
void TForm1::EditAzimutReturnPressed() {
    azimuth_->returnPressed();
}
void TForm1::TimerAzimutPauseTimer() {
    azimuth_->typingPaused();
}
void TForm1::UpDownAzimutClick() {
    azimuth_->stepped();
}
void TForm1::hand_over_test_azimuth(int azimuth) {
    azimuth_->handOverTestAzimuth(azimuth);
}

void TForm1::ButtonTrackClick() {
    azimuth_->go();
}
void TForm1::stop_all() {
    TimerAzimutPause->stop();
    session_->stop();
}
void TForm1::BitBtnStopClick() {
    stop_all();
}

void TForm1::TimerBlinkTimer() {
    azimuth_->blink();
}
void TForm1::TimerTrackOKTimer() {
    azimuth_->trackingEnded();
}
void TForm1::LabelAzimutDblClick() {
    azimuth_->toggleRawDisplay();
}

void TForm1::MenuHeadingClick() {
    controller().setShowHeading(MenuHeading->isChecked());
}
void TForm1::TimerHeadingTimer() {
    controller().pollHeading();
}
void TForm1::TimerHeadingStaleTimer() {
    controller().headingExpired();
}

} // namespace kestrav
