#include "settings/settings_writer.h"

#include "geodesy/number_text.h"
#include "settings/serve_setting.h"
#include "settings/settings_words.h"

#include <tuple>

namespace kestrav {

namespace {

using settings_words::kInterfaceWords;

// The word of an interface; empty for none (and for any value outside the six).
QString word(RotorInterface rotor) {
    const int index = static_cast<int>(rotor);
    if (index < 0 || index >= kAllRotorInterfaceCount)
        return QString();
    return kInterfaceWords[index].toString();
}

QString stop_line(const StationConfig& state, RotorInterface rotor) {
    const StopSide side = state.StopSides[static_cast<int>(rotor)];
    return QStringLiteral("STOP_") + word(rotor) +
           (side == StopSide::N ? QStringLiteral("=N") : QStringLiteral("=S"));
}

QString step_line(const StationConfig& state, RotorInterface rotor) {
    return QStringLiteral("STEP_") + word(rotor) + u'=' +
           QString::number(state.MinSteps[static_cast<int>(rotor)]);
}

// Stored choices are 0-based with -1 for none; the file counts from 1 with 0 for none.
QString choice_text(int choice) {
    return QString::number(static_cast<long long>(choice) + 1);
}

QString local_coordinate(double magnitude) {
    return format_fixed(magnitude, 3, 7);
}

QString general(double value) {
    return format_general(value, 7);
}

// A row the file held and the reader could not read, written back as it stood while its
// setting is unchanged; otherwise the setting's own row, when it has one.
template <typename Setting, typename Write>
void add_row(QStringList& lines, const std::optional<KeptRow<Setting>>& kept, const Setting& now,
             Write write) {
    if (const std::optional<QString> text = kept_text(kept, now))
        lines << *text;
    else
        write();
}

// A range row, only once the range is not 360.
void add_range_line(QStringList& lines, const char* key, RangeChoice range) {
    if (range == RangeChoice::Turn450)
        lines << QLatin1String(key) + QStringLiteral("450");
    else if (range == RangeChoice::Reported)
        lines << QLatin1String(key) + QStringLiteral("AUTO");
}

bool holds_line_break(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

QStringList settings_lines(const StationConfig& state, bool french, bool mile) {
    using R = RotorInterface;
    QStringList lines;
    lines.reserve(35);

    lines << QStringLiteral("[KESTRAV]");
    lines << (french ? QStringLiteral("LANGUAGE=FRENCH") : QStringLiteral("LANGUAGE=ENGLISH"));
    lines << QStringLiteral("QRA_LOCATOR=") + state.LocalLocator.toUpper();
    lines << QStringLiteral("LATTITUDE=") + (state.LocalNorth ? u'N' : u'S') +
                 local_coordinate(state.LocalLatitude);
    lines << QStringLiteral("LONGITUDE=") + (state.LocalEast ? u'E' : u'W') +
                 local_coordinate(state.LocalLongitude);
    for (int n = 1; n <= kPersonalListCount; ++n) {
        const QString& path = state.PersoPathNames[n - 1];
        if (!path.isEmpty() && !holds_line_break(path))
            lines << QStringLiteral("PERSO%1_PATHNAME=").arg(n) + path;
    }
    lines << (mile ? QStringLiteral("UNIT=MILE") : QStringLiteral("UNIT=KM"));
    lines << QStringLiteral("ANT=") + word(state.SelectedInterface);

    lines << QStringLiteral("[POURSAT]");
    lines << QStringLiteral("LPT_POURSAT=") + choice_text(state.PourSatLpt);
    lines << stop_line(state, R::PourSat);
    lines << step_line(state, R::PourSat);
    lines << QStringLiteral("CALAZ_POURSAT=") + general(state.PourSatCalAz);
    lines << QStringLiteral("ZERO_POURSAT=") + general(state.PourSatZero);

    lines << QStringLiteral("[FODTRACK]");
    lines << QStringLiteral("LPT_FODTRACK=") + choice_text(state.FodTrackLpt);
    lines << stop_line(state, R::FodTrack);
    lines << step_line(state, R::FodTrack);
    lines << QStringLiteral("CALAZ_FODTRACK=") + general(state.FodTrackCalAz);
    lines << QStringLiteral("ZERO_FODTRACK=") + general(state.FodTrackZero);

    lines << QStringLiteral("[EA4TX]");
    lines << stop_line(state, R::Ea4tx);
    lines << step_line(state, R::Ea4tx);

    lines << QStringLiteral("[GS-232]");
    lines << QStringLiteral("PORT_GS232=") + choice_text(state.Gs232Com);
    lines << QStringLiteral("BAUD_GS232=") + state.Gs232BaudText;
    lines << stop_line(state, R::Gs232);
    lines << step_line(state, R::Gs232);

    lines << QStringLiteral("[EASYCOMM]");
    lines << QStringLiteral("PORT_EASYCOMM=") + choice_text(state.EasyCommCom);
    lines << QStringLiteral("BAUD_EASYCOMM=") + state.EasyCommBaudText;
    lines << stop_line(state, R::EasyComm);
    lines << step_line(state, R::EasyComm);

    lines << QStringLiteral("AZIMUT_PARKING=") +
                 QString::number(round_half_even(state.ParkingAzimuth));
    if (state.ParkingInterface)
        lines << QStringLiteral("PARKING=") + word(*state.ParkingInterface);

    // What goes beyond the five interfaces is written only when in use, after everything
    // else, so a file without it stays as it always was.
    if (state.NetworkConfigured) {
        lines << QStringLiteral("[NETWORK]");
        lines << QStringLiteral("HOST_NETWORK=") +
                     (holds_line_break(state.NetworkHost) ? QString() : state.NetworkHost);
        lines << QStringLiteral("PORT_NETWORK=") + QString::number(state.NetworkPort);
        lines << stop_line(state, R::Network);
        lines << step_line(state, R::Network);
    }
    const KeptRows& kept = state.UnreadRows;
    add_row(lines, kept.heading, state.ShowHeading, [&] {
        if (state.ShowHeading)
            lines << QStringLiteral("HEADING=ON");
    });
    add_row(lines, kept.map, state.MapWindowSetting, [&] {
        if (state.MapWindowSetting.used)
            lines << map_setting_line(state.MapWindowSetting);
    });
    add_row(lines, kept.serve, state.ServeRotctld, [&] {
        if (state.ServeRotctld.on)
            lines << serve_setting_line(state.ServeRotctld);
    });
    add_row(lines, kept.wsjtx, state.WsjtxFollowing, [&] {
        if (state.WsjtxFollowing.used)
            lines << follow_setting_line(state.WsjtxFollowing);
    });
    add_row(lines, kept.range_gs232, state.Gs232Range,
            [&] { add_range_line(lines, "RANGE_GS232=", state.Gs232Range); });
    add_row(lines, kept.range_easycomm, state.EasyCommRange,
            [&] { add_range_line(lines, "RANGE_EASYCOMM=", state.EasyCommRange); });
    add_row(lines, kept.range_network, state.NetworkRange,
            [&] { add_range_line(lines, "RANGE_NETWORK=", state.NetworkRange); });
    for (const auto& [key, kept_row, choice] :
         {std::tuple{"AZEL_GS232=", &kept.azel_gs232, &state.Gs232AzEl},
          std::tuple{"AZEL_EASYCOMM=", &kept.azel_easycomm, &state.EasyCommAzEl}}) {
        add_row(lines, *kept_row, *choice, [&, key = key, choice = choice] {
            if (choice->on)
                lines << QLatin1String(key) + (choice->max_elevation == 180
                                                   ? QStringLiteral("ON,180")
                                                   : QStringLiteral("ON"));
        });
    }
    add_row(lines, kept.elevation_step, state.ElevationStep, [&] {
        if (state.ElevationStep != 1)
            lines << QStringLiteral("STEP_ELEVATION=%1").arg(state.ElevationStep);
    });
    add_row(lines, kept.parking_elevation, state.ParkingElevation, [&] {
        if (state.ParkingElevation != 0)
            lines << QStringLiteral("PARKING_ELEVATION=%1").arg(state.ParkingElevation);
    });
    add_row(lines, kept.cluster, state.DxCluster, [&] {
        if (state.DxCluster.used)
            lines << cluster_setting_line(state.DxCluster);
    });
    add_row(lines, kept.pst, state.PstRotator, [&] {
        if (state.PstRotator.used)
            lines << pst_setting_line(state.PstRotator);
    });
    add_row(lines, kept.n1mm, state.N1mm, [&] {
        if (state.N1mm.used)
            lines << n1mm_setting_line(state.N1mm);
    });
    return lines;
}

} // namespace kestrav
