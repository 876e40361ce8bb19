#pragma once
// The station's configuration, as the settings file holds it: the own station, the rotor
// interface and its ports, steps, end stops, calibration and parking, the network rotator, and
// the rows of the later settings. The settings reader fills it, the writer reads it, the rotor
// controller works by it, and the initialisation dialog changes it; every accepted change is
// saved at exit.

#include "follow/follow_setting.h"
#include "rotor/rotor_types.h"
#include "settings/kept_rows.h"
#include "settings/map_setting.h"
#include "settings/serve_setting.h"

#include <QString>
#include <array>
#include <optional>

namespace kestrav {

inline constexpr int kLptCount = 3;
inline constexpr int kPersonalListCount = 3;

struct StationConfig {
    // Local station; an empty locator means no local station is known.
    QString LocalLocator;
    double LocalLatitude = 0;
    bool LocalNorth = true;
    double LocalLongitude = 0;
    bool LocalEast = true;

    RotorInterface SelectedInterface = RotorInterface::None;
    int PourSatLpt = -1; // 0..2 = LPT1..LPT3, -1 none
    int FodTrackLpt = -1;
    int Gs232Com = -1; // 0 = COM1, -1 none
    int EasyCommCom = -1;
    // The rate the operator chose, as the settings file holds it; empty until one is chosen,
    // and the port then runs at the serial driver's own default (kDefaultComPortSpeed).
    QString Gs232BaudText;
    QString EasyCommBaudText;
    int Gs232BaudIndex = -1; // index into the 13 speeds, -1 none
    int EasyCommBaudIndex = -1;
    std::array<int, kAllRotorInterfaceCount> MinSteps{1, 1, 1, 1, 1, 1};
    std::array<StopSide, kAllRotorInterfaceCount> StopSides{StopSide::N, StopSide::N, StopSide::N,
                                                            StopSide::N, StopSide::N, StopSide::N};
    double PourSatCalAz = 0.5138901;
    double FodTrackCalAz = 0.711;
    double PourSatZero = 0;
    double FodTrackZero = 0;
    double ParkingAzimuth = 0;
    // The interface the antenna is parked with at exit; none: no parking.
    std::optional<RotorInterface> ParkingInterface;

    // The network rotator (rotctld); its rows are written only once it has been set up.
    bool NetworkConfigured = false;
    QString NetworkHost = QStringLiteral("localhost");
    int NetworkPort = 4533;
    // The antenna's real heading, asked of the rotator while its connection is open (the
    // reading is the rotor controller's).
    bool ShowHeading = false;
    // How far the GS-232, EasyComm and network rotators turn; rows written once not 360.
    RangeChoice Gs232Range = RangeChoice::Turn360;
    RangeChoice EasyCommRange = RangeChoice::Turn360;
    RangeChoice NetworkRange = RangeChoice::Turn360;
    // Azimuth-elevation rotators on GS-232 and EasyComm (rows written once chosen); rotctld
    // tells its own. The elevation's minimum step, for every such rotator, and the elevation
    // parked at; rows written once they differ from 1 and 0.
    AzElChoice Gs232AzEl;
    AzElChoice EasyCommAzEl;
    int ElevationStep = 1;
    int ParkingElevation = 0;
    std::array<unsigned short, kLptCount> LptAddresses{0, 0, 0};
    std::array<QString, kPersonalListCount> PersoPathNames;

    // The map window: open or closed and its size, saved only once it has been used.
    MapSetting MapWindowSetting;
    // Kestrav's own rotctld server for other programs: off unless the row is there.
    ServeSetting ServeRotctld;
    // Following WSJT-X: on or off, its address and port, saved only once it has been used.
    FollowSetting WsjtxFollowing;
    // The PstRotator and N1MM rotor protocols over UDP, saved only once they have been used.
    PstSetting PstRotator;
    N1mmSetting N1mm;
    // The DX cluster node spots are read from, saved only once it has been used.
    ClusterSetting DxCluster;
    // Rows of those later settings that the file held but could not be read: written back as
    // they stood until their setting is changed.
    KeptRows UnreadRows;

    int& min_step(RotorInterface i) { return MinSteps[static_cast<int>(i)]; }
    StopSide& stop_side(RotorInterface i) { return StopSides[static_cast<int>(i)]; }
    int min_step(RotorInterface i) const { return MinSteps[static_cast<int>(i)]; }
    StopSide stop_side(RotorInterface i) const { return StopSides[static_cast<int>(i)]; }
};

} // namespace kestrav
