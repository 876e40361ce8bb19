#pragma once
// The main window as the host of the map window, the initialisation dialog and WSJT-X
// following: what each is given of it, and nothing more.

#include "app/main_window.h"
#include "follow/follow_logic.h"
#include "map/map_host.h"
#include "setup/init_dialog_host.h"

namespace kestrav {

class FollowWsjtx;
class RotorMenu;

class TForm1::Hosts final : public MapHost, public InitDialogHost {
public:
    explicit Hosts(TForm1& window) : w_(window) {}

    QWidget& mapHostWindow() override { return w_; }
    StationState& mapStation() override { return w_.state_; }
    StationSession& mapSession() override { return *w_.session_; }
    MapDxView mapDxView() const override;
    void placeDxCall(const QString& call) override;
    // Shows a DX station the session placed (WSJT-X, a call's country, the map) as when a list
    // entry is chosen, off the operator's typing path in the azimuth field; the map labels it
    // with the label it came with.
    void showPlacedDx(const DxPlacement& placed, const std::optional<QString>& label);
    void followMapChanges(QObject* receiver, std::function<void()> changed) override;

    StationState& dialogStation() override { return w_.state_; }
    StationSession& dialogSession() override { return *w_.session_; }
    Desktop& dialogDesktop() override { return *w_.desktop_; }
    ParallelPortLibrary* dialogParallelPort() override { return w_.parallel_port_; }
    QIcon dialogIcon() const override { return w_.windowIcon(); }
    void interfaceChanged() override { w_.update_status_lines(); }
    void handOverTestAzimuth(int azimuth) override { w_.hand_over_test_azimuth(azimuth); }
    void dropTestCommand() override { w_.test_command_pending_ = false; }

    // Kestrav's rotctld server: its item under "&Unit", its dialog and where it listens.
    void installRotctldServer();

    // Following WSJT-X: its check item under "&My Lists".
    FollowWsjtx* follow = nullptr;

    // The rotator's command keys: their menu, before "&Language".
    void installRotatorMenu();
    RotorMenu* rotator_menu = nullptr;

private:
    TForm1& w_;
};

} // namespace kestrav
