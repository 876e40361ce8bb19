#pragma once
// The station being worked, beside its configuration: the DX station, the azimuth asked for
// and its distance, the texts of the language in use and where the program keeps its files.
// The station session owns it; the main window shows it and the map draws it. What only the
// rotor controller should touch (the last azimuth sent, the command under way, the antenna's
// heading) is the controller's.

#include "settings/station_config.h"

#include <QString>

namespace kestrav {

// Texts that follow the user-interface language; the language menu fills them (English
// before any language action, with the start-up help file name).
struct MessageTexts {
    QString cannot_create_settings;
    QString cannot_open_file;
    QString arswin_not_running;
    QString dde_conversation_open;
    QString settings_cut;
    QString list_cut;
    QString help_file;
};

struct StationState : StationConfig {
    // DX station; its hemispheres are the main window's N and E boxes.
    QString DxLocator;
    double DxLatitude = 0;
    double DxLongitude = 0;
    // What the map calls the DX station set from WSJT-X or a call sign ("VK2ABC  QF56"),
    // while the DX locator is still DxLabelLocator.
    QString DxLabel;
    QString DxLabelLocator;

    double RequestedAzimuth = 0;
    double Distance = 0;       // km
    double DistanceFactor = 1; // display unit per km

    // Open conversations on the published azimuth's "Data" topic: counted, so that quitting
    // stays refused while any client still holds one.
    int DdeConversationOpen = 0;
    bool SettingsFileExists = false;
    double ScaleX = 1;
    double ScaleY = 1;
    QString ExeDirectory; // with its trailing "/"
    // Where the settings file, its temporary file and ports/ live: ExeDirectory, or the
    // per-user directory when the executable's directory cannot be written. Trailing "/".
    QString AppDirectory;

    MessageTexts Messages;
};

} // namespace kestrav
