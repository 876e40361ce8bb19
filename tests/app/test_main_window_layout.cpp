// The main window as built: every control's place, parent and font, the keyboard focus order,
// the pictures, the panels' bevels, and where the window opens.

#include "app/widgets.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "rotor/rotctld_link.h"
#include "setup/window_placement.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>

#include <cmath>

namespace kestrav::test {
namespace {

using LayoutTest = WindowTest;

const QByteArray kLocalStation = "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n";

TEST_F(LayoutTest, EveryControlStandsInItsParentAtItsDesignPlaceAndFont) {
    start(kLocalStation);
    struct Row {
        const char* name;
        const char* parent;
        int x, y, w, h; // w and h of -1: sized by its text
        char family;    // A Arial, T Times New Roman, - not checked
        int points;     // 0: not checked
        bool bold;
    };
    const Row rows[] = {
        {"GroupBoxDX", "client", 10, 8, 225, 281, 'A', 10, true},
        {"LabelDXLocator", "GroupBoxDX", 72, 8, 73, 14, 'A', 8, true},
        {"EditDXLocator", "GroupBoxDX", 72, 22, 73, 24, 'A', 10, true},
        {"LabelDXLattitude", "GroupBoxDX", 72, 48, 73, 14, 'A', 8, true},
        {"CheckBoxLattitudeNordDX", "GroupBoxDX", 32, 64, 33, 17, 'A', 10, true},
        {"EditDXLattitude", "GroupBoxDX", 72, 62, 73, 24, 'A', 10, true},
        {"CheckBoxLattitudeSudDX", "GroupBoxDX", 152, 64, 30, 17, 'A', 10, true},
        {"LabelDXLongitude", "GroupBoxDX", 80, 88, 56, 14, 'A', 8, true},
        {"CheckBoxLongitudeOuestDX", "GroupBoxDX", 32, 104, 33, 17, 'A', 10, true},
        {"EditDXLongitude", "GroupBoxDX", 72, 102, 73, 24, 'A', 10, true},
        {"CheckBoxLongitudeEstDX", "GroupBoxDX", 152, 104, 30, 17, 'A', 10, true},
        {"Label1", "GroupBoxDX", 72, 128, 73, 14, 'A', 8, true},
        {"ComboBoxListDX", "GroupBoxDX", 8, 142, 209, 23, 'A', 9, true},
        {"LabelPerso1", "GroupBoxDX", 8, 165, 201, 14, 'A', 8, true},
        {"ComboBoxPerso1", "GroupBoxDX", 8, 178, 209, 22, 'A', 8, true},
        {"LabelPerso2", "GroupBoxDX", 8, 201, 201, 14, 'A', 8, true},
        {"ComboBoxPerso2", "GroupBoxDX", 8, 214, 209, 22, 'A', 8, true},
        {"LabelPerso3", "GroupBoxDX", 8, 237, 201, 14, 'A', 8, true},
        {"ComboBoxPerso3", "GroupBoxDX", 8, 250, 209, 22, 'A', 8, true},
        {"PanelTitre", "client", 240, 8, 225, 44, '-', 0, false},
        {"ImageTitre", "PanelTitre", 16, 6, 33, 35, '-', 0, false},
        {"LabelTitre", "PanelTitre", 80, 4, 70, 36, 'T', 11, true},
        {"GroupBoxBeam", "client", 240, 60, 225, 133, 'A', 10, true},
        {"LabelAzimut", "GroupBoxBeam", 98, 14, -1, -1, 'A', 10, true},
        {"EditAzimut", "GroupBoxBeam", 104, 32, 73, 30, 'A', 14, true},
        {"UpDownAzimut", "GroupBoxBeam", 176, 32, 17, 30, '-', 0, false},
        {"Image1", "GroupBoxBeam", 16, 25, 68, 68, '-', 0, false},
        {"Image2", "GroupBoxBeam", 16, 25, 68, 68, '-', 0, false},
        {"SpeedButtonLP", "GroupBoxBeam", 40, 96, 25, 25, 'A', 10, true},
        {"LabelDistance", "GroupBoxBeam", 104, 70, -1, -1, 'A', 10, true},
        {"EditDistance", "GroupBoxBeam", 104, 88, 89, 30, 'A', 14, true},
        {"PanelLampe", "client", 240, 202, 225, 45, '-', 0, false},
        {"ButtonTrack", "PanelLampe", 5, 5, 42, 36, 'A', 18, true},
        {"SpeedButtonAuto", "PanelLampe", 47, 5, 42, 36, 'A', 10, true},
        {"BitBtnStop", "PanelLampe", 89, 5, 42, 36, 'A', 10, true},
        {"ImageLEDOff", "PanelLampe", 186, 7, 31, 31, '-', 0, false},
        {"ImageLedOn", "PanelLampe", 186, 7, 31, 31, '-', 0, false},
        {"PanelInterface", "client", 240, 256, 225, 31, '-', 0, false},
        {"LabelEtatLocal", "PanelInterface", 0, 1, -1, -1, 'A', 8, true},
        {"LabelEtatInterface", "PanelInterface", 0, 15, -1, -1, 'A', 8, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const auto found = window->findChildren<QWidget*>(QLatin1String(r.name));
        ASSERT_EQ(found.size(), 1);
        const QWidget* w = found.front();
        EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(r.parent));
        EXPECT_EQ(w->pos(), QPoint(r.x, r.y));
        if (r.w != -1) {
            EXPECT_EQ(w->size(), QSize(r.w, r.h));
        }
        if (r.family != '-') {
            // The design font when installed, otherwise its metric-compatible stand-in.
            const QStringList drawn_in =
                r.family == 'A' ? QStringList{"Arial", "Liberation Sans", "Arimo"}
                                : QStringList{"Times New Roman", "Liberation Serif", "Tinos"};
            EXPECT_TRUE(drawn_in.contains(QFontInfo(w->font()).family()))
                << QFontInfo(w->font()).family().toStdString();
            EXPECT_EQ(w->font().family(), QFontInfo(w->font()).family());
        }
        if (r.points != 0) {
            EXPECT_EQ(w->font().pointSize(), r.points);
            EXPECT_EQ(w->font().bold(), r.bold);
        }
    }
    EXPECT_EQ(window->centralWidget()->objectName(), QStringLiteral("client"));
    // The design's room for the controls, and a window that cannot be resized or maximised.
    EXPECT_EQ(window->centralWidget()->size(), QSize(474, 296));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    // MS Sans Serif is the desktop's own font here.
    EXPECT_EQ(window->font().family(),
              QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family());
    EXPECT_EQ(window->font().pointSize(), 8);
    EXPECT_EQ(window->centralWidget()->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
}

TEST_F(LayoutTest, TabVisitsTheControlsInTheDesignOrderAndWrapsAround) {
    start(kLocalStation);
    const QWidget* order[] = {ui().EditDXLocator,
                              ui().CheckBoxLattitudeNordDX,
                              ui().EditDXLattitude,
                              ui().CheckBoxLattitudeSudDX,
                              ui().CheckBoxLongitudeOuestDX,
                              ui().EditDXLongitude,
                              ui().CheckBoxLongitudeEstDX,
                              ui().ComboBoxPerso1,
                              ui().ComboBoxPerso2,
                              ui().ComboBoxPerso3,
                              ui().ComboBoxListDX,
                              ui().EditDistance,
                              ui().EditAzimut,
                              ui().UpDownAzimut,
                              ui().BitBtnStop,
                              ui().ButtonTrack,
                              ui().EditDXLocator};
    focus(ui().EditDXLocator);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), order[i])
            << "after " << order[i - 1]->objectName().toStdString();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), ui().ButtonTrack);
}

TEST_F(LayoutTest, PicturesHaveTheirDesignSizesAndTheLedsAreTransparent) {
    start(kLocalStation);
    struct Row {
        const QLabel* image;
        QSize size;
    };
    const Row rows[] = {{ui().Image1, {68, 68}},
                        {ui().Image2, {68, 68}},
                        {ui().ImageLEDOff, {31, 31}},
                        {ui().ImageLedOn, {31, 31}},
                        {ui().ImageTitre, {33, 35}}};
    for (const Row& r : rows)
        EXPECT_EQ(r.image->pixmap().size(), r.size) << r.image->objectName().toStdString();
    const QImage off = ui().ImageLEDOff->pixmap().toImage();
    const QImage on = ui().ImageLedOn->pixmap().toImage();
    EXPECT_EQ(qAlpha(off.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(on.pixel(0, 0)), 0);
    EXPECT_NE(off.pixel(15, 15), on.pixel(15, 15));
    // The STOP picture fits above the caption on the 36-pixel button.
    const QSize stop = static_cast<PictureButton*>(ui().BitBtnStop)->picture().size();
    EXPECT_LE(stop.height() + ui().BitBtnStop->fontMetrics().height(), 36 - 4);
    for (int side : {16, 32, 48})
        EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(side, side))) << side;
}

// A heading past 360 (a rotator with an overlap) is marked by an arc along the rim, outside
// the rose, from north round to the heading, which a heading of the same bearing within 360
// does not have; between the needle's tip and the rose nothing joins the two.
TEST_F(LayoutTest, DialMarksAHeadingPastNorth) {
    start(kLocalStation);
    StationState& s = window->state();
    s.SelectedInterface = RotorInterface::Gs232;
    s.Gs232Range = RangeChoice::Turn450;
    s.ShowHeading = true;
    const auto blue_at_20_degrees = [this](int radius = 32) {
        const QImage dial = ui().Image1->pixmap().toImage();
        const int x = 34 + static_cast<int>(std::lround(radius * std::sin(20 * M_PI / 180)));
        const int y = 34 - static_cast<int>(std::lround(radius * std::cos(20 * M_PI / 180)));
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor c = dial.pixelColor(x + dx, y + dy);
                if (c.blue() > 120 && c.red() < 90 && c.green() < 90)
                    return true;
            }
        return false;
    };
    window->controller().headingReceived(40);
    EXPECT_FALSE(blue_at_20_degrees());
    window->controller().headingReceived(400);
    EXPECT_TRUE(blue_at_20_degrees());
    EXPECT_FALSE(blue_at_20_degrees(26));
    EXPECT_EQ(ui().Image1->toolTip(), QStringLiteral("400.0°"));
}

TEST_F(LayoutTest, CaptionsGrowWithTheirTextAndCutStatusLinesCarryTheWholeText) {
    start(kLocalStation);
    // Sized to their text by the design: the text starts at the design's left edge and a
    // longer one grows to the right, within the group.
    ui().MenuMile->trigger();
    for (QLabel* label : {ui().LabelDistance, static_cast<QLabel*>(ui().LabelAzimut)}) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        EXPECT_TRUE(label->alignment().testFlag(Qt::AlignLeft));
        EXPECT_LE(label->geometry().right(), ui().GroupBoxBeam->width() - 1);
    }
    EXPECT_EQ(ui().LabelDistance->text(), QStringLiteral("QRB = (mile)"));

    // A status line cut by its panel carries its whole text in its tooltip.
    window->state().SelectedInterface = RotorInterface::Network;
    window->state().NetworkHost = QStringLiteral("rotator.example.org");
    emit ui().NetworkLink->failed(QStringLiteral("Connection refused"));
    QLabel* line = ui().LabelEtatInterface;
    ASSERT_TRUE(line->text().endsWith(QStringLiteral(" / Connection refused")));
    EXPECT_GT(line->fontMetrics().horizontalAdvance(line->text()), ui().PanelInterface->width());
    EXPECT_EQ(line->toolTip(), line->text());
    window->state().SelectedInterface = RotorInterface::Gs232;
    window->update_status_lines();
    EXPECT_EQ(line->text(), QStringLiteral(" Ant = GS232 / no COM"));
    EXPECT_TRUE(line->toolTip().isEmpty()) << "a line that fits has none";
}

// The contrast ratio of two colours, from 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A desktop with a dark theme: light texts on dark backgrounds.
QPalette dark_palette() {
    QPalette p;
    const QColor dark(45, 45, 48);
    const QColor text(230, 230, 230);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base})
        p.setColor(role, dark);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(role, text);
    return p;
}

TEST_F(LayoutTest, UnderADarkThemeTextsOnTheDesignsColoursStayReadable) {
    const QPalette desktop_palette = QApplication::palette();
    QApplication::setPalette(dark_palette());
    const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop_palette); });
    start(kLocalStation);

    // Every caption drawn on a background the design fixes, in both windows.
    int checked = 0;
    for (QWidget* top :
         {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(window->formInit())}) {
        for (QWidget* w : top->findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) &&
                !qobject_cast<QGroupBox*>(w))
                continue;
            const QWidget* filled = w;
            while (filled != top && !filled->autoFillBackground())
                filled = filled->parentWidget();
            const QColor background = filled->palette().color(QPalette::Window);
            if (filled == top || background == dark_palette().color(QPalette::Window))
                continue;
            ++checked;
            EXPECT_GE(contrast(w->palette().color(QPalette::WindowText), background), 4.5)
                << w->objectName().toStdString() << " on " << filled->objectName().toStdString();
        }
    }
    EXPECT_GE(checked, 20);

    // The map's compass rose stands on the window's own background: its headings read on it.
    MapView map;
    map.resize(300, 300);
    map.setScene(MapScene{});
    const QImage image = map.grab().toImage();
    const QColor background = image.pixelColor(2, 2);
    const QPointF north(map.discCentre().x(), map.discCentre().y() - map.discRadius() - 17);
    double best = 1;
    for (int x = int(north.x()) - 8; x <= int(north.x()) + 8; ++x)
        for (int y = int(north.y()) - 7; y <= int(north.y()) + 7; ++y)
            best = std::max(best, contrast(image.pixelColor(x, y), background));
    EXPECT_GE(best, 4.5) << "the N of the rose";
}

// Counts the columns from the left edge that are dark and from the right edge that are light,
// along the panel's middle row.
std::pair<int, int> bevel_columns(QWidget* panel) {
    const QImage image = panel->grab().toImage();
    const int y = image.height() / 2;
    const QColor background = panel->palette().color(QPalette::Window);
    int dark = 0;
    while (dark < image.width() &&
           QColor(image.pixel(dark, y)).lightness() < background.lightness())
        ++dark;
    int light = 0;
    while (light < image.width() &&
           QColor(image.pixel(image.width() - 1 - light, y)).lightness() > background.lightness())
        ++light;
    return {dark, light};
}

TEST_F(LayoutTest, PanelsShowTheirLoweredBevels) {
    start(kLocalStation);
    // Two lowered bevels of 2 pixels: dark on the left, light on the right, 4 pixels each.
    EXPECT_EQ(bevel_columns(ui().PanelTitre), std::make_pair(4, 4));
    EXPECT_EQ(bevel_columns(ui().PanelLampe), std::make_pair(4, 4));
    // The inner bevel alone, 1 pixel.
    EXPECT_EQ(bevel_columns(ui().PanelInterface), std::make_pair(1, 1));
}

TEST(WindowPlacement, TheFrameLiesWhollyOnTheScreen) {
    struct Row {
        const char* name;
        QRect frame, available;
        QPoint corner;
    };
    const Row rows[] = {
        {"fits at its place", {196, 100, 476, 336}, {0, 0, 1024, 768}, {196, 100}},
        {"too far right", {196, 100, 476, 336}, {0, 0, 640, 480}, {164, 100}},
        {"too low, below a top panel", {196, 100, 476, 336}, {0, 24, 800, 400}, {196, 88}},
        {"left of a second screen", {196, 100, 476, 336}, {1920, 0, 1280, 1024}, {1920, 100}},
        {"larger than the screen", {196, 100, 476, 336}, {10, 20, 400, 300}, {10, 20}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(place_inside(r.frame, r.available), r.corner) << r.name;
        if (r.frame.width() <= r.available.width() && r.frame.height() <= r.available.height()) {
            EXPECT_TRUE(r.available.contains(QRect(r.corner, r.frame.size()))) << r.name;
        }
    }
}

// The map opens wholly on the screen, beside the main window where there is room, and no
// larger than the screen: with a size stored on a larger screen and the main window at the
// screen's right edge.
TEST_F(LayoutTest, MapOpensWhollyOnTheScreen) {
    start(kLocalStation + "MAP=CLOSED,3000,3000\r\n");
    const QRect available = window->screen()->availableGeometry();
    window->move(available.right() - window->frameGeometry().width() + 1, available.top());
    window->MenuMapClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui().FormMap));
    const QRect map = ui().FormMap->frameGeometry();
    EXPECT_TRUE(available.contains(map))
        << map.x() << "," << map.y() << " " << map.width() << "x" << map.height();
}

} // namespace
} // namespace kestrav::test
