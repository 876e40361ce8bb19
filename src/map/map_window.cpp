#include "map/map_window.h"

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/window_placement.h"
#include "follow/follow_wsjtx.h"
#include "geodesy/number_text.h"
#include "map/map_view.h"
#include "settings/map_setting.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"
#include "setup/window_placement.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace kestrav {

namespace {

constexpr int kFirstSide = 560;

double signed_degrees(double magnitude, bool positive) {
    return positive ? magnitude : -magnitude;
}

// The prefix or call and the name of the list entry the DX station was chosen from, or
// nothing when it was typed.
QString list_entry_label(const TForm1& w) {
    for (int n = 0; n <= kPersonalListCount; ++n) {
        const QComboBox* list = w.station_list(n);
        if (list->currentIndex() < 0)
            continue;
        const QStringList fields = list->currentText().split(u'\t');
        return fields.size() >= 2 ? fields[0] + QStringLiteral("  ") + fields[1] : fields[0];
    }
    return {};
}

} // namespace

MapWindow::MapWindow(TForm1& main_window)
    : QWidget(&main_window, Qt::Window | Qt::WindowDoesNotAcceptFocus), main_(main_window),
      view_(new MapView(this)), call_label_(new QLabel(this)), call_field_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("FormMap"));
    call_field_->setObjectName(QStringLiteral("EditDXCall"));
    call_field_->setMaxLength(20);
    call_label_->setBuddy(call_field_);
    setTexts(language_texts(UiLanguage::English));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* call_row = new QHBoxLayout;
    call_row->setContentsMargins(4, 2, 4, 2);
    call_row->addWidget(call_label_);
    call_row->addWidget(call_field_, 1);
    layout->addLayout(call_row);
    layout->addWidget(view_, 1);
    connect(call_field_, &QLineEdit::returnPressed, this, &MapWindow::call_entered);
    connect(call_field_, &QLineEdit::editingFinished, this, [this] { take_keyboard(false); });
    call_field_->installEventFilter(this);
    // The map is looked at, and clicked, while the operator goes on typing in the main
    // window: neither showing it nor a click on it takes the keyboard or the activation away
    // from the main window, whose every activation would run its start-of-use steps again.
    setAttribute(Qt::WA_ShowWithoutActivating);
    refresh_timer_.setSingleShot(true);
    refresh_timer_.setInterval(0);
    connect(&refresh_timer_, &QTimer::timeout, this, &MapWindow::refresh);
    connect(view_, &MapView::pointClicked, this,
            [this](GeoPoint p) { place_dx_station(main_, p); });
    // The map opens with the main window when it was open at the last exit, and closes
    // with it.
    main_.installEventFilter(this);
}

void MapWindow::setTexts(const LanguageTexts& texts) {
    setWindowTitle(texts.map_title);
    call_label_->setText(texts.dx_call);
    no_local_station_ = texts.map_no_local_station;
    if (isVisible())
        refresh();
}

void MapWindow::setHeading(std::optional<double> heading) {
    view_->setHeading(heading);
}

void MapWindow::open() {
    follow_main_window();
    MapSetting& setting = main_.state().MapWindowSetting;
    if (!placed_) {
        placed_ = true;
        setWindowIcon(main_.windowIcon());
        // Wholly on the main window's screen, beside the main window where there is room:
        // a size stored on a larger screen, or a large scale factor, shrinks the map to fit.
        // Its frame, not known before it is shown, is taken to be the main window's.
        const QRect main_frame = main_.frameGeometry();
        const QMargins frame(main_.geometry().left() - main_frame.left(),
                             main_.geometry().top() - main_frame.top(),
                             main_frame.right() - main_.geometry().right(),
                             main_frame.bottom() - main_.geometry().bottom());
        const QScreen* screen = main_.screen();
        MapSetting wanted = setting;
        if (!setting.used)
            wanted.width = wanted.height = kFirstSide;
        const QSize size = map_opening_size(
            wanted, screen ? std::optional(screen->availableGeometry().size().shrunkBy(frame))
                           : std::nullopt);
        resize(size);
        placed_at_ =
            screen ? place_beside(main_frame, size.grownBy(frame), screen->availableGeometry())
                   : main_frame.topRight() + QPoint(8, 0);
        move(placed_at_);
    }
    setting.used = true;
    setting.open = true;
    setting.width = width();
    setting.height = height();
    refresh();
    const bool first_showing = !isVisible() && windowHandle() == nullptr;
    show();
    raise();
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
    const QScreen* screen = main_.screen();
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
    const StationState& state = main_.state();
    MapScene scene;
    scene.has_centre = !state.LocalLocator.isEmpty();
    scene.centre = {signed_degrees(state.LocalLatitude, state.LocalNorth),
                    signed_degrees(state.LocalLongitude, state.LocalEast)};
    scene.centre_label = state.LocalLocator;
    scene.no_centre_label = no_local_station_;
    scene.has_dx = main_.EditDXLocator->text().size() == 6 &&
                   !main_.EditDXLattitude->text().isEmpty() &&
                   !main_.EditDXLongitude->text().isEmpty();
    scene.dx = {signed_degrees(state.DxLatitude, main_.CheckBoxLattitudeNordDX->isChecked()),
                signed_degrees(state.DxLongitude, main_.CheckBoxLongitudeEstDX->isChecked())};
    scene.dx_label = list_entry_label(main_);
    if (scene.dx_label.isEmpty() && !state.DxLabel.isEmpty() &&
        state.DxLabelLocator == main_.EditDXLocator->text())
        scene.dx_label = state.DxLabel;
    if (scene.dx_label.isEmpty())
        scene.dx_label = main_.EditDXLocator->text();
    if (!main_.EditAzimut->text().isEmpty())
        scene.azimuth = state.RequestedAzimuth;
    scene.long_path = main_.longPath();
    scene.miles = main_.mile();
    view_->setScene(scene);
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
    const auto follow = [this](auto* sender, auto signal) {
        connect(sender, signal, this, &MapWindow::schedule_refresh);
    };
    TFormInit* init = main_.formInit();
    for (QLineEdit* field : {main_.EditDXLocator, main_.EditDXLattitude, main_.EditDXLongitude,
                             main_.EditAzimut, main_.EditDistance, init->EditLocalLocator,
                             init->EditLocalLattitude, init->EditLocalLongitude})
        follow(field, &QLineEdit::textChanged);
    for (QCheckBox* box : {main_.CheckBoxLattitudeNordDX, main_.CheckBoxLongitudeEstDX,
                           init->CheckBoxLattitudeNord, init->CheckBoxLongitudeEst})
        follow(box, &QCheckBox::toggled);
    for (int n = 0; n <= kPersonalListCount; ++n)
        follow(main_.station_list(n), &QComboBox::currentIndexChanged);
    follow(main_.SpeedButtonLP, &QToolButton::toggled);
    follow(main_.MenuKm, &QAction::toggled);
}

void MapWindow::closeEvent(QCloseEvent* event) {
    main_.state().MapWindowSetting.open = false;
    QWidget::closeEvent(event);
}

void MapWindow::resizeEvent(QResizeEvent* event) {
    MapSetting& setting = main_.state().MapWindowSetting;
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

void MapWindow::call_entered() {
    const QString call = call_field_->text().trimmed();
    if (call.isEmpty() || main_.Follow == nullptr)
        return;
    if (!main_.Follow->setDxFromCall(call))
        main_.desktop().beep();
}

bool MapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == call_field_ && event->type() == QEvent::MouseButtonPress)
        take_keyboard(true);
    if (fitting_ && watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        fitting_ = false;
        windowHandle()->removeEventFilter(this);
        fit_on_screen();
    }
    // Only the event's type is looked at before it is known to be a show: the main window
    // is hidden once more while it is being destroyed.
    if (watched == &main_ && !event->spontaneous()) {
        if (event->type() == QEvent::Hide)
            hide();
        else if (event->type() == QEvent::Show && !placed_)
            reopen_at_start();
    }
    return QWidget::eventFilter(watched, event);
}

// Opened once the main window is up when the map was open at the last exit.
void MapWindow::reopen_at_start() {
    const MapSetting& setting = main_.state().MapWindowSetting;
    if (setting.used && setting.open)
        QTimer::singleShot(0, this, &MapWindow::open);
}

void place_dx_station(TForm1& w, GeoPoint p) {
    const bool north = p.latitude >= 0;
    const double latitude = std::min(std::fabs(p.latitude), 89.99);
    // The text, once rounded, is what the locator is made from: 180 E holds no locator, its
    // twin 180 W does.
    const QString longitude_text = format_fixed(std::fabs(p.longitude), 3);
    const double longitude = read_number(longitude_text).value_or(0);
    const bool east = p.longitude >= 0 && longitude < 180;
    const QString latitude_text = format_fixed(latitude, 3);

    // The boxes and fields are set from code, so their own handlers stay quiet; one
    // computation follows, as after the last keystroke of a typed position.
    w.CheckBoxLattitudeNordDX->setChecked(north);
    w.CheckBoxLattitudeSudDX->setChecked(!north);
    w.CheckBoxLongitudeEstDX->setChecked(east);
    w.CheckBoxLongitudeOuestDX->setChecked(!east);
    w.state().DxLatitude = read_number(latitude_text).value_or(0);
    w.EditDXLattitude->setText(latitude_text);
    w.state().DxLongitude = longitude;
    w.EditDXLongitude->setText(longitude_text);
    w.clear_list_selections();
    w.update_dx_locator();
}

// The menu item, placed after the unit menu; F3 opens the map from anywhere in the window.
void TForm1::build_map_menu(QMenuBar* bar) {
    MenuMap = bar->addAction(language_texts(UiLanguage::English).map);
    MenuMap->setObjectName(QStringLiteral("MenuMap"));
    MenuMap->setShortcut(QKeySequence(Qt::Key_F3));
    connect(MenuMap, &QAction::triggered, this, &TForm1::MenuMapClick);
    addAction(MenuMap);
    FormMap = new MapWindow(*this);
}

void TForm1::MenuMapClick() {
    FormMap->open();
}

} // namespace kestrav
