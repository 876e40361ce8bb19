#pragma once
// The two user-interface languages and the texts that follow them. Only a small, fixed set
// of main-window captions, the message texts, the help file and the About text change with
// the language; every other caption, the status lines and the initialisation dialog stay
// English, but for its azimuth-elevation controls, which came later.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kestrav {

enum class UiLanguage { English, French };

// One column of the language table. Captions keep their "&" accelerator marks.
struct LanguageTexts {
    QString quit, my_lists, unit, language, label_azimut, about, help, help_file;
    QString cannot_create_settings, cannot_open_file, arswin_not_running, dde_conversation_open;
    QString settings_cut, list_cut; // a settings or list file longer than the program reads
    // Rows of the later settings that cannot be read and are kept as they are (%1 the rows,
    // one a line).
    QString settings_unread;
    QString about_text; // the About box text, several lines
    // Beyond the design: the map's menu item, window title and label for a missing local
    // station, and the heading item of the unit menu.
    QString map, map_title, map_no_local_station, show_heading;
    QString no_reading; // the dial's tooltip while the heading is asked for but not known
    // Kestrav's own rotctld server: the menu item, its dialog, and why it cannot listen
    // (%1 the port; %2 the system's reason).
    QString serve_rotctld, serve_title, serve_enable, serve_port, serve_local, serve_all;
    QString serve_warning, serve_port_taken, serve_failed;
    // The server's address beyond those two choices (%1 the address as the settings have it);
    // an address that is neither an address nor a name found (%1 it, %2 the port); at start,
    // listening where other computers reach it (%1 the address, %2 the port).
    QString serve_address, serve_unresolved, serve_open_warning;
    // The two settings that would make Kestrav send to its own server, refused: the Network
    // interface at this computer's server port (%1 the host, %2 the port), and the server on
    // the port the Network interface sends to on this computer (%1 the port).
    QString own_server_network, own_server_serve;
    // Following WSJT-X (under "My Lists") and the map's call-sign field.
    QString follow_wsjtx, dx_call;
    // Its address dialog and country file: the two items, the dialog's title and labels,
    // and what the operator is told when something is refused. %1, %2, %3 are filled in.
    QString follow_address_item, follow_country_item, follow_title, follow_address, follow_port,
        follow_bad_address, follow_bad_port, follow_cannot_listen, country_file_unreadable,
        country_file_malformed;
    // The address dialog's warning while it listens on every network interface (its check
    // box is serve_all's).
    QString follow_all_warning;
    // The map's day and night: its context-menu item; a station's sunrise and sunset (%1
    // the station, %2 and %3 the times in UTC, %4 its light) or, in polar day or night, %2
    // "no sunset" or "no sunrise"; the light at the ends of the paths (%1 and %3 the light,
    // %2 and %4 the stations); the three lights.
    QString map_day_and_night, map_sun_times, map_sun_polar, map_no_sunrise, map_no_sunset;
    QString map_sun_paths, map_daylight, map_twilight, map_darkness;
    // Another program's request refused or failed, told in the status line: %1 the request
    // ("P 400", "K", "GO"), %2 why; the reasons (the range's %1 the azimuth, %2 and %3 its
    // ends).
    QString client_refused, client_outside_range, client_no_interface, client_no_port,
        client_not_delivered, client_timed_out, client_no_parking;
    // The program another program's turn went out for, in the status line (%1 the program, %2
    // the azimuth).
    QString turned_by;
    // The UDP rotor protocols (menu "Unit"): the two items, which are also their dialogs'
    // titles, the dialogs' check boxes, the N1MM rotor's name and where its heading is reported;
    // why a setting is refused or cannot listen (%1 the protocol, %2 the address or port, %3 the
    // port, %4 the system's reason); listening where other computers reach it.
    QString udp_pst_item, udp_n1mm_item, udp_pst_enable, udp_n1mm_enable, udp_address,
        udp_rotor_name, udp_report_address, udp_report_port;
    QString udp_bad_address, udp_bad_name, udp_port_taken, udp_failed, udp_warning,
        udp_open_warning;
    // DX cluster spots: the menu item and window title, the node's fields and button, the band
    // filter, the table's column headers, the connection's states (%1 the node, %2 why it
    // ended, %3 the seconds before the next attempt) and what is refused (%1 the text or call).
    QString spots_item, spots_title, cluster_host, cluster_port, cluster_call, cluster_connect,
        cluster_disconnect, spots_band, spots_all_bands;
    QStringList spots_columns;
    QString cluster_off, cluster_connecting, cluster_connected, cluster_waiting, cluster_bad_host,
        cluster_bad_call, spots_no_country;
    // Why a node's connection ended: closed by the node, refused, its host unknown, no answer.
    QString cluster_closed, cluster_refused, cluster_not_found, cluster_no_answer;
    // The language these texts are in.
    UiLanguage ui_language = UiLanguage::English;

    // The keyboard's way to the rotator: the menu of the command keys, its long-path item and
    // its item that puts the keyboard in the map's call-sign field. GO, AUTO and STOP keep the
    // buttons' own captions in both languages.
    QString rotator_menu, long_path_item, map_call_item;

    // An azimuth-elevation rotator: the main window's elevation caption and the antenna's
    // reported elevation beside the dial (%1 whole degrees); in the initialisation dialog, the
    // choice of such a rotator, its highest elevation (the 180-degree one flips over the
    // zenith), the elevation's minimum step and the parking elevation's caption in its box.
    QString elevation_caption, reported_elevation;
    QString azel_rotator, max_elevation, max_elevation_flips, elevation_step, parking_elevation;
};

// The texts of a language; the same object for the whole run. A value outside the enum
// gives the English texts.
const LanguageTexts& language_texts(UiLanguage language);

// What the "?" menu and the help command hold before any language action has run: the two
// help-menu items without accelerators, and the start-up help file name.
inline constexpr char kStartupHelpCaption[] = "Help";
inline constexpr char kStartupAboutCaption[] = "About Kestrav";
inline constexpr char kStartupHelpFile[] = "Kestrav_EN.HLP";

// Caption of the language's own item in the language menu: "&English" or "&Français". These
// two captions do not change with the language.
QString language_menu_caption(UiLanguage language);

// Why the network interface's last GO did not reach the rotator, in the language: the
// program's own reasons and the usual connection failures are translated; any other text
// (rotctld's or Hamlib's own) is shown as it came.
QString network_failure_text(const QString& reason, UiLanguage language);

// Title of the help viewer window: "Kestrav Help" or "Aide Kestrav".
QString help_window_title(UiLanguage language);

// ---- What screen readers read: the controls' accessible names and descriptions ----
//
// Every control of the windows is named for a screen reader after what a sighted operator
// reads beside it, in the interface language; none of these texts is ever drawn.

struct AccessibleText {
    QString name;
    QString description; // empty where the name says enough
};

// The name and description of the control of that object name. Table rows may hold one "*"
// standing for any run of characters (the dialog's tabs name their controls by a common
// pattern); object names are compared without regard to letter case. None for a control that
// has no row: it keeps the name Qt gives it (its caption, its label).
std::optional<AccessibleText> accessible_text(QStringView object_name, UiLanguage language);

// What the azimuth dial says it shows: the requested azimuth and, when it is shown, the
// antenna's heading or that there is no reading. The numbers are texts already formatted.
QString dial_description(const QString& azimuth, const std::optional<QString>& heading,
                         bool heading_shown, UiLanguage language);

// What the dial adds about an azimuth-elevation rotator's elevation while the heading is shown:
// its reading (a text already formatted) or that there is none.
QString dial_elevation_description(const std::optional<QString>& elevation, UiLanguage language);

// The distance field's name, with its unit.
QString distance_name(bool mile, UiLanguage language);

// Why the program beeped, for a screen reader: each refusal the beep signals.
enum class Refusal {
    Keystroke,           // a character a number, a locator or an azimuth cannot hold
    AzimuthOutOfRange,   // an azimuth outside 0 to 359.9
    GoWithoutAzimuth,    // GO while the azimuth field holds no azimuth that can be sent
    NoInterface,         // GO with no interface chosen, or an azimuth out of the range
    NoPort,              // the interface's port missing or not opening
    NotDelivered,        // the command did not reach the rotator
    NetworkFailed,       // rotctld failed the command
    ListEntryUnreadable, // a list entry that gives no position
    UnknownCall,         // a call sign with no country
    LptPortMissing,      // the dialog: no such parallel port
    ComPortNotOpening,   // the dialog: the serial port does not open
    ZeroOutOfRange,      // the dialog: a zero outside -90 to 90
    OverlapNeedsNorth,   // the dialog: a 450-degree range with the south stop side
    NotInterfaceInUse,   // the dialog: a test or parking on a tab not in use
    OwnRotctldServer,    // the dialog: the Network interface at Kestrav's own server
    ElevationOutOfRange, // an elevation the rotator does not reach
    GoWithoutElevation,  // GO while the elevation field holds no elevation that can be sent
};
QString refusal_text(Refusal refusal, UiLanguage language);

} // namespace kestrav
