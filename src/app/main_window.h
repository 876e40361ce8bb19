#pragma once
// The main window, a view of the station session: its handlers read the widgets and call the
// session or a part of the view, and it shows what the session signals.

#include "app/main_window_context.h"
#include "app/main_window_ui.h"
#include "station/station_session.h"

#include <QMainWindow>

#include <memory>

namespace kestrav {

class AzimuthPanel;
class DxEntryView;
class InitDialogBeside;
class TFormInit;

class TForm1 : public QMainWindow, private MainWindowUi {
    Q_OBJECT
public:
    explicit TForm1(const MainWindowContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    StationState& state() { return session_->state(); }
    StationSession& session() { return *session_; }
    RotorController& controller() { return session_->rotor(); }
    Desktop& desktop() { return *desktop_; }
    // The initialisation dialog, built the first time it is asked for.
    TFormInit* formInit();
    bool longPath() const;
    bool french() const { return french_; }
    bool mile() const;
    const QString& publishedAzimuth() const;
    // Writes the two status lines from the state.
    void update_status_lines();
    // STOP: the stop command of every interface that has one, ports closed, LED off.
    void stop_all();
    // A test azimuth handed over by the initialisation dialog: sent at once through the
    // selected interface whatever the minimum step, then both serial ports are closed.
    void hand_over_test_azimuth(int azimuth);
    bool testCommandPending() const;

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
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // What the map window, the initialisation dialog and other programs are given of it.
    class Hosts;
    std::unique_ptr<Hosts> hosts_;
    // The view's parts: the azimuth and its commands, the DX entry, the dialog beside it.
    std::unique_ptr<AzimuthPanel> azimuth_;
    std::unique_ptr<DxEntryView> dx_;
    std::unique_ptr<InitDialogBeside> dialog_;

    void build_window(const MainWindowContext& context);
    bool FormClose();
    void apply_language(bool french);

    StationSession* session_;
    Desktop* desktop_; // the unattended one once a signal came
    std::unique_ptr<Desktop> unattended_desktop_;
    bool french_ = false;
};

} // namespace kestrav
