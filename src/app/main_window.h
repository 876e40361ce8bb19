#pragma once
// The main window: the DX station entry, the BEAM group, the command panel, the status lines
// and the menus. It owns the one StationState and the initialisation dialog.

#include "app/station_state.h"
#include "rotor/heading_protocol.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QWindow>

#include <memory>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTimer;
class QToolButton;

namespace kestrav {

class ClickableLabel;
class DdeServer;
class Desktop;
struct DxTarget;
class FollowWsjtx;
struct LanguageTexts;
class MapWindow;
class Panel;
class ParallelPortLibrary;
class RotctldLink;
class TCommPortDriver;
class TFormInit;
class UpDown;
class WindowMessages;

// What the window needs from the world outside it, handed in so that tests can substitute it.
struct MainWindowContext {
    Desktop* desktop = nullptr;
    ParallelPortLibrary* parallel_port = nullptr; // the LPT ports of PourSat and FODTrack
    WindowMessages* window_messages = nullptr;    // messages to the outside rotator program
    DdeServer* dde_server = nullptr;              // publishes the azimuth to other programs
    QString exe_directory;                        // with trailing "/"
    QString app_directory;                        // settings file and ports/, with trailing "/"
    bool settings_file_exists = false;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const MainWindowContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    StationState& state() { return state_; }
    Desktop& desktop() { return *desktop_; }
    // The initialisation dialog, built the first time it is asked for.
    TFormInit* formInit();
    // Whether the dialog exists and is shown; asking does not build it.
    bool formInitVisible() const;
    bool longPath() const { return long_path_; }
    bool french() const { return french_; }
    bool mile() const { return mile_; }
    // The text of the published azimuth item.
    const QString& publishedAzimuth() const { return published_azimuth_; }

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

    // The serial ports of the GS232 and EasyComm interfaces
    TCommPortDriver* CommPortDriverGS = nullptr;
    TCommPortDriver* CommPortDriverEasy = nullptr;

    // The network interface's connection to rotctld, and the antenna heading: its menu item
    // (under "&Unit"), the timer that asks the rotator and the one that ends a reading no
    // answer has renewed.
    RotctldLink* NetworkLink = nullptr;
    QAction* MenuHeading = nullptr;
    QTimer* TimerHeading = nullptr;
    QTimer* TimerHeadingStale = nullptr;

    // Kestrav's own rotctld server: its item under "&Unit" opens its settings dialog.
    QAction* MenuServeRotctld = nullptr;

    // Built on first use (see formInit()): the start does not wait for its six pages.
    TFormInit* FormInit = nullptr;

    // The great-circle map, a window of its own opened from the menu
    QAction* MenuMap = nullptr;
    MapWindow* FormMap = nullptr;

    // Following the station WSJT-X is working: its check item under "&My Lists".
    FollowWsjtx* Follow = nullptr;
    // Sets the DX station as when a list entry is chosen: fields, bearing, publication,
    // dial, map, and AUTO's command; the map labels it with the target's label.
    void set_dx_station(const DxTarget& target);

public slots:
    // Start-up and shut-down
    void FormCreate();
    void FormShow();
    void FormActivate();
    void MenuInitClick();
    void MenuQuitterClick();
    // The session ends or the program is told to stop: the normal shut-down, without the
    // question of open publication conversations (nobody is there to answer it).
    void close_on_signal();

    // DX entry
    void EditDXLocatorChange();
    void EditDXLattitudeChange();
    void EditDXLongitudeChange();
    void CheckBoxLattitudeNordDXClick();
    void CheckBoxLattitudeSudDXClick();
    void CheckBoxLongitudeOuestDXClick();
    void CheckBoxLongitudeEstDXClick();
    void update_dx_locator();

    // Bearing and distance
    void compute_bearing();
    void SpeedButtonLPClick();
    void MenuKmClick();
    void MenuMileClick();
    void MenuMapClick();

    // Station lists
    void ComboBoxListDXClick();
    void ComboBoxPerso1Click();
    void ComboBoxPerso2Click();
    void ComboBoxPerso3Click();
    void MenuListe1Click();
    void Menuliste2Click();
    void MenuListe3Click();

    // Languages, help and about
    void MenuEnglishClick();
    void MenuFrancaisClick();
    void MenuAideClick();
    void MenuAProposClick();

    // Azimuth publishing: a client's conversation on the "Data" topic opens and closes.
    void DataOpen();
    void DataClose();

    // Rotator command core
    void EditAzimutChange();
    void UpDownAzimutClick();
    void ButtonTrackClick();
    void BitBtnStopClick();
    void TimerBlinkTimer();
    void TimerTrackOKTimer();
    void LabelAzimutDblClick();

    // The antenna's real heading
    void MenuHeadingClick();
    void TimerHeadingTimer();
    void TimerHeadingStaleTimer();
    void heading_received(double degrees);

public:
    // Writes the two status lines from the state.
    void update_status_lines();
    // Empties the selection of the prefix list and the three personal lists without running
    // their selection handlers.
    void clear_list_selections();
    // Sets the published azimuth item (whole degrees, decimal text).
    void publish_azimuth(const QString& text);
    // Redraws the azimuth dial from the requested azimuth.
    void redraw_dial();
    // The dial's tooltip: the antenna's heading, or that none came, while it is asked for.
    void update_dial_tooltip();
    // Sets the DX station from the selected entry of list n (0 = prefixes, 1-3 = personal).
    void select_list_entry(int n);
    void reject_list_entry();
    // Loads personal list n (1 to 3) from the file chosen in the file dialog, or from the
    // path already stored for it.
    void load_personal_list(int n, bool with_dialog);
    // Writes the settings file; an error box when it cannot be written.
    void save_configuration();
    // The drop-down list of list n and the label and menu item that show its title.
    QComboBox* station_list(int n) const;
    QLabel* list_label(int n) const;
    QAction* list_menu_item(int n) const;
    // STOP: the stop command of every interface that has one, ports closed, LED off.
    void stop_all();
    // A test azimuth handed over by the initialisation dialog: sent at once through the
    // selected interface whatever the minimum step, then both serial ports are closed.
    void hand_over_test_azimuth(int azimuth);
    bool testCommandPending() const { return test_command_pending_; }
    // The initialisation dialog closes: a test command still pending is dropped.
    void lower_test_command() { test_command_pending_ = false; }
    // The parallel port library of the PourSat and FODTrack interfaces; null when none.
    ParallelPortLibrary* parallelPort() const { return parallel_port_; }

    // Moves the window to its design position, or as near to it as keeps the whole frame on
    // the screen there.
    void place_on_screen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void build_window();
    void build_dx_group(QWidget* client);
    void build_beam_group(QWidget* client);
    void build_command_panel(QWidget* client);
    void build_menus();
    void build_map_menu(QMenuBar* bar);
    void connect_publication();
    void coordinate_changed(QLineEdit* field, double& value);
    void hemisphere_clicked(QCheckBox* box, QCheckBox* partner);
    void show_bearing(double azimuth, double distance_km);
    bool FormClose();
    bool refuse_azimuth_keystroke();
    // A text the program writes into the azimuth field. Like every write from code it leaves
    // the caret at the start of the field; the change handler runs when the text changed, or
    // always when asked (a test azimuth equal to the one shown).
    void write_azimuth_text(const QString& text, bool always_handle = false);
    void set_tracking_indication(bool on);
    void send_to_selected_interface();
    bool take_step(RotorInterface which);
    void serial_output(RotorInterface which);
    void serial_stop(TCommPortDriver* driver, const QByteArray& command);
    // PourSat and FODTrack: the calibrated byte through the port's write sequence.
    void lpt_output(RotorInterface which);
    // EA4TX: the azimuth posted to the outside rotator program; and its stop.
    void ea4tx_output();
    void arswin_stop();
    // Network: the azimuth to rotctld; its stop; a failure told after the fact.
    void build_network_and_heading();
    void network_output();
    void network_stop();
    void network_failed(const QString& reason);
    // The antenna's heading on the dial and the map; none removes it.
    void show_heading(std::optional<double> heading);
    void park();
    void read_configuration();
    void apply_language(bool french);
    void set_messages(const LanguageTexts& texts);
    void window_focus_changed(QWindow* window);
    void apply_addition_texts(const LanguageTexts& texts);

    StationState state_;
    Desktop* desktop_;
    ParallelPortLibrary* parallel_port_;
    WindowMessages* window_messages_;
    DdeServer* dde_server_;
    bool long_path_ = false;
    bool mile_ = false;
    bool french_ = false;
    bool shown_once_ = false; // the start-up FormActivate has run
    QPointer<QWindow> focus_window_;
    QPointer<QWindow> previous_focus_window_;
    bool closing_on_signal_ = false;
    std::unique_ptr<Desktop> unattended_desktop_; // stands in for desktop_ once a signal came
    QString network_error_;                       // shown in the status line until the next GO
    AnswerLines gs232_answers_;
    AnswerLines easycomm_answers_;
    QString published_azimuth_;
    bool output_failed_ = false;
    bool raw_output_display_ = false;
    QString saved_azimut_caption_;
    bool test_command_pending_ = false;
};

} // namespace kestrav
