#pragma once
// The main window: the DX station entry, the BEAM group, the command panel, the status lines
// and the menus. It owns the one StationState, the rotator controller and the initialisation
// dialog; the map and the dialog reach it through their host interfaces only.

#include "app/main_window_context.h"
#include "app/main_window_ui.h"
#include "settings/station_state.h"
#include "station/station_session.h"

#include <QMainWindow>
#include <QPointer>
#include <QWindow>

#include <memory>

namespace kestrav {

struct LanguageTexts;
class TFormInit;

class TForm1 : public QMainWindow, private MainWindowUi {
    Q_OBJECT
public:
    explicit TForm1(const MainWindowContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    StationState& state() { return state_; }
    StationSession& session() { return *session_; }
    RotorController& controller() { return *controller_; }
    Desktop& desktop() { return *desktop_; }
    // The initialisation dialog, built the first time it is asked for.
    TFormInit* formInit();
    bool longPath() const { return long_path_; }
    bool french() const { return french_; }
    bool mile() const { return mile_; }
    const QString& publishedAzimuth() const { return published_azimuth_; }
    // Writes the two status lines from the state.
    void update_status_lines();
    // STOP: the stop command of every interface that has one, ports closed, LED off.
    void stop_all();
    // A test azimuth handed over by the initialisation dialog: sent at once through the
    // selected interface whatever the minimum step, then both serial ports are closed.
    void hand_over_test_azimuth(int azimuth);
    bool testCommandPending() const { return test_command_pending_; }

signals:
    // The exit has begun: whatever takes requests from other programs stops taking them.
    void shuttingDown();

public slots:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void MenuInitClick();
    void MenuQuitterClick();
    // The session ends or the program is told to stop: the normal shut-down, without the
    // question of open publication conversations (nobody is there to answer it).
    void close_on_signal();
    void EditDXLocatorChange();
    void EditDXLattitudeChange();
    void EditDXLongitudeChange();
    void CheckBoxLattitudeNordDXClick();
    void CheckBoxLattitudeSudDXClick();
    void CheckBoxLongitudeOuestDXClick();
    void CheckBoxLongitudeEstDXClick();
    void SpeedButtonLPClick();
    void MenuKmClick();
    void MenuMileClick();
    void MenuMapClick();
    void ComboBoxListDXClick();
    void ComboBoxPerso1Click();
    void ComboBoxPerso2Click();
    void ComboBoxPerso3Click();
    void MenuListe1Click();
    void Menuliste2Click();
    void MenuListe3Click();
    void MenuEnglishClick();
    void MenuFrancaisClick();
    void MenuAideClick();
    void MenuAProposClick();
    // A client's conversation on the published azimuth's "Data" topic opens and closes.
    void DataOpen();
    void DataClose();
    void EditAzimutChange();
    void EditAzimutReturnPressed();
    void TimerAzimutPauseTimer();
    void UpDownAzimutClick();
    void ButtonTrackClick();
    void BitBtnStopClick();
    void TimerBlinkTimer();
    void TimerTrackOKTimer();
    void LabelAzimutDblClick();
    void MenuHeadingClick();
    void TimerHeadingTimer();
    void TimerHeadingStaleTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // What the map window, the initialisation dialog and WSJT-X following are given of it.
    class Hosts;
    std::unique_ptr<Hosts> hosts_;

    void build_window();
    void build_dx_group(QWidget* client);
    void build_beam_group(QWidget* client);
    void build_command_panel(QWidget* client);
    void build_menus();
    void build_map_menu();
    void build_rotor_controller();
    void build_heading_menu();
    void connect_publication();
    void update_dx_locator();
    void compute_bearing();
    void coordinate_changed(QLineEdit* field, double& value);
    void hemisphere_clicked(QCheckBox* box, QCheckBox* partner);
    void show_bearing(double azimuth, double distance_km);
    void clear_list_selections();
    void select_list_entry(int n);
    void load_personal_list(int n, bool with_dialog);
    void reject_list_entry();
    QComboBox* station_list(int n) const;
    QLabel* list_label(int n) const;
    QAction* list_menu_item(int n) const;
    void publish_azimuth(const QString& text);
    void redraw_dial();
    void update_dial_tooltip();
    bool refuse_azimuth_keystroke();
    void write_azimuth_text(const QString& text, bool always_handle = false);
    void set_tracking_indication(bool on);
    void show_command_text(RotorInterface which, const QString& text);
    void command_failed(GoFailure failure, const QString& reason);
    void show_requested_azimuth(double azimuth);
    // AUTO's rule applied to a new azimuth: GO when it goes at once.
    void apply_auto(AzimuthChange change);
    void show_heading(std::optional<double> heading);
    void park();
    bool FormClose();
    void place_on_screen();
    void read_configuration();
    void save_configuration();
    void apply_language(bool french);
    void set_messages(const LanguageTexts& texts);
    void apply_addition_texts(const LanguageTexts& texts);
    void window_focus_changed(QWindow* window);
    bool formInitVisible() const;

    StationSession* session_;
    StationState& state_; // the session's
    Desktop* desktop_;
    ParallelPortLibrary* parallel_port_;
    WindowMessages* window_messages_;
    DdeServer* dde_server_;
    RotorController* controller_ = nullptr;
    TFormInit* FormInit = nullptr; // built on first use: the start does not wait for it
    bool long_path_ = false;
    bool mile_ = false;
    bool french_ = false;
    bool shown_once_ = false; // the start-up FormActivate has run
    QPointer<QWindow> focus_window_;
    QPointer<QWindow> previous_focus_window_;
    bool closing_on_signal_ = false;
    std::unique_ptr<Desktop> unattended_desktop_; // stands in for desktop_ once a signal came
    QString network_error_;                       // shown in the status line until the next GO
    QString published_azimuth_;
    bool raw_output_display_ = false;
    QString saved_azimut_caption_;
    bool test_command_pending_ = false;
    bool writing_azimuth_ = false;    // write_azimuth_text is running the field's handler
    bool placing_outside_dx_ = false; // a DX station from outside (WSJT-X, the map) is set
};

} // namespace kestrav
