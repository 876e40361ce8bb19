#include "setup/languages.h"

#include "lists/personal_list.h"
#include "settings/settings_file.h"

#include <vector>

namespace kestrav {

namespace {

// Placeholder address of the project's download page, shown in the About box.
constexpr char16_t kDownloadSite[] = u"https://kestrav.example.org";

LanguageTexts english_texts() {
    LanguageTexts t;
    t.quit = QStringLiteral("&Quit");
    t.my_lists = QStringLiteral("&My Lists");
    t.unit = QStringLiteral("&Unit");
    t.language = QStringLiteral("&Language");
    t.label_azimut = QStringLiteral("Azimuth = (deg)");
    t.about = QStringLiteral("&About Kestrav");
    t.help = QStringLiteral("&Help");
    t.help_file = QStringLiteral("Kestrav_En.hlp");
    t.cannot_create_settings = QStringLiteral("Can't create Kestrav.ini");
    t.cannot_open_file = QStringLiteral("Can't open file");
    t.arswin_not_running = QStringLiteral("ARSWIN must be running !");
    t.dde_conversation_open =
        QStringLiteral("A DDE conversation is in progress ! Please, close the client "
                       "conversation before quitting !");
    t.settings_cut = QStringLiteral("Kestrav.ini is too long: only its first %1 KiB were read")
                         .arg(kLargestSettingsFileBytes / 1024);
    t.list_cut = QStringLiteral("List too long: only its first %1 entries of at most %2 "
                                "characters were loaded")
                     .arg(kMostListEntries)
                     .arg(kLongestListEntry);
    t.about_text = QStringLiteral("Kestrav\n"
                                  "\n"
                                  "This software is free.\n"
                                  "It serves to turn your antenna quickly to an azimuth:\n"
                                  "give a locator, coordinates or a country, then press GO.\n"
                                  "\n"
                                  "New releases can be downloaded from:\n") +
                   QString::fromUtf16(kDownloadSite);
    // Alt+M already opens "My Lists"; the map takes the A.
    t.map = QStringLiteral("M&ap");
    t.map_title = QStringLiteral("Kestrav map");
    t.map_no_local_station = QStringLiteral("No local station");
    t.show_heading = QStringLiteral("Show antenna heading");
    t.no_reading = QStringLiteral("no reading");
    t.settings_unread = QStringLiteral(
        "Kestrav cannot read these settings of Kestrav.ini. They stay in the file as they are "
        "until you change them:\n%1");
    t.serve_rotctld = QStringLiteral("Serve rotctld...");
    t.serve_title = QStringLiteral("Serve rotctld");
    t.serve_enable = QStringLiteral("Serve rotctld to other programs");
    t.serve_port = QStringLiteral("Port:");
    t.serve_local = QStringLiteral("This computer only (localhost)");
    t.serve_all = QStringLiteral("All network interfaces");
    t.serve_warning = QStringLiteral("The rotctld protocol has no authentication: anyone who "
                                     "can reach this port can turn the antenna.");
    t.serve_port_taken = QStringLiteral(
        "Port %1 is already in use (by a rotctld?): Kestrav does not serve rotctld there.");
    t.serve_failed = QStringLiteral("Kestrav cannot serve rotctld on port %1: %2");
    t.serve_address = QStringLiteral("This address only: %1");
    t.serve_unresolved = QStringLiteral(
        "Kestrav cannot serve rotctld at %1 port %2: that is neither an address nor a name this "
        "computer can find.");
    t.serve_open_warning = QStringLiteral(
        "Kestrav serves rotctld at %1 port %2, where other computers can reach it. The rotctld "
        "protocol has no authentication: anyone who can reach this port can turn the antenna "
        "(Serve rotctld, menu Unit).");
    t.client_refused = QStringLiteral("Client's %1 refused: %2");
    t.client_outside_range = QStringLiteral("%1 is outside %2 to %3");
    t.client_no_interface = QStringLiteral("no rotator interface chosen");
    t.client_no_port = QStringLiteral("the interface has no port");
    t.client_not_delivered = QStringLiteral("not delivered to the rotator");
    t.client_timed_out = QStringLiteral("the serial line timed out");
    t.client_no_parking = QStringLiteral("no parking set for this interface");
    t.turned_by = QStringLiteral("Turned by %1: %2");
    t.udp_pst_item = QStringLiteral("PstRotator UDP...");
    t.udp_n1mm_item = QStringLiteral("N1MM rotor UDP...");
    t.udp_pst_enable = QStringLiteral("Turn the antenna for PstRotator datagrams");
    t.udp_n1mm_enable = QStringLiteral("Turn the antenna for N1MM rotor datagrams");
    t.udp_address = QStringLiteral("This address only:");
    t.udp_rotor_name = QStringLiteral("Rotor name:");
    t.udp_report_address = QStringLiteral("Report the heading to:");
    t.udp_report_port = QStringLiteral("Report port:");
    t.udp_bad_address = QStringLiteral("%1 is not an IP address.");
    t.udp_bad_name =
        QStringLiteral("The rotor name needs 1 to 64 characters, without commas or blanks at "
                       "either end.");
    t.udp_port_taken = QStringLiteral(
        "Port %2 is already in use by another program: Kestrav does not listen for %1 there.");
    t.udp_failed = QStringLiteral("Kestrav cannot listen for %1 at %2 port %3: %4");
    t.udp_warning = QStringLiteral("This protocol has no authentication: anyone who can reach "
                                   "this port can turn the antenna.");
    t.spots_item = QStringLiteral("DX cluster &spots...");
    t.spots_title = QStringLiteral("Kestrav DX cluster spots");
    t.cluster_host = QStringLiteral("&Node:");
    t.cluster_port = QStringLiteral("P&ort:");
    t.cluster_call = QStringLiteral("Your &call:");
    t.cluster_connect = QStringLiteral("Connec&t");
    t.cluster_disconnect = QStringLiteral("Disconnec&t");
    t.spots_band = QStringLiteral("&Band:");
    t.spots_all_bands = QStringLiteral("All bands");
    t.spots_columns =
        QStringList{QStringLiteral("UTC"),     QStringLiteral("kHz"),    QStringLiteral("Call"),
                    QStringLiteral("Country"), QStringLiteral("Az"),     QStringLiteral("Distance"),
                    QStringLiteral("Spotter"), QStringLiteral("Comment")};
    t.cluster_off = QStringLiteral("Not connected");
    t.cluster_connecting = QStringLiteral("Connecting to %1...");
    t.cluster_connected = QStringLiteral("Connected to %1");
    t.cluster_waiting = QStringLiteral("Connection to %1 ended (%2): trying again in %3 s");
    t.cluster_bad_host = QStringLiteral("\"%1\" is not a host name or address.");
    t.cluster_bad_call = QStringLiteral("\"%1\" is not a call sign.");
    t.spots_no_country = QStringLiteral("No country is known for %1.");
    t.cluster_closed = QStringLiteral("closed by the node");
    t.cluster_refused = QStringLiteral("refused");
    t.cluster_not_found = QStringLiteral("host not found");
    t.cluster_no_answer = QStringLiteral("no answer");
    t.udp_open_warning = QStringLiteral(
        "Kestrav listens for %1 at %2 port %3, where other computers can reach it. The protocol "
        "has no authentication: anyone who can reach this port can turn the antenna (menu "
        "Unit).");
    t.own_server_network = QStringLiteral(
        "The Network interface cannot send to %1 port %2: that is Kestrav's own rotctld server "
        "(Serve rotctld, menu Unit), and GO would only come back to Kestrav.");
    t.own_server_serve = QStringLiteral(
        "Kestrav cannot serve rotctld on port %1: the Network interface sends to that port of "
        "this computer, and GO would only come back to Kestrav. Choose another port here or on "
        "the Network tab of the initialisation dialog.");
    t.follow_wsjtx = QStringLiteral("Follow &WSJT-X");
    t.dx_call = QStringLiteral("DX call:");
    t.follow_address_item = QStringLiteral("WSJT-X &address and port...");
    t.follow_country_item = QStringLiteral("&Country file...");
    t.follow_title = QStringLiteral("Follow WSJT-X");
    t.follow_address = QStringLiteral("Address or multicast group:");
    t.follow_port = QStringLiteral("Port:");
    t.follow_bad_address = QStringLiteral("The address must be an IPv4 or IPv6 address, "
                                          "such as 127.0.0.1, or 239.255.0.1 for a "
                                          "multicast group");
    t.follow_bad_port = QStringLiteral("The port must be a number from 1 to 65535");
    t.follow_cannot_listen = QStringLiteral("Cannot listen for WSJT-X on %1 port %2: %3");
    t.follow_all_warning = QStringLiteral("WSJT-X's datagrams have no authentication: anyone who "
                                          "can send to this port can choose the DX station and, "
                                          "with AUTO down, turn the antenna.");
    t.country_file_unreadable = QStringLiteral("Can't read the country file %1");
    t.country_file_malformed = QStringLiteral("%1 is not a country file (cty.dat format)");
    t.map_day_and_night = QStringLiteral("Day and night");
    t.map_sun_times = QStringLiteral("%1: sunrise %2, sunset %3 UTC, %4");
    t.map_sun_polar = QStringLiteral("%1: %2, %3");
    t.map_no_sunrise = QStringLiteral("no sunrise");
    t.map_no_sunset = QStringLiteral("no sunset");
    t.map_sun_paths = QStringLiteral("Short and long path: %1 at %2, %3 at %4");
    t.map_daylight = QStringLiteral("daylight");
    t.map_twilight = QStringLiteral("twilight");
    t.map_darkness = QStringLiteral("darkness");

    // The command keys' menu; its letter is free in the menu bar of both languages.
    t.rotator_menu = QStringLiteral("&Rotator");
    t.long_path_item = QStringLiteral("&Long path");
    t.map_call_item = QStringLiteral("DX &call on the map");
    t.elevation_caption = QStringLiteral("El");
    t.reported_elevation = QStringLiteral("El %1\u00b0");
    t.azel_rotator = QStringLiteral("Azimuth and elevation rotator");
    t.max_elevation = QStringLiteral("Max El\u00b0");
    t.max_elevation_flips = QStringLiteral("180: flips over the zenith");
    t.elevation_step = QStringLiteral("El Min Delta\u00b0");
    t.parking_elevation = QStringLiteral("El ");
    return t;
}

LanguageTexts french_texts() {
    LanguageTexts t;
    t.quit = QStringLiteral("&Quitter");
    t.my_lists = QStringLiteral("&Mes Listes");
    t.unit = QStringLiteral("&Unit\u00e9");
    t.language = QStringLiteral("&Langue");
    t.label_azimut = QStringLiteral("Azimut = (deg)");
    t.about = QStringLiteral("A &propos de Kestrav");
    t.help = QStringLiteral("&Aide");
    t.help_file = QStringLiteral("Kestrav_Fr.hlp");
    t.cannot_create_settings = QStringLiteral("Ne peut cr\u00e9er Kestrav.ini");
    t.cannot_open_file = QStringLiteral("Ne peut ouvrir le fichier");
    t.arswin_not_running = QStringLiteral("ARSWIN doit s'ex\u00e9cuter !");
    t.dde_conversation_open =
        QStringLiteral("Une conversation DDE est en cours ! SVP, fermez la conversation "
                       "client avant de quitter !");
    t.settings_cut =
        QStringLiteral(
            "Kestrav.ini est trop long : seuls ses %1 premiers Kio ont \u00e9t\u00e9 lus")
            .arg(kLargestSettingsFileBytes / 1024);
    t.list_cut = QStringLiteral("Liste trop longue : seules ses %1 premi\u00e8res entr\u00e9es "
                                "de %2 caract\u00e8res au plus ont \u00e9t\u00e9 charg\u00e9es")
                     .arg(kMostListEntries)
                     .arg(kLongestListEntry);
    t.about_text =
        QStringLiteral("Kestrav\n"
                       "\n"
                       "Ce logiciel est gratuit.\n"
                       "Il sert \u00e0 tourner rapidement votre antenne vers un azimut :\n"
                       "donnez un locator, des coordonn\u00e9es ou un pays, puis pressez GO.\n"
                       "\n"
                       "Les nouvelles versions peuvent \u00eatre t\u00e9l\u00e9charg\u00e9es "
                       "sur :\n") +
        QString::fromUtf16(kDownloadSite);
    t.map = QStringLiteral("C&arte"); // Alt+A in both languages
    t.map_title = QStringLiteral("Carte Kestrav");
    t.map_no_local_station = QStringLiteral("Pas de station locale");
    t.show_heading = QStringLiteral("Afficher l'orientation de l'antenne");
    t.no_reading = QStringLiteral("pas de lecture");
    t.settings_unread = QStringLiteral(
        "Kestrav ne peut pas lire ces r\u00e9glages de Kestrav.ini. Ils restent tels quels dans "
        "le fichier jusqu'\u00e0 ce que vous les changiez :\n%1");
    t.serve_rotctld = QStringLiteral("Servir rotctld...");
    t.serve_title = QStringLiteral("Servir rotctld");
    t.serve_enable = QStringLiteral("Servir rotctld aux autres programmes");
    t.serve_port = QStringLiteral("Port :");
    t.serve_local = QStringLiteral("Cet ordinateur seulement (localhost)");
    t.serve_all = QStringLiteral("Toutes les interfaces réseau");
    t.serve_warning = QStringLiteral("Le protocole rotctld n'a pas d'authentification : "
                                     "quiconque atteint ce port peut tourner l'antenne.");
    t.serve_port_taken = QStringLiteral(
        "Le port %1 est déjà utilisé (par un rotctld ?) : Kestrav n'y sert pas rotctld.");
    t.serve_failed = QStringLiteral("Kestrav ne peut pas servir rotctld sur le port %1 : %2");
    t.serve_address = QStringLiteral("Cette adresse seulement : %1");
    t.serve_unresolved = QStringLiteral(
        "Kestrav ne peut pas servir rotctld \u00e0 %1 port %2 : ce n'est ni une adresse ni un nom "
        "que cet ordinateur trouve.");
    t.serve_open_warning = QStringLiteral(
        "Kestrav sert rotctld \u00e0 %1 port %2, o\u00f9 d'autres ordinateurs peuvent "
        "l'atteindre. Le protocole rotctld n'a pas d'authentification : quiconque atteint ce "
        "port peut tourner l'antenne (Servir rotctld, menu Unit\u00e9).");
    t.client_refused = QStringLiteral("%1 du client refusé : %2");
    t.client_outside_range = QStringLiteral("%1 hors de %2 à %3");
    t.client_no_interface = QStringLiteral("aucune interface de rotor choisie");
    t.client_no_port = QStringLiteral("l'interface n'a pas de port");
    t.client_not_delivered = QStringLiteral("non transmis au rotor");
    t.client_timed_out = QStringLiteral("la ligne série n'a pas répondu à temps");
    t.client_no_parking = QStringLiteral("pas de parking pour cette interface");
    t.turned_by = QStringLiteral("Tourné par %1 : %2");
    t.udp_pst_item = QStringLiteral("PstRotator UDP...");
    t.udp_n1mm_item = QStringLiteral("Rotor N1MM UDP...");
    t.udp_pst_enable = QStringLiteral("Tourner l'antenne pour les datagrammes PstRotator");
    t.udp_n1mm_enable = QStringLiteral("Tourner l'antenne pour les datagrammes de rotor N1MM");
    t.udp_address = QStringLiteral("Cette adresse seulement :");
    t.udp_rotor_name = QStringLiteral("Nom du rotor :");
    t.udp_report_address = QStringLiteral("Envoyer le cap à :");
    t.udp_report_port = QStringLiteral("Port du cap :");
    t.udp_bad_address = QStringLiteral("%1 n'est pas une adresse IP.");
    t.udp_bad_name = QStringLiteral(
        "Le nom du rotor doit avoir de 1 à 64 caractères, sans virgule ni blanc aux extrémités.");
    t.udp_port_taken = QStringLiteral(
        "Le port %2 est déjà pris par un autre programme : Kestrav n'y écoute pas %1.");
    t.udp_failed = QStringLiteral("Kestrav ne peut pas écouter %1 à %2 port %3 : %4");
    t.udp_warning = QStringLiteral("Ce protocole n'a pas d'authentification : quiconque atteint "
                                   "ce port peut tourner l'antenne.");
    t.spots_item = QStringLiteral("&Spots du DX cluster...");
    t.spots_title = QStringLiteral("Spots du DX cluster Kestrav");
    t.cluster_host = QStringLiteral("&Nœud :");
    t.cluster_port = QStringLiteral("P&ort :");
    t.cluster_call = QStringLiteral("Votre &indicatif :");
    t.cluster_connect = QStringLiteral("Connec&ter");
    t.cluster_disconnect = QStringLiteral("Déconnec&ter");
    t.spots_band = QStringLiteral("&Bande :");
    t.spots_all_bands = QStringLiteral("Toutes les bandes");
    t.spots_columns = QStringList{QStringLiteral("UTC"),       QStringLiteral("kHz"),
                                  QStringLiteral("Indicatif"), QStringLiteral("Pays"),
                                  QStringLiteral("Az"),        QStringLiteral("Distance"),
                                  QStringLiteral("Annonceur"), QStringLiteral("Commentaire")};
    t.cluster_off = QStringLiteral("Non connecté");
    t.cluster_connecting = QStringLiteral("Connexion à %1...");
    t.cluster_connected = QStringLiteral("Connecté à %1");
    t.cluster_waiting = QStringLiteral("Connexion à %1 terminée (%2) : nouvel essai dans %3 s");
    t.cluster_bad_host = QStringLiteral("« %1 » n'est ni un nom d'hôte ni une adresse.");
    t.cluster_bad_call = QStringLiteral("« %1 » n'est pas un indicatif.");
    t.spots_no_country = QStringLiteral("Aucun pays n'est connu pour %1.");
    t.cluster_closed = QStringLiteral("fermée par le nœud");
    t.cluster_refused = QStringLiteral("refusée");
    t.cluster_not_found = QStringLiteral("hôte introuvable");
    t.cluster_no_answer = QStringLiteral("pas de réponse");
    t.udp_open_warning = QStringLiteral(
        "Kestrav écoute %1 à %2 port %3, où d'autres ordinateurs peuvent l'atteindre. Le "
        "protocole n'a pas d'authentification : quiconque atteint ce port peut tourner "
        "l'antenne (menu Unité).");
    t.own_server_network = QStringLiteral(
        "L'interface Network ne peut pas envoyer à %1 port %2 : c'est le serveur rotctld de "
        "Kestrav lui-même (Servir rotctld, menu Unité), et GO ne ferait que revenir à Kestrav.");
    t.own_server_serve = QStringLiteral(
        "Kestrav ne peut pas servir rotctld sur le port %1 : l'interface Network envoie à ce "
        "port de cet ordinateur, et GO ne ferait que revenir à Kestrav. Choisissez un autre "
        "port ici ou dans l'onglet Network de la boîte d'initialisation.");
    t.follow_wsjtx = QStringLiteral("Suivre &WSJT-X");
    t.dx_call = QStringLiteral("Indicatif DX :");
    t.follow_address_item = QStringLiteral("&Adresse et port WSJT-X...");
    t.follow_country_item = QStringLiteral("Fichier des &pays...");
    t.follow_title = QStringLiteral("Suivre WSJT-X");
    t.follow_address = QStringLiteral("Adresse ou groupe multicast :");
    t.follow_port = QStringLiteral("Port :");
    t.follow_bad_address = QStringLiteral("L'adresse doit \u00eatre une adresse IPv4 ou "
                                          "IPv6, comme 127.0.0.1, ou 239.255.0.1 pour un "
                                          "groupe multicast");
    t.follow_bad_port = QStringLiteral("Le port doit \u00eatre un nombre de 1 \u00e0 65535");
    t.follow_cannot_listen = QStringLiteral("Impossible d'\u00e9couter WSJT-X sur %1 port %2 : %3");
    t.follow_all_warning =
        QStringLiteral("Les datagrammes de WSJT-X n'ont pas d'authentification : quiconque peut "
                       "envoyer \u00e0 ce port peut choisir la station DX et, AUTO enfonc\u00e9, "
                       "tourner l'antenne.");
    t.country_file_unreadable = QStringLiteral("Ne peut lire le fichier des pays %1");
    t.country_file_malformed = QStringLiteral("%1 n'est pas un fichier des pays (format cty.dat)");
    t.map_day_and_night = QStringLiteral("Jour et nuit");
    t.map_sun_times = QStringLiteral("%1 : lever %2, coucher %3 UTC, %4");
    t.map_sun_polar = QStringLiteral("%1 : %2, %3");
    t.map_no_sunrise = QStringLiteral("pas de lever du soleil");
    t.map_no_sunset = QStringLiteral("pas de coucher du soleil");
    t.map_sun_paths = QStringLiteral("Chemin court et long : %1 \u00e0 %2, %3 \u00e0 %4");
    t.map_daylight = QStringLiteral("jour");
    t.map_twilight = QStringLiteral("cr\u00e9puscule");
    t.map_darkness = QStringLiteral("nuit");
    t.ui_language = UiLanguage::French;

    // The command keys' menu.
    t.rotator_menu = QStringLiteral("&Rotor");
    t.long_path_item = QStringLiteral("Chemin &long");
    t.map_call_item = QStringLiteral("&Indicatif DX sur la carte");
    t.elevation_caption = QStringLiteral("\u00c9l");
    t.reported_elevation = QStringLiteral("\u00c9l %1\u00b0");
    t.azel_rotator = QStringLiteral("Rotor azimut et \u00e9l\u00e9vation");
    t.max_elevation = QStringLiteral("\u00c9l max\u00b0");
    t.max_elevation_flips = QStringLiteral("180 : bascule par le z\u00e9nith");
    t.elevation_step = QStringLiteral("Pas min \u00c9l\u00b0");
    t.parking_elevation = QStringLiteral("\u00c9l ");
    return t;
}

// The network failures the program words itself, and the connection failures the socket
// reports, in French.
struct NetworkFailure {
    const char16_t* english;
    const char16_t* french;
};
constexpr NetworkFailure kNetworkFailures[] = {
    {u"Connection timed out", u"D\u00e9lai de connexion d\u00e9pass\u00e9"},
    {u"Connection closed by rotctld", u"Connexion ferm\u00e9e par rotctld"},
    {u"No answer from rotctld", u"Pas de r\u00e9ponse de rotctld"},
    {u"Unreadable answer from rotctld", u"R\u00e9ponse illisible de rotctld"},
    {u"The rotctld at this address is this Kestrav itself",
     u"Le rotctld \u00e0 cette adresse est ce Kestrav lui-m\u00eame"},
    {u"Connection refused", u"Connexion refus\u00e9e"},
    {u"Host not found", u"H\u00f4te introuvable"},
    {u"Network unreachable", u"R\u00e9seau inaccessible"},
    {u"Socket operation timed out", u"D\u00e9lai d\u00e9pass\u00e9"},
    {u"The remote host closed the connection", u"L'h\u00f4te distant a ferm\u00e9 la connexion"},
};

} // namespace

const LanguageTexts& language_texts(UiLanguage language) {
    static const LanguageTexts english = english_texts();
    static const LanguageTexts french = french_texts();
    return language == UiLanguage::French ? french : english;
}

QString language_menu_caption(UiLanguage language) {
    return language == UiLanguage::French ? QStringLiteral("&Fran\u00e7ais")
                                          : QStringLiteral("&English");
}

QString network_failure_text(const QString& reason, UiLanguage language) {
    if (language != UiLanguage::French)
        return reason;
    for (const NetworkFailure& f : kNetworkFailures) {
        if (reason == QStringView(f.english))
            return QString::fromUtf16(f.french);
    }
    // "Hamlib error -N": an error number rotctld gave without a text of its own.
    static const QString hamlib = QStringLiteral("Hamlib error ");
    if (reason.startsWith(hamlib))
        return QStringLiteral("Erreur Hamlib ") + reason.mid(hamlib.size());
    return reason;
}

QString help_window_title(UiLanguage language) {
    return language == UiLanguage::French ? QStringLiteral("Aide Kestrav")
                                          : QStringLiteral("Kestrav Help");
}

// ---- The controls' accessible names and descriptions ----

namespace {

struct AccessibleRow {
    const char* object; // an object name, or a pattern with one "*"
    const char16_t* english_name;
    const char16_t* french_name;
    const char16_t* english_description = u"";
    const char16_t* french_description = u"";
};

// clang-format off
constexpr AccessibleRow kAccessibleRows[] = {
    // Main window: the DX station
    {"EditDXLocator", u"DX locator", u"Locator DX"},
    {"EditDXLattitude", u"DX latitude, degrees", u"Latitude DX, degr\u00e9s"},
    {"CheckBoxLattitudeNordDX", u"DX latitude north", u"Latitude DX nord"},
    {"CheckBoxLattitudeSudDX", u"DX latitude south", u"Latitude DX sud"},
    {"EditDXLongitude", u"DX longitude, degrees", u"Longitude DX, degr\u00e9s"},
    {"CheckBoxLongitudeOuestDX", u"DX longitude west", u"Longitude DX ouest"},
    {"CheckBoxLongitudeEstDX", u"DX longitude east", u"Longitude DX est"},
    {"ComboBoxListDX", u"DXCC country", u"Pays DXCC"},
    {"Label1", u"DXCC country", u"Pays DXCC"}, // the list's label, read as its name
    {"ComboBoxPerso1", u"List 1", u"Liste 1"},
    {"ComboBoxPerso2", u"List 2", u"Liste 2"},
    {"ComboBoxPerso3", u"List 3", u"Liste 3"},
    // Main window: the beam and the commands
    {"EditAzimut", u"Azimuth, degrees", u"Azimut, degr\u00e9s"},
    {"UpDownAzimut", u"Azimuth, one degree up or down", u"Azimut, un degr\u00e9 de plus ou de moins",
     u"Up and Down arrow keys", u"Touches fl\u00e8che haut et bas"},
    {"Image1", u"Azimuth dial", u"Cadran d'azimut"},
    {"SpeedButtonLP", u"Long path", u"Chemin long"},
    {"ButtonTrack", u"GO", u"GO", u"Turns the antenna to the azimuth",
     u"Tourne l'antenne vers l'azimut"},
    {"SpeedButtonAuto", u"AUTO", u"AUTO", u"Sends each new azimuth to the rotator at once, a typed one when typing pauses",
     u"Envoie aussit\u00f4t chaque nouvel azimut au rotor, un azimut tap\u00e9 "
     u"d\u00e8s que la frappe marque une pause"},
    {"BitBtnStop", u"STOP", u"STOP", u"Stops the rotator", u"Arr\u00eate le rotor"},
    {"ImageLEDOff", u"Command light, off", u"Voyant de commande, \u00e9teint"},
    {"ImageLedOn", u"Command light, on", u"Voyant de commande, allum\u00e9"},
    {"EditElevation", u"Elevation, degrees", u"\u00c9l\u00e9vation, degr\u00e9s"},
    {"UpDownElevation", u"Elevation, one degree up or down",
     u"\u00c9l\u00e9vation, un degr\u00e9 de plus ou de moins", u"Up and Down arrow keys",
     u"Touches fl\u00e8che haut et bas"},
    // Initialisation dialog: the local station
    {"EditLocalLocator", u"Local locator", u"Locator local"},
    {"EditLocalLattitude", u"Local latitude, degrees", u"Latitude locale, degr\u00e9s"},
    {"CheckBoxLattitudeNord", u"Local latitude north", u"Latitude locale nord"},
    {"CheckBoxLattitudeSud", u"Local latitude south", u"Latitude locale sud"},
    {"EditLocalLongitude", u"Local longitude, degrees", u"Longitude locale, degr\u00e9s"},
    {"CheckBoxLongitudeOuest", u"Local longitude west", u"Longitude locale ouest"},
    {"CheckBoxLongitudeEst", u"Local longitude east", u"Longitude locale est"},
    // Initialisation dialog: the interface and its tabs
    {"RadioGroupRotor", u"Interface", u"Interface"},
    {"qt_tabwidget_tabbar", u"Interface settings", u"R\u00e9glages de l'interface"},
    {"RadioGroup*LPT", u"LPT port", u"Port LPT"},
    {"RadioGroupPort*", u"COM port", u"Port COM"},
    {"RadioGroup*butee", u"Stop side", u"C\u00f4t\u00e9 de la but\u00e9e"},
    {"StopSideNorth", u"Stop at north", u"But\u00e9e au nord"},
    {"StopSideSouth", u"Stop at south", u"But\u00e9e au sud"},
    {"SpinEditStep*", u"Minimum step, degrees", u"Pas minimum, degr\u00e9s"},
    {"Edit*CalAz", u"Bits per degree of azimuth", u"Bits par degr\u00e9 d'azimut"},
    {"Edit*Zero", u"Zero, degrees of azimuth", u"Z\u00e9ro, degr\u00e9s d'azimut"},
    {"ComboBoxBaud*", u"Baud rate", u"D\u00e9bit en bauds"},
    {"LabelBaud*", u"Baud rate", u"D\u00e9bit en bauds"},
    {"ComboBoxRange*", u"Rotator range, degrees", u"Course du rotor, degr\u00e9s"},
    {"LabelRange*", u"Rotator range, degrees", u"Course du rotor, degr\u00e9s"},
    {"SpinEditAzTest*", u"Test azimuth, degrees", u"Azimut de test, degr\u00e9s"},
    {"BitBtnTest*", u"Test GO", u"GO de test", u"Sends the test azimuth through this interface",
     u"Envoie l'azimut de test par cette interface"},
    {"CheckBoxPark*", u"Use for parking", u"Utiliser pour le parcage"},
    {"EditNetHost", u"rotctld host", u"H\u00f4te rotctld"},
    {"CheckBoxAzEl*", u"Azimuth and elevation rotator", u"Rotor azimut et \u00e9l\u00e9vation"},
    {"ComboBoxMaxEl*", u"Highest elevation, degrees", u"\u00c9l\u00e9vation maximale, degr\u00e9s",
     u"180 flips over the zenith", u"180 bascule par le z\u00e9nith"},
    {"LabelMaxEl*", u"Highest elevation, degrees", u"\u00c9l\u00e9vation maximale, degr\u00e9s"},
    {"SpinEditElStep*", u"Minimum elevation step, degrees",
     u"Pas minimum d'\u00e9l\u00e9vation, degr\u00e9s"},
    {"SpinEditParkEl*", u"Parking elevation, degrees", u"\u00c9l\u00e9vation de parcage, degr\u00e9s"},
    {"SpinEditNetPort", u"rotctld port", u"Port rotctld"},
    // The map window
    {"EditDXCall", u"DX call", u"Indicatif DX"},
    {"MapView", u"Great-circle map", u"Carte orthodromique",
     u"Click a place, or move the cross with the arrow keys and press Enter, to make it the DX "
     u"station",
     u"Cliquez un lieu, ou d\u00e9placez la croix avec les fl\u00e8ches et pressez Entr\u00e9e, "
     u"pour en faire la station DX"},
    // The small dialogs
    {"FollowAddress", u"WSJT-X address or multicast group", u"Adresse ou groupe multicast WSJT-X"},
    {"FollowPort", u"WSJT-X port", u"Port WSJT-X"},
    {"CheckServe", u"Serve rotctld to other programs", u"Servir rotctld aux autres programmes"},
    {"SpinPort", u"rotctld server port", u"Port du serveur rotctld"},
};
// clang-format on

// Compared in place: the table is read for every control each time a window is named.
// A row's object name split once at its "*": the name runs for every control of a window.
struct NamePattern {
    QLatin1String head; // the whole name when there is no "*"
    QLatin1String tail;
    bool star = false;

    bool matches(QStringView name) const {
        if (!star)
            return name.size() == head.size() && name.compare(head, Qt::CaseInsensitive) == 0;
        return name.size() >= head.size() + tail.size() &&
               name.startsWith(head, Qt::CaseInsensitive) &&
               name.endsWith(tail, Qt::CaseInsensitive);
    }
};

const std::vector<NamePattern>& name_patterns() {
    static const std::vector<NamePattern> patterns = [] {
        std::vector<NamePattern> all;
        for (const AccessibleRow& row : kAccessibleRows) {
            const QLatin1String object(row.object);
            const qsizetype star = object.indexOf(u'*');
            all.push_back(star < 0 ? NamePattern{object, {}, false}
                                   : NamePattern{object.left(star), object.mid(star + 1), true});
        }
        return all;
    }();
    return patterns;
}

QString pick(UiLanguage language, const char16_t* english, const char16_t* french) {
    return QString::fromUtf16(language == UiLanguage::French ? french : english);
}

} // namespace

std::optional<AccessibleText> accessible_text(QStringView object_name, UiLanguage language) {
    if (object_name.isEmpty())
        return std::nullopt;
    const std::vector<NamePattern>& patterns = name_patterns();
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const AccessibleRow& row = kAccessibleRows[i];
        if (patterns[i].matches(object_name))
            return AccessibleText{pick(language, row.english_name, row.french_name),
                                  pick(language, row.english_description, row.french_description)};
    }
    return std::nullopt;
}

QString dial_description(const QString& azimuth, const std::optional<QString>& heading,
                         bool heading_shown, UiLanguage language) {
    const bool french = language == UiLanguage::French;
    QString text =
        (french ? QStringLiteral("Azimut %1 degr\u00e9s") : QStringLiteral("Azimuth %1 degrees"))
            .arg(azimuth);
    if (heading)
        text += (french ? QStringLiteral(", orientation de l'antenne %1 degr\u00e9s")
                        : QStringLiteral(", antenna heading %1 degrees"))
                    .arg(*heading);
    else if (heading_shown)
        text += french ? QStringLiteral(", orientation de l'antenne : pas de lecture")
                       : QStringLiteral(", antenna heading: no reading");
    return text;
}

QString dial_elevation_description(const std::optional<QString>& elevation, UiLanguage language) {
    const bool french = language == UiLanguage::French;
    if (elevation)
        return (french ? QStringLiteral(", \u00e9l\u00e9vation de l'antenne %1 degr\u00e9s")
                       : QStringLiteral(", antenna elevation %1 degrees"))
            .arg(*elevation);
    return french ? QStringLiteral(", \u00e9l\u00e9vation de l'antenne : pas de lecture")
                  : QStringLiteral(", antenna elevation: no reading");
}

QString distance_name(bool mile, UiLanguage language) {
    if (language == UiLanguage::French)
        return mile ? QStringLiteral("Distance QRB, milles") : QStringLiteral("Distance QRB, km");
    return mile ? QStringLiteral("QRB distance, miles") : QStringLiteral("QRB distance, km");
}

QString refusal_text(Refusal refusal, UiLanguage language) {
    const auto t = [language](const char16_t* english, const char16_t* french) {
        return pick(language, english, french);
    };
    switch (refusal) {
    case Refusal::Keystroke:
        return t(u"Refused: this character does not fit here",
                 u"Refus\u00e9 : ce caract\u00e8re ne convient pas ici");
    case Refusal::AzimuthOutOfRange:
        return t(u"Refused: the azimuth must be from 0 to 359.9 degrees",
                 u"Refus\u00e9 : l'azimut doit aller de 0 \u00e0 359,9 degr\u00e9s");
    case Refusal::GoWithoutAzimuth:
        return t(u"GO refused: the azimuth field holds no azimuth that can be sent",
                 u"GO refus\u00e9 : le champ d'azimut ne contient pas d'azimut \u00e0 envoyer");
    case Refusal::NoInterface:
        return t(u"GO refused: no interface is chosen, or the azimuth is outside its range",
                 u"GO refus\u00e9 : aucune interface choisie, ou azimut hors de sa course");
    case Refusal::NoPort:
        return t(u"GO refused: the interface's port is missing or does not open",
                 u"GO refus\u00e9 : le port de l'interface manque ou ne s'ouvre pas");
    case Refusal::NotDelivered:
        return t(u"GO failed: the command did not reach the rotator",
                 u"GO \u00e9chou\u00e9 : la commande n'a pas atteint le rotor");
    case Refusal::NetworkFailed:
        return t(u"GO failed: rotctld did not take the command",
                 u"GO \u00e9chou\u00e9 : rotctld n'a pas pris la commande");
    case Refusal::ListEntryUnreadable:
        return t(u"Refused: this entry gives no position",
                 u"Refus\u00e9 : cette entr\u00e9e ne donne pas de position");
    case Refusal::UnknownCall:
        return t(u"Refused: no country known for this call",
                 u"Refus\u00e9 : aucun pays connu pour cet indicatif");
    case Refusal::LptPortMissing:
        return t(u"Refused: this computer has no such parallel port",
                 u"Refus\u00e9 : cet ordinateur n'a pas ce port parall\u00e8le");
    case Refusal::ComPortNotOpening:
        return t(u"Refused: this serial port does not open",
                 u"Refus\u00e9 : ce port s\u00e9rie ne s'ouvre pas");
    case Refusal::ZeroOutOfRange:
        return t(u"Refused: the zero must be from -90 to 90",
                 u"Refus\u00e9 : le z\u00e9ro doit aller de -90 \u00e0 90");
    case Refusal::OverlapNeedsNorth:
        return t(u"Refused: a 450-degree range needs the north stop side",
                 u"Refus\u00e9 : une course de 450 degr\u00e9s demande la but\u00e9e nord");
    case Refusal::NotInterfaceInUse:
        return t(u"Refused: this tab's interface is not the one in use",
                 u"Refus\u00e9 : l'interface de cet onglet n'est pas celle utilis\u00e9e");
    case Refusal::OwnRotctldServer:
        return t(u"Refused: this is Kestrav's own rotctld server",
                 u"Refus\u00e9 : c'est le serveur rotctld de Kestrav lui-m\u00eame");
    case Refusal::ElevationOutOfRange:
        return t(u"Refused: the rotator does not reach this elevation",
                 u"Refus\u00e9 : le rotor n'atteint pas cette \u00e9l\u00e9vation");
    case Refusal::GoWithoutElevation:
        return t(u"GO refused: the elevation field holds no elevation that can be sent",
                 u"GO refus\u00e9 : le champ d'\u00e9l\u00e9vation ne contient pas "
                 u"d'\u00e9l\u00e9vation "
                 u"\u00e0 envoyer");
    }
    return {};
}

} // namespace kestrav
