#include "map/map_window.h"
#include "station/station_session.h"

#include "geodesy/bearing.h"
#include "map/map_placement.h"
#include "map/map_view.h"
#include "settings/map_setting.h"
#include "setup/languages.h"
#include "setup/window_placement.h"
#include "station/station_state.h"
#include "ui/accessible_names.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace kestrav {

namespace {

constexpr int kFirstSide = 560;
// The smallest map opened beside the main window rather than over it.
constexpr int kSmallestBeside = 320;

} // namespace

MapWindow::MapWindow(MapHost& host)
    : QWidget(&host.mapHostWindow(), Qt::Window | Qt::WindowDoesNotAcceptFocus), host_(host),
      host_window_(&host.mapHostWindow()), view_(new MapView(this)), call_label_(new QLabel(this)),
      call_field_(new QLineEdit(this)), sun_label_(new QLabel(this)) {
    setObjectName(QStringLiteral("FormMap"));
    call_field_->setObjectName(QStringLiteral("EditDXCall"));
    call_field_->setMaxLength(20);
    call_label_->setBuddy(call_field_);
    setTabOrder(call_field_, view_);
    setTexts(language_texts(UiLanguage::English));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* call_row = new QHBoxLayout;
    call_row->setContentsMargins(4, 2, 4, 2);
    call_row->addWidget(call_label_);
    call_row->addWidget(call_field_, 1);
    layout->addLayout(call_row);
    sun_label_->setObjectName(QStringLiteral("LabelSunTimes"));
    sun_label_->setTextFormat(Qt::PlainText);
    sun_label_->setWordWrap(true);
    sun_label_->setContentsMargins(4, 0, 4, 2);
    QFont small = sun_label_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    sun_label_->setFont(small);
    // Three lines are kept for it whether or not the DX station adds two, so that the map
    // does not move when one is chosen.
    sun_label_->setMinimumHeight(3 * QFontMetrics(small).lineSpacing() + 2);
    layout->addWidget(sun_label_);
    layout->addWidget(view_, 1);
    connect(view_, &MapView::sunLinesChanged, this,
            [this](const QStringList& lines) { sun_label_->setText(lines.join(u'\n')); });
    connect(call_field_, &QLineEdit::returnPressed, this, &MapWindow::call_entered);
    call_field_->installEventFilter(this);
    // The map is looked at, and clicked, while the operator goes on typing in the main
    // window: neither showing it nor a click on it takes the keyboard or the activation away
    // from the main window, whose every activation would run its start-of-use steps again.
    setAttribute(Qt::WA_ShowWithoutActivating);
    refresh_timer_.setSingleShot(true);
    refresh_timer_.setInterval(0);
    connect(&refresh_timer_, &QTimer::timeout, this, &MapWindow::refresh);
    clock_ = [] { return QDateTime::currentDateTimeUtc(); };
    minute_timer_.setSingleShot(true);
    minute_timer_.setTimerType(Qt::PreciseTimer);
    connect(&minute_timer_, &QTimer::timeout, this, &MapWindow::follow_sun);
    connect(view_, &MapView::shadingToggled, this,
            [this](bool shown) { host_.mapStation().MapWindowSetting.shading_hidden = !shown; });
    connect(view_, &MapView::pointClicked, this,
            [this](GeoPoint p) { host_.mapSession().placeDxStation(p); });
    connect(view_, &MapView::spotClicked, this, [this](const MapSpot& spot) {
        host_.mapSession().placeDxStation(spot.where, spot.label);
    });
    // The map opens with the main window when it was open at the last exit, and closes
    // with it.
    host_window_->installEventFilter(this);
}

void MapWindow::setTexts(const LanguageTexts& texts) {
    setWindowTitle(texts.map_title);
    call_label_->setText(texts.dx_call);
    view_->setTexts(texts);
    no_local_station_ = texts.map_no_local_station;
    apply_accessible_names(this, texts.ui_language);
    if (isVisible())
        refresh();
}

void MapWindow::setClock(Clock clock) {
    clock_ = std::move(clock);
    if (isVisible())
        follow_sun();
}

void MapWindow::follow_sun() {
    const QDateTime now = clock_();
    view_->setSunTime(now);
    if (!isVisible())
        return;
    // Just after the turn of the next minute by the system clock.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    minute_timer_.start(static_cast<int>(60000 - ms % 60000 + 20));
}

void MapWindow::setSpots(std::vector<MapSpot> spots) {
    view_->setSpots(std::move(spots));
}

void MapWindow::setHeading(std::optional<double> heading) {
    view_->setHeading(heading);
}

void MapWindow::open() {
    follow_main_window();
    MapSetting& setting = host_.mapStation().MapWindowSetting;
    if (!placed_) {
        placed_ = true;
        const QWidget& main = host_.mapHostWindow();
        setWindowIcon(main.windowIcon());
        // Wholly on the main window's screen, beside the main window where there is room:
        // a size stored on a larger screen, or a large scale factor, shrinks the map to fit.
        // At its first opening the map also shrinks to the room beside the main window (on
        // 1024 x 768, say), so long as it stays of a useful size, rather than cover the
        // command buttons; a size the operator chose is kept. Its frame, not known before it
        // is shown, is taken to be the main window's.
        const QRect main_frame = main.frameGeometry();
        const QMargins frame(main.geometry().left() - main_frame.left(),
                             main.geometry().top() - main_frame.top(),
                             main_frame.right() - main.geometry().right(),
                             main_frame.bottom() - main.geometry().bottom());
        const QScreen* screen = main.screen();
        MapSetting wanted = setting;
        if (!setting.used)
            wanted.width = wanted.height = kFirstSide;
        QSize size = map_opening_size(
            wanted, screen ? std::optional(screen->availableGeometry().size().shrunkBy(frame))
                           : std::nullopt);
        placed_at_ = main_frame.topRight() + QPoint(8, 0);
        if (screen) {
            const QSize smallest = setting.used ? size : QSize(kSmallestBeside, kSmallestBeside);
            const QRect placed =
                map_frame_beside(main_frame, size.grownBy(frame), screen->availableGeometry(),
                                 smallest.grownBy(frame));
            placed_at_ = placed.topLeft();
            size = placed.size().shrunkBy(frame);
        }
        resize(size);
        move(placed_at_);
    }
    setting.used = true;
    setting.open = true;
    setting.width = width();
    setting.height = height();
    refresh();
    const bool first_showing = !isVisible() && windowHandle() == nullptr;
    // The row read at start may hide the shading.
    view_->setShadingShown(!setting.shading_hidden);
    // A minimised map stays iconic through show() and raise(): it is restored, raised and
    // activated with the keyboard in its call field, as after a click there, so that the
    // operator finds it in front; Escape or the main window take the keyboard back.
    const bool minimised = isMinimized();
    if (minimised)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    if (minimised) {
        take_keyboard(true);
        activateWindow();
    }
    follow_sun();
    // The frame the window manager gives the map may differ from the main window's (a
    // resizable window has a grip below, say): once the map stands framed, it is brought
    // wholly onto the screen.
    if (first_showing) {
        fitting_ = true;
        windowHandle()->installEventFilter(this);
    }
}

// At its first exposure the frame's size is known, though not always yet where the window
// manager put it: that is where the map was moved to.
void MapWindow::fit_on_screen() {
    const QScreen* screen = host_.mapHostWindow().screen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    const QSize excess = (frame - available.size()).expandedTo(QSize(0, 0));
    if (!excess.isNull())
        resize(size() - excess);
    const QPoint corner = place_inside(QRect(placed_at_, frame - excess), available);
    if (corner != placed_at_)
        move(corner);
}

void MapWindow::refresh() {
    const StationState& state = host_.mapStation();
    MapScene scene;
    scene.has_centre = !state.LocalLocator.isEmpty();
    scene.centre = {signed_degrees(state.LocalLatitude, state.LocalNorth),
                    signed_degrees(state.LocalLongitude, state.LocalEast)};
    scene.centre_label = state.LocalLocator;
    scene.no_centre_label = no_local_station_;
    const MapDxView dx = host_.mapDxView();
    scene.has_dx = dx.has_dx;
    scene.dx = dx.dx;
    scene.dx_label = dx.label;
    if (dx.has_azimuth)
        scene.azimuth = state.RequestedAzimuth;
    scene.long_path = dx.long_path;
    scene.miles = dx.miles;
    view_->setScene(scene);
    follow_dx_call(dx);
}

void MapWindow::follow_dx_call(const MapDxView& dx) {
    const ShownDx shown{dx.has_dx, dx.dx.latitude, dx.dx.longitude, dx.label};
    if (shown_dx_ == shown)
        return;
    shown_dx_ = shown;
    if (call_field_->text().trimmed().compare(dx.call, Qt::CaseInsensitive) != 0)
        call_field_->setText(dx.call);
}

void MapWindow::schedule_refresh() {
    if (isVisible() && !refresh_timer_.isActive())
        refresh_timer_.start();
}

// Every control whose change can move a station, the azimuth, the long path or the unit.
// The map reads the state only once the handlers of a change are done.
void MapWindow::follow_main_window() {
    if (following_)
        return;
    following_ = true;
    host_.followMapChanges(this, [this] { schedule_refresh(); });
}

void MapWindow::closeEvent(QCloseEvent* event) {
    host_.mapStation().MapWindowSetting.open = false;
    QWidget::closeEvent(event);
}

void MapWindow::resizeEvent(QResizeEvent* event) {
    MapSetting& setting = host_.mapStation().MapWindowSetting;
    if (setting.used) {
        setting.width = width();
        setting.height = height();
    }
    QWidget::resizeEvent(event);
}

// The map never takes the keyboard from the main window, but for its call field: a click
// there lets the map window be activated until the call is entered or the field left.
void MapWindow::take_keyboard(bool take) {
    if (QWindow* window = windowHandle()) {
        if (window->flags().testFlag(Qt::WindowDoesNotAcceptFocus) == !take)
            return;
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !take);
        if (take) {
            activateWindow();
            call_field_->setFocus(Qt::MouseFocusReason);
        }
    }
}

void MapWindow::enterCall() {
    open();
    take_keyboard(true);
    activateWindow();
    call_field_->setFocus(Qt::ShortcutFocusReason);
    call_field_->selectAll();
}

void MapWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    take_keyboard(false);
    host_window_->activateWindow();
}

void MapWindow::call_entered() {
    const QString call = call_field_->text().trimmed();
    if (!call.isEmpty())
        host_.placeDxCall(call);
}

bool MapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == call_field_ && event->type() == QEvent::MouseButtonPress)
        take_keyboard(true);
    // The map keeps the keyboard it was given (its call field, its marker), also through a
    // visit to another program, until the main window has it again.
    if (watched == host_window_ && event->type() == QEvent::WindowActivate)
        take_keyboard(false);
    if (fitting_ && watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        fitting_ = false;
        windowHandle()->removeEventFilter(this);
        fit_on_screen();
    }
    // Only the event's type is looked at before it is known to be a show: the main window
    // is hidden once more while it is being destroyed.
    if (watched == host_window_ && !event->spontaneous()) {
        if (event->type() == QEvent::Hide)
            hide();
        else if (event->type() == QEvent::Show && !placed_)
            reopen_at_start();
    }
    return QWidget::eventFilter(watched, event);
}

// Opened once the main window is up when the map was open at the last exit.
void MapWindow::reopen_at_start() {
    const MapSetting& setting = host_.mapStation().MapWindowSetting;
    if (setting.used && setting.open)
        QTimer::singleShot(0, this, &MapWindow::open);
}

} // namespace kestrav
