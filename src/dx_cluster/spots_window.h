#pragma once
// The spots window: the DX cluster node to read (host, port, the call to log in with), its
// state, and the recent spots in a table (object name TableSpots) of time, frequency, call,
// country, bearing, distance, spotter and comment, sortable and filtered by band. Enter or a
// double-click on a spot sets the DX station at the call's country, as a list entry does.
// The table is drawn again at most a few times a second however fast spots come.

#include "dx_cluster/dx_cluster_client.h"
#include "dx_cluster/recent_spots.h"
#include "follow/country_file.h"
#include "geodesy/bearing.h"
#include "map/map_view.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kestrav {

class Desktop;
struct LanguageTexts;
class StationSession;

// A spot with where its call's country lies from the own station.
struct PlacedSpot {
    const RecentSpot* recent = nullptr;
    std::optional<Country> country;
    std::optional<Bearing> bearing; // short path, from the own station
};

class SpotsWindow : public QWidget {
    Q_OBJECT
public:
    using CountryOf = std::function<std::optional<Country>(const QString& call)>;

    SpotsWindow(StationSession& session, CountryOf country_of, std::function<Desktop&()> desktop,
                QWidget* parent = nullptr);

    void setTexts(const LanguageTexts& texts);
    DxClusterClient& client() { return client_; }
    const RecentSpots& recent() const { return recent_; }
    // The recent spots of the band chosen (all bands: every spot), placed.
    std::vector<PlacedSpot> shownSpots() const;
    // Those whose country is known, as marks for the map, fading over kSpotFadeMs.
    std::vector<MapSpot> mapSpots() const;
    static constexpr qint64 kSpotFadeMs = 30 * 60 * 1000;
    // Sets the DX station at the country of the spot in `row` of the table.
    bool chooseRow(int row);
    // The connection the settings ask for, at start.
    void startFromSettings();
    // The own station, the long path or the unit may have changed: the table is filled again
    // soon if its bearings or distances would differ.
    void placingMayHaveChanged();

signals:
    // The spots shown changed (for the map).
    void spotsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void connect_clicked();
    void spot_received(const Spot& spot);
    void refresh();
    void fill_table(const std::vector<PlacedSpot>& shown);
    void show_state();
    QString drop_text() const;
    void show_unit();
    void schedule_refresh();
    // What the table's bearings and distances depend on.
    struct Placing {
        bool located = false;
        double latitude = 0;
        double longitude = 0;
        bool long_path = false;
        double distance_factor = 0;
        bool miles = false;
        bool operator==(const Placing&) const = default;
    };
    Placing placing() const;
    PlacedSpot place(const RecentSpot& r) const;

    StationSession& session_;
    CountryOf country_of_;
    std::function<Desktop&()> desktop_;
    const LanguageTexts* texts_;
    DxClusterClient client_;
    RecentSpots recent_;
    Placing table_placing_; // the one the table was filled for
    QElapsedTimer clock_;
    QTimer refresh_timer_;
    QLineEdit* host_;
    QSpinBox* port_;
    QLineEdit* call_;
    QPushButton* connect_;
    QComboBox* band_;
    QTableWidget* table_;
    QLabel* state_;
    QLabel* host_label_;
    QLabel* port_label_;
    QLabel* call_label_;
    QLabel* band_label_;
};

} // namespace kestrav
