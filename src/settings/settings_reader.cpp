#include "settings/settings_reader.h"

#include "geodesy/number_text.h"
#include "rotor/rotor_protocol.h"
#include "settings/serve_setting.h"
#include "settings/settings_words.h"

#include <array>
#include <optional>

namespace kestrav {

namespace {

using settings_words::kInterfaceWords;

enum class Handling {
    Language,
    Locator,
    Map,
    Wsjtx,
    Latitude,
    Longitude,
    Unit,
    Ant,
    Lpt,
    Port,
    Baud,
    Stop,
    Step,
    PourSatCalAz,
    PourSatZero,
    FodTrackCalAz,
    FodTrackZero,
    ParkingAzimuth,
    Parking,
    NetworkHost,
    NetworkPort,
    Heading,
    ServeRotctld,
    Range,
    PstRotator,
    N1mm,
    AzEl,
    ElevationStep,
    ParkingElevation,
    DxCluster,
};

struct KnownKey {
    QStringView key;
    Handling handling;
    RotorInterface rotor = RotorInterface::None;
};

using R = RotorInterface;

constexpr KnownKey kKnownKeys[] = {
    {u"LANGUAGE=", Handling::Language},
    {u"QRA_LOCATOR=", Handling::Locator},
    {u"LATTITUDE=", Handling::Latitude},
    {u"LONGITUDE=", Handling::Longitude},
    {u"UNIT=", Handling::Unit},
    {u"MAP=", Handling::Map},
    {u"WSJTX=", Handling::Wsjtx},
    {u"ANT=", Handling::Ant},
    {u"LPT_POURSAT=", Handling::Lpt, R::PourSat},
    {u"LPT_FODTRACK=", Handling::Lpt, R::FodTrack},
    {u"PORT_GS232=", Handling::Port, R::Gs232},
    {u"PORT_EASYCOMM=", Handling::Port, R::EasyComm},
    {u"BAUD_GS232=", Handling::Baud, R::Gs232},
    {u"BAUD_EASYCOMM=", Handling::Baud, R::EasyComm},
    {u"STOP_POURSAT=", Handling::Stop, R::PourSat},
    {u"STOP_FODTRACK=", Handling::Stop, R::FodTrack},
    {u"STOP_EA4TX=", Handling::Stop, R::Ea4tx},
    {u"STOP_GS232=", Handling::Stop, R::Gs232},
    {u"STOP_EASYCOMM=", Handling::Stop, R::EasyComm},
    {u"STOP_NETWORK=", Handling::Stop, R::Network},
    {u"STEP_POURSAT=", Handling::Step, R::PourSat},
    {u"STEP_FODTRACK=", Handling::Step, R::FodTrack},
    {u"STEP_EA4TX=", Handling::Step, R::Ea4tx},
    {u"STEP_GS232=", Handling::Step, R::Gs232},
    {u"STEP_EASYCOMM=", Handling::Step, R::EasyComm},
    {u"STEP_NETWORK=", Handling::Step, R::Network},
    {u"CALAZ_POURSAT=", Handling::PourSatCalAz},
    {u"ZERO_POURSAT=", Handling::PourSatZero},
    {u"CALAZ_FODTRACK=", Handling::FodTrackCalAz},
    {u"ZERO_FODTRACK=", Handling::FodTrackZero},
    {u"AZIMUT_PARKING=", Handling::ParkingAzimuth},
    {u"PARKING=", Handling::Parking},
    {u"HOST_NETWORK=", Handling::NetworkHost},
    {u"PORT_NETWORK=", Handling::NetworkPort},
    {u"HEADING=", Handling::Heading},
    {u"SERVE_ROTCTLD=", Handling::ServeRotctld},
    {u"RANGE_GS232=", Handling::Range, R::Gs232},
    {u"RANGE_EASYCOMM=", Handling::Range, R::EasyComm},
    {u"RANGE_NETWORK=", Handling::Range, R::Network},
    {u"PSTROTATOR=", Handling::PstRotator},
    {u"N1MM=", Handling::N1mm},
    {u"AZEL_GS232=", Handling::AzEl, R::Gs232},
    {u"AZEL_EASYCOMM=", Handling::AzEl, R::EasyComm},
    {u"STEP_ELEVATION=", Handling::ElevationStep},
    {u"PARKING_ELEVATION=", Handling::ParkingElevation},
    {u"DXCLUSTER=", Handling::DxCluster},
};

// "ON" (up to 90 degrees) or "ON,180" (a rotator that flips); "OFF" reads as no row.
std::optional<AzElChoice> read_azel_choice(QStringView value) {
    if (value == u"OFF")
        return AzElChoice{};
    if (value == u"ON")
        return AzElChoice{true, 90};
    if (value == u"ON,180")
        return AzElChoice{true, 180};
    return std::nullopt;
}

const KnownKey* find_key(QStringView key) {
    for (const KnownKey& known : kKnownKeys) {
        if (known.key == key)
            return &known;
    }
    return nullptr;
}

// The settings added after the five interfaces, whose unreadable rows are kept.
enum Addition {
    kHeadingRow,
    kMapRow,
    kServeRow,
    kWsjtxRow,
    kRangeGs232Row,
    kRangeEasyCommRow,
    kRangeNetworkRow,
    kPstRow,
    kN1mmRow,
    kAzElGs232Row,
    kAzElEasyCommRow,
    kElevationStepRow,
    kParkingElevationRow,
    kClusterRow,
    kAdditionCount
};

// Position of an interface word, or -1 for any other text.
int interface_word_index(QStringView value) {
    for (int i = 0; i < kAllRotorInterfaceCount; ++i) {
        if (kInterfaceWords[i] == value)
            return i;
    }
    return -1;
}

// A stored choice is the number in the file minus one (0 in the file means none); done in
// 64 bits because the file may hold the smallest integer.
long long choice_from_file(QStringView value) {
    const std::optional<int> number = read_integer(value);
    return number ? static_cast<long long>(*number) - 1 : -1;
}

class Reader {
public:
    Reader(StationConfig& state, SettingsReaderActions& actions)
        : state_(state), actions_(actions) {}

    void apply(const QString& line) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            return;
        const QStringView key = QStringView(line).first(equals + 1);
        const QStringView value = QStringView(line).sliced(equals + 1);

        if (key.startsWith(u"PERSO")) {
            apply_personal_list(key, value);
            return;
        }
        if (const KnownKey* known = find_key(key))
            apply_known(*known, value, line);
    }

    // Each unreadable row of an addition still standing once the file is read (a later good
    // row of the same key replaces it), with the value its setting has then.
    void keep_unread_rows() {
        KeptRows& kept = state_.UnreadRows;
        kept = KeptRows{};
        keep(kept.heading, kHeadingRow, state_.ShowHeading);
        keep(kept.map, kMapRow, state_.MapWindowSetting);
        keep(kept.serve, kServeRow, state_.ServeRotctld);
        keep(kept.wsjtx, kWsjtxRow, state_.WsjtxFollowing);
        keep(kept.range_gs232, kRangeGs232Row, state_.Gs232Range);
        keep(kept.range_easycomm, kRangeEasyCommRow, state_.EasyCommRange);
        keep(kept.range_network, kRangeNetworkRow, state_.NetworkRange);
        keep(kept.pst, kPstRow, state_.PstRotator);
        keep(kept.n1mm, kN1mmRow, state_.N1mm);
        keep(kept.azel_gs232, kAzElGs232Row, state_.Gs232AzEl);
        keep(kept.azel_easycomm, kAzElEasyCommRow, state_.EasyCommAzEl);
        keep(kept.elevation_step, kElevationStepRow, state_.ElevationStep);
        keep(kept.parking_elevation, kParkingElevationRow, state_.ParkingElevation);
        keep(kept.cluster, kClusterRow, state_.DxCluster);
    }

private:
    void apply_known(const KnownKey& known, QStringView value, const QString& line) {
        switch (known.handling) {
        case Handling::Language:
            if (value == u"ENGLISH")
                actions_.select_language(false);
            else if (value == u"FRENCH")
                actions_.select_language(true);
            break;
        case Handling::Locator:
            state_.LocalLocator = value.toString().toUpper();
            break;
        case Handling::Latitude:
            apply_local_coordinate(value, u'N', state_.LocalNorth, state_.LocalLatitude);
            break;
        case Handling::Longitude:
            apply_local_coordinate(value, u'E', state_.LocalEast, state_.LocalLongitude);
            break;
        case Handling::Unit:
            if (value == u"KM")
                actions_.select_unit(false);
            else if (value == u"MILE")
                actions_.select_unit(true);
            break;
        case Handling::Map: {
            const std::optional<MapSetting> map = read_map_setting(value);
            if (map)
                state_.MapWindowSetting = *map;
            note_addition(kMapRow, map.has_value(), line);
            break;
        }
        case Handling::Wsjtx: {
            const std::optional<FollowSetting> follow = read_follow_setting(value);
            if (follow)
                state_.WsjtxFollowing = *follow;
            note_addition(kWsjtxRow, follow.has_value(), line);
            break;
        }
        case Handling::Ant: {
            // Reset first: an unknown word after a good one leaves no interface.
            const int index = interface_word_index(value);
            state_.SelectedInterface = static_cast<RotorInterface>(index);
            break;
        }
        case Handling::Lpt:
            apply_lpt(known.rotor, value);
            break;
        case Handling::Port:
            apply_port(known.rotor, value);
            break;
        case Handling::Baud:
            apply_baud(known.rotor, value);
            break;
        case Handling::Stop:
            state_.stop_side(known.rotor) = value == u"N" ? StopSide::N : StopSide::S;
            note_network(known.rotor);
            break;
        case Handling::Step: {
            const std::optional<int> step = read_integer(value);
            state_.min_step(known.rotor) = step && *step >= 0 ? *step : 1;
            note_network(known.rotor);
            break;
        }
        case Handling::NetworkHost:
            state_.NetworkHost = value.toString();
            state_.NetworkConfigured = true;
            break;
        case Handling::NetworkPort: {
            // A port outside 1..65535 keeps the one read before.
            const std::optional<int> port = read_integer(value);
            if (port && *port >= 1 && *port <= 65535)
                state_.NetworkPort = *port;
            state_.NetworkConfigured = true;
            break;
        }
        case Handling::Heading: {
            // Written only as ON; OFF reads as the absence of the row.
            const bool readable = value == u"ON" || value == u"OFF";
            if (readable)
                state_.ShowHeading = value == u"ON";
            note_addition(kHeadingRow, readable, line);
            break;
        }
        case Handling::ServeRotctld: {
            const std::optional<ServeSetting> serve = read_serve_setting(value);
            if (serve)
                state_.ServeRotctld = *serve;
            note_addition(kServeRow, serve.has_value(), line);
            break;
        }
        case Handling::PstRotator: {
            const std::optional<PstSetting> pst = read_pst_setting(value);
            if (pst)
                state_.PstRotator = *pst;
            note_addition(kPstRow, pst.has_value(), line);
            break;
        }
        case Handling::N1mm: {
            const std::optional<N1mmSetting> n1mm = read_n1mm_setting(value);
            if (n1mm)
                state_.N1mm = *n1mm;
            note_addition(kN1mmRow, n1mm.has_value(), line);
            break;
        }
        case Handling::AzEl: {
            const bool gs232 = known.rotor == RotorInterface::Gs232;
            const std::optional<AzElChoice> choice = read_azel_choice(value);
            if (choice)
                (gs232 ? state_.Gs232AzEl : state_.EasyCommAzEl) = *choice;
            note_addition(gs232 ? kAzElGs232Row : kAzElEasyCommRow, choice.has_value(), line);
            break;
        }
        case Handling::ElevationStep: {
            const std::optional<int> step = read_integer(value);
            const bool readable = step && *step >= 0 && *step <= 90;
            if (readable)
                state_.ElevationStep = *step;
            note_addition(kElevationStepRow, readable, line);
            break;
        }
        case Handling::ParkingElevation: {
            const std::optional<int> elevation = read_integer(value);
            const bool readable = elevation && *elevation >= 0 && *elevation <= 180;
            if (readable)
                state_.ParkingElevation = *elevation;
            note_addition(kParkingElevationRow, readable, line);
            break;
        }
        case Handling::DxCluster: {
            const std::optional<ClusterSetting> cluster = read_cluster_setting(value);
            if (cluster)
                state_.DxCluster = *cluster;
            note_addition(kClusterRow, cluster.has_value(), line);
            break;
        }
        case Handling::Range: {
            const Addition row = known.rotor == RotorInterface::Gs232      ? kRangeGs232Row
                                 : known.rotor == RotorInterface::EasyComm ? kRangeEasyCommRow
                                                                           : kRangeNetworkRow;
            note_addition(row, apply_range(known.rotor, value), line);
            break;
        }
        case Handling::PourSatCalAz:
            apply_calibration(value, state_.PourSatCalAz);
            break;
        case Handling::PourSatZero:
            apply_calibration(value, state_.PourSatZero);
            break;
        case Handling::FodTrackCalAz:
            apply_calibration(value, state_.FodTrackCalAz);
            break;
        case Handling::FodTrackZero:
            apply_calibration(value, state_.FodTrackZero);
            break;
        case Handling::ParkingAzimuth:
            // Written as a whole number, so read without exchanging the separator; an empty
            // value is bad too.
            store_number(value.toString(), value, state_.ParkingAzimuth);
            break;
        case Handling::Parking: {
            // Not reset first: an unknown word keeps the parking interface read before.
            const int index = interface_word_index(value);
            if (index >= 0)
                state_.ParkingInterface = static_cast<RotorInterface>(index);
            break;
        }
        }
    }

    // "360", "450", and for the network rotator "AUTO"; any other value keeps the range and
    // gives false.
    bool apply_range(RotorInterface rotor, QStringView value) {
        std::optional<RangeChoice> choice;
        if (value == u"360")
            choice = RangeChoice::Turn360;
        else if (value == u"450")
            choice = RangeChoice::Turn450;
        else if (value == u"AUTO" && rotor == RotorInterface::Network)
            choice = RangeChoice::Reported;
        if (!choice)
            return false;
        if (rotor == RotorInterface::Gs232)
            state_.Gs232Range = *choice;
        else if (rotor == RotorInterface::EasyComm)
            state_.EasyCommRange = *choice;
        else
            state_.NetworkRange = *choice;
        return true;
    }

    // A readable row of an addition forgets an unreadable one read before it; an unreadable
    // one is told, the first of its key only, and kept to be written back. A row holding a
    // line break (never one read from a file) could not be written back as one line.
    void note_addition(Addition row, bool readable, const QString& line) {
        std::optional<QString>& unread = unread_rows_[row];
        if (readable) {
            unread.reset();
            return;
        }
        if (!told_[row]) {
            told_[row] = true;
            actions_.report_unread_row(line);
        }
        if (line.contains(u'\r') || line.contains(u'\n'))
            unread.reset();
        else
            unread = line;
    }

    template <typename Setting>
    void keep(std::optional<KeptRow<Setting>>& kept, Addition row, const Setting& now) {
        if (unread_rows_[row])
            kept = KeptRow<Setting>{*unread_rows_[row], now};
    }

    // Any network row means the network interface has been set up: its rows are kept.
    void note_network(RotorInterface rotor) {
        if (rotor == RotorInterface::Network)
            state_.NetworkConfigured = true;
    }

    // "PERSO" followed by the list number; the rest of the key does not matter.
    void apply_personal_list(QStringView key, QStringView value) {
        const QChar digit = key.at(5); // the key holds at least "PERSO="
        const int n = digit >= u'0' && digit <= u'9' ? digit.unicode() - u'0' : 0;
        if (n < 1 || n > kPersonalListCount)
            return;
        state_.PersoPathNames[n - 1] = value.toString();
        list_named_[n - 1] = true;
    }

public:
    // Each list named in the file is loaded once, from the last path given for it, after
    // every line has been read: a file repeating a key cannot load a list over and over.
    void load_named_lists() {
        for (int n = 1; n <= kPersonalListCount; ++n) {
            if (list_named_[n - 1])
                actions_.load_personal_list(n);
        }
    }

private:
    // A hemisphere letter and a magnitude. An unreadable magnitude (an empty value
    // included) forgets the local locator, so that the window asks for the station again.
    void apply_local_coordinate(QStringView value, QChar positive_letter, bool& positive,
                                double& magnitude) {
        const QString text = localize_decimal(value.toString());
        std::optional<double> number;
        if (!text.isEmpty()) {
            positive = text.front() == positive_letter;
            number = read_number(QStringView(text).sliced(1));
        }
        if (number) {
            magnitude = *number;
        } else {
            state_.LocalLocator.clear();
            actions_.beep();
        }
    }

    void apply_lpt(RotorInterface rotor, QStringView value) {
        const long long lpt = choice_from_file(value);
        const int stored = lpt >= 0 && lpt < kLptCount ? static_cast<int>(lpt) : -1;
        if (rotor == RotorInterface::PourSat)
            state_.PourSatLpt = stored;
        else
            state_.FodTrackLpt = stored;
    }

    void apply_port(RotorInterface rotor, QStringView value) {
        const long long port = choice_from_file(value);
        const int stored = port >= 0 ? static_cast<int>(port) : -1;
        if (rotor == RotorInterface::Gs232)
            state_.Gs232Com = stored;
        else
            state_.EasyCommCom = stored;
        if (stored != -1)
            actions_.set_com_port(rotor, stored);
    }

    // An empty value changes nothing; a text that is not one of the speeds is kept (and
    // written back) but leaves the speed index as it was.
    void apply_baud(RotorInterface rotor, QStringView value) {
        if (value.isEmpty())
            return;
        const bool gs232 = rotor == RotorInterface::Gs232;
        (gs232 ? state_.Gs232BaudText : state_.EasyCommBaudText) = value.toString();
        const int index = speed_index_of(value);
        if (index < 0)
            return;
        actions_.set_com_speed(rotor, index);
        (gs232 ? state_.Gs232BaudIndex : state_.EasyCommBaudIndex) = index;
    }

    void apply_calibration(QStringView value, double& field) {
        if (value.isEmpty())
            return;
        store_number(localize_decimal(value.toString()), value, field);
    }

    // A bad number keeps the field's value and is reported with the text as the file has
    // it, the first few only; the lines after it are still read.
    void store_number(const QString& text, QStringView file_text, double& field) {
        const std::optional<double> number = read_number(text);
        if (number)
            field = *number;
        else if (bad_numbers_reported_ < kMostBadNumberReports) {
            ++bad_numbers_reported_;
            actions_.report_bad_number(file_text.toString());
        }
    }

    StationConfig& state_;
    SettingsReaderActions& actions_;
    std::array<bool, kPersonalListCount> list_named_{};
    std::array<std::optional<QString>, kAdditionCount> unread_rows_;
    std::array<bool, kAdditionCount> told_{};
    int bad_numbers_reported_ = 0;
};

} // namespace

void read_settings(const QStringList& lines, StationConfig& state, SettingsReaderActions& actions) {
    Reader reader(state, actions);
    for (const QString& line : lines)
        reader.apply(line);
    reader.keep_unread_rows();
    reader.load_named_lists();
}

} // namespace kestrav
