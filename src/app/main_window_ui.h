#pragma once
// The parts of the main window: its controls, menus and timers, named as they are found by
// object name. The window holds them privately and hands them to the parts of its view;
// nothing else reaches them.

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace kestrav {

class ClickableLabel;
class MapWindow;
class Panel;
class UpDown;

struct MainWindowUi {
    // DX group
    QGroupBox* GroupBoxDX = nullptr;
    QLabel* LabelDXLocator = nullptr;
    QLineEdit* EditDXLocator = nullptr;
    QLabel* LabelDXLattitude = nullptr;
    QCheckBox* CheckBoxLattitudeNordDX = nullptr;
    QLineEdit* EditDXLattitude = nullptr;
    QCheckBox* CheckBoxLattitudeSudDX = nullptr;
    QLabel* LabelDXLongitude = nullptr;
    QCheckBox* CheckBoxLongitudeOuestDX = nullptr;
    QLineEdit* EditDXLongitude = nullptr;
    QCheckBox* CheckBoxLongitudeEstDX = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBoxListDX = nullptr;
    QLabel* LabelPerso1 = nullptr;
    QComboBox* ComboBoxPerso1 = nullptr;
    QLabel* LabelPerso2 = nullptr;
    QComboBox* ComboBoxPerso2 = nullptr;
    QLabel* LabelPerso3 = nullptr;
    QComboBox* ComboBoxPerso3 = nullptr;

    // Title panel
    Panel* PanelTitre = nullptr;
    QLabel* ImageTitre = nullptr;
    QLabel* LabelTitre = nullptr;

    // BEAM group
    QGroupBox* GroupBoxBeam = nullptr;
    ClickableLabel* LabelAzimut = nullptr;
    QLineEdit* EditAzimut = nullptr;
    UpDown* UpDownAzimut = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QToolButton* SpeedButtonLP = nullptr;
    QLabel* LabelDistance = nullptr;
    QLineEdit* EditDistance = nullptr;

    // Command panel
    Panel* PanelLampe = nullptr;
    QPushButton* ButtonTrack = nullptr;
    QToolButton* SpeedButtonAuto = nullptr;
    QPushButton* BitBtnStop = nullptr;
    QLabel* ImageLEDOff = nullptr;
    QLabel* ImageLedOn = nullptr;

    // Status panel
    Panel* PanelInterface = nullptr;
    QLabel* LabelEtatLocal = nullptr;
    QLabel* LabelEtatInterface = nullptr;

    // Menus
    QAction* MenuQuitter = nullptr;
    QAction* MenuInit = nullptr;
    QMenu* MenuListe = nullptr;
    QAction* MenuListe1 = nullptr;
    QAction* Menuliste2 = nullptr;
    QAction* MenuListe3 = nullptr;
    QMenu* MenuUnit = nullptr;
    QAction* MenuKm = nullptr;
    QAction* MenuMile = nullptr;
    QMenu* MenuLangue = nullptr;
    QAction* MenuEnglish = nullptr;
    QAction* MenuFrancais = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuAide = nullptr;
    QAction* MenuAPropos = nullptr;

    // Timers of the tracking indication
    QTimer* TimerBlink = nullptr;
    QTimer* TimerTrackOK = nullptr;
    // With AUTO down, a typed azimuth goes out when this fires, once typing has paused.
    QTimer* TimerAzimutPause = nullptr;

    // The antenna heading's menu item, under "&Unit"
    QAction* MenuHeading = nullptr;
    // Kestrav's own rotctld server: its item under "&Unit" opens its settings dialog.
    QAction* MenuServeRotctld = nullptr;

    // The great-circle map, a window of its own opened from the menu
    QAction* MenuMap = nullptr;
    MapWindow* FormMap = nullptr;

    // The prefix list (0) and the personal lists (1 to 3).
    QComboBox* station_list(int n) const;
    // No entry of any list stays chosen.
    void clear_list_selections() const;
};

} // namespace kestrav
