#include "map/map_view.h"

#include "geodesy/bearing.h"
#include "geodesy/number_text.h"
#include "setup/languages.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrav {

namespace {

// Room outside the disc for the rose's ticks and headings.
constexpr int kMargin = 26;
constexpr double kWedgeHalfWidth = 15; // degrees either side of the requested azimuth
// A press and release further apart than this is a drag, not a click.
constexpr double kClickSlop = 4;
// A spot's mark, in pixels.
constexpr double kSpotRadius = 3;
// How far an arrow key moves the keyboard's marker, in disc radii: about 100 km, ten times
// that with Shift. The marker stays just inside the rim, where the antipode has no one place.
constexpr double kMarkerStep = 0.005;
constexpr double kMarkerReach = 0.999;

QString hemisphere_text(double value, char positive, char negative, int decimals) {
    return format_fixed(std::fabs(value), decimals) + QLatin1Char(value >= 0 ? positive : negative);
}

QString distance_text(double km, bool miles) {
    const double value = miles ? km * kMilesPerKm : km;
    return QString::number(round_half_even(value)) +
           (miles ? QStringLiteral(" mi") : QStringLiteral(" km"));
}

// The pale box behind a text, with one corner at `at` as `align` says.
QRectF text_box(const QFontMetricsF& fm, QPointF at, const QString& text, Qt::Alignment align) {
    QRectF box(0, 0, fm.horizontalAdvance(text) + 6, fm.height() + 2);
    if (align & Qt::AlignRight)
        box.moveRight(at.x());
    else
        box.moveLeft(at.x());
    if (align & Qt::AlignBottom)
        box.moveBottom(at.y());
    else
        box.moveTop(at.y());
    return box;
}

// A text in its box, drawn with a pale background so that it reads over land, sea and lines
// alike.
void draw_boxed(QPainter& painter, const QRectF& box, const QString& text) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(box, 3, 3);
    painter.restore();
    painter.drawText(box, Qt::AlignCenter, text);
}

void boxed_text(QPainter& painter, QPointF at, const QString& text, Qt::Alignment align) {
    draw_boxed(painter, text_box(QFontMetricsF(painter.font()), at, text, align), text);
}

// The box of a label beside a point of a line through the centre at `azimuth`: set off
// square to the line and growing away from it, so that it never covers the line; clockwise
// of the line, or anticlockwise when only there it lies wholly inside `bounds`, else moved
// just inside them.
QRectF label_box(const QFontMetricsF& fm, QPointF at, double azimuth, const QString& text,
                 const QRectF& bounds) {
    const double a = azimuth * kPi / 180;
    const QPointF clockwise(std::cos(a), std::sin(a)); // widget coordinates, y down
    QRectF first;
    for (const QPointF side : {clockwise, -clockwise}) {
        const Qt::Alignment align = (side.x() >= 0 ? Qt::AlignLeft : Qt::AlignRight) |
                                    (side.y() >= 0 ? Qt::AlignTop : Qt::AlignBottom);
        const QRectF box = text_box(fm, at + 9 * side, text, align);
        if (bounds.contains(box))
            return box;
        if (first.isNull())
            first = box;
    }
    const double dx =
        std::max(bounds.left() - first.left(), std::min(0.0, bounds.right() - first.right()));
    const double dy =
        std::max(bounds.top() - first.top(), std::min(0.0, bounds.bottom() - first.bottom()));
    return first.translated(dx, dy);
}

} // namespace

const LandOutline& embedded_land_outline() {
    static const LandOutline outline = [] {
        QFile file(QStringLiteral(":/map/land-50m.bin"));
        if (!file.open(QIODevice::ReadOnly))
            return LandOutline{};
        return decode_land_outline(file.readAll()).value_or(LandOutline{});
    }();
    return outline;
}

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MapView"));
    setMouseTracking(true);
    setMinimumSize(160, 160);
    setCursor(Qt::CrossCursor);
    // Reached with Tab from the call-sign field; a click still leaves the keyboard where it is.
    setFocusPolicy(Qt::TabFocus);
    // Everything is painted, the whole widget each time.
    setAttribute(Qt::WA_OpaquePaintEvent);
    shading_action_ = new QAction(this);
    shading_action_->setObjectName(QStringLiteral("MapShading"));
    shading_action_->setCheckable(true);
    shading_action_->setChecked(true);
    addAction(shading_action_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(shading_action_, &QAction::toggled, this, [this](bool shown) {
        update_sun_lines();
        update();
        emit shadingToggled(shown);
    });
    setTexts(language_texts(UiLanguage::English));
}

void MapView::setTexts(const LanguageTexts& texts) {
    shading_action_->setText(texts.map_day_and_night);
    sun_times_ = texts.map_sun_times;
    sun_polar_ = texts.map_sun_polar;
    no_sunrise_ = texts.map_no_sunrise;
    no_sunset_ = texts.map_no_sunset;
    sun_paths_ = texts.map_sun_paths;
    light_names_[0] = texts.map_daylight;
    light_names_[1] = texts.map_twilight;
    light_names_[2] = texts.map_darkness;
    update_sun_lines();
    update();
}

void MapView::setSunTime(const QDateTime& utc) {
    const bool same_minute =
        sun_time_ && sun_time_->toMSecsSinceEpoch() / 60000 == utc.toMSecsSinceEpoch() / 60000;
    sun_time_ = utc.toUTC();
    if (same_minute)
        return;
    sun_ = sun_position(*sun_time_);
    update_sun_lines();
    update();
}

void MapView::setShadingShown(bool shown) {
    shading_action_->setChecked(shown);
}

void MapView::setScene(const MapScene& scene) {
    if (scene.centre.latitude != scene_.centre.latitude ||
        scene.centre.longitude != scene_.centre.longitude) {
        projection_ = AzimuthalProjection(scene.centre);
        land_ready_ = false;
    }
    const bool stations_moved =
        scene.has_centre != scene_.has_centre || scene.has_dx != scene_.has_dx ||
        scene.centre.latitude != scene_.centre.latitude ||
        scene.centre.longitude != scene_.centre.longitude ||
        scene.dx.latitude != scene_.dx.latitude || scene.dx.longitude != scene_.dx.longitude ||
        scene.centre_label != scene_.centre_label || scene.dx_label != scene_.dx_label;
    scene_ = scene;
    if (stations_moved)
        update_sun_lines();
    update();
}

void MapView::setHeading(std::optional<double> heading) {
    if (heading == heading_)
        return;
    heading_ = heading;
    update();
}

QPointF MapView::discCentre() const {
    return QPointF(width() / 2.0, height() / 2.0);
}

double MapView::discRadius() const {
    return std::max(10.0, std::min(width(), height()) / 2.0 - kMargin);
}

QPointF MapView::to_widget(MapPoint m) const {
    const QPointF c = discCentre();
    const double r = discRadius();
    return QPointF(c.x() + m.x * r, c.y() - m.y * r);
}

MapPoint MapView::to_map(QPointF widget_point) const {
    const QPointF c = discCentre();
    const double r = discRadius();
    return {(widget_point.x() - c.x()) / r, (c.y() - widget_point.y()) / r};
}

QPointF MapView::toWidget(GeoPoint p) const {
    return to_widget(projection_.forward(p));
}

std::optional<GeoPoint> MapView::toGeo(QPointF widget_point) const {
    GeoPoint p;
    if (!projection_.inverse(to_map(widget_point), p))
        return std::nullopt;
    return p;
}

const std::vector<ProjectedRing>& MapView::projected_land() {
    if (!land_ready_) {
        land_ = project_outline(projection_, embedded_land_outline());
        land_ready_ = true;
    }
    return land_;
}

QPainterPath MapView::land_path() {
    // Points closer than this to the last one kept add nothing to the picture but time.
    constexpr double kSmallestStep = 0.7; // pixels
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const QPointF c = discCentre();
    const double r = discRadius();
    for (const ProjectedRing& ring : projected_land()) {
        QPolygonF polygon;
        QPointF last(-1e9, -1e9);
        for (const MapPoint& m : ring.points) {
            const QPointF p(c.x() + m.x * r, c.y() - m.y * r);
            if (std::fabs(p.x() - last.x()) + std::fabs(p.y() - last.y()) >= kSmallestStep) {
                polygon.append(p);
                last = p;
            }
        }
        if (polygon.size() < 3)
            continue;
        path.addPolygon(polygon);
        path.closeSubpath();
        if (ring.around_rim)
            path.addEllipse(c, r, r);
    }
    return path;
}

MapView::BaseKey MapView::base_key_now() const {
    return BaseKey{scene_.centre.latitude, scene_.centre.longitude, size(), devicePixelRatioF(),
                   scene_.miles};
}

const QImage& MapView::base_picture() {
    const BaseKey key = base_key_now();
    if (base_key_ == key)
        return base_;
    base_ = QImage(size() * key.ratio, QImage::Format_ARGB32_Premultiplied);
    base_.setDevicePixelRatio(key.ratio);
    base_.fill(palette().color(QPalette::Window));
    QPainter painter(&base_);
    painter.setRenderHint(QPainter::Antialiasing);
    draw_base(painter);
    base_key_ = key;
    return base_;
}

QRgb MapView::shaded(QRgb colour, Daylight light) {
    int a = 0;
    switch (light) {
    case Daylight::Day:
        return colour;
    case Daylight::CivilTwilight:
        a = kCivilShade;
        break;
    case Daylight::NauticalTwilight:
        a = kNauticalShade;
        break;
    case Daylight::Night:
        a = kNightShade;
        break;
    }
    const auto mix = [a](int c, int shade) { return (c * (255 - a) + shade * a + 127) / 255; };
    return qRgba(mix(qRed(colour), kShade.red()), mix(qGreen(colour), kShade.green()),
                 mix(qBlue(colour), kShade.blue()), qAlpha(colour));
}

// Each pixel of the disc takes the light of the place it shows: the sine of the Sun's
// elevation there is the dot product of the place's unit vector and the Sun's, worked out
// from the pixel's heading and distance without going through latitude and longitude.
const QImage& MapView::shaded_picture() {
    const QImage& base = base_picture();
    const ShadeKey key{*base_key_, sun_time_->toMSecsSinceEpoch() / 60000};
    if (shade_key_ == key)
        return shaded_;
    shaded_ = base.copy();
    const EarthVector s = to_vector(sun_.subsolar);
    const auto dot = [&s](EarthVector v) { return v.x * s.x + v.y * s.y + v.z * s.z; };
    const double up = dot(projection_.up());
    const double east = dot(projection_.east());
    const double north = dot(projection_.north());
    const double ratio = key.base.ratio;
    const QPointF c = discCentre() * ratio;
    const double r = discRadius() * ratio;
    const int first_row = std::max(0, static_cast<int>(std::floor(c.y() - r)));
    const int last_row = std::min(shaded_.height() - 1, static_cast<int>(std::ceil(c.y() + r)));
    for (int row = first_row; row <= last_row; ++row) {
        const double my = (c.y() - (row + 0.5)) / r;
        const double half = std::sqrt(std::max(0.0, 1 - my * my));
        const int first = std::max(0, static_cast<int>(std::floor(c.x() - half * r)));
        const int last =
            std::min(shaded_.width() - 1, static_cast<int>(std::ceil(c.x() + half * r)));
        auto* line = reinterpret_cast<QRgb*>(shaded_.scanLine(row));
        for (int column = first; column <= last; ++column) {
            const double mx = ((column + 0.5) - c.x()) / r;
            const double rr = mx * mx + my * my;
            if (rr > 1)
                continue;
            const double m = std::sqrt(rr);
            const double arc = m * kPi;
            // sin(arc) / m tends to pi at the centre.
            const double along = m > 1e-12 ? std::sin(arc) / m : kPi;
            const double elevation_sine = std::cos(arc) * up + along * (mx * east + my * north);
            const Daylight light = daylight_at(elevation_sine);
            if (light != Daylight::Day)
                line[column] = shaded(line[column], light);
        }
    }
    // The Sun over its subsolar point, beneath the paths and labels.
    QPainter painter(&shaded_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 90, 0), 1.5));
    painter.setBrush(QColor(255, 210, 0));
    painter.drawEllipse(toWidget(sun_.subsolar), 6, 6);
    shade_key_ = key;
    return shaded_;
}

void MapView::draw_base(QPainter& painter) {
    const QPointF c = discCentre();
    const double r = discRadius();
    QPainterPath disc;
    disc.addEllipse(c, r, r);
    painter.fillPath(disc, kSea);

    // The land is filled without antialiasing, many times faster on tens of thousands of
    // points, and its edge smoothed by the coastline drawn over it.
    const QPainterPath land = land_path();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(land, kLand);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(land, QPen(QColor(150, 138, 100), 0.8));

    // Distance rings, labelled just east of the north line.
    QPen ring_pen(QColor(90, 100, 120, 170), 1, Qt::DashLine);
    painter.setFont(QFont(font().family(), 8));
    for (const DistanceRing& ring : distance_rings(scene_.miles)) {
        painter.setPen(ring_pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(c, ring.radius * r, ring.radius * r);
        painter.setPen(QColor(60, 70, 90));
        painter.drawText(QPointF(c.x() + 4, c.y() - ring.radius * r - 3),
                         QString::number(ring.distance) +
                             (scene_.miles ? QStringLiteral(" mi") : QStringLiteral(" km")));
    }
    draw_rose(painter);
}

void MapView::draw_rose(QPainter& painter) {
    const QPointF c = discCentre();
    const double r = discRadius();
    // Faint spokes every 30 degrees, ticks every 10 outside the rim, headings every 30.
    painter.setPen(QPen(QColor(90, 100, 120, 60), 1));
    for (int az = 0; az < 360; az += 30)
        painter.drawLine(c, to_widget(map_point(az, 1)));
    // The rim, its ticks and the headings stand on the window's own background, outside the
    // sea: they take the window's text colour, which reads on it under any theme.
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, r, r);
    QFont label_font(font().family(), 8);
    for (int az = 0; az < 360; az += 10) {
        const double tick = az % 30 == 0 ? 8 : 4;
        const MapPoint dir = map_point(az, 1);
        painter.drawLine(QPointF(c.x() + dir.x * r, c.y() - dir.y * r),
                         QPointF(c.x() + dir.x * (r + tick), c.y() - dir.y * (r + tick)));
        if (az % 30 != 0)
            continue;
        QString text = QString::number(az);
        label_font.setBold(az % 90 == 0);
        if (az % 90 == 0)
            text = QStringLiteral("NESW").at(az / 90);
        painter.setFont(label_font);
        const QPointF at(c.x() + dir.x * (r + 17), c.y() - dir.y * (r + 17));
        painter.drawText(QRectF(at.x() - 20, at.y() - 9, 40, 18), Qt::AlignCenter, text);
    }
}

void MapView::draw_path(QPainter& painter, bool long_path, const QColor& colour) {
    std::vector<MapPoint> projected;
    for (const GeoPoint& p : great_circle_path(scene_.centre, scene_.dx, long_path))
        projected.push_back(projection_.forward(p));
    QPen pen(colour, 3);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    for (const std::vector<MapPoint>& piece : split_at_rim(projected)) {
        QPolygonF line;
        for (const MapPoint& m : piece)
            line.append(to_widget(m));
        painter.drawPolyline(line);
    }
}

void MapView::draw_overlay(QPainter& painter) {
    const QPointF c = discCentre();
    const double r = discRadius();
    if (scene_.azimuth) {
        // Qt's angles run anticlockwise from three o'clock, in sixteenths of a degree.
        const double start = 90 - *scene_.azimuth - kWedgeHalfWidth;
        painter.setPen(QPen(QColor(230, 140, 0, 160), 1));
        painter.setBrush(QColor(255, 170, 0, 60));
        painter.drawPie(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r),
                        static_cast<int>(std::lround(start * 16)),
                        static_cast<int>(std::lround(2 * kWedgeHalfWidth * 16)));
    }
    if (scene_.has_centre && scene_.has_dx) {
        if (scene_.long_path)
            draw_path(painter, true, kLongPath);
        draw_path(painter, false, kShortPath);
    }
    if (heading_) {
        const QPointF tip = to_widget(map_point(*heading_, 1));
        painter.setPen(QPen(kHeading, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(c, tip);
        painter.setBrush(kHeading);
        const QPointF left = to_widget(map_point(*heading_ - 3, 0.93));
        const QPointF right = to_widget(map_point(*heading_ + 3, 0.93));
        painter.drawPolygon(QPolygonF({tip, left, right}));
    }

    painter.setFont(label_font());
    const bool dx_shown = scene_.has_dx && scene_.has_centre;
    const double path_azimuth = dx_shown ? map_azimuth(projection_.forward(scene_.dx)) : 0;
    const QFontMetricsF fm(painter.font());
    if (dx_shown) {
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(kShortPath);
        painter.drawEllipse(toWidget(scene_.dx), 5, 5);
        painter.setPen(Qt::black);
        draw_boxed(painter, *dxLabelRect(), scene_.dx_label);
    }
    if (scene_.has_centre) {
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(Qt::black);
        painter.drawEllipse(c, 4, 4);
        painter.setPen(Qt::black);
        draw_boxed(painter, label_box(fm, c, path_azimuth, scene_.centre_label, rect()),
                   scene_.centre_label);
    } else if (!scene_.no_centre_label.isEmpty()) {
        painter.setPen(Qt::black);
        draw_boxed(painter, label_box(fm, c, 0, scene_.no_centre_label, rect()),
                   scene_.no_centre_label);
    }
}

QFont MapView::label_font() const {
    QFont f = font();
    f.setBold(true);
    return f;
}

std::optional<QRectF> MapView::dxLabelRect() const {
    if (!scene_.has_dx || !scene_.has_centre)
        return std::nullopt;
    return label_box(QFontMetricsF(label_font()), toWidget(scene_.dx),
                     map_azimuth(projection_.forward(scene_.dx)), scene_.dx_label, rect());
}

std::optional<QPointF> MapView::marker() const {
    if (!hasFocus())
        return std::nullopt;
    return to_widget(marker_);
}

void MapView::draw_marker(QPainter& painter) {
    const std::optional<QPointF> at = marker();
    if (!at)
        return;
    const QPointF across(8, 0);
    const QPointF down(0, 8);
    for (const QPen& pen : {QPen(Qt::white, 4), QPen(Qt::black, 2)}) {
        painter.setPen(pen);
        painter.drawLine(*at - across, *at + across);
        painter.drawLine(*at - down, *at + down);
    }
}

// Where the keyboard's marker or the pointer is: position, heading and distance from the own
// station.
std::optional<QString> MapView::readout_text(QPointF at) const {
    const std::optional<GeoPoint> p = toGeo(at);
    if (!p)
        return std::nullopt;
    QString text = hemisphere_text(p->latitude, 'N', 'S', 2) + QLatin1Char(' ') +
                   hemisphere_text(p->longitude, 'E', 'W', 2);
    if (scene_.has_centre) {
        const MapPoint m = to_map(at);
        text += QStringLiteral("   %1°   %2")
                    .arg(format_fixed(map_azimuth(m), 1),
                         distance_text(map_radius(m) * kCircumferenceKm / 2, scene_.miles));
    }
    return text;
}

void MapView::tell_marker() {
    const std::optional<QPointF> at = marker();
    const std::optional<QString> text = at ? readout_text(*at) : std::nullopt;
    if (!text)
        return;
    setAccessibleDescription(text->simplified());
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

void MapView::draw_readout(QPainter& painter) {
    const std::optional<QPointF> at = hasFocus() ? marker() : hover_;
    if (!at)
        return;
    const std::optional<QString> text = readout_text(*at);
    if (!text)
        return;
    QFont f = font();
    f.setBold(false);
    painter.setFont(f);
    painter.setPen(Qt::black);
    boxed_text(painter, QPointF(4, height() - 4), *text, Qt::AlignLeft | Qt::AlignBottom);
}

void MapView::update_sun_lines() {
    const QStringList before = sun_lines_;
    sun_lines_ = sun_lines();
    if (sun_lines_ != before)
        emit sunLinesChanged(sun_lines_);
}

QStringList MapView::sun_lines() const {
    QStringList lines;
    if (!sun_time_ || !shadingShown() || !scene_.has_centre)
        return lines;
    const QDate today = sun_time_->date();
    const auto light_name = [&](GeoPoint p) {
        switch (daylight_at(p, sun_)) {
        case Daylight::Day:
            return light_names_[0];
        case Daylight::CivilTwilight:
        case Daylight::NauticalTwilight:
            return light_names_[1];
        case Daylight::Night:
            break;
        }
        return light_names_[2];
    };
    const auto station_line = [&](const QString& label, GeoPoint p) {
        const SunEvents events = sun_events(p, today);
        if (!events.sunrise)
            return sun_polar_.arg(label, events.polar_day ? no_sunset_ : no_sunrise_,
                                  light_name(p));
        return sun_times_.arg(label, events.sunrise->toString(QStringLiteral("HH:mm")),
                              events.sunset->toString(QStringLiteral("HH:mm")), light_name(p));
    };
    lines << station_line(scene_.centre_label, scene_.centre);
    if (scene_.has_dx) {
        lines << station_line(scene_.dx_label, scene_.dx);
        lines << sun_paths_.arg(light_name(scene_.centre), scene_.centre_label,
                                light_name(scene_.dx), scene_.dx_label);
    }
    return lines;
}

void MapView::setSpots(std::vector<MapSpot> spots) {
    spots_ = std::move(spots);
    spot_texts_.clear();
    spot_texts_.reserve(spots_.size());
    for (const MapSpot& s : spots_) {
        QStaticText text(s.call);
        text.setPerformanceHint(QStaticText::AggressiveCaching);
        spot_texts_.push_back(std::move(text));
    }
    spots_key_.reset();
    update();
}

// Oldest first, so that the newest stand on top; each fades with its age.
void MapView::draw_spots(QPainter& painter) {
    if (spots_.empty())
        return;
    const BaseKey key = base_key_now();
    if (spots_key_ != key) {
        spots_layer_ = QImage(size() * key.ratio, QImage::Format_ARGB32_Premultiplied);
        spots_layer_.setDevicePixelRatio(key.ratio);
        spots_layer_.fill(Qt::transparent);
        QPainter layer(&spots_layer_);
        layer.setRenderHint(QPainter::Antialiasing);
        layer.setFont(label_font());
        const QColor mark(120, 0, 160);
        for (std::size_t i = spots_.size(); i-- > 0;) {
            const MapSpot& s = spots_[i];
            const QPointF at = toWidget(s.where);
            const int alpha =
                static_cast<int>(std::lround(255 * (1 - 0.75 * std::clamp(s.age, 0.0, 1.0))));
            QColor colour = mark;
            colour.setAlpha(alpha);
            layer.setPen(Qt::NoPen);
            layer.setBrush(colour);
            layer.drawEllipse(at, kSpotRadius, kSpotRadius);
            layer.setPen(colour);
            layer.drawStaticText(at + QPointF(kSpotRadius + 2, -kSpotRadius - 10), spot_texts_[i]);
        }
        spots_key_ = key;
    }
    painter.drawImage(QPointF(0, 0), spots_layer_);
}

const MapSpot* MapView::spot_at(QPointF at) const {
    for (const MapSpot& s : spots_) {
        const QPointF d = toWidget(s.where) - at;
        if (std::hypot(d.x(), d.y()) <= kSpotRadius + 3)
            return &s;
    }
    return nullptr;
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool sun = sun_time_ && shadingShown();
    painter.drawImage(QPointF(0, 0), sun ? shaded_picture() : base_picture());
    painter.setRenderHint(QPainter::Antialiasing);
    draw_overlay(painter);
    draw_spots(painter);
    draw_marker(painter);
    draw_readout(painter);
}

void MapView::changeEvent(QEvent* event) {
    // The rose is drawn in the palette's colours: a new theme draws the base picture anew.
    if (event->type() == QEvent::FontChange) {
        spots_key_.reset();
        update();
    }
    if (event->type() == QEvent::PaletteChange) {
        base_key_.reset();
        shade_key_.reset();
        update();
    }
    QWidget::changeEvent(event);
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        pressed_at_ = event->position();
    QWidget::mousePressEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_at_) {
        const QPointF moved = event->position() - *pressed_at_;
        pressed_at_.reset();
        if (std::hypot(moved.x(), moved.y()) <= kClickSlop) {
            if (const MapSpot* spot = spot_at(event->position()))
                emit spotClicked(*spot);
            else if (const std::optional<GeoPoint> p = toGeo(event->position()))
                emit pointClicked(*p);
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    hover_ = event->position();
    update();
    QWidget::mouseMoveEvent(event);
}

// The marker starts at the DX station when the map shows one, otherwise at the own station;
// it stays where it was when the keyboard comes back from the context menu or another window.
void MapView::focusInEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        marker_ = scene_.has_dx && scene_.has_centre ? projection_.forward(scene_.dx) : MapPoint{};
    description_ = accessibleDescription();
    tell_marker();
    update();
    QWidget::focusInEvent(event);
}

void MapView::focusOutEvent(QFocusEvent* event) {
    setAccessibleDescription(description_);
    update();
    QWidget::focusOutEvent(event);
}

void MapView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // The context menu from the keyboard, at the marker.
    if ((event->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
        (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        const QPoint at = to_widget(marker_).toPoint();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
        QCoreApplication::sendEvent(this, &menu);
        return;
    }
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double step = mods == Qt::ShiftModifier ? 10 * kMarkerStep : kMarkerStep;
    MapPoint next = marker_;
    switch (event->key()) {
    case Qt::Key_Left:
        next.x -= step;
        break;
    case Qt::Key_Right:
        next.x += step;
        break;
    case Qt::Key_Up:
        next.y += step;
        break;
    case Qt::Key_Down:
        next.y -= step;
        break;
    case Qt::Key_Home:
        next = MapPoint{};
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat()) {
            if (GeoPoint p; projection_.inverse(marker_, p))
                emit pointClicked(p);
        }
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    const double r = std::hypot(next.x, next.y);
    if (r > kMarkerReach)
        next = MapPoint{next.x * kMarkerReach / r, next.y * kMarkerReach / r};
    marker_ = next;
    tell_marker();
    update();
}

void MapView::leaveEvent(QEvent* event) {
    hover_.reset();
    update();
    QWidget::leaveEvent(event);
}

} // namespace kestrav
