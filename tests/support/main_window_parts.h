#pragma once
// The main window's parts for tests, found by the object names the window gives them: the
// window keeps its controls private, the controller owns the ports, the link and the heading
// timers.

#include "app/main_window.h"
#include "app/main_window_ui.h"
#include "app/widgets.h"
#include "map/map_window.h"
#include "rotor/comm_port_driver.h"
#include "rotor/rotctld_link.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace kestrav::test {

struct MainWindowParts : MainWindowUi {
    TCommPortDriver* CommPortDriverGS = nullptr;
    TCommPortDriver* CommPortDriverEasy = nullptr;
    RotctldLink* NetworkLink = nullptr;
    QTimer* TimerHeading = nullptr;
    QTimer* TimerHeadingStale = nullptr;
    // The rotator's command keys and their menu.
    QMenu* MenuRotator = nullptr;
    QAction* MenuGo = nullptr;
    QAction* MenuAuto = nullptr;
    QAction* MenuStop = nullptr;
    QAction* MenuLongPath = nullptr;
    QAction* MenuMapCall = nullptr;
};

template <class T> void find_part(QObject& window, T*& part, const char* name) {
    part = window.findChild<T*>(QLatin1String(name));
    if (part == nullptr)
        ADD_FAILURE() << "the main window has no part named " << name;
}

inline MainWindowParts find_parts(TForm1& window) {
    MainWindowParts parts;
#define KESTRAV_FIND_PART(name) find_part(window, parts.name, #name)
    KESTRAV_FIND_PART(GroupBoxDX);
    KESTRAV_FIND_PART(LabelDXLocator);
    KESTRAV_FIND_PART(EditDXLocator);
    KESTRAV_FIND_PART(LabelDXLattitude);
    KESTRAV_FIND_PART(CheckBoxLattitudeNordDX);
    KESTRAV_FIND_PART(EditDXLattitude);
    KESTRAV_FIND_PART(CheckBoxLattitudeSudDX);
    KESTRAV_FIND_PART(LabelDXLongitude);
    KESTRAV_FIND_PART(CheckBoxLongitudeOuestDX);
    KESTRAV_FIND_PART(EditDXLongitude);
    KESTRAV_FIND_PART(CheckBoxLongitudeEstDX);
    KESTRAV_FIND_PART(Label1);
    KESTRAV_FIND_PART(ComboBoxListDX);
    KESTRAV_FIND_PART(LabelPerso1);
    KESTRAV_FIND_PART(ComboBoxPerso1);
    KESTRAV_FIND_PART(LabelPerso2);
    KESTRAV_FIND_PART(ComboBoxPerso2);
    KESTRAV_FIND_PART(LabelPerso3);
    KESTRAV_FIND_PART(ComboBoxPerso3);
    KESTRAV_FIND_PART(PanelTitre);
    KESTRAV_FIND_PART(ImageTitre);
    KESTRAV_FIND_PART(LabelTitre);
    KESTRAV_FIND_PART(GroupBoxBeam);
    KESTRAV_FIND_PART(LabelAzimut);
    KESTRAV_FIND_PART(EditAzimut);
    KESTRAV_FIND_PART(UpDownAzimut);
    KESTRAV_FIND_PART(Image1);
    KESTRAV_FIND_PART(Image2);
    KESTRAV_FIND_PART(SpeedButtonLP);
    KESTRAV_FIND_PART(LabelDistance);
    KESTRAV_FIND_PART(EditDistance);
    KESTRAV_FIND_PART(PanelLampe);
    KESTRAV_FIND_PART(ButtonTrack);
    KESTRAV_FIND_PART(SpeedButtonAuto);
    KESTRAV_FIND_PART(BitBtnStop);
    KESTRAV_FIND_PART(ImageLEDOff);
    KESTRAV_FIND_PART(ImageLedOn);
    KESTRAV_FIND_PART(PanelInterface);
    KESTRAV_FIND_PART(LabelEtatLocal);
    KESTRAV_FIND_PART(LabelEtatInterface);
    KESTRAV_FIND_PART(MenuQuitter);
    KESTRAV_FIND_PART(MenuInit);
    KESTRAV_FIND_PART(MenuListe);
    KESTRAV_FIND_PART(MenuListe1);
    KESTRAV_FIND_PART(Menuliste2);
    KESTRAV_FIND_PART(MenuListe3);
    KESTRAV_FIND_PART(MenuUnit);
    KESTRAV_FIND_PART(MenuKm);
    KESTRAV_FIND_PART(MenuMile);
    KESTRAV_FIND_PART(MenuLangue);
    KESTRAV_FIND_PART(MenuEnglish);
    KESTRAV_FIND_PART(MenuFrancais);
    KESTRAV_FIND_PART(MenuHelp);
    KESTRAV_FIND_PART(MenuAide);
    KESTRAV_FIND_PART(MenuAPropos);
    KESTRAV_FIND_PART(TimerBlink);
    KESTRAV_FIND_PART(TimerTrackOK);
    KESTRAV_FIND_PART(TimerAzimutPause);
    KESTRAV_FIND_PART(MenuHeading);
    KESTRAV_FIND_PART(MenuServeRotctld);
    KESTRAV_FIND_PART(MenuMap);
    KESTRAV_FIND_PART(FormMap);
    KESTRAV_FIND_PART(CommPortDriverGS);
    KESTRAV_FIND_PART(CommPortDriverEasy);
    KESTRAV_FIND_PART(NetworkLink);
    KESTRAV_FIND_PART(TimerHeading);
    KESTRAV_FIND_PART(TimerHeadingStale);
    KESTRAV_FIND_PART(MenuRotator);
    KESTRAV_FIND_PART(MenuGo);
    KESTRAV_FIND_PART(MenuAuto);
    KESTRAV_FIND_PART(MenuStop);
    KESTRAV_FIND_PART(MenuLongPath);
    KESTRAV_FIND_PART(MenuMapCall);
#undef KESTRAV_FIND_PART
    return parts;
}

} // namespace kestrav::test
