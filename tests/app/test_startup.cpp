// Start-up without settings, the status lines, the dialog, and quitting.

#include "app/widgets.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>

namespace kestrav::test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, FirstRunShowsEmptyStateAndOpensTheDialog) {
    start();
    EXPECT_EQ(ui().LabelEtatLocal->text(), QStringLiteral(" Local = none"));
    EXPECT_EQ(ui().LabelEtatInterface->text(), QStringLiteral(" Interface = none"));
    EXPECT_TRUE(ui().EditAzimut->text().isEmpty());
    EXPECT_TRUE(ui().EditDistance->text().isEmpty());
    EXPECT_TRUE(window->formInit()->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kestrav  V0.6b"));
    // The hemisphere boxes start on N and W in both windows.
    EXPECT_TRUE(ui().CheckBoxLattitudeNordDX->isChecked());
    EXPECT_TRUE(ui().CheckBoxLongitudeOuestDX->isChecked());
    EXPECT_FALSE(ui().CheckBoxLongitudeEstDX->isChecked());
}

// Showing the window runs FormShow and FormActivate at once, whether or not a window
// manager ever activates it: nothing here waits for an event.
TEST_F(StartupTest, ShowingRunsStartUpWithoutWaitingForActivation) {
    const QByteArray settings = "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\n"
                                "LONGITUDE=E2.375\r\nANT=GS232\r\nPORT_GS232=2\r\n"
                                "BAUD_GS232=4800\r\n";
    QFile file(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    file.close();
    MainWindowContext context;
    context.desktop = &desktop;
    context.exe_directory = context.app_directory = dir.path() + u'/';
    context.settings_file_exists = true;
    window = std::make_unique<TForm1>(context);
    window->show();
    EXPECT_EQ(ui().LabelEtatInterface->text(), QStringLiteral(" Ant = GS232 / COM2 / 4800"));
    EXPECT_EQ(ui().LabelEtatLocal->text(), QStringLiteral(" Local = JN18EU / N48.854 / E2.375"));
    EXPECT_EQ(window->focusWidget(), ui().ComboBoxListDX);
    EXPECT_FALSE(window->formInit()->isVisible());
}

TEST_F(StartupTest, LocalStationTypedInTheDialogReachesTheStatusLine) {
    start();
    set_local(QStringLiteral("jn18eu"));
    TFormInit* init = window->formInit();
    EXPECT_EQ(init->EditLocalLocator->text(), QStringLiteral("JN18EU"));
    EXPECT_EQ(init->EditLocalLattitude->text(), QStringLiteral("48.854"));
    EXPECT_EQ(init->EditLocalLongitude->text(), QStringLiteral("2.375"));
    EXPECT_TRUE(init->CheckBoxLattitudeNord->isChecked());
    EXPECT_TRUE(init->CheckBoxLongitudeEst->isChecked());
    const StationState& s = window->state();
    EXPECT_NEAR(s.LocalLatitude, 48.8541667, 1e-6);
    EXPECT_NEAR(s.LocalLongitude, 2.375, 1e-9);
    EXPECT_TRUE(s.LocalNorth);
    EXPECT_TRUE(s.LocalEast);

    // The status line follows when the main window is activated again.
    focus(ui().EditDXLocator);
    EXPECT_EQ(ui().LabelEtatLocal->text(), QStringLiteral(" Local = JN18EU / N48.854 / E2.375"));
}

TEST_F(StartupTest, LocalCoordinatesInTheSouthWestGiveTheLocatorAndFlags) {
    start();
    TFormInit* init = window->formInit();
    focus(init->CheckBoxLattitudeSud);
    QTest::keyClick(init->CheckBoxLattitudeSud, Qt::Key_Space);
    type(init->EditLocalLattitude, QStringLiteral("45.5"));
    type(init->EditLocalLongitude, QStringLiteral("73.6"));
    EXPECT_EQ(init->EditLocalLocator->text(), QStringLiteral("FE34EM"));
    EXPECT_EQ(window->state().LocalLocator, QStringLiteral("FE34EM"));
    EXPECT_FALSE(window->state().LocalNorth);
    EXPECT_FALSE(window->state().LocalEast);

    // Emptying the local locator forgets the local station.
    erase(init->EditLocalLocator);
    EXPECT_TRUE(window->state().LocalLocator.isEmpty());
    EXPECT_TRUE(init->EditLocalLattitude->text().isEmpty());
}

TEST_F(StartupTest, StatusLineFollowsTheInterfaceAndParking) {
    start();
    StationState& s = window->state();
    struct Row {
        RotorInterface iface;
        int lpt, com;
        std::optional<RotorInterface> parking;
        const char* expected;
    };
    const Row rows[] = {
        {RotorInterface::PourSat, -1, -1, RotorInterface::PourSat, " Ant = PourSat / no LPT"},
        {RotorInterface::PourSat, 1, -1, RotorInterface::PourSat,
         " Ant = PourSat / LPT2 / Parking=180°"},
        {RotorInterface::FodTrack, -1, -1, std::nullopt, " Ant = FODTRack / no LPT"},
        {RotorInterface::FodTrack, 2, -1, std::nullopt, " Ant = FODTrack / LPT3"},
        {RotorInterface::Ea4tx, -1, -1, RotorInterface::Ea4tx,
         " Ant = EA4TX /ARSWIN / Parking=180°"},
        {RotorInterface::Gs232, -1, -1, RotorInterface::Gs232, " Ant = GS232 / no COM"},
        {RotorInterface::Gs232, 1, 1, RotorInterface::EasyComm, " Ant = GS232 / COM2 / 4800"},
        {RotorInterface::EasyComm, -1, 0, RotorInterface::EasyComm,
         " Ant = EasyComm / COM1 / 9600 / Parking=180°"},
    };
    s.Gs232BaudText = QStringLiteral("4800");
    s.EasyCommBaudText = QStringLiteral("9600");
    s.ParkingAzimuth = 180.5; // halves go to the even neighbour
    for (const Row& r : rows) {
        s.SelectedInterface = r.iface;
        s.PourSatLpt = s.FodTrackLpt = r.lpt;
        s.Gs232Com = r.lpt;
        s.EasyCommCom = r.com;
        s.ParkingInterface = r.parking;
        window->update_status_lines();
        EXPECT_EQ(ui().LabelEtatInterface->text(), QString::fromUtf8(r.expected)) << r.expected;
    }
}

// The activation steps run when the keyboard comes over from the dialog; a return from any
// other window (a message box, the help, another program) leaves the bearing as it stands.
TEST_F(StartupTest, OnlyAReturnFromTheDialogRunsTheActivationSteps) {
    start("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n");
    type(ui().EditDXLocator, QStringLiteral("FN31PR"));
    const QString bearing = ui().EditAzimut->text();
    const QString distance = ui().EditDistance->text();
    ASSERT_FALSE(bearing.isEmpty());
    QWidget other;
    other.show();
    const auto away_and_back = [&] {
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        focus(ui().ComboBoxListDX);
    };
    away_and_back();
    EXPECT_EQ(ui().EditAzimut->text(), bearing);
    EXPECT_EQ(ui().EditDistance->text(), distance);

    // An azimuth set by hand with the arrows, the DX station still shown.
    ui().UpDownAzimut->stepUp();
    const QString by_hand = ui().EditAzimut->text();
    ASSERT_NE(by_hand, bearing);
    away_and_back();
    EXPECT_EQ(ui().EditAzimut->text(), by_hand);

    window->MenuInitClick();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->formInit()));
    focus(ui().EditDXLocator);
    EXPECT_EQ(ui().EditAzimut->text(), bearing) << "recomputed on the return from the dialog";
}

} // namespace
} // namespace kestrav::test
