#pragma once
// The map window: a resizable window of its own beside the main window, opened from the
// "&Map" menu item (F3). It follows the main window's stations, azimuth, long path and unit,
// and a click on it sets the DX station. Its open state and size are kept in the settings
// file once it has been used.

#include "map/azimuthal_projection.h"
#include "map/map_host.h"
#include "map/map_view.h"

#include <QDateTime>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;

#include <functional>
#include <optional>

namespace kestrav {

struct LanguageTexts;
class MapView;

class MapWindow : public QWidget {
    Q_OBJECT
public:
    explicit MapWindow(MapHost& host);

    MapView* view() const { return view_; }
    // The call-sign field: Enter sets the DX station at the call's country.
    QLineEdit* callField() const { return call_field_; }
    // Sunrise and sunset at both stations and the light at the paths' ends, above the map;
    // empty while the map shows no day and night.
    QLabel* sunTimes() const { return sun_label_; }
    // The antenna's real heading as the rotator reports it; none hides it.
    void setHeading(std::optional<double> heading);
    // The DX cluster spots shown as marks; a click on one sets the DX station there.
    void setSpots(std::vector<MapSpot> spots);
    // Shows the map (or brings it forward) and notes that it has been used.
    void open();
    // Opens the map and gives the keyboard to its call-sign field. Tab goes on to the map
    // itself, where the arrow keys and Enter choose the DX station; Escape gives the keyboard
    // back to the main window.
    void enterCall();
    // Takes the stations, azimuth, long path and unit from the main window at once. Changes
    // in the main window call it on the next turn of the event loop, once for a burst.
    void refresh();
    // The window's title and labels in the main window's language.
    void setTexts(const LanguageTexts& texts);
    // Where the map reads the time for the Sun: the system clock in UTC unless another is
    // handed in. The Sun is placed anew at each minute while the map is shown.
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow_main_window();
    void reopen_at_start();
    void schedule_refresh();
    // The Sun placed for the clock's time, and the next placing set for the next minute.
    void follow_sun();
    // Once framed: the real frame brought wholly onto the screen, smaller if need be.
    void fit_on_screen();
    void call_entered();
    // The call field shows the call the DX station was set by, and is emptied when the DX
    // station changes otherwise (a click, a locator, a list): never a call of another station.
    // What the operator is typing stays while the DX station does.
    void follow_dx_call(const MapDxView& dx);
    void take_keyboard(bool take);

    MapHost& host_;
    QWidget* host_window_; // compared with while the host is being destroyed
    MapView* view_;
    QLabel* call_label_;
    QLineEdit* call_field_;
    QLabel* sun_label_;
    QTimer refresh_timer_;
    Clock clock_;
    QTimer minute_timer_;
    QString no_local_station_;
    bool following_ = false;
    bool placed_ = false;
    bool fitting_ = false; // shown for the first time, not yet exposed
    QPoint placed_at_;     // where its frame was put at the first showing
    struct ShownDx {
        bool has_dx = false;
        double latitude = 0;
        double longitude = 0;
        QString label;
        bool operator==(const ShownDx&) const = default;
    };
    std::optional<ShownDx> shown_dx_; // the DX station the call field was last set for
};

} // namespace kestrav
