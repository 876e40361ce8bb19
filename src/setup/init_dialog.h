#pragma once
// The initialisation dialog: a modeless window, created once and never destroyed, where the
// operator enters the own station and chooses, sets up and tests the rotator interface.
// There is no OK or Cancel: every accepted change takes effect in the state at once, and the
// settings file keeps it at exit; Escape closes the dialog as its close box does. The dialog's
// texts are English whatever the language, but for the azimuth-elevation controls'.

#include "rotor/rotor_types.h"
#include "setup/init_dialog_host.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace kestrav {

struct LanguageTexts;
class RadioGroup;
struct TabTraits;
class TCommPortDriver;
struct StationState;

// The dialog's caption, also answered for while the dialog is not built yet.
inline constexpr char kInitDialogTitle[] = "Kestrav - Initialisation";

class TFormInit : public QWidget {
    Q_OBJECT
public:
    TFormInit(InitDialogHost& host, QWidget* parent);

    // The locator text as last processed by the locator field's handler or written by
    // update_local_locator; emptying the field from code leaves it unchanged.
    const QString& locatorText() const { return locator_text_; }
    // Shows the dialog beside the main window, wholly on the screen that shows the main
    // window, and gives it the keyboard; a dialog already shown keeps its place unless
    // `place_again` (the main window has just got its frame, so its real size is known).
    void showBeside(QWidget* main_window, bool place_again = false);
    // The texts of the azimuth-elevation controls, which follow the interface language.
    void setAzElTexts(const LanguageTexts& texts);

    QGroupBox* GroupBoxLocal = nullptr;
    QLabel* LabelLocalLocator = nullptr;
    QLineEdit* EditLocalLocator = nullptr;
    QLabel* LabelLocalLattitude = nullptr;
    QCheckBox* CheckBoxLattitudeNord = nullptr;
    QLineEdit* EditLocalLattitude = nullptr;
    QCheckBox* CheckBoxLattitudeSud = nullptr;
    QLabel* LabelLocalLongitude = nullptr;
    QCheckBox* CheckBoxLongitudeOuest = nullptr;
    QLineEdit* EditLocalLongitude = nullptr;
    QCheckBox* CheckBoxLongitudeEst = nullptr;

    // The interface choice and one tab per interface. The labels and frames of the tabs are
    // found by name (LabelHNVCalAz, GroupBoxTestGS, ...); the controls that act are here.
    RadioGroup* RadioGroupRotor = nullptr;
    QTabWidget* PageControlAntenne = nullptr;
    QWidget* TabSheetPourSat = nullptr;
    QWidget* TabSheetFODTrack = nullptr;
    QWidget* TabSheetEA4TX = nullptr;
    QWidget* TabSheetGS232 = nullptr;
    QWidget* TabSheetEasyComm = nullptr;
    QWidget* TabSheetNetwork = nullptr;

    // PourSat tab
    RadioGroup* RadioGroupHNVLPT = nullptr;
    RadioGroup* RadioGroupHNVButee = nullptr;
    QLineEdit* EditHNVCalAz = nullptr;
    QLineEdit* EditHNVZero = nullptr;
    QSpinBox* SpinEditStepPourSat = nullptr;
    QSpinBox* SpinEditAzTestHNV = nullptr;
    QPushButton* BitBtnTestHNV = nullptr;
    QCheckBox* CheckBoxParkHNV = nullptr;

    // FODTrack tab
    RadioGroup* RadioGroupFODLPT = nullptr;
    RadioGroup* RadioGroupFODButee = nullptr;
    QLineEdit* EditFODCalAz = nullptr;
    QLineEdit* EditFODZero = nullptr;
    QSpinBox* SpinEditStepFODtrack = nullptr;
    QSpinBox* SpinEditAzTestFOD = nullptr;
    QPushButton* BitBtntestFOD = nullptr;
    QCheckBox* CheckBoxParkFOD = nullptr;

    // EA4TX tab
    RadioGroup* RadioGroupEAbutee = nullptr;
    QLabel* StaticTextEA4TX = nullptr;
    QSpinBox* SpinEditStepEA = nullptr;
    QSpinBox* SpinEditAzTestEA = nullptr;
    QPushButton* BitBtnTestEA = nullptr;
    QCheckBox* CheckBoxParkEA = nullptr;

    // GS-232 tab
    RadioGroup* RadioGroupPortGS = nullptr;
    RadioGroup* RadioGroupGSbutee = nullptr;
    QComboBox* ComboBoxBaudGS = nullptr;
    QComboBox* ComboBoxRangeGS = nullptr;
    QSpinBox* SpinEditStepGS = nullptr;
    QSpinBox* SpinEditAzTestGS = nullptr;
    QPushButton* BitBtnTestGS = nullptr;
    QCheckBox* CheckBoxParkGS = nullptr;

    // EasyComm tab
    RadioGroup* RadioGroupPortEasy = nullptr;
    RadioGroup* RadioGroupEasyButee = nullptr;
    QComboBox* ComboBoxBaudEasy = nullptr;
    QComboBox* ComboBoxRangeEasy = nullptr;
    QSpinBox* SpinEditStepEasy = nullptr;
    QSpinBox* SpinEditAzTestEasy = nullptr;
    QPushButton* BitBtnTestEasy = nullptr;
    QCheckBox* CheckBoxParkEasy = nullptr;

    // Network tab: rotctld's host and port
    QLineEdit* EditNetHost = nullptr;
    QSpinBox* SpinEditNetPort = nullptr;
    RadioGroup* RadioGroupNetButee = nullptr;
    QComboBox* ComboBoxRangeNet = nullptr;
    QSpinBox* SpinEditStepNet = nullptr;
    QSpinBox* SpinEditAzTestNet = nullptr;
    QPushButton* BitBtnTestNet = nullptr;
    QCheckBox* CheckBoxParkNet = nullptr;

    // The dialog's own serial ports, used only to find out whether a COM port opens and to
    // hold the chosen rate; never left open. Distinct from the main window's two.
    TCommPortDriver* CommPortDriverGS = nullptr;
    TCommPortDriver* CommPortDriverEasy = nullptr;

public slots:
    void FormShow();
    void FormActivate();
    void FormClose();

    // Local station
    void EditLocalLocatorChange();
    void EditLocalLattitudeChange();
    void EditLocalLongitudeChange();
    void CheckBoxLattitudeNordClick();
    void CheckBoxLattitudeSudClick();
    void CheckBoxLongitudeOuestClick();
    void CheckBoxLongitudeEstClick();
    void update_local_locator();

    // Interface choice and the settings of each interface
    void RadioGroupRotorClick();
    void RadioGroupHNVLPTClick();
    void RadioGroupFODLPTClick();
    void EditHNVCalAzChange();
    void EditFODCalAzChange();
    void EditHNVZeroChange();
    void EditFODZeroChange();
    void RadioGroupHNVButeeClick();
    void RadioGroupFODButeeClick();
    void RadioGroupEAbuteeClick();
    void RadioGroupGSbuteeClick();
    void RadioGroupEasyButeeClick();
    void SpinEditStepPourSatChange();
    void SpinEditStepFODtrackChange();
    void SpinEditStepEAChange();
    void SpinEditStepGSChange();
    void SpinEditStepEasyChange();
    void RadioGroupPortGSClick();
    void RadioGroupPortEasyClick();
    void ComboBoxBaudGSClick();
    void ComboBoxBaudEasyClick();

    // Tests and parking
    void BitBtnTestHNVClick();
    void BitBtnTestFODClick();
    void BitBtnTestEAClick();
    void BitBtnTestGSClick();
    void BitBtnTestEasyClick();
    void CheckBoxParkHNVClick();
    void CheckBoxParkFODClick();
    void CheckBoxParkEAClick();
    void CheckBoxParkGSClick();
    void CheckBoxParkEasyClick();

    // Network tab
    void EditNetHostChange();
    void SpinEditNetPortChange();
    void RadioGroupNetButeeClick();
    void SpinEditStepNetChange();
    void BitBtnTestNetClick();
    void CheckBoxParkNetClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The controls and state fields of one interface's tab; absent ones are null.
    struct InterfaceTab {
        RotorInterface which = RotorInterface::None;
        QWidget* page = nullptr;
        RadioGroup* port = nullptr; // "LPT port" or "COM Port"
        RadioGroup* stop = nullptr;
        QSpinBox* step = nullptr;
        QLineEdit* calibration = nullptr;
        QLineEdit* zero = nullptr;
        QComboBox* baud = nullptr;
        QSpinBox* test_azimuth = nullptr;
        QPushButton* test = nullptr;
        QCheckBox* parking = nullptr;
        TCommPortDriver* probe = nullptr;
        int* port_field = nullptr; // PourSatLpt ... EasyCommCom
        double* calibration_field = nullptr;
        double* zero_field = nullptr;
        int* baud_index_field = nullptr;
        QString* baud_text_field = nullptr;
        QComboBox* range = nullptr; // "360", "450" (and "AUTO" for rotctld)
        RangeChoice* range_field = nullptr;
        // An azimuth-elevation rotator: chosen on the serial tabs (rotctld tells its own), its
        // highest elevation, the elevation's minimum step and the parking elevation.
        AzElChoice* az_el_field = nullptr;
        QCheckBox* az_el = nullptr;
        QLabel* max_elevation_label = nullptr;
        QComboBox* max_elevation = nullptr;
        QLabel* elevation_step_label = nullptr;
        QSpinBox* elevation_step = nullptr;
        QSpinBox* parking_elevation = nullptr;
    };

    // The design's 420 x 329 times the main window's scale factors.
    QSize design_size() const;
    void build_local_group();
    void build_interface_controls();
    void build_tab(InterfaceTab& tab, const TabTraits& traits);
    void connect_tab(InterfaceTab& tab);
    void set_focus_order();
    InterfaceTab& tab(RotorInterface which) { return tabs_[static_cast<std::size_t>(which)]; }

    void coordinate_changed(QLineEdit* field, double& working, double& stored);
    void hemisphere_clicked(QCheckBox* box, QCheckBox* partner);

    void rewrite_lpt_items(RadioGroup* group);
    void lpt_chosen(InterfaceTab& tab);
    void calibration_changed(InterfaceTab& tab);
    void zero_changed(InterfaceTab& tab);
    void stop_chosen(InterfaceTab& tab);
    void step_changed(InterfaceTab& tab);
    void range_chosen(InterfaceTab& tab);
    // A serial rotator with its stop at south turns on the 0 to 360 scale only.
    bool refuses_overlap(const InterfaceTab& tab, StopSide side, RangeChoice range) const;
    void com_chosen(InterfaceTab& tab);
    // Each COM item's tooltip names the device it stands for and, after a refusal, why.
    void describe_com_items(InterfaceTab& tab);
    void baud_chosen(InterfaceTab& tab);
    void show_com_tab(InterfaceTab& tab);
    void test_go(InterfaceTab& tab);
    void parking_changed(InterfaceTab& tab);
    // The azimuth-elevation controls of the serial and network tabs.
    void build_az_el(InterfaceTab& tab);
    bool az_el_shown(const InterfaceTab& tab) const;
    void show_az_el(InterfaceTab& tab);
    void az_el_chosen(InterfaceTab& tab);
    void max_elevation_chosen(InterfaceTab& tab);
    // Refuses, with a beep and a box, a Network address that is this program's own rotctld
    // server while it serves; true when refused.
    bool refuse_own_server(const QString& host, int port, QWidget* control);
    std::uint16_t chosen_lpt_address(const InterfaceTab& tab) const;

    InitDialogHost& main_;
    StationState& state_;
    std::array<InterfaceTab, kAllRotorInterfaceCount> tabs_;
    bool loading_ = false;
    QString locator_text_;
    double working_latitude_ = 0;
    double working_longitude_ = 0;
};

} // namespace kestrav
