#include "setup/init_dialog.h"

#include "geodesy/locator.h"
#include "geodesy/number_text.h"
#include "rotor/comm_port_driver.h"
#include "rotor/lpt_sequence.h"
#include "rotor/parallel_port.h"
#include "setup/dialog_controls.h"
#include "setup/languages.h"
#include "setup/window_placement.h"
#include "station/station_state.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "ui/field_text.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>

#include <cmath>

namespace kestrav {

TFormInit::TFormInit(InitDialogHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), main_(host), state_(host.dialogStation()) {
    setObjectName(QStringLiteral("FormInit"));
    setWindowTitle(QLatin1String(kInitDialogTitle));
    // A window of its own, so it does not inherit the main window's icon: it is given it.
    setWindowIcon(host.dialogIcon());
    // Like the main window: a fixed size, with minimise and close but no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(design_size());
    // The dialog's type, set before any control exists so that each inherits it at once.
    setFont(arial(8));
    build_local_group();
    build_interface_controls();
    set_focus_order();
}

void TFormInit::build_local_group() {
    GroupBoxLocal = make<QGroupBox>(this, "GroupBoxLocal", 8, 4, 404, 72);
    GroupBoxLocal->setTitle(QStringLiteral("LOCAL"));
    GroupBoxLocal->setFont(arial(10));
    QWidget* g = GroupBoxLocal;
    LabelLocalLocator =
        make_label(g, "LabelLocalLocator", 12, 20, 73, 14, QStringLiteral("Locator"), arial(8));
    EditLocalLocator = make<QLineEdit>(g, "EditLocalLocator", 12, 36, 73, 24);
    LabelLocalLattitude =
        make_label(g, "LabelLocalLattitude", 132, 20, 73, 14, QStringLiteral("Latitude"), arial(8));
    CheckBoxLattitudeNord =
        make_check(g, "CheckBoxLattitudeNord", 96, 40, 33, 17, QStringLiteral("N"), true, true);
    EditLocalLattitude = make<QLineEdit>(g, "EditLocalLattitude", 132, 36, 73, 24);
    CheckBoxLattitudeSud =
        make_check(g, "CheckBoxLattitudeSud", 210, 40, 33, 17, QStringLiteral("S"), false, false);
    LabelLocalLongitude = make_label(g, "LabelLocalLongitude", 286, 20, 73, 14,
                                     QStringLiteral("Longitude"), arial(8));
    CheckBoxLongitudeOuest =
        make_check(g, "CheckBoxLongitudeOuest", 250, 40, 33, 17, QStringLiteral("W"), true, true);
    EditLocalLongitude = make<QLineEdit>(g, "EditLocalLongitude", 286, 36, 73, 24);
    CheckBoxLongitudeEst =
        make_check(g, "CheckBoxLongitudeEst", 364, 40, 33, 17, QStringLiteral("E"), false, false);
    for (QLineEdit* e : {EditLocalLocator, EditLocalLattitude, EditLocalLongitude})
        e->setFont(arial(10));

    connect(EditLocalLocator, &QLineEdit::textChanged, this, &TFormInit::EditLocalLocatorChange);
    connect(EditLocalLattitude, &QLineEdit::textChanged, this,
            &TFormInit::EditLocalLattitudeChange);
    connect(EditLocalLongitude, &QLineEdit::textChanged, this,
            &TFormInit::EditLocalLongitudeChange);
    connect(CheckBoxLattitudeNord, &QCheckBox::toggled, this,
            &TFormInit::CheckBoxLattitudeNordClick);
    connect(CheckBoxLattitudeSud, &QCheckBox::toggled, this, &TFormInit::CheckBoxLattitudeSudClick);
    connect(CheckBoxLongitudeOuest, &QCheckBox::toggled, this,
            &TFormInit::CheckBoxLongitudeOuestClick);
    connect(CheckBoxLongitudeEst, &QCheckBox::toggled, this, &TFormInit::CheckBoxLongitudeEstClick);
}

void TFormInit::showBeside(QWidget* main_window, bool place_again) {
    if (!isVisible() || place_again) {
        // Before its first showing the dialog has no frame yet; the main window's frame is
        // the best measure of the one it will get.
        const auto margins = [](const QRect& frame, const QRect& client) {
            return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                            frame.right() - client.right(), frame.bottom() - client.bottom());
        };
        const QRect main_frame = main_window->frameGeometry();
        QMargins frame = margins(main_frame, main_window->geometry());
        if (testAttribute(Qt::WA_WState_Created) && frameGeometry() != geometry())
            frame = margins(frameGeometry(), geometry());
        const QSize frame_size = size().grownBy(frame);
        QScreen* screen = main_window->screen();
        const QRect available = screen != nullptr ? screen->availableGeometry() : main_frame;
        move(place_beside(main_frame, frame_size, available));
    }
    show();
    raise();
    // Shown or shown again, the dialog takes the keyboard; at a first start it waits for the
    // local locator.
    activateWindow();
    if (state_.LocalLocator.isEmpty())
        EditLocalLocator->setFocus(Qt::ActiveWindowFocusReason);
}

QSize TFormInit::design_size() const {
    return {static_cast<int>(std::lround(420 * state_.ScaleX)),
            static_cast<int>(std::lround(329 * state_.ScaleY))};
}

void TFormInit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Closing hides the dialog; it lives until the program ends.
void TFormInit::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

bool TFormInit::event(QEvent* event) {
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return result;
}

void TFormInit::FormShow() {
    // The stored locator is written as if the operator had typed it.
    loading_ = true;
    EditLocalLocator->setText(state_.LocalLocator);
    loading_ = false;

    RadioGroupRotor->setItemIndex(static_cast<int>(state_.SelectedInterface));
    for (RotorInterface which : {RotorInterface::PourSat, RotorInterface::FodTrack}) {
        InterfaceTab& t = tab(which);
        t.port->setItemIndex(*t.port_field);
        t.stop->setItemIndex(static_cast<int>(state_.stop_side(which)));
        t.step->setValue(state_.min_step(which));
        t.calibration->setText(format_general(*t.calibration_field, 7));
        t.zero->setText(format_general(*t.zero_field, 7));
        rewrite_lpt_items(t.port);
    }
    tab(RotorInterface::Ea4tx)
        .stop->setItemIndex(static_cast<int>(state_.stop_side(RotorInterface::Ea4tx)));
    tab(RotorInterface::Ea4tx).step->setValue(state_.min_step(RotorInterface::Ea4tx));
    show_com_tab(tab(RotorInterface::Gs232));
    show_com_tab(tab(RotorInterface::EasyComm));
    {
        // Shown as stored: showing alone does not count as setting the interface up.
        InterfaceTab& net = tab(RotorInterface::Network);
        const bool configured = state_.NetworkConfigured;
        EditNetHost->setText(state_.NetworkHost);
        SpinEditNetPort->setValue(state_.NetworkPort);
        net.stop->setItemIndex(static_cast<int>(state_.stop_side(RotorInterface::Network)));
        net.step->setValue(state_.min_step(RotorInterface::Network));
        net.range->setCurrentIndex(static_cast<int>(state_.NetworkRange));
        state_.NetworkConfigured = configured;
    }
    for (InterfaceTab& t : tabs_)
        if (t.elevation_step != nullptr)
            show_az_el(t);
    setAzElTexts(language_texts(accessible_language(this)));
    if (state_.SelectedInterface != RotorInterface::None)
        PageControlAntenne->setCurrentWidget(tab(state_.SelectedInterface).page);
}

void TFormInit::show_com_tab(InterfaceTab& t) {
    t.port->setItemIndex(*t.port_field);
    t.stop->setItemIndex(static_cast<int>(state_.stop_side(t.which)));
    t.step->setValue(state_.min_step(t.which));
    t.range->setCurrentIndex(static_cast<int>(*t.range_field));
    if (t.baud_text_field->isEmpty()) {
        // No rate chosen yet: the list shows the one the port runs at, the driver's own, and
        // the settings row stays empty until the operator chooses an entry, that one included.
        t.baud->setCurrentIndex(kDefaultComPortSpeed);
        *t.baud_index_field = -1;
        return;
    }
    // The stored rate is chosen again at every showing; a text that is not in the list
    // leaves the entry chosen before, if any, and stands in the empty list otherwise (38400
    // from the settings file runs at 38400).
    t.baud->setPlaceholderText(*t.baud_text_field);
    const int entry =
        t.baud->findText(*t.baud_text_field, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry != -1) {
        t.baud->setCurrentIndex(entry);
        baud_chosen(t);
    }
    *t.baud_index_field = t.baud->currentIndex();
}

void TFormInit::FormActivate() {
    setFixedSize(design_size());
    if (!state_.ParkingInterface)
        return;
    InterfaceTab& t = tab(*state_.ParkingInterface);
    t.test_azimuth->setValue(static_cast<int>(round_half_even(state_.ParkingAzimuth)));
    t.parking->setChecked(true);
}

void TFormInit::FormClose() {
    ParallelPortLibrary* port = main_.dialogParallelPort();
    if (port != nullptr && port->IsWinNT()) {
        for (RotorInterface which : {RotorInterface::PourSat, RotorInterface::FodTrack}) {
            if (tab(which).port->itemIndex() != -1) {
                const std::uint16_t address = chosen_lpt_address(tab(which));
                port->DisablePorts(address, address);
            }
        }
    }
    CommPortDriverGS->ClosePort();
    CommPortDriverEasy->ClosePort();
    main_.dropTestCommand();
    // Parking is the interface in use, when its tab's box is ticked; nothing otherwise.
    state_.ParkingInterface.reset();
    const int chosen = RadioGroupRotor->itemIndex();
    if (chosen != -1) {
        const InterfaceTab& t = tabs_[static_cast<std::size_t>(chosen)];
        if (t.parking->isChecked()) {
            state_.ParkingInterface = static_cast<RotorInterface>(chosen);
            state_.ParkingAzimuth = t.test_azimuth->value();
        }
    }
}

void TFormInit::EditLocalLocatorChange() {
    if (!EditLocalLocator->hasFocus() && !loading_)
        return;
    const QString text = apply_locator_rules(EditLocalLocator);
    locator_text_ = text;
    if (text.isEmpty()) {
        EditLocalLattitude->clear();
        EditLocalLongitude->clear();
        working_latitude_ = 0;
        working_longitude_ = 0;
        state_.LocalLocator.clear();
    } else if (locator_complete(text)) {
        const SignedPosition p = locator_to_position(text);
        CheckBoxLongitudeEst->setChecked(p.longitude >= 0);
        CheckBoxLattitudeNord->setChecked(p.latitude >= 0);
        working_latitude_ = std::abs(p.latitude);
        working_longitude_ = std::abs(p.longitude);
        state_.LocalLatitude = working_latitude_;
        state_.LocalLongitude = working_longitude_;
        state_.LocalNorth = p.latitude >= 0;
        state_.LocalEast = p.longitude >= 0;
        state_.LocalLocator = text;
        EditLocalLattitude->setText(format_fixed(working_latitude_, 3));
        EditLocalLongitude->setText(format_fixed(working_longitude_, 3));
    } else {
        EditLocalLattitude->clear();
        EditLocalLongitude->clear();
    }
}

void TFormInit::EditLocalLattitudeChange() {
    coordinate_changed(EditLocalLattitude, working_latitude_, state_.LocalLatitude);
}

void TFormInit::EditLocalLongitudeChange() {
    coordinate_changed(EditLocalLongitude, working_longitude_, state_.LocalLongitude);
}

void TFormInit::coordinate_changed(QLineEdit* field, double& working, double& stored) {
    if (!field->hasFocus())
        return;
    const CoordinateText c = apply_coordinate_rules(field, main_.dialogDesktop());
    if (c.empty) {
        EditLocalLocator->clear();
    } else if (c.readable) {
        working = c.value;
        stored = c.value;
        update_local_locator();
    }
}

void TFormInit::hemisphere_clicked(QCheckBox* box, QCheckBox* partner) {
    partner->setChecked(!box->isChecked());
    state_.LocalNorth = CheckBoxLattitudeNord->isChecked();
    state_.LocalEast = CheckBoxLongitudeEst->isChecked();
    if (box->hasFocus())
        update_local_locator();
}

void TFormInit::CheckBoxLattitudeNordClick() {
    hemisphere_clicked(CheckBoxLattitudeNord, CheckBoxLattitudeSud);
}
void TFormInit::CheckBoxLattitudeSudClick() {
    hemisphere_clicked(CheckBoxLattitudeSud, CheckBoxLattitudeNord);
}
void TFormInit::CheckBoxLongitudeOuestClick() {
    hemisphere_clicked(CheckBoxLongitudeOuest, CheckBoxLongitudeEst);
}
void TFormInit::CheckBoxLongitudeEstClick() {
    hemisphere_clicked(CheckBoxLongitudeEst, CheckBoxLongitudeOuest);
}

void TFormInit::update_local_locator() {
    if (EditLocalLongitude->text().isEmpty() || EditLocalLattitude->text().isEmpty()) {
        EditLocalLocator->clear();
        return;
    }
    const QString locator =
        position_to_locator(working_latitude_, CheckBoxLattitudeNord->isChecked(),
                            working_longitude_, CheckBoxLongitudeEst->isChecked());
    EditLocalLocator->setText(locator);
    if (locator.isEmpty())
        return;
    locator_text_ = locator;
    state_.LocalLocator = locator;
    state_.LocalLatitude = working_latitude_;
    state_.LocalLongitude = working_longitude_;
    state_.LocalNorth = CheckBoxLattitudeNord->isChecked();
    state_.LocalEast = CheckBoxLongitudeEst->isChecked();
}

} // namespace kestrav
