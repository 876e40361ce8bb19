// The interface part of the initialisation dialog: the "INTERFACE" choice and one tab per
// interface, built at their design positions, with the probe ports and the focus order.

#include "rotor/comm_port_driver.h"
#include "rotor/rotor_protocol.h"
#include "setup/dialog_controls.h"
#include "setup/init_dialog.h"
#include "station/station_state.h"
#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

namespace kestrav {

namespace {

// The speeds the baud lists offer: the first nine rates of the port component, so that an
// entry's index is its rate ordinal.
constexpr int kBaudListEntries = 9;

template <typename W> W* named(W* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

// A tab page in the tabs' type, which every control made on it afterwards inherits: one font
// for the page rather than one for each control keeps the start-up short.
QWidget* make_page(const char* name) {
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(name));
    page->setFont(arial(8));
    return page;
}

QLabel* label(QWidget* parent, const QString& name, const QRect& geometry, const QString& text) {
    auto* l = named(new QLabel(text, parent), name, geometry);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

RadioGroup* radio_group(QWidget* parent, const QString& name, const QRect& geometry,
                        const QString& title, const QStringList& items, int columns = 1) {
    return named(new RadioGroup(parent, title, items, columns), name, geometry);
}

} // namespace

// What differs from tab to tab: the names of its controls (the irregular ones in full, the
// others built from the tab's abbreviation), its port group, and its fields of the state.
struct TabTraits {
    const char *caption, *page, *abbreviation, *port, *stop, *step, *go;
    int StationState::*port_field;
    double StationState::*calibration_field;
    double StationState::*zero_field;
    int StationState::*baud_index_field;
    QString StationState::*baud_text_field;
};

namespace {

const TabTraits kTabTraits[kAllRotorInterfaceCount] = {
    {"PourSat", "TabSheetPourSat", "HNV", "RadioGroupHNVLPT", "RadioGroupHNVButee",
     "SpinEditStepPourSat", "BitBtnTestHNV", &StationState::PourSatLpt, &StationState::PourSatCalAz,
     &StationState::PourSatZero, nullptr, nullptr},
    {"FODTrack", "TabSheetFODTrack", "FOD", "RadioGroupFODLPT", "RadioGroupFODButee",
     "SpinEditStepFODtrack", "BitBtntestFOD", &StationState::FodTrackLpt,
     &StationState::FodTrackCalAz, &StationState::FodTrackZero, nullptr, nullptr},
    {"EA4TX", "TabSheetEA4TX", "EA", nullptr, "RadioGroupEAbutee", "SpinEditStepEA", "BitBtnTestEA",
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {"GS-232", "TabSheetGS232", "GS", "RadioGroupPortGS", "RadioGroupGSbutee", "SpinEditStepGS",
     "BitBtnTestGS", &StationState::Gs232Com, nullptr, nullptr, &StationState::Gs232BaudIndex,
     &StationState::Gs232BaudText},
    {"EasyComm", "TabSheetEasyComm", "Easy", "RadioGroupPortEasy", "RadioGroupEasyButee",
     "SpinEditStepEasy", "BitBtnTestEasy", &StationState::EasyCommCom, nullptr, nullptr,
     &StationState::EasyCommBaudIndex, &StationState::EasyCommBaudText},
    {"Network", "TabSheetNetwork", "Net", nullptr, "RadioGroupNetButee", "SpinEditStepNet",
     "BitBtnTestNet", nullptr, nullptr, nullptr, nullptr, nullptr},
};

} // namespace

void TFormInit::build_interface_controls() {
    RadioGroupRotor = radio_group(
        this, QStringLiteral("RadioGroupRotor"), {8, 84, 104, 237}, QStringLiteral("INTERFACE"),
        {QStringLiteral("PourSat"), QStringLiteral("FODTrack"), QStringLiteral("EA4TX"),
         QStringLiteral("GS232"), QStringLiteral("EasyComm"), QStringLiteral("Network")});
    RadioGroupRotor->setFont(arial(10));
    for (int i = 0; i < RadioGroupRotor->count(); ++i)
        RadioGroupRotor->button(i)->setFont(arial(8));
    connect(RadioGroupRotor, &RadioGroup::clicked, this, &TFormInit::RadioGroupRotorClick);

    PageControlAntenne =
        named(new QTabWidget(this), QStringLiteral("PageControlAntenne"), {118, 84, 294, 237});
    // The six captions fit side by side with narrow margins; Tab reaches the tab bar itself.
    PageControlAntenne->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { padding: 3px 1px; }"));
    PageControlAntenne->setFocusPolicy(Qt::NoFocus);
    PageControlAntenne->tabBar()->setFocusPolicy(Qt::TabFocus);
    add_page_keys(PageControlAntenne);
    // Escape closes the dialog as its close box does: it has no Cancel button to press.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    // The probes start at the driver's own rate, the one a port runs at until one is chosen.
    CommPortDriverGS = new TCommPortDriver(this);
    CommPortDriverGS->setObjectName(QStringLiteral("CommPortDriverGS"));
    CommPortDriverEasy = new TCommPortDriver(this);
    CommPortDriverEasy->setObjectName(QStringLiteral("CommPortDriverEasy"));
    for (TCommPortDriver* probe : {CommPortDriverGS, CommPortDriverEasy})
        probe->setPortDirectory(state_.AppDirectory);

    for (int i = 0; i < kAllRotorInterfaceCount; ++i) {
        const TabTraits& traits = kTabTraits[i];
        InterfaceTab& t = tabs_[static_cast<std::size_t>(i)];
        t.which = static_cast<RotorInterface>(i);
        const auto bind = [this](auto StationState::*field) {
            return field != nullptr ? &(state_.*field) : nullptr;
        };
        t.port_field = bind(traits.port_field);
        t.calibration_field = bind(traits.calibration_field);
        t.zero_field = bind(traits.zero_field);
        t.baud_index_field = bind(traits.baud_index_field);
        t.baud_text_field = bind(traits.baud_text_field);
        if (t.which == RotorInterface::Gs232)
            t.range_field = &state_.Gs232Range;
        else if (t.which == RotorInterface::EasyComm)
            t.range_field = &state_.EasyCommRange;
        else if (t.which == RotorInterface::Network)
            t.range_field = &state_.NetworkRange;
        if (t.baud_text_field != nullptr)
            t.probe = t.which == RotorInterface::Gs232 ? CommPortDriverGS : CommPortDriverEasy;
        if (t.which == RotorInterface::Gs232)
            t.az_el_field = &state_.Gs232AzEl;
        else if (t.which == RotorInterface::EasyComm)
            t.az_el_field = &state_.EasyCommAzEl;
        build_tab(t, traits);
        if (t.range_field != nullptr)
            build_az_el(t);
        connect_tab(t);
        if (t.probe != nullptr)
            describe_com_items(t);
    }
    // The captions come once every page is in: the tab bar then measures them once, when it
    // is first shown, rather than all of them again at each insertion.
    for (int i = 0; i < kAllRotorInterfaceCount; ++i)
        PageControlAntenne->setTabText(i, QLatin1String(kTabTraits[i].caption));

    // The named members of each tab's controls.
    const InterfaceTab& hnv = tab(RotorInterface::PourSat);
    const InterfaceTab& fod = tab(RotorInterface::FodTrack);
    const InterfaceTab& ea = tab(RotorInterface::Ea4tx);
    const InterfaceTab& gs = tab(RotorInterface::Gs232);
    const InterfaceTab& easy = tab(RotorInterface::EasyComm);
    TabSheetPourSat = hnv.page;
    RadioGroupHNVLPT = hnv.port;
    RadioGroupHNVButee = hnv.stop;
    SpinEditStepPourSat = hnv.step;
    EditHNVCalAz = hnv.calibration;
    EditHNVZero = hnv.zero;
    SpinEditAzTestHNV = hnv.test_azimuth;
    BitBtnTestHNV = hnv.test;
    CheckBoxParkHNV = hnv.parking;
    TabSheetFODTrack = fod.page;
    RadioGroupFODLPT = fod.port;
    RadioGroupFODButee = fod.stop;
    SpinEditStepFODtrack = fod.step;
    EditFODCalAz = fod.calibration;
    EditFODZero = fod.zero;
    SpinEditAzTestFOD = fod.test_azimuth;
    BitBtntestFOD = fod.test;
    CheckBoxParkFOD = fod.parking;
    TabSheetEA4TX = ea.page;
    RadioGroupEAbutee = ea.stop;
    SpinEditStepEA = ea.step;
    SpinEditAzTestEA = ea.test_azimuth;
    BitBtnTestEA = ea.test;
    CheckBoxParkEA = ea.parking;
    TabSheetGS232 = gs.page;
    RadioGroupPortGS = gs.port;
    RadioGroupGSbutee = gs.stop;
    SpinEditStepGS = gs.step;
    ComboBoxBaudGS = gs.baud;
    ComboBoxRangeGS = gs.range;
    SpinEditAzTestGS = gs.test_azimuth;
    BitBtnTestGS = gs.test;
    CheckBoxParkGS = gs.parking;
    TabSheetEasyComm = easy.page;
    RadioGroupPortEasy = easy.port;
    RadioGroupEasyButee = easy.stop;
    SpinEditStepEasy = easy.step;
    ComboBoxBaudEasy = easy.baud;
    ComboBoxRangeEasy = easy.range;
    SpinEditAzTestEasy = easy.test_azimuth;
    BitBtnTestEasy = easy.test;
    CheckBoxParkEasy = easy.parking;
    const InterfaceTab& net = tab(RotorInterface::Network);
    TabSheetNetwork = net.page;
    RadioGroupNetButee = net.stop;
    ComboBoxRangeNet = net.range;
    SpinEditStepNet = net.step;
    SpinEditAzTestNet = net.test_azimuth;
    BitBtnTestNet = net.test;
    CheckBoxParkNet = net.parking;
}

// One tab: its port group ("LPT port" or "COM Port") where it has one, the "Stop" choice,
// "Min Delta°", the "Test && Parking" group, and the calibration edits, the caution text or
// the baud list of the tabs that have them.
void TFormInit::build_tab(InterfaceTab& t, const TabTraits& traits) {
    const QString abbreviation = QLatin1String(traits.abbreviation);
    const auto name = [&abbreviation](const char* pattern) {
        return QLatin1String(pattern) + abbreviation;
    };
    QWidget* page = t.page = make_page(traits.page);
    PageControlAntenne->addTab(page, QString());

    if (t.calibration_field != nullptr)
        t.port = radio_group(
            page, QLatin1String(traits.port), {6, 4, 112, 92}, QStringLiteral("LPT port"),
            {QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3")});
    else if (t.baud_text_field != nullptr)
        t.port = radio_group(page, QLatin1String(traits.port), {6, 4, 112, 92},
                             QStringLiteral("COM Port"),
                             {QStringLiteral("COM1"), QStringLiteral("COM2"),
                              QStringLiteral("COM3"), QStringLiteral("COM4")});

    t.stop = radio_group(page, QLatin1String(traits.stop), {6, 100, 112, 40},
                         QStringLiteral("Stop"), {QStringLiteral("N"), QStringLiteral("S")}, 2);
    t.stop->setItemIndex(0);
    // Named apart from the other groups' items, so that a screen reader says which side.
    t.stop->button(0)->setObjectName(QStringLiteral("StopSideNorth"));
    t.stop->button(1)->setObjectName(QStringLiteral("StopSideSouth"));
    const QString step = QLatin1String(traits.step);
    label(page, QStringLiteral("Label") + step.mid(8), {6, 150, 68, 16},
          QStringLiteral("Min Delta°"));
    t.step = named(new ArrowSpinBox(page), step, {76, 147, 42, 22});
    t.step->setRange(0, 5);
    t.step->setValue(1);

    auto* test = named(new QGroupBox(QStringLiteral("Test && Parking"), page), name("GroupBoxTest"),
                       {124, 100, 160, 76});
    label(test, name("LabelAzTest"), {6, 24, 22, 16}, QStringLiteral("Az:"));
    t.test_azimuth = named(new QSpinBox(test), name("SpinEditAzTest"), {30, 21, 56, 22});
    t.test_azimuth->setRange(0, 450);
    t.test_azimuth->setSingleStep(5);
    t.test = named(new QPushButton(QStringLiteral("GO"), test), QLatin1String(traits.go),
                   {94, 18, 56, 28});
    t.parking = named(new QCheckBox(QStringLiteral("use for parking"), test), name("CheckBoxPark"),
                      {6, 50, 150, 20});

    if (t.calibration_field != nullptr) {
        auto* cal = named(new QGroupBox(QStringLiteral("Calibration"), page),
                          QStringLiteral("GroupBox%1Cal").arg(abbreviation), {124, 4, 160, 70});
        label(cal, QStringLiteral("Label%1CalAz").arg(abbreviation), {6, 22, 70, 16},
              QStringLiteral("Bit/°Az = "));
        t.calibration = named(new QLineEdit(cal), QStringLiteral("Edit%1CalAz").arg(abbreviation),
                              {78, 19, 74, 22});
        label(cal, QStringLiteral("Label%1Zero").arg(abbreviation), {6, 46, 70, 16},
              QStringLiteral("Zero/°Az= "));
        t.zero = named(new QLineEdit(cal), QStringLiteral("Edit%1Zero").arg(abbreviation),
                       {78, 43, 74, 22});
    }
    if (t.which == RotorInterface::Ea4tx) {
        StaticTextEA4TX = label(page, QStringLiteral("StaticTextEA4TX"), {6, 20, 278, 48},
                                QStringLiteral("CAUTION : ARSWIN must be running"));
        StaticTextEA4TX->setAlignment(Qt::AlignCenter);
        StaticTextEA4TX->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        set_background(StaticTextEA4TX, Qt::red);
    }
    if (t.which == RotorInterface::Network) {
        // Where rotctld listens: its host and TCP port.
        auto* where = named(new QGroupBox(QStringLiteral("rotctld"), page),
                            QStringLiteral("GroupBoxNetAddress"), {6, 4, 278, 70});
        label(where, QStringLiteral("LabelNetHost"), {6, 22, 36, 16}, QStringLiteral("Host"));
        EditNetHost = named(new QLineEdit(where), QStringLiteral("EditNetHost"), {44, 19, 226, 22});
        EditNetHost->setMaxLength(255);
        label(where, QStringLiteral("LabelNetPort"), {6, 46, 36, 16}, QStringLiteral("Port"));
        SpinEditNetPort =
            named(new QSpinBox(where), QStringLiteral("SpinEditNetPort"), {44, 43, 70, 22});
        SpinEditNetPort->setRange(1, 65535);
        connect(EditNetHost, &QLineEdit::textChanged, this, &TFormInit::EditNetHostChange);
        connect(SpinEditNetPort, &QSpinBox::valueChanged, this, &TFormInit::SpinEditNetPortChange);
    }
    if (t.baud_text_field != nullptr) {
        QLabel* bauds = label(page, name("LabelBaud"), {124, 10, 40, 16}, QStringLiteral("Bauds"));
        t.baud = named(new QComboBox(page), name("ComboBoxBaud"), {168, 7, 80, 22});
        // A screen reader names a list after its label: the list itself reads as its entry.
        bauds->setBuddy(t.baud);
        t.baud->setEditable(false);
        t.baud->addItems(com_port_speed_texts().mid(0, kBaudListEntries));
        // No entry is chosen at first: each showing puts the list on the rate the port runs at
        // (show_com_tab).
        t.baud->setCurrentIndex(-1);
    }
    if (t.range_field != nullptr) {
        // How far the rotator turns: 0 to 360, 0 to 450, or what rotctld reports.
        QLabel* range = label(page, name("LabelRange"), {124, 79, 40, 16}, QStringLiteral("Range"));
        t.range = named(new QComboBox(page), name("ComboBoxRange"), {168, 76, 80, 22});
        range->setBuddy(t.range);
        t.range->addItems({QStringLiteral("360"), QStringLiteral("450")});
        if (t.which == RotorInterface::Network)
            t.range->addItem(QStringLiteral("AUTO"));
    }
}

void TFormInit::connect_tab(InterfaceTab& t) {
    using Handler = void (TFormInit::*)();
    struct Handlers {
        Handler port, calibration, zero, stop, step, baud, test, parking;
    };
    static const Handlers handlers[kAllRotorInterfaceCount] = {
        {&TFormInit::RadioGroupHNVLPTClick, &TFormInit::EditHNVCalAzChange,
         &TFormInit::EditHNVZeroChange, &TFormInit::RadioGroupHNVButeeClick,
         &TFormInit::SpinEditStepPourSatChange, nullptr, &TFormInit::BitBtnTestHNVClick,
         &TFormInit::CheckBoxParkHNVClick},
        {&TFormInit::RadioGroupFODLPTClick, &TFormInit::EditFODCalAzChange,
         &TFormInit::EditFODZeroChange, &TFormInit::RadioGroupFODButeeClick,
         &TFormInit::SpinEditStepFODtrackChange, nullptr, &TFormInit::BitBtnTestFODClick,
         &TFormInit::CheckBoxParkFODClick},
        {nullptr, nullptr, nullptr, &TFormInit::RadioGroupEAbuteeClick,
         &TFormInit::SpinEditStepEAChange, nullptr, &TFormInit::BitBtnTestEAClick,
         &TFormInit::CheckBoxParkEAClick},
        {&TFormInit::RadioGroupPortGSClick, nullptr, nullptr, &TFormInit::RadioGroupGSbuteeClick,
         &TFormInit::SpinEditStepGSChange, &TFormInit::ComboBoxBaudGSClick,
         &TFormInit::BitBtnTestGSClick, &TFormInit::CheckBoxParkGSClick},
        {&TFormInit::RadioGroupPortEasyClick, nullptr, nullptr,
         &TFormInit::RadioGroupEasyButeeClick, &TFormInit::SpinEditStepEasyChange,
         &TFormInit::ComboBoxBaudEasyClick, &TFormInit::BitBtnTestEasyClick,
         &TFormInit::CheckBoxParkEasyClick},
        {nullptr, nullptr, nullptr, &TFormInit::RadioGroupNetButeeClick,
         &TFormInit::SpinEditStepNetChange, nullptr, &TFormInit::BitBtnTestNetClick,
         &TFormInit::CheckBoxParkNetClick},
    };
    const Handlers& h = handlers[static_cast<int>(t.which)];
    if (t.port != nullptr)
        connect(t.port, &RadioGroup::clicked, this, h.port);
    if (t.calibration != nullptr) {
        connect(t.calibration, &QLineEdit::textChanged, this, h.calibration);
        connect(t.zero, &QLineEdit::textChanged, this, h.zero);
    }
    connect(t.stop, &RadioGroup::clicked, this, h.stop);
    connect(t.step, &QSpinBox::valueChanged, this, h.step);
    // Only an entry the operator chooses acts; entries chosen by the program do not.
    if (t.baud != nullptr)
        connect(t.baud, &QComboBox::activated, this, h.baud);
    if (t.range != nullptr)
        connect(t.range, &QComboBox::activated, this, [this, &t] { range_chosen(t); });
    connect(t.test, &QPushButton::clicked, this, h.test);
    connect(t.parking, &QCheckBox::toggled, this, h.parking);
}

// Tab leads through the local station, the interface choice and the tab bar, then through
// the visible tab: its port, "Stop", "Min Delta°", calibration or speed, and the test.
void TFormInit::set_focus_order() {
    QList<QWidget*> order{EditLocalLocator,     CheckBoxLattitudeNord,     EditLocalLattitude,
                          CheckBoxLattitudeSud, CheckBoxLongitudeOuest,    EditLocalLongitude,
                          CheckBoxLongitudeEst, RadioGroupRotor->button(0)};
    for (int i = 1; i < RadioGroupRotor->count(); ++i)
        order << RadioGroupRotor->button(i);
    order << PageControlAntenne->tabBar();
    for (const InterfaceTab& t : tabs_) {
        // rotctld's host and port stand at the top of their tab, above the stop side.
        if (t.which == RotorInterface::Network)
            order << EditNetHost << SpinEditNetPort;
        for (RadioGroup* group : {t.port, t.stop})
            if (group != nullptr)
                for (int i = 0; i < group->count(); ++i)
                    order << group->button(i);
        order << t.step;
        if (t.calibration != nullptr)
            order << t.calibration << t.zero;
        if (t.baud != nullptr)
            order << t.baud;
        if (t.range != nullptr)
            order << t.range;
        for (QWidget* w :
             std::initializer_list<QWidget*>{t.elevation_step, t.az_el, t.max_elevation})
            if (w != nullptr)
                order << w;
        order << t.test_azimuth << t.test << t.parking;
        if (t.parking_elevation != nullptr)
            order << t.parking_elevation;
    }
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace kestrav
