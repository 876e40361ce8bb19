// The main window's side of the settings file: reading it at start, with the menu clicks,
// list loading and serial settings it causes, and writing it at exit.

#include "app/window_settings.h"

#include "app/main_window.h"
#include "rotor/comm_port_driver.h"
#include "settings/settings_file.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "setup/languages.h"
#include "ui/desktop.h"

#include <functional>

namespace kestrav {

namespace {

class WindowSettingsActions final : public SettingsReaderActions {
public:
    WindowSettingsActions(TForm1& window, std::function<void(int)> load_list)
        : w_(window), load_list_(std::move(load_list)) {}
    void select_language(bool french) override {
        french ? w_.MenuFrancaisClick() : w_.MenuEnglishClick();
    }
    void select_unit(bool mile) override { mile ? w_.MenuMileClick() : w_.MenuKmClick(); }
    void load_personal_list(int n) override { load_list_(n); }
    void set_com_port(RotorInterface rotor, int index) override {
        driver(rotor)->setComPort(index);
    }
    void set_com_speed(RotorInterface rotor, int index) override {
        driver(rotor)->setComPortSpeed(index);
    }
    void beep() override { w_.desktop().beep(); }
    void report_bad_number(const QString& bad_text) override {
        const QString shown = shortened(bad_text, 40);
        w_.desktop().message_box(
            &w_, BoxIcon::Error,
            QStringLiteral("'%1' is not a valid floating point value").arg(shown));
    }
    void report_unread_row(const QString& row) override { unread_rows << shortened(row, 60); }

    // Every unreadable row of the later settings, told together once the file is read.
    QStringList unread_rows;

private:
    // A damaged file may hold a value of any length; a box shows its beginning.
    static QString shortened(const QString& text, qsizetype shown) {
        return text.size() > shown ? text.first(shown) + QStringLiteral("...") : text;
    }
    TCommPortDriver* driver(RotorInterface rotor) const {
        return w_.controller().serialPort(rotor);
    }
    TForm1& w_;
    std::function<void(int)> load_list_;
};

} // namespace

void read_window_settings(TForm1& window, const std::function<void(int)>& load_list) {
    StationState& state = window.state();
    const auto file =
        load_settings_file(settings_file_to_read(state.ExeDirectory, state.AppDirectory));
    if (!file)
        return;
    WindowSettingsActions actions(window, load_list);
    read_settings(file->lines, state, actions);
    // Told after reading, in the language the file has chosen.
    if (file->cut)
        window.desktop().message_box(&window, BoxIcon::Warning, state.Messages.settings_cut);
    if (!actions.unread_rows.isEmpty())
        window.desktop().message_box(
            &window, BoxIcon::Warning,
            language_texts(window.french() ? UiLanguage::French : UiLanguage::English)
                .settings_unread.arg(actions.unread_rows.join(u'\n')));
}

void save_window_settings(TForm1& window) {
    StationState& state = window.state();
    if (!save_settings_file(state.AppDirectory,
                            settings_lines(state, window.french(), window.mile())))
        window.desktop().message_box(&window, BoxIcon::Error,
                                     state.Messages.cannot_create_settings);
}

} // namespace kestrav
