// The azimuth-elevation controls of the initialisation dialog. On the GS-232 and EasyComm tabs
// a check box says the rotator turns in elevation too, and how high (90 degrees, or 180 for a
// rotator that flips over the zenith); rotctld tells its own. Where such a rotator is, its tab
// also shows the elevation's minimum step and, beside the parking azimuth, the parking
// elevation; elsewhere the tabs are as they were. Each change writes the state at once.

#include "rotor/rotor_controller.h"
#include "rotor/rotor_link.h"
#include "setup/dialog_controls.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"
#include "station/station_session.h"
#include "station/station_state.h"
#include "ui/accessible_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

namespace kestrav {

namespace {

template <typename W> W* placed(W* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    widget->hide();
    return widget;
}

// The abbreviation the tab's controls are named with.
QString abbreviation(RotorInterface which) {
    switch (which) {
    case RotorInterface::Gs232:
        return QStringLiteral("GS");
    case RotorInterface::EasyComm:
        return QStringLiteral("Easy");
    default:
        return QStringLiteral("Net");
    }
}

// The parking check box leaves room for the parking elevation beside it.
constexpr int kParkingBoxWidth = 150;
constexpr int kParkingBoxNarrowWidth = 105;

} // namespace

// The check box stands under the stop side and the test, the highest elevation and the
// elevation's step between the baud rate and the range; rotctld's tab, whose address fills its
// top, has its step at the bottom.
void TFormInit::build_az_el(InterfaceTab& t) {
    const QString a = abbreviation(t.which);
    QWidget* page = t.page;
    if (t.az_el_field != nullptr) {
        t.az_el = new QCheckBox(page);
        t.az_el->setObjectName(QStringLiteral("CheckBoxAzEl") + a);
        t.az_el->setGeometry(6, 182, 278, 20);
        t.max_elevation_label =
            placed(new QLabel(page), QStringLiteral("LabelMaxEl") + a, {124, 34, 44, 16});
        t.max_elevation =
            placed(new QComboBox(page), QStringLiteral("ComboBoxMaxEl") + a, {168, 31, 80, 22});
        t.max_elevation->addItems({QStringLiteral("90"), QStringLiteral("180")});
        t.max_elevation_label->setBuddy(t.max_elevation);
        connect(t.az_el, &QCheckBox::clicked, this, [this, &t] { az_el_chosen(t); });
        connect(t.max_elevation, &QComboBox::activated, this,
                [this, &t] { max_elevation_chosen(t); });
    }
    const bool network = t.which == RotorInterface::Network;
    t.elevation_step_label = placed(new QLabel(page), QStringLiteral("LabelElStep") + a,
                                    network ? QRect(6, 185, 72, 16) : QRect(124, 57, 80, 16));
    t.elevation_step = placed(new ArrowSpinBox(page), QStringLiteral("SpinEditElStep") + a,
                              network ? QRect(80, 182, 42, 22) : QRect(206, 54, 42, 22));
    // The steps the settings file takes.
    t.elevation_step->setRange(0, 90);
    t.elevation_step_label->setBuddy(t.elevation_step);
    // Beside the parking box, its caption in the box itself ("El 10"): the group has no room
    // for a label of its own.
    t.parking_elevation = placed(new QSpinBox(t.test_azimuth->parentWidget()),
                                 QStringLiteral("SpinEditParkEl") + a, {111, 49, 47, 22});
    // One step and one parking elevation for every such rotator: the other tabs show the change.
    const auto shared = [this](int& field, QSpinBox* InterfaceTab::*box) {
        return [this, &field, box](int value) {
            field = value;
            for (InterfaceTab& other : tabs_) {
                if (other.*box != nullptr && (other.*box)->value() != value) {
                    const QSignalBlocker blocker(other.*box);
                    (other.*box)->setValue(value);
                }
            }
        };
    };
    connect(t.elevation_step, &QSpinBox::valueChanged, this,
            shared(state_.ElevationStep, &InterfaceTab::elevation_step));
    connect(t.parking_elevation, &QSpinBox::valueChanged, this,
            shared(state_.ParkingElevation, &InterfaceTab::parking_elevation));
    if (network) {
        // rotctld tells whether its rotator turns in elevation with its range.
        connect(main_.dialogSession().rotor().networkLink(), &RotorLink::rangeReceived, this,
                [this, &t] { show_az_el(t); });
    }
}

bool TFormInit::az_el_shown(const InterfaceTab& t) const {
    if (t.az_el_field != nullptr)
        return t.az_el_field->on;
    return main_.dialogSession().rotor().azEl(t.which);
}

// The tab's controls as the state holds them, written without acting: an elevation the
// spin boxes cannot show is kept in the state until the operator changes it.
void TFormInit::show_az_el(InterfaceTab& t) {
    const bool shown = az_el_shown(t);
    const int highest =
        t.az_el_field != nullptr
            ? t.az_el_field->max_elevation
            : static_cast<int>(main_.dialogSession().rotor().elevationRange(t.which).max);
    {
        const QSignalBlocker step(t.elevation_step);
        const QSignalBlocker parking(t.parking_elevation);
        t.elevation_step->setValue(state_.ElevationStep);
        t.parking_elevation->setRange(0, highest);
        t.parking_elevation->setValue(state_.ParkingElevation);
    }
    if (t.az_el != nullptr) {
        const QSignalBlocker box(t.az_el);
        t.az_el->setChecked(shown);
        t.max_elevation->setCurrentIndex(t.az_el_field->max_elevation == 180 ? 1 : 0);
        t.max_elevation_label->setVisible(shown);
        t.max_elevation->setVisible(shown);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{t.elevation_step_label, t.elevation_step,
                                                      t.parking_elevation})
        w->setVisible(shown);
    t.parking->resize(shown ? kParkingBoxNarrowWidth : kParkingBoxWidth, t.parking->height());
}

void TFormInit::az_el_chosen(InterfaceTab& t) {
    t.az_el_field->on = t.az_el->isChecked();
    show_az_el(t);
    // The next GO is sent whatever the minimum step, the elevation with it.
    main_.dialogSession().rotor().forgetLastSent();
    main_.interfaceChanged();
}

// A parking elevation above the new highest one comes down to it.
void TFormInit::max_elevation_chosen(InterfaceTab& t) {
    t.az_el_field->max_elevation = t.max_elevation->currentIndex() == 1 ? 180 : 90;
    if (state_.ParkingElevation > t.az_el_field->max_elevation)
        state_.ParkingElevation = t.az_el_field->max_elevation;
    show_az_el(t);
    main_.interfaceChanged();
}

void TFormInit::setAzElTexts(const LanguageTexts& texts) {
    for (InterfaceTab& t : tabs_) {
        if (t.elevation_step == nullptr)
            continue;
        if (t.az_el != nullptr) {
            t.az_el->setText(texts.azel_rotator);
            t.max_elevation_label->setText(texts.max_elevation);
            t.max_elevation->setItemData(1, texts.max_elevation_flips, Qt::ToolTipRole);
            t.max_elevation->setToolTip(texts.max_elevation_flips);
        }
        t.elevation_step_label->setText(texts.elevation_step);
        t.parking_elevation->setPrefix(texts.parking_elevation);
    }
}

} // namespace kestrav
