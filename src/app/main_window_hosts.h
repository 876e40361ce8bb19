#pragma once
// The main window as the map window's and the initialisation dialog's host: what each is
// given of it, and nothing more.

#include "app/main_window.h"
#include "map/map_host.h"
#include "setup/init_dialog_host.h"

namespace kestrav {

class TForm1::Hosts final : public MapHost, public InitDialogHost {
public:
    explicit Hosts(TForm1& window) : w_(window) {}

    QWidget& mapHostWindow() override { return w_; }
    StationState& mapStation() override { return w_.state_; }
    MapDxView mapDxView() const override;
    void placeDxStation(GeoPoint p) override;
    void followMapChanges(QObject* receiver, std::function<void()> changed) override;

    StationState& dialogStation() override { return w_.state_; }
    Desktop& dialogDesktop() override { return *w_.desktop_; }
    ParallelPortLibrary* dialogParallelPort() override { return w_.parallel_port_; }
    QIcon dialogIcon() const override { return w_.windowIcon(); }
    void interfaceChanged() override { w_.update_status_lines(); }
    void handOverTestAzimuth(int azimuth) override { w_.hand_over_test_azimuth(azimuth); }
    void dropTestCommand() override { w_.test_command_pending_ = false; }

private:
    TForm1& w_;
};

} // namespace kestrav
