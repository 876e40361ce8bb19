// The main window's entry point for the DX station found elsewhere (WSJT-X, a call's
// country): set as when a list entry is chosen, the label kept for the map.

#include "app/main_window.h"
#include "follow/follow_logic.h"
#include "map/map_window.h"

#include <QLineEdit>

namespace kestrav {

void TForm1::set_dx_station(const DxTarget& target) {
    place_dx_station(*this, GeoPoint{target.latitude, target.longitude});
    // The map shows the label while the DX locator stays the one it was set with.
    state_.DxLabel = target.label;
    state_.DxLabelLocator = EditDXLocator->text();
    if (FormMap != nullptr && FormMap->isVisible())
        FormMap->refresh();
}

} // namespace kestrav
