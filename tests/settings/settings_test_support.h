#pragma once
// Shared pieces of the settings tests: a recording stand-in for the main window and a
// guard that sets the system decimal separator for one test.

#include "geodesy/number_text.h"
#include "rotor/rotor_types.h"
#include "settings/settings_reader.h"

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kestrav::testing {

// Records every side effect of reading as one text line, in order. A personal list load
// records the path the state holds at that moment, which is the one the window would open.
class RecordingActions : public SettingsReaderActions {
public:
    explicit RecordingActions(const StationState& state) : state_(state) {}

    void select_language(bool french) override {
        events << (french ? QStringLiteral("language french") : QStringLiteral("language english"));
    }
    void select_unit(bool mile) override {
        events << (mile ? QStringLiteral("unit mile") : QStringLiteral("unit km"));
    }
    void load_personal_list(int n) override {
        events << QStringLiteral("list %1 %2").arg(n).arg(state_.PersoPathNames.at(n - 1));
    }
    void set_com_port(RotorInterface rotor, int index) override {
        events << QStringLiteral("port %1 %2").arg(static_cast<int>(rotor)).arg(index);
    }
    void set_com_speed(RotorInterface rotor, int index) override {
        events << QStringLiteral("speed %1 %2").arg(static_cast<int>(rotor)).arg(index);
    }
    void beep() override { events << QStringLiteral("beep"); }
    void report_bad_number(const QString& bad_text) override {
        events << QStringLiteral("bad number ") + bad_text;
    }

    QStringList events;

private:
    const StationState& state_;
};

// Sets the system decimal separator for the lifetime of the guard.
class SeparatorGuard {
public:
    explicit SeparatorGuard(QChar separator) : saved_(decimal_separator()) {
        set_decimal_separator(separator);
    }
    ~SeparatorGuard() { set_decimal_separator(saved_); }
    SeparatorGuard(const SeparatorGuard&) = delete;
    SeparatorGuard& operator=(const SeparatorGuard&) = delete;

private:
    QChar saved_;
};

} // namespace kestrav::testing
