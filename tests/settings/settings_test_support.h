#pragma once
// Shared pieces of the settings tests: a recording stand-in for the main window, a guard
// that sets the decimal separator, and a field-by-field picture of the stored settings.

#include "geodesy/number_text.h"
#include "settings/settings_reader.h"

#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kestrav::testing {

// Records each side effect as one text; a list load records the path the state holds then.
class RecordingActions : public SettingsReaderActions {
public:
    explicit RecordingActions(const StationConfig& state) : state_(state) {}
    void select_language(bool french) override { events << (french ? "french" : "english"); }
    void select_unit(bool mile) override { events << (mile ? "mile" : "km"); }
    void load_personal_list(int n) override {
        events << QStringLiteral("list %1 %2").arg(n).arg(state_.PersoPathNames.at(n - 1));
    }
    void set_com_port(RotorInterface r, int i) override { record("port", r, i); }
    void set_com_speed(RotorInterface r, int i) override { record("speed", r, i); }
    void beep() override { events << "beep"; }
    void report_bad_number(const QString& text) override { events << "bad " + text; }
    void report_unread_row(const QString& row) override { events << "unread " + row; }
    QStringList events;

private:
    void record(const char* what, RotorInterface r, int i) {
        events << QStringLiteral("%1 %2 %3").arg(what).arg(static_cast<int>(r)).arg(i);
    }
    const StationConfig& state_;
};

class SeparatorGuard {
public:
    explicit SeparatorGuard(QChar separator) : saved_(decimal_separator()) {
        set_decimal_separator(separator);
    }
    ~SeparatorGuard() { set_decimal_separator(saved_); }

private:
    QChar saved_;
};

// Every field the settings file holds, one "name=value" text each.
inline QStringList describe(const StationConfig& s) {
    auto n = [](double v) { return QString::number(v, 'g', 15); };
    QString steps, stops;
    for (int i = 0; i < kRotorInterfaceCount; ++i) {
        steps += QString::number(s.MinSteps[i]) + u' ';
        stops += s.StopSides[i] == StopSide::N ? u'N' : u'S';
    }
    const int parking = s.ParkingInterface ? static_cast<int>(*s.ParkingInterface) + 1 : 0;
    return {"locator=" + s.LocalLocator,
            "lat=" + QString(s.LocalNorth ? "N" : "S") + n(s.LocalLatitude),
            "lon=" + QString(s.LocalEast ? "E" : "W") + n(s.LocalLongitude),
            "perso=" + QStringList(s.PersoPathNames.begin(), s.PersoPathNames.end()).join('|'),
            "ant=" + QString::number(static_cast<int>(s.SelectedInterface)),
            QStringLiteral("lpt=%1 %2").arg(s.PourSatLpt).arg(s.FodTrackLpt),
            QStringLiteral("com=%1 %2").arg(s.Gs232Com).arg(s.EasyCommCom),
            QStringLiteral("baud=%1 %2 %3 %4")
                .arg(s.Gs232BaudText)
                .arg(s.Gs232BaudIndex)
                .arg(s.EasyCommBaudText)
                .arg(s.EasyCommBaudIndex),
            "steps=" + steps.trimmed(),
            "stops=" + stops,
            "poursat=" + n(s.PourSatCalAz) + ' ' + n(s.PourSatZero),
            "fodtrack=" + n(s.FodTrackCalAz) + ' ' + n(s.FodTrackZero),
            "parking=" + n(s.ParkingAzimuth) + ' ' + QString::number(parking),
            QStringLiteral("ranges=%1 %2 %3")
                .arg(static_cast<int>(s.Gs232Range))
                .arg(static_cast<int>(s.EasyCommRange))
                .arg(static_cast<int>(s.NetworkRange)),
            QStringLiteral("elevation=%1,%2 %3,%4 step %5 park %6")
                .arg(s.Gs232AzEl.on)
                .arg(s.Gs232AzEl.max_elevation)
                .arg(s.EasyCommAzEl.on)
                .arg(s.EasyCommAzEl.max_elevation)
                .arg(s.ElevationStep)
                .arg(s.ParkingElevation)};
}

// The entries of describe(after) that differ from describe(before).
inline QStringList changes(const StationConfig& before, const StationConfig& after) {
    const QStringList old = describe(before);
    QStringList changed;
    for (const QString& entry : describe(after))
        if (!old.contains(entry))
            changed << entry;
    return changed;
}

} // namespace kestrav::testing
