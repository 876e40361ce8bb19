#pragma once
// The great-circle map drawn in a widget: land and sea in the azimuthal equidistant
// projection around the own station, the compass rose and distance rings, the DX station,
// its short and long path, the beam wedge and the antenna's real heading. A click inside the
// disc reports the position clicked; from the keyboard, the arrow keys move a marker over the
// disc, Enter or Space reports the marker's position, and the Menu key or Shift+F10 opens the
// context menu there.

#include "map/azimuthal_projection.h"
#include "map/land_outline.h"
#include "map/sun.h"

#include <QAction>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QPainterPath>
#include <QStaticText>
#include <QWidget>

#include <optional>
#include <vector>

namespace kestrav {

// What the map shows; the map window gathers it from the main window.
struct MapScene {
    bool has_centre = false; // a local station is known
    GeoPoint centre;         // the projection's centre even without one (the map stays drawn)
    QString centre_label;
    QString no_centre_label; // shown at the centre while no local station is known
    bool has_dx = false;
    GeoPoint dx;
    QString dx_label;
    std::optional<double> azimuth; // the requested azimuth, the beam wedge
    bool long_path = false;
    bool miles = false;
};

// A DX cluster spot on the map: where its call's country lies, the call beside the mark, and
// its age from 0 (just heard) to 1 (about to leave), which fades it.
struct MapSpot {
    GeoPoint where;
    QString call;
    QString label; // the DX station's label once it is chosen
    double age = 0;
};

struct LanguageTexts;

// The embedded coastlines, read on first use; empty when the data cannot be read.
const LandOutline& embedded_land_outline();

class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    void setScene(const MapScene& scene);
    const MapScene& scene() const { return scene_; }
    // The antenna's real heading, or none while it is unknown or not asked for.
    void setHeading(std::optional<double> heading);
    std::optional<double> heading() const { return heading_; }
    // The spots drawn as small marks with their calls; a click on a mark chooses it.
    void setSpots(std::vector<MapSpot> spots);
    const std::vector<MapSpot>& spots() const { return spots_; }
    // The time the Sun is placed for; the shading is drawn anew when its minute changes.
    void setSunTime(const QDateTime& utc);
    std::optional<QDateTime> sunTime() const { return sun_time_; }
    // Night and twilight shaded, the subsolar point marked and the times of sunrise and
    // sunset at both stations shown; on by default, its item in the map's context menu.
    void setShadingShown(bool shown);
    bool shadingShown() const { return shading_action_->isChecked(); }
    QAction* shadingAction() const { return shading_action_; }
    void setTexts(const LanguageTexts& texts);
    // The lines of text giving sunrise and sunset at both stations and the light at each
    // end of the paths; none without a time or with the shading hidden. The map window shows
    // them above the map, where they cover none of it.
    QStringList sunLines() const { return sun_lines_; }

    // The disc in widget coordinates, and the two ways between it and the Earth.
    QPointF discCentre() const;
    double discRadius() const;
    QPointF toWidget(GeoPoint p) const;
    std::optional<GeoPoint> toGeo(QPointF widget_point) const;
    // Where the DX station's label is drawn: beside the station, wholly inside the widget;
    // none while no DX station is shown.
    std::optional<QRectF> dxLabelRect() const;
    // The keyboard's marker while the map has the keyboard focus, in widget coordinates.
    std::optional<QPointF> marker() const;

    static inline const QColor kSea{198, 224, 244};
    static inline const QColor kLand{232, 225, 194};
    static inline const QColor kShortPath{220, 0, 0};
    static inline const QColor kLongPath{0, 70, 200};
    static inline const QColor kHeading{0, 150, 60};
    // The colour laid over a place in civil twilight, nautical twilight and night, and how
    // much of it (of 255); day is left as it is.
    static inline const QColor kShade{10, 20, 60};
    static constexpr int kCivilShade = 60;
    static constexpr int kNauticalShade = 100;
    static constexpr int kNightShade = 140;
    // A colour of the map as it shows under the given light.
    static QRgb shaded(QRgb colour, Daylight light);

signals:
    void pointClicked(kestrav::GeoPoint p);
    void spotClicked(const kestrav::MapSpot& spot);
    void shadingToggled(bool shown);
    void sunLinesChanged(const QStringList& lines);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    MapPoint to_map(QPointF widget_point) const;
    QPointF to_widget(MapPoint m) const;
    // The land of the current centre, projected once per centre, and drawn at the current
    // size.
    const std::vector<ProjectedRing>& projected_land();
    QPainterPath land_path();
    // Sea, land, rings and rose, drawn once per centre, size and unit.
    const QImage& base_picture();
    // The base picture with night and twilight laid over it, drawn once per minute and base.
    const QImage& shaded_picture();
    // The lines worked out again when the time's minute, a station, the texts or the item
    // change, not at each paint.
    void update_sun_lines();
    QStringList sun_lines() const;
    void draw_base(QPainter& painter);
    void draw_rose(QPainter& painter);
    void draw_path(QPainter& painter, bool long_path, const QColor& colour);
    void draw_overlay(QPainter& painter);
    QFont label_font() const;
    void draw_readout(QPainter& painter);
    // Position, heading and distance of a point of the widget, as the readout shows them.
    std::optional<QString> readout_text(QPointF at) const;
    // The keyboard's marker told to a screen reader: the readout becomes the map's description
    // while the map has the keyboard.
    void tell_marker();
    void draw_marker(QPainter& painter);
    void draw_spots(QPainter& painter);
    // The spot whose mark is under `at`, the newest of several.
    const MapSpot* spot_at(QPointF at) const;

    MapScene scene_;
    std::vector<MapSpot> spots_;
    std::vector<QStaticText> spot_texts_; // the calls, laid out once per setSpots
    std::optional<double> heading_;
    AzimuthalProjection projection_{GeoPoint{}};

    bool land_ready_ = false;
    std::vector<ProjectedRing> land_;
    struct BaseKey {
        double latitude = 0;
        double longitude = 0;
        QSize size;
        qreal ratio = 0;
        bool miles = false;
        bool operator==(const BaseKey&) const = default;
    };
    BaseKey base_key_now() const;
    std::optional<BaseKey> base_key_;
    QImage base_;
    // The spots' marks, drawn once for the spots and the projection they were drawn for, so
    // that a new azimuth redraws them as one picture.
    std::optional<BaseKey> spots_key_;
    QImage spots_layer_;

    std::optional<QDateTime> sun_time_;
    SunPosition sun_;
    QAction* shading_action_;
    struct ShadeKey {
        BaseKey base;
        qint64 minute = 0;
        bool operator==(const ShadeKey&) const = default;
    };
    std::optional<ShadeKey> shade_key_;
    QImage shaded_;
    QString sun_times_, sun_polar_, no_sunrise_, no_sunset_, sun_paths_;
    QString light_names_[3]; // daylight, twilight, darkness
    QStringList sun_lines_;

    std::optional<QPointF> pressed_at_;
    std::optional<QPointF> hover_;
    MapPoint marker_;     // where the keyboard's marker stands
    QString description_; // the map's own description, while the marker's stands in for it
};

} // namespace kestrav
