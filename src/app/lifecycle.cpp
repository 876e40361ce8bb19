// Start-up and shut-down of the main window, and the two status lines.

#include "app/azimuth_panel.h"
#include "app/design_sizes.h"
#include "app/dx_entry_view.h"
#include "app/init_dialog_beside.h"
#include "app/main_window_hosts.h"
#include "app/widgets.h"
#include "app/window_frame.h"
#include "app/window_settings.h"
#include "geodesy/number_text.h"
#include "lists/prefix_table.h"
#include "rotor/comm_port_driver.h"
#include "rotor/lpt_sequence.h"
#include "rotor/parallel_port.h"
#include "rotor/rotctld_link.h"
#include "rotor/rotor_protocol.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"
#include "ui/desktop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWindow>

#include <cmath>

namespace kestrav {

void TForm1::FormCreate() {
    // The base addresses of LPT1 to LPT3, asked in that order; 0 for a port that is absent.
    if (ParallelPortLibrary* parallel_port = hosts_->dialogParallelPort())
        for (int port = 1; port <= kLptCount; ++port)
            state().LptAddresses[static_cast<std::size_t>(port - 1)] =
                parallel_port->GetLPTPortAddress(port);
    // The display scale: Qt already lays out in device-independent pixels, so what is left is
    // the screen's logical resolution against the 96 dots per inch of the design.
    state().ScaleX = logicalDpiX() / 96.0;
    state().ScaleY = logicalDpiY() / 96.0;
    centralWidget()->setFixedSize(
        static_cast<int>(std::lround(kClientDesignSize.width() * state().ScaleX)),
        static_cast<int>(std::lround(kClientDesignSize.height() * state().ScaleX)));
    // The window takes its final size before it is placed and shown, so that the window
    // manager places the frame, not the client area, at the given corner.
    adjustSize();
    place_on_screen(*this);
    if (state().SettingsFileExists)
        read_window_settings(*this, [this](int n) { dx_->loadPersonalList(n, false); });
    // An unreadable value in the settings is reported where it stands and does not keep the
    // prefix table from being prepared.
    ComboBoxListDX->addItems(prepare_prefix_table(prefix_table_entries(), decimal_separator()));
    ComboBoxListDX->setCurrentIndex(-1);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    // At start the window is activated after it is shown. Whether and when a window manager
    // activates a new window is its own choice (a bare X server never does), so activation
    // is asked for and FormActivate runs here once in any case. The dialog, when it opened
    // for a first start, keeps the keyboard.
    if (dialog_->firstShow()) {
        if (!dialog_->visible())
            activateWindow();
        FormActivate();
    }
}

bool TForm1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    // FormActivate runs when the keyboard comes over from the initialisation dialog, not on
    // a return from another program, a message box, the help or the map.
    if (event->type() == QEvent::WindowActivate && dialog_->keyboardCameFromDialog())
        FormActivate();
    return result;
}

void TForm1::FormShow() {
    if (state().LocalLocator.isEmpty())
        formInit()->showBeside(this);
    else
        ComboBoxListDX->setFocus();
}

void TForm1::FormActivate() {
    TCommPortDriver* gs232 = controller().serialPort(RotorInterface::Gs232);
    TCommPortDriver* easycomm = controller().serialPort(RotorInterface::EasyComm);
    if (state().Gs232BaudIndex != -1)
        gs232->setComPortSpeed(state().Gs232BaudIndex);
    if (state().EasyCommBaudIndex != -1)
        easycomm->setComPortSpeed(state().EasyCommBaudIndex);
    if (state().Gs232Com != -1)
        gs232->setComPort(state().Gs232Com);
    if (state().EasyCommCom != -1)
        easycomm->setComPort(state().EasyCommCom);
    update_status_lines();
    // The dialog's locator is empty until the dialog was first shown.
    if (dialog_->built() != nullptr && dialog_->built()->locatorText().size() == 6) {
        dx_->computeBearing();
    } else {
        EditAzimut->clear();
        EditDistance->clear();
    }
    if (dialog_->visible() && state().LocalLocator.isEmpty())
        dialog_->built()->raise();
}

void TForm1::update_status_lines() {
    const auto lpt_line = [](const QString& name, const QString& none_name, int lpt) {
        return lpt == -1 ? QStringLiteral(" Ant = %1 / no LPT").arg(none_name)
                         : QStringLiteral(" Ant = %1 / LPT%2").arg(name).arg(lpt + 1);
    };
    // The rate as chosen; none chosen, the one the port runs at (the driver's own).
    const auto com_line = [this](const QString& name, int com, const QString& baud,
                                 RotorInterface which) {
        const QString shown =
            baud.isEmpty() ? com_port_speed_text(controller().serialPort(which)->ComPortSpeed())
                           : baud;
        return com == -1
                   ? QStringLiteral(" Ant = %1 / no COM").arg(name)
                   : QStringLiteral(" Ant = %1 / COM%2 / %3").arg(name).arg(com + 1).arg(shown);
    };
    QString line;
    bool parking_allowed = false;
    switch (state().SelectedInterface) {
    case RotorInterface::None:
        break;
    case RotorInterface::PourSat:
        line = lpt_line(QStringLiteral("PourSat"), QStringLiteral("PourSat"), state().PourSatLpt);
        parking_allowed = state().PourSatLpt != -1;
        break;
    case RotorInterface::FodTrack:
        // The capital R of the "no LPT" line is how the status line has always read.
        line =
            lpt_line(QStringLiteral("FODTrack"), QStringLiteral("FODTRack"), state().FodTrackLpt);
        parking_allowed = state().FodTrackLpt != -1;
        break;
    case RotorInterface::Ea4tx:
        line = QStringLiteral(" Ant = EA4TX /ARSWIN");
        parking_allowed = true;
        break;
    case RotorInterface::Gs232:
        line = com_line(QStringLiteral("GS232"), state().Gs232Com, state().Gs232BaudText,
                        RotorInterface::Gs232);
        parking_allowed = state().Gs232Com != -1;
        break;
    case RotorInterface::EasyComm:
        line = com_line(QStringLiteral("EasyComm"), state().EasyCommCom, state().EasyCommBaudText,
                        RotorInterface::EasyComm);
        parking_allowed = state().EasyCommCom != -1;
        break;
    case RotorInterface::Network:
        line = QStringLiteral(" Ant = Network / %1:%2")
                   .arg(state().NetworkHost)
                   .arg(state().NetworkPort);
        parking_allowed = true;
        break;
    }
    if (!line.isEmpty()) {
        if (parking_allowed && controller().parkingDue())
            line += QStringLiteral(" / Parking=%1°").arg(round_half_even(state().ParkingAzimuth));
        const QString& network_error = azimuth_->networkError();
        if (state().SelectedInterface == RotorInterface::Network && !network_error.isEmpty())
            line += QStringLiteral(" / ") +
                    network_failure_text(network_error,
                                         french_ ? UiLanguage::French : UiLanguage::English);
        for (const QString& outside : {session_->turnedBy(), session_->outsideRefusal()}) {
            if (!outside.isEmpty())
                line += QStringLiteral(" / ") + outside;
        }
        LabelEtatInterface->setText(line);
    } else if (!session_->outsideRefusal().isEmpty()) {
        LabelEtatInterface->setText(QStringLiteral(" ") + session_->outsideRefusal());
    }

    if (state().LocalLocator.isEmpty()) {
        LabelEtatLocal->setText(QStringLiteral(" Local = none"));
    } else {
        LabelEtatLocal->setText(
            QStringLiteral(" Local = %1 / %2%3 / %4%5")
                .arg(state().LocalLocator,
                     state().LocalNorth ? QStringLiteral("N") : QStringLiteral("S"),
                     format_fixed(state().LocalLatitude, 3),
                     state().LocalEast ? QStringLiteral("E") : QStringLiteral("W"),
                     format_fixed(state().LocalLongitude, 3)));
    }
    for (QLabel* line : {LabelEtatLocal, LabelEtatInterface})
        show_whole_text_when_cut(line, PanelInterface);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormClose()) {
        if (dialog_->built() != nullptr)
            dialog_->built()->hide();
        event->accept();
    } else {
        event->ignore();
    }
}

bool TForm1::FormClose() {
    // Closing on a signal, nobody is there to answer the question.
    if (state().DdeConversationOpen > 0 && !unattended_desktop_) {
        desktop_->message_box(this, BoxIcon::Warning, state().Messages.dde_conversation_open);
        return false;
    }
    // Other programs' requests end before the antenna is stopped and parked, and a typed
    // azimuth still waiting for its pause is dropped.
    emit shuttingDown();
    TimerAzimutPause->stop();
    controller().beginShutDown();
    azimuth_->park();
    controller().finishShutDown();
    save_window_settings(*this);
    return true;
}

void TForm1::MenuInitClick() {
    stop_all();
    controller().forgetLastSent();
    controller().closeSerialPorts();
    formInit()->showBeside(this);
}

void TForm1::MenuQuitterClick() {
    close();
}

namespace {

// The desktop while a signal ends the program: nobody is there to close a box, and the
// session manager's SIGKILL would follow before the settings are written. Each box becomes
// a beep; dialogs are cancelled.
class UnattendedDesktop final : public Desktop {
public:
    explicit UnattendedDesktop(Desktop& desktop) : desktop_(desktop) {}
    void beep() override { desktop_.beep(); }
    void exclamation_beep() override { desktop_.exclamation_beep(); }
    void message_box(QWidget*, BoxIcon, const QString&) override { desktop_.beep(); }
    QString open_file(QWidget*, const QString&, const QString&) override { return {}; }
    void show_help(QWidget*, const QString&) override {}

private:
    Desktop& desktop_;
};

} // namespace

void TForm1::close_on_signal() {
    if (!unattended_desktop_) {
        unattended_desktop_ = std::make_unique<UnattendedDesktop>(*desktop_);
        desktop_ = unattended_desktop_.get();
    }
    // A modal box still open (an error, a file dialog) would hold the shut-down back.
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    close();
}

} // namespace kestrav
