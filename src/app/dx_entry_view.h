#pragma once
// The DX station side of the main window: the locator and coordinate fields with their
// hemisphere boxes, the prefix list and the personal lists, the bearing and distance they
// give, the long path and the distance unit. Each new bearing goes to the azimuth panel.

#include <QString>

#include <optional>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace kestrav {

class AzimuthPanel;
struct DxPlacement;
struct MainWindowUi;
class StationSession;
struct StationState;
class TForm1;

class DxEntryView {
public:
    DxEntryView(TForm1& window, MainWindowUi& ui, StationState& state, AzimuthPanel& azimuth);

    // The DX group with its fields, boxes and lists, in `client`.
    void buildDxGroup(QWidget* client);

    void locatorEdited();
    void coordinateEdited(QLineEdit* field, double& value);
    // Each pair works as one switch: exactly one box of the pair is checked.
    void hemisphereClicked(QCheckBox* box, QCheckBox* partner);
    // The operator chose an entry of the prefix list (0) or of a personal list (1 to 3).
    void listChosen(int n);
    // A personal list read from its file, chosen first in a file dialog when asked.
    void loadPersonalList(int n, bool with_dialog);
    // The bearing from the local station to the DX station shown, and AUTO's rule applied.
    void computeBearing();
    // A DX station the session placed (WSJT-X, a call's country, the map), shown as when a
    // list entry is chosen, off the operator's typing path; the map labels it with `label`.
    void showPlaced(const DxPlacement& placed, const std::optional<QString>& label);

    // A locator another program set, as if typed: the fields, the bearing and AUTO's turn.
    void showPlacedLocator(const QString& locator);

    void switchLongPath();
    void showKm();
    void showMiles();

private:
    void updateDxLocator();
    void showLocatorPosition(const QString& locator);
    void showBearing(double azimuth, double distance_km);
    void rejectListEntry();

    TForm1& window_;
    MainWindowUi& ui_;
    StationState& state_;
    AzimuthPanel& azimuth_;
    StationSession& session_;
};

} // namespace kestrav
