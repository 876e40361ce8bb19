// The map window beside the real main window, offscreen: opened with F3, drawn for JN18EU
// with Japan as the DX station, clicked to set the DX station, and kept in the settings file.

#include "geodesy/bearing.h"
#include "geodesy/number_text.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "map/sun.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>

#include <cmath>

namespace kestrav::test {
namespace {

class MapWindowTest : public WindowTest {
protected:
    void open_map() {
        focus(ui().ComboBoxListDX);
        QTest::keyClick(window.get(), Qt::Key_F3);
        map = ui().FormMap;
        ASSERT_TRUE(map->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(map));
        // The offscreen platform activates every window it shows, a little later; a desktop
        // leaves the main window active, as it is made again here.
        (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == map; }, 500);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }));
        view = map->view();
    }

    void choose_prefix(const QString& start_of_entry) {
        QComboBox* list = ui().ComboBoxListDX;
        const int index = list->findText(start_of_entry, Qt::MatchStartsWith);
        ASSERT_GE(index, 0);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    // The map as it is drawn once the changes just made have reached it.
    QImage picture() {
        QCoreApplication::processEvents();
        return view->grab().toImage();
    }

    // The pixel that holds a point at a heading and distance from the centre.
    QPoint pixel_at(double azimuth, double radius_pixels) const {
        const QPointF c = view->discCentre();
        const double a = azimuth * kPi / 180;
        return QPoint(static_cast<int>(std::floor(c.x() + radius_pixels * std::sin(a))),
                      static_cast<int>(std::floor(c.y() - radius_pixels * std::cos(a))));
    }

    // How many of the points along a ray, from `from` to `to` of the given radius, show
    // `colour`.
    int count_along(const QImage& image, double azimuth, double from, double to,
                    const QColor& colour) const {
        int hits = 0;
        for (int i = 0; i <= 40; ++i) {
            const QPoint p = pixel_at(azimuth, from + (to - from) * i / 40);
            hits += image.pixelColor(p) == colour ? 1 : 0;
        }
        return hits;
    }

    QString ini() const { return dir.path() + QStringLiteral("/Kestrav.ini"); }

    static QDateTime utc(const char* text) {
        QDateTime t = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
        t.setTimeSpec(Qt::UTC);
        return t;
    }

    MapWindow* map = nullptr;
    MapView* view = nullptr;
};

TEST_F(MapWindowTest, MenuItemAfterTheUnitMenuWithF3) {
    start();
    const QList<QAction*> bar = window->menuBar()->actions();
    const qsizetype unit = bar.indexOf(ui().MenuUnit->menuAction());
    ASSERT_GE(unit, 0);
    ASSERT_LT(unit + 1, bar.size());
    EXPECT_EQ(bar[unit + 1], ui().MenuMap);
    EXPECT_EQ(ui().MenuMap->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_FALSE(ui().FormMap->isVisible()) << "closed until asked for";
    // Every item of the menu bar still shows in both languages, on one row, none pushed
    // behind an overflow button.
    for (const bool french : {false, true}) {
        french ? window->MenuFrancaisClick() : window->MenuEnglishClick();
        QMenuBar* menus = window->menuBar();
        for (QAction* item : bar) {
            const QRect r = menus->actionGeometry(item);
            EXPECT_EQ(r.top(), menus->actionGeometry(bar[0]).top()) << item->text().toStdString();
            EXPECT_LE(r.right(), menus->width()) << item->text().toStdString();
        }
    }

    // Alt+M still opens "My Lists"; the map has Alt+A.
    focus(ui().ComboBoxListDX);
    QTest::keyClick(window.get(), Qt::Key_M, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui().MenuListe->isVisible(); }, 1000));
    ui().MenuListe->close();
    EXPECT_FALSE(ui().FormMap->isVisible());
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui().FormMap->isVisible(); }, 1000));
    ui().FormMap->close();

    open_map();
    EXPECT_FALSE(map->isModal());
    // On a desktop a click on the map leaves the main window active, which would otherwise
    // run its activation steps again on the way back (checked by hand under openbox).
    EXPECT_TRUE(map->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window->isEnabled()) << "the main window stays usable";
}

TEST_F(MapWindowTest, JapanFromParisShortAndLongPathOnTheDrawnMap) {
    start();
    set_local(QStringLiteral("JN18EU"));
    choose_prefix(QStringLiteral("JA\t"));
    open_map();
    // Afternoon over Africa and the Atlantic: both lie in daylight.
    map->setClock([] { return utc("2026-03-20T14:46:00"); });
    map->resize(600, 600);
    const double azimuth = window->state().RequestedAzimuth;
    ASSERT_EQ(ui().EditAzimut->text(), QStringLiteral("33.4"));
    EXPECT_EQ(view->scene().dx_label, QStringLiteral("JA  Japan (As)"));

    QImage image = picture();
    const double r = view->discRadius();
    const QPointF dx = view->toWidget({35.68, 139.75});
    const double dx_radius =
        std::hypot(dx.x() - view->discCentre().x(), dx.y() - view->discCentre().y());
    // The short path leaves the centre at the computed azimuth, and only there.
    EXPECT_EQ(count_along(image, azimuth, 0.15 * dx_radius, 0.9 * dx_radius, MapView::kShortPath),
              41);
    for (const double off : {-6.0, 6.0})
        EXPECT_EQ(count_along(image, azimuth + off, 0.15 * dx_radius, 0.9 * dx_radius,
                              MapView::kShortPath),
                  0)
            << off;
    // Land and sea are where they belong: central Africa and the mid-Atlantic.
    EXPECT_EQ(image.pixelColor(view->toWidget({0, 22}).toPoint()), MapView::kLand);
    EXPECT_EQ(image.pixelColor(view->toWidget({30, -40}).toPoint()), MapView::kSea);
    EXPECT_EQ(count_along(image, reverse_azimuth(azimuth), 0.1 * r, 0.95 * r, MapView::kLongPath),
              0)
        << "no long path while LP is off";

    // The antipode is the rim; the long path runs out to it and comes back to Japan.
    const QPointF antipode = view->toWidget({-48.854166, 2.375 - 180});
    EXPECT_NEAR(
        std::hypot(antipode.x() - view->discCentre().x(), antipode.y() - view->discCentre().y()), r,
        0.01);
    ui().SpeedButtonLP->click();
    image = picture();
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("213.4"));
    EXPECT_EQ(count_along(image, reverse_azimuth(azimuth), 0.1 * r, 0.97 * r, MapView::kLongPath),
              41);
    EXPECT_EQ(count_along(image, azimuth, dx_radius + 10, 0.97 * r, MapView::kLongPath), 41);
}

TEST_F(MapWindowTest, AClickSetsTheDxStationAsIfTyped) {
    start();
    set_local(QStringLiteral("JN18EU"));
    choose_prefix(QStringLiteral("JA\t"));
    open_map();
    const struct {
        const char* name;
        GeoPoint target;
    } rows[] = {
        {"Tokyo", {35.68, 139.77}},
        {"Buenos Aires", {-34.6, -58.4}},
        {"Honolulu", {21.3, -157.86}},
        {"Cape Town", {-33.92, 18.42}},
    };
    for (const auto& row : rows) {
        const QPoint at = view->toWidget(row.target).toPoint();
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        const double lat = ui().EditDXLattitude->text().toDouble();
        const double lon = ui().EditDXLongitude->text().toDouble();
        const bool north = ui().CheckBoxLattitudeNordDX->isChecked();
        const bool east = ui().CheckBoxLongitudeEstDX->isChecked();
        EXPECT_EQ(north, row.target.latitude > 0) << row.name;
        EXPECT_NE(north, ui().CheckBoxLattitudeSudDX->isChecked()) << row.name;
        EXPECT_EQ(east, row.target.longitude > 0) << row.name;
        EXPECT_NE(east, ui().CheckBoxLongitudeOuestDX->isChecked()) << row.name;
        const GeoPoint clicked{north ? lat : -lat, east ? lon : -lon};
        // Within a pixel and a half of the place aimed at (a pixel is 68 km here).
        EXPECT_LT(great_circle_bearing(clicked.latitude, clicked.longitude, row.target.latitude,
                                       row.target.longitude)
                      .distance_km,
                  100)
            << row.name;
        // The bearing is that of the coordinates in the fields, shown and published.
        const Bearing b =
            great_circle_bearing(48.854166666666664, 2.375, clicked.latitude, clicked.longitude);
        EXPECT_EQ(ui().EditAzimut->text(), format_fixed(b.azimuth, 1, 5)) << row.name;
        EXPECT_EQ(window->publishedAzimuth(), QString::number(round_half_even(b.azimuth)));
        EXPECT_EQ(ui().EditDXLocator->text().size(), 6) << row.name;
        EXPECT_EQ(ui().ComboBoxListDX->currentIndex(), -1) << "typed, not from the list";
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(view->scene().dx_label, ui().EditDXLocator->text());

    const QString before = ui().EditDXLocator->text();
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(ui().EditDXLocator->text(), before) << "outside the disc nothing happens";
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(MapWindowTest, FollowsTheMainWindowAndTheHeading) {
    start();
    set_local(QStringLiteral("JN18EU"));
    open_map();
    type(ui().EditDXLocator, QStringLiteral("PM95VQ"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->scene().has_dx);
    EXPECT_EQ(view->scene().dx_label, QStringLiteral("PM95VQ"));
    EXPECT_NEAR(*view->scene().azimuth, window->state().RequestedAzimuth, 1e-12);

    ui().MenuMile->trigger();
    ui().SpeedButtonLP->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->scene().miles);
    EXPECT_TRUE(view->scene().long_path);
    EXPECT_NEAR(*view->scene().azimuth, window->state().RequestedAzimuth, 1e-12);

    set_local(QStringLiteral("FN31PR"));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->scene().centre_label, QStringLiteral("FN31PR"));
    EXPECT_NEAR(view->scene().centre.longitude, -window->state().LocalLongitude, 1e-12);

    map->resize(560, 560); // as on a screen with room beside the main window
    map->setHeading(120);
    const double r = view->discRadius();
    EXPECT_EQ(count_along(picture(), 120, 0.3 * r, 0.9 * r, MapView::kHeading), 41);
    map->setHeading(std::nullopt);
    EXPECT_EQ(count_along(picture(), 120, 0.3 * r, 0.9 * r, MapView::kHeading), 0);
    // A rotator past north through its overlap: the needle points at the true bearing.
    map->setHeading(380);
    EXPECT_EQ(count_along(picture(), 20, 0.3 * r, 0.9 * r, MapView::kHeading), 41);
}

// Night and twilight at a fixed time, drawn over the map and hidden by the context-menu item,
// which is kept in the map's row.
TEST_F(MapWindowTest, DayAndNightAtAFixedTime) {
    start();
    set_local(QStringLiteral("JN18EU"));
    open_map();
    map->resize(640, 640);
    QDateTime now = utc("2026-03-20T14:46:00"); // the Sun over 0 N 39.65 W
    map->setClock([&now] { return now; });
    const SunPosition sun = sun_position(now);
    const QImage shown = picture();
    view->shadingAction()->trigger();
    const QImage hidden = picture();
    EXPECT_TRUE(window->state().MapWindowSetting.shading_hidden);
    const double lon = sun.subsolar.longitude;
    // Along the equator: day beside the Sun, at -3 and -9 degrees of elevation on either
    // side twilight, and night at the antipode.
    const struct {
        GeoPoint place;
        Daylight light;
    } rows[] = {{{10, lon}, Daylight::Day},
                {{0, lon + 93}, Daylight::CivilTwilight},
                {{0, lon - 93}, Daylight::CivilTwilight},
                {{0, lon + 99}, Daylight::NauticalTwilight},
                {{0, lon + 180}, Daylight::Night}};
    for (const auto& row : rows) {
        const QPoint at = view->toWidget(row.place).toPoint();
        EXPECT_EQ(shown.pixel(at), MapView::shaded(hidden.pixel(at), row.light))
            << row.place.latitude << " " << row.place.longitude;
    }
    EXPECT_NE(
        MapView::shaded(hidden.pixel(view->toWidget({0, lon + 180}).toPoint()), Daylight::Night),
        hidden.pixel(view->toWidget({0, lon + 180}).toPoint()));
    EXPECT_EQ(shown.pixelColor(view->toWidget(sun.subsolar).toPoint()), QColor(255, 210, 0))
        << "the subsolar point is marked";

    // Twelve hours on, the place beside the Sun lies in the night.
    view->shadingAction()->trigger();
    now = now.addSecs(12 * 3600);
    map->setClock([&now] { return now; });
    const QPoint beside = view->toWidget({10, lon}).toPoint();
    EXPECT_EQ(picture().pixel(beside), MapView::shaded(hidden.pixel(beside), Daylight::Night));

    // Sunrise and sunset at both stations, the polar cases, in both languages.
    now = utc("2026-06-21T12:00:00");
    map->setClock([&now] { return now; });
    type(ui().EditDXLocator, QStringLiteral("JP99LP")); // Tromso
    QCoreApplication::processEvents();
    QStringList lines = view->sunLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^JN18EU: sunrise 0[34]:\\d\\d, sunset 19:\\d\\d UTC, daylight$"))
            .match(lines[0])
            .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("JP99LP: no sunset, daylight"));
    EXPECT_EQ(lines[2],
              QStringLiteral("Short and long path: daylight at JN18EU, daylight at JP99LP"));
    now = utc("2026-12-21T23:00:00");
    map->setClock([&now] { return now; });
    window->MenuFrancaisClick();
    lines = view->sunLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("JP99LP : pas de lever du soleil, nuit"));
    EXPECT_EQ(lines[2],
              QStringLiteral("Chemin court et long : nuit \u00e0 JN18EU, nuit \u00e0 JP99LP"));
    EXPECT_EQ(view->shadingAction()->text(), QStringLiteral("Jour et nuit"));

    // Hidden, it is kept with the map's row and hidden again at the next start.
    view->shadingAction()->trigger();
    EXPECT_TRUE(view->sunLines().isEmpty());
    window->close();
    QFile file(ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    EXPECT_TRUE(saved.endsWith("MAP=OPEN,640,640,NOSUN\r\n")) << saved.right(40).toStdString();
    window.reset();
    QFile::setPermissions(ini(), QFile::ReadOwner | QFile::WriteOwner);
    start(saved);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui().FormMap->isVisible(); }, 2000));
    EXPECT_FALSE(ui().FormMap->view()->shadingShown());
}

// No text of the map covers another or leaves the window, at the sizes the map opens at on
// 1024 x 768 and 1280 x 800 screens and a small one, in both languages: the DX station's
// label, on the side of its path that has room, stays inside the map; sunrise and sunset
// stand whole above it, clear of the rose and the rings.
TEST_F(MapWindowTest, TextsStayWholeAndApart) {
    start();
    set_local(QStringLiteral("JN18EU"));
    open_map();
    map->setClock([] { return utc("2026-12-07T16:00:00"); });
    const QSize sizes[] = {{340, 560}, {560, 560}, {640, 480}, {240, 240}};
    for (const bool french : {false, true}) {
        french ? window->MenuFrancaisClick() : window->MenuEnglishClick();
        for (const char* call :
             {"VK6ABC", "ZL1ABC", "3Y0X", "CE3ABC", "JA1XYZ", "KH6ABC", "VP8ABC", "W6ABC"}) {
            map->callField()->setText(QString::fromLatin1(call));
            QTest::keyClick(map->callField(), Qt::Key_Return);
            ASSERT_TRUE(window->state().DxLabel.startsWith(QString::fromLatin1(call)));
            for (const QSize& size : sizes) {
                map->resize(size);
                QCoreApplication::processEvents();
                SCOPED_TRACE(::testing::Message() << call << " " << size.width() << "x"
                                                  << size.height() << (french ? " fr" : " en"));
                const std::optional<QRectF> dx = view->dxLabelRect();
                ASSERT_TRUE(dx);
                EXPECT_TRUE(QRectF(view->rect()).contains(*dx));
                EXPECT_FALSE(dx->contains(view->toWidget(view->scene().dx)))
                    << "the label leaves the station in view";

                QLabel* sun = map->sunTimes();
                ASSERT_TRUE(sun->isVisible());
                EXPECT_EQ(sun->text().count(u'\n'), 2);
                EXPECT_GE(sun->height(), sun->heightForWidth(sun->width())) << "every line";
                EXPECT_FALSE(sun->geometry().intersects(view->geometry()));
                EXPECT_TRUE(map->rect().contains(sun->geometry()));
            }
        }
    }
    view->shadingAction()->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(map->sunTimes()->text().isEmpty()) << "no day and night, no times";
}

// A row written for a larger screen, or by hand, opens the map no larger than the screen,
// and the size it opened at is what is kept.
TEST_F(MapWindowTest, OpensNoLargerThanTheScreen) {
    start("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n"
          "MAP=OPEN,8192,8192\r\n");
    map = ui().FormMap;
    ASSERT_TRUE(QTest::qWaitFor([&] { return map->isVisible(); }, 2000));
    const QSize room = window->screen()->availableSize();
    EXPECT_LE(map->width(), room.width());
    EXPECT_LE(map->height(), room.height());
    EXPECT_EQ(window->state().MapWindowSetting.width, map->width());
    EXPECT_EQ(window->state().MapWindowSetting.height, map->height());
}

TEST_F(MapWindowTest, RememberedOpenWithItsSizeOnlyOnceUsed) {
    start();
    open_map();
    map->resize(700, 500);
    window->close();
    EXPECT_FALSE(map->isVisible()) << "closes with the main window";
    QFile file(ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    EXPECT_EQ(saved.count('\n'), 34);
    EXPECT_TRUE(saved.endsWith("AZIMUT_PARKING=0\r\nMAP=OPEN,700,500\r\n"));

    // The next start opens it again as it was, and closing it is remembered.
    window.reset();
    QFile::setPermissions(ini(), QFile::ReadOwner | QFile::WriteOwner);
    start(saved);
    map = ui().FormMap;
    ASSERT_TRUE(QTest::qWaitFor([&] { return map->isVisible(); }, 2000));
    EXPECT_EQ(map->size(), QSize(700, 500));
    map->close();
    window->close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("MAP=CLOSED,700,500\r\n"));
}

} // namespace
} // namespace kestrav::test
