// Azimuth and distance shown by the main window: the reference headings, long path, units.

#include "geodesy/bearing.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

#include <cmath>

namespace kestrav::test {
namespace {

class BearingViewTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        set_local(QStringLiteral("JN18EU"));
    }

    // Types a DX position into the coordinate fields and boxes, as the operator does.
    void enter_dx(double lat, bool north, double lon, bool east) {
        erase(ui().EditDXLattitude);
        erase(ui().EditDXLongitude);
        QCheckBox* ns = north ? ui().CheckBoxLattitudeNordDX : ui().CheckBoxLattitudeSudDX;
        QCheckBox* ew = east ? ui().CheckBoxLongitudeEstDX : ui().CheckBoxLongitudeOuestDX;
        for (QCheckBox* box : {ns, ew}) {
            if (!box->isChecked()) {
                focus(box);
                QTest::keyClick(box, Qt::Key_Space);
            }
        }
        type(ui().EditDXLattitude, QString::number(lat, 'g', 17));
        type(ui().EditDXLongitude, QString::number(lon, 'g', 17));
    }
};

// Central angle from the local station JN18EU, computed here with the haversine formula.
double reference_km(double lat, double lon) {
    const double d2r = kPi / 180;
    const double la = 48.854166666666664 * d2r, lo = 2.375 * d2r;
    const double lb = lat * d2r, lob = lon * d2r;
    const double h = std::pow(std::sin((lb - la) / 2), 2) +
                     std::cos(la) * std::cos(lb) * std::pow(std::sin((lob - lo) / 2), 2);
    return 2 * std::asin(std::sqrt(h)) / d2r * 111.12;
}

TEST_F(BearingViewTest, ReferenceHeadingsShortAndLongPath) {
    struct Row {
        double lat;
        bool north;
        double lon;
        bool east;
        const char* azimuth;
        const char* long_path;
    };
    const Row rows[] = {
        {35.83, true, 14.58, true, "141.0", "321.0"}, {38, true, 97, false, "302.8", "122.8"},
        {36, true, 138, true, "34.5", "214.5"},       {41, false, 174, true, "40.1", "220.1"},
        {20, true, 157.75, false, "340.3", "160.3"},  {10, false, 20, true, "160.0", "340.0"},
        {70, true, 30, false, "335.4", "155.4"},      {34, false, 58.5, false, "227.2", "47.2"},
    };
    for (const Row& r : rows) {
        enter_dx(r.lat, r.north, r.lon, r.east);
        const double km = reference_km(r.north ? r.lat : -r.lat, r.east ? r.lon : -r.lon);
        EXPECT_EQ(ui().EditAzimut->text(), QLatin1String(r.azimuth)) << r.azimuth;
        EXPECT_NEAR(ui().EditDistance->text().toDouble(), km, 0.051) << r.azimuth;
        EXPECT_NEAR(window->state().Distance, km, 1e-6) << r.azimuth;
        EXPECT_EQ(window->publishedAzimuth(),
                  QString::number(std::lround(window->state().RequestedAzimuth)));

        ui().SpeedButtonLP->click();
        EXPECT_TRUE(window->longPath());
        EXPECT_EQ(ui().EditAzimut->text(), QLatin1String(r.long_path)) << r.long_path;
        EXPECT_NEAR(window->state().Distance, kCircumferenceKm - km, 1e-6);
        ui().SpeedButtonLP->click();
        EXPECT_FALSE(window->longPath());
        EXPECT_EQ(ui().EditAzimut->text(), QLatin1String(r.azimuth));
    }
}

// The long path to 20 N 157.75 W is 27902.2475 km: shown rounded once, at the decimal.
TEST_F(BearingViewTest, DistanceRoundedOnceUnderEitherSeparator) {
    for (const QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
        set_decimal_separator(separator);
        enter_dx(20, true, 157.75, false);
        ui().SpeedButtonLP->click();
        EXPECT_EQ(ui().EditDistance->text(), QStringLiteral("27902") + separator + u'2');
        EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("160") + separator + u'3');
        ui().SpeedButtonLP->click();
    }
}

TEST_F(BearingViewTest, LongPathToggleDecidesWhatTheNextStationShows) {
    ui().SpeedButtonLP->click(); // azimuth field empty at start: only the toggle switches
    EXPECT_TRUE(window->longPath());
    EXPECT_TRUE(ui().EditAzimut->text().isEmpty());
    enter_dx(36, true, 138, true);
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("214.5"));
    EXPECT_TRUE(ui().SpeedButtonLP->isChecked());
    ui().SpeedButtonLP->click();
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("34.5"));
    EXPECT_FALSE(ui().SpeedButtonLP->isChecked());
}

TEST_F(BearingViewTest, MilesAndBackShowTheSameKilometres) {
    enter_dx(38, true, 97, false);
    const QString km = ui().EditDistance->text();
    const double distance = window->state().Distance;
    ui().MenuMile->trigger();
    EXPECT_EQ(ui().LabelDistance->text(), QStringLiteral("QRB = (mile)"));
    EXPECT_NEAR(ui().EditDistance->text().toDouble(), distance / 1.609, 0.051);
    ui().MenuMile->trigger(); // already checked: nothing changes
    EXPECT_NEAR(ui().EditDistance->text().toDouble(), distance / 1.609, 0.051);
    ui().MenuKm->trigger();
    EXPECT_EQ(ui().LabelDistance->text(), QStringLiteral("QRB = (km)"));
    EXPECT_EQ(ui().EditDistance->text(), km);
    EXPECT_TRUE(ui().MenuKm->isChecked());
    EXPECT_FALSE(ui().MenuMile->isChecked());
}

TEST_F(BearingViewTest, NoLocalStationLeavesTheDisplayUntouched) {
    erase(window->formInit()->EditLocalLocator);
    ASSERT_TRUE(window->state().LocalLocator.isEmpty());
    enter_dx(36, true, 138, true);
    EXPECT_FALSE(ui().EditDXLocator->text().isEmpty());
    EXPECT_TRUE(ui().EditAzimut->text().isEmpty());
}

TEST_F(BearingViewTest, NearlyCoincidentAndAntipodalStationsShowNumbers) {
    // The next subsquare east, and the antipode of the local station.
    enter_dx(48.854166666666664, true, 2.4583333333333335, true);
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("90.0"));
    enter_dx(48.854166666666664, false, 177.625, false);
    const QString az = ui().EditAzimut->text();
    EXPECT_FALSE(az.contains(QStringLiteral("nan"), Qt::CaseInsensitive));
    const double value = az.toDouble();
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 360);
    EXPECT_EQ(ui().EditDistance->text(), QStringLiteral("20001.6"));
}

// How many pixels of the dial show exactly `colour`.
int pixels_of(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour ? 1 : 0;
    return n;
}

// The requested azimuth's red needle stays in view when the antenna's heading lies on it,
// whichever way it points, and the heading's blue needle shows beside it.
TEST_F(BearingViewTest, DialShowsTheRequestUnderTheHeading) {
    const QColor red(255, 0, 0), blue(0, 0, 200);
    window->state().ShowHeading = true;
    for (const int azimuth : {0, 45, 123, 200, 270, 359}) {
        SCOPED_TRACE(azimuth);
        window->controller().headingExpired();
        ui().UpDownAzimut->choose(azimuth);
        const int alone = pixels_of(ui().Image1->pixmap().toImage(), red);
        ASSERT_GT(alone, 10);
        window->controller().headingReceived(azimuth);
        ui().UpDownAzimut->choose(azimuth);
        const QImage both = ui().Image1->pixmap().toImage();
        EXPECT_GE(pixels_of(both, red), alone * 2 / 3);
        EXPECT_GT(pixels_of(both, blue), 10);
    }
}

} // namespace
} // namespace kestrav::test
