#pragma once
// The main window as the host of the map window, the initialisation dialog, WSJT-X following
// and the programs it serves: what each is given of it, and nothing more.

#include "app/azimuth_panel.h"
#include "app/main_window.h"
#include "follow/follow_logic.h"
#include "map/map_host.h"
#include "setup/init_dialog_host.h"

namespace kestrav {

class DdeServer;
class ElevationPanel;
class UdpRotorMenu;
class SpotsWindow;
class FollowWsjtx;
struct LanguageTexts;
class RotorMenu;

class TForm1::Hosts final : public MapHost, public InitDialogHost {
public:
    Hosts(TForm1& window, ParallelPortLibrary* parallel_port)
        : w_(window), parallel_port_(parallel_port) {}

    QWidget& mapHostWindow() override { return w_; }
    StationState& mapStation() override { return w_.state(); }
    StationSession& mapSession() override { return *w_.session_; }
    MapDxView mapDxView() const override;
    void placeDxCall(const QString& call) override;
    void followMapChanges(QObject* receiver, std::function<void()> changed) override;

    StationState& dialogStation() override { return w_.state(); }
    StationSession& dialogSession() override { return *w_.session_; }
    Desktop& dialogDesktop() override { return *w_.desktop_; }
    ParallelPortLibrary* dialogParallelPort() override { return parallel_port_; }
    QIcon dialogIcon() const override { return w_.windowIcon(); }
    void interfaceChanged() override;
    void handOverTestAzimuth(int azimuth) override { w_.hand_over_test_azimuth(azimuth); }
    void dropTestCommand() override { w_.azimuth_->dropTestCommand(); }

    // The "&Map" menu item, after the unit menu, and the map window it opens.
    void installMap();
    // The published azimuth's conversations and another start of the program handing over.
    void installPublication(DdeServer* server);
    // The texts of what the design did not have (the map, the heading, the rotctld server,
    // WSJT-X following, the rotator menu, the network interface's failures).
    void applyTexts(const LanguageTexts& texts);

    // Kestrav's rotctld server: its item under "&Unit", its dialog and where it listens.
    void installRotctldServer();

    // Following WSJT-X: its check item under "&My Lists".
    FollowWsjtx* follow = nullptr;
    // The PstRotator and N1MM rotor protocols: their items under "&Unit".
    UdpRotorMenu* udp_rotor = nullptr;
    // DX cluster spots: the item under "&My Lists" (F9) and the window, built when first
    // needed (at start only when the settings connect to a node).
    void installSpots();
    SpotsWindow& spots();
    QAction* spots_item = nullptr;
    SpotsWindow* spots_window = nullptr;

    // The rotator's command keys: their menu, before "&Language".
    void installRotatorMenu();
    RotorMenu* rotator_menu = nullptr;

    // The elevation of an azimuth-elevation rotator beside the azimuth, shown or hidden as the
    // interface in use changes.
    void installElevation();
    ElevationPanel* elevation = nullptr;

private:
    TForm1& w_;
    ParallelPortLibrary* parallel_port_;
};

} // namespace kestrav
