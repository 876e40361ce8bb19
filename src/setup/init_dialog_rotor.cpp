// The interface handlers of the initialisation dialog: the interface choice, each tab's
// settings, the COM probes, the test commands and parking. Each writes the state at once.

#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "rotor/lpt_sequence.h"
#include "rotor/parallel_port.h"
#include "rotor/rotctld_server.h"
#include "setup/dialog_controls.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"
#include "station/station_session.h"
#include "station/station_state.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>

namespace kestrav {

void TFormInit::RadioGroupRotorClick() {
    const int chosen = RadioGroupRotor->itemIndex();
    PageControlAntenne->setCurrentIndex(chosen);
    state_.SelectedInterface = static_cast<RotorInterface>(chosen);
    if (state_.SelectedInterface == RotorInterface::Network)
        state_.NetworkConfigured = true;
    // The next GO is sent whatever the minimum step.
    main_.dialogSession().rotor().forgetLastSent();
    main_.interfaceChanged();
}

// "LPT1 [378h]": the port's base address in upper-case hexadecimal, at least three digits.
void TFormInit::rewrite_lpt_items(RadioGroup* group) {
    for (int i = 0; i < group->count(); ++i) {
        const unsigned address = state_.LptAddresses[static_cast<std::size_t>(i)];
        group->setItemText(
            i, QStringLiteral("LPT%1 [%2h]")
                   .arg(i + 1)
                   .arg(QString::number(address, 16).toUpper().rightJustified(3, u'0')));
    }
}

std::uint16_t TFormInit::chosen_lpt_address(const InterfaceTab& t) const {
    return lpt_base_address(state_.LptAddresses, t.port->itemIndex());
}

// A port without an address is refused: it does not exist on this machine.
void TFormInit::lpt_chosen(InterfaceTab& t) {
    rewrite_lpt_items(t.port);
    if (chosen_lpt_address(t) != 0) {
        *t.port_field = t.port->itemIndex();
        return;
    }
    t.port->setItemIndex(-1);
    *t.port_field = -1;
    main_.dialogDesktop().beep();
    tell_refusal(t.port, Refusal::LptPortMissing);
}

void TFormInit::RadioGroupHNVLPTClick() {
    lpt_chosen(tab(RotorInterface::PourSat));
}
void TFormInit::RadioGroupFODLPTClick() {
    lpt_chosen(tab(RotorInterface::FodTrack));
}

// Any number is a factor; a text that is not one counts as 0, silently.
void TFormInit::calibration_changed(InterfaceTab& t) {
    *t.calibration_field = read_number(t.calibration->text()).value_or(0);
}

// The zero lies within -90..90: a number outside is refused with a beep and the edit emptied.
void TFormInit::zero_changed(InterfaceTab& t) {
    const double zero = read_number(t.zero->text()).value_or(0);
    if (zero > 90 || zero < -90) {
        main_.dialogDesktop().beep();
        tell_refusal(t.zero, Refusal::ZeroOutOfRange);
        *t.zero_field = 0;
        t.zero->clear();
        return;
    }
    *t.zero_field = zero;
}

void TFormInit::EditHNVCalAzChange() {
    calibration_changed(tab(RotorInterface::PourSat));
}
void TFormInit::EditFODCalAzChange() {
    calibration_changed(tab(RotorInterface::FodTrack));
}
void TFormInit::EditHNVZeroChange() {
    zero_changed(tab(RotorInterface::PourSat));
}
void TFormInit::EditFODZeroChange() {
    zero_changed(tab(RotorInterface::FodTrack));
}

// The stop side and the range are one decision: a serial rotator with its stop at south
// keeps the 0 to 360 scale (the stop-side mapping is its short way round), so a south stop
// with 450 is refused, whichever is chosen second. rotctld's backend knows its own stop.
bool TFormInit::refuses_overlap(const InterfaceTab& t, StopSide side, RangeChoice range) const {
    return t.which != RotorInterface::Network && t.range_field != nullptr && side == StopSide::S &&
           range == RangeChoice::Turn450;
}

void TFormInit::stop_chosen(InterfaceTab& t) {
    const StopSide side = t.stop->itemIndex() == 1 ? StopSide::S : StopSide::N;
    if (t.range_field != nullptr && refuses_overlap(t, side, *t.range_field)) {
        main_.dialogDesktop().beep();
        tell_refusal(t.stop, Refusal::OverlapNeedsNorth);
        t.stop->setItemIndex(static_cast<int>(state_.stop_side(t.which)));
        return;
    }
    state_.stop_side(t.which) = side;
}

void TFormInit::range_chosen(InterfaceTab& t) {
    const auto range = static_cast<RangeChoice>(t.range->currentIndex());
    if (refuses_overlap(t, state_.stop_side(t.which), range)) {
        main_.dialogDesktop().beep();
        tell_refusal(t.range, Refusal::OverlapNeedsNorth);
        t.range->setCurrentIndex(static_cast<int>(*t.range_field));
        return;
    }
    *t.range_field = range;
    if (t.which == RotorInterface::Network)
        state_.NetworkConfigured = true;
}

void TFormInit::RadioGroupHNVButeeClick() {
    stop_chosen(tab(RotorInterface::PourSat));
}
void TFormInit::RadioGroupFODButeeClick() {
    stop_chosen(tab(RotorInterface::FodTrack));
}
void TFormInit::RadioGroupEAbuteeClick() {
    stop_chosen(tab(RotorInterface::Ea4tx));
}
void TFormInit::RadioGroupGSbuteeClick() {
    stop_chosen(tab(RotorInterface::Gs232));
}
void TFormInit::RadioGroupEasyButeeClick() {
    stop_chosen(tab(RotorInterface::EasyComm));
}

void TFormInit::step_changed(InterfaceTab& t) {
    state_.min_step(t.which) = t.step->value();
}

void TFormInit::SpinEditStepPourSatChange() {
    step_changed(tab(RotorInterface::PourSat));
}
void TFormInit::SpinEditStepFODtrackChange() {
    step_changed(tab(RotorInterface::FodTrack));
}
void TFormInit::SpinEditStepEAChange() {
    step_changed(tab(RotorInterface::Ea4tx));
}
void TFormInit::SpinEditStepGSChange() {
    step_changed(tab(RotorInterface::Gs232));
}
void TFormInit::SpinEditStepEasyChange() {
    step_changed(tab(RotorInterface::EasyComm));
}

// The chosen port is tried with the tab's probe and closed again at once; a port that is
// missing or held by another program is refused.
void TFormInit::com_chosen(InterfaceTab& t) {
    const int chosen = t.port->itemIndex();
    if (t.probe->IsOpen())
        t.probe->ClosePort();
    t.probe->setComPort(chosen);
    const bool opened = t.probe->OpenPort();
    t.port->updateItemToolTips();
    if (opened) {
        t.probe->ClosePort();
        *t.port_field = chosen;
        return;
    }
    main_.dialogDesktop().beep();
    tell_refusal(t.port, Refusal::ComPortNotOpening);
    t.port->setItemIndex(-1);
    *t.port_field = -1;
}

// "COM2 = /dev/ttyS1", or the device a ports/COMn link leads to; below it, after the item was
// refused, the reason ("/dev/ttyS1: No such file or directory").
void TFormInit::describe_com_items(InterfaceTab& t) {
    const TCommPortDriver* probe = t.probe;
    t.port->setItemToolTips([probe](int item) {
        const QString path = probe->devicePath(item);
        const QFileInfo link(path);
        QString text = TCommPortDriver::deviceName(item) + QStringLiteral(" = ");
        if (link.isSymLink())
            text += QStringLiteral("%1 (through %2)").arg(link.symLinkTarget(), path);
        else
            text += path;
        if (probe->ComPort() == item && !probe->openFailure().isEmpty())
            text += QLatin1Char('\n') + probe->openFailure();
        return text;
    });
}

void TFormInit::RadioGroupPortGSClick() {
    com_chosen(tab(RotorInterface::Gs232));
}
void TFormInit::RadioGroupPortEasyClick() {
    com_chosen(tab(RotorInterface::EasyComm));
}

// The main window takes the rate over when it is next activated.
void TFormInit::baud_chosen(InterfaceTab& t) {
    const int entry = t.baud->currentIndex();
    t.probe->ClosePort();
    t.probe->setComPortSpeed(entry);
    *t.baud_index_field = entry;
    *t.baud_text_field = t.baud->currentText();
}

void TFormInit::ComboBoxBaudGSClick() {
    baud_chosen(tab(RotorInterface::Gs232));
}
void TFormInit::ComboBoxBaudEasyClick() {
    baud_chosen(tab(RotorInterface::EasyComm));
}

// A test sends the tab's azimuth through the interface in use, whatever the minimum step;
// only the tab of that interface can test.
void TFormInit::test_go(InterfaceTab& t) {
    if (RadioGroupRotor->itemIndex() != static_cast<int>(t.which)) {
        main_.dialogDesktop().beep();
        tell_refusal(t.test, Refusal::NotInterfaceInUse);
        return;
    }
    ParallelPortLibrary* port = main_.dialogParallelPort();
    if (t.which == RotorInterface::PourSat || t.which == RotorInterface::FodTrack) {
        if (port != nullptr && port->IsWinNT() && t.port->itemIndex() != -1) {
            const std::uint16_t address = chosen_lpt_address(t);
            port->EnablePorts(address, address);
        }
    }
    main_.handOverTestAzimuth(t.test_azimuth->value());
}

void TFormInit::BitBtnTestHNVClick() {
    test_go(tab(RotorInterface::PourSat));
}
void TFormInit::BitBtnTestFODClick() {
    test_go(tab(RotorInterface::FodTrack));
}
void TFormInit::BitBtnTestEAClick() {
    test_go(tab(RotorInterface::Ea4tx));
}
void TFormInit::BitBtnTestGSClick() {
    test_go(tab(RotorInterface::Gs232));
}
void TFormInit::BitBtnTestEasyClick() {
    test_go(tab(RotorInterface::EasyComm));
}

// Only the tab of the interface in use can park; ticking its box unticks the others, so
// that one box at most is ticked. Unticking it ends parking at once, so that a program
// closed while the dialog is still open does not park an antenna the operator has just
// told not to.
void TFormInit::parking_changed(InterfaceTab& t) {
    if (RadioGroupRotor->itemIndex() != static_cast<int>(t.which)) {
        {
            const QSignalBlocker blocker(t.parking);
            t.parking->setChecked(false);
        }
        main_.dialogDesktop().beep();
        tell_refusal(t.parking, Refusal::NotInterfaceInUse);
        return;
    }
    if (!t.parking->isChecked()) {
        state_.ParkingInterface.reset();
        return;
    }
    for (InterfaceTab& other : tabs_) {
        if (&other != &t) {
            const QSignalBlocker blocker(other.parking);
            other.parking->setChecked(false);
        }
    }
    state_.ParkingInterface = t.which;
    state_.ParkingAzimuth = t.test_azimuth->value();
}

void TFormInit::CheckBoxParkHNVClick() {
    parking_changed(tab(RotorInterface::PourSat));
}
void TFormInit::CheckBoxParkFODClick() {
    parking_changed(tab(RotorInterface::FodTrack));
}
void TFormInit::CheckBoxParkEAClick() {
    parking_changed(tab(RotorInterface::Ea4tx));
}
void TFormInit::CheckBoxParkGSClick() {
    parking_changed(tab(RotorInterface::Gs232));
}
void TFormInit::CheckBoxParkEasyClick() {
    parking_changed(tab(RotorInterface::EasyComm));
}

// The network tab: any change of its own marks the interface as set up, so that its rows are
// kept in the settings file. An address that is this program's own rotctld server is refused,
// the field keeping what it held; what the state already holds, shown again, is never refused.
void TFormInit::EditNetHostChange() {
    const QString host = EditNetHost->text().trimmed();
    if (host != state_.NetworkHost && refuse_own_server(host, state_.NetworkPort, EditNetHost)) {
        const QSignalBlocker blocker(EditNetHost);
        EditNetHost->setText(state_.NetworkHost);
        return;
    }
    state_.NetworkHost = host;
    state_.NetworkConfigured = true;
}
void TFormInit::SpinEditNetPortChange() {
    const int port = SpinEditNetPort->value();
    if (port != state_.NetworkPort &&
        refuse_own_server(state_.NetworkHost, port, SpinEditNetPort)) {
        const QSignalBlocker blocker(SpinEditNetPort);
        SpinEditNetPort->setValue(state_.NetworkPort);
        return;
    }
    state_.NetworkPort = port;
    state_.NetworkConfigured = true;
}

bool TFormInit::refuse_own_server(const QString& host, int port, QWidget* control) {
    if (!reaches_own_server(host, port, state_.ServeRotctld))
        return false;
    const LanguageTexts& texts = language_texts(accessible_language(this));
    main_.dialogDesktop().beep();
    tell_refusal(control, Refusal::OwnRotctldServer);
    main_.dialogDesktop().message_box(this, BoxIcon::Warning,
                                      texts.own_server_network.arg(host).arg(port));
    return true;
}
void TFormInit::RadioGroupNetButeeClick() {
    stop_chosen(tab(RotorInterface::Network));
    state_.NetworkConfigured = true;
}
void TFormInit::SpinEditStepNetChange() {
    step_changed(tab(RotorInterface::Network));
    state_.NetworkConfigured = true;
}
void TFormInit::BitBtnTestNetClick() {
    test_go(tab(RotorInterface::Network));
}
void TFormInit::CheckBoxParkNetClick() {
    parking_changed(tab(RotorInterface::Network));
}

} // namespace kestrav
