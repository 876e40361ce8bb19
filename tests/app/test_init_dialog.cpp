// The initialisation dialog driven offscreen with the real main window: COM ports on
// pseudo-terminals, LPT ports on the recording parallel port library.

#include "rotor/comm_port_driver.h"
#include "rotor/serial_device_termios2.h"
#include "setup/dialog_controls.h"
#include "setup/languages.h"
#include "setup/window_placement.h"
#include "support/pty_port.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include <cerrno>
#include <cstring>

namespace kestrav::test {
namespace {

class DialogTest : public WindowTest {
protected:
    TFormInit* init() const { return window->formInit(); }
    StationState& state() const { return window->state(); }

    // The operator clicks an item of a group on its tab.
    void click(RadioGroup* group, int item) {
        show_page_of(group);
        QRadioButton* b = group->button(item);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    void click(QAbstractButton* button) {
        show_page_of(button);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
    void show_page_of(QWidget* w) {
        QTabWidget* tabs = init()->PageControlAntenne;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(w))
                tabs->setCurrentIndex(i);
    }
    // A first start; the operator enters the local station and chooses GS232 on COM1, a
    // pseudo-terminal.
    void start_with_gs232_on_com1() {
        com1 = std::make_unique<PtyPort>(dir.path(), QStringLiteral("COM1"));
        ASSERT_TRUE(com1->ok());
        start();
        set_local(QStringLiteral("JN18EU"));
        click(init()->RadioGroupRotor, 3);
        click(init()->RadioGroupPortGS, 0);
        ASSERT_EQ(state().Gs232Com, 0);
    }
    void set_test_azimuth(QSpinBox* box, const QString& value) {
        focus(box);
        box->selectAll();
        QTest::keyClicks(box, value);
        ASSERT_EQ(box->value(), value.toInt());
    }

    std::unique_ptr<PtyPort> com1;
};

TEST_F(DialogTest, StoredComPortsAreProbedAtTheFirstShowingOnly) {
    com1 = std::make_unique<PtyPort>(dir.path(), QStringLiteral("COM1"));
    ASSERT_TRUE(com1->ok());
    ASSERT_TRUE(
        link_port(dir.path(), QStringLiteral("COM2"), dir.filePath(QStringLiteral("gone"))));
    TCommPortDriver other; // another program holds COM1
    other.setPortDirectory(dir.path());
    other.setComPort(pnCOM1);
    ASSERT_TRUE(other.OpenPort());

    start("PORT_GS232=1\r\nPORT_EASYCOMM=2\r\n"); // no local station: the dialog opens
    ASSERT_TRUE(init()->isVisible());
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(init()->RadioGroupPortGS->itemIndex(), -1);
    EXPECT_EQ(init()->RadioGroupPortEasy->itemIndex(), -1);
    EXPECT_EQ(state().Gs232Com, -1);
    EXPECT_EQ(state().EasyCommCom, -1);

    // Free again, COM1 is chosen; the probe does not keep it.
    other.ClosePort();
    click(init()->RadioGroupPortGS, 0);
    EXPECT_EQ(state().Gs232Com, 0);
    EXPECT_TRUE(port_lock_free(dir.filePath(QStringLiteral("ports/COM1"))));

    // Shown again with the same choices: nothing is probed, so a port busy meanwhile keeps
    // its choice and nothing beeps.
    ASSERT_TRUE(other.OpenPort());
    init()->close();
    window->MenuInitClick();
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(init()->RadioGroupPortGS->itemIndex(), 0);
    EXPECT_EQ(state().Gs232Com, 0);
}

TEST_F(DialogTest, ComItemsNameTheirDeviceAndWhyTheyWereRefused) {
    com1 = std::make_unique<PtyPort>(dir.path(), QStringLiteral("COM1"));
    ASSERT_TRUE(com1->ok());
    const QString gone = dir.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM2"), gone));
    start();
    RadioGroup* group = init()->RadioGroupPortEasy;
    const QString link1 = dir.filePath(QStringLiteral("ports/COM1"));
    const QString link2 = dir.filePath(QStringLiteral("ports/COM2"));
    const QString com1_device =
        QStringLiteral("COM1 = %1 (through %2)").arg(QFileInfo(link1).symLinkTarget(), link1);
    const QString com2_device = QStringLiteral("COM2 = %1 (through %2)").arg(gone, link2);
    EXPECT_EQ(group->button(0)->toolTip(), com1_device);
    EXPECT_EQ(group->button(1)->toolTip(), com2_device);
    EXPECT_EQ(group->button(2)->toolTip(), QStringLiteral("COM3 = /dev/ttyS2"));

    // Refused with the beep as before; the item now also says why.
    const int beeps = desktop.beeps;
    click(group, 1);
    EXPECT_EQ(desktop.beeps, beeps + 1);
    EXPECT_EQ(group->itemIndex(), -1);
    const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
    EXPECT_EQ(group->button(1)->toolTip(),
              com2_device + QStringLiteral("\n%1: %2").arg(link2, missing));

    // Held by another program.
    TCommPortDriver other;
    other.setPortDirectory(dir.path());
    other.setComPort(pnCOM1);
    ASSERT_TRUE(other.OpenPort());
    click(group, 0);
    EXPECT_EQ(group->button(0)->toolTip(),
              com1_device + QStringLiteral("\n%1: in use by another program").arg(link1));
    EXPECT_EQ(group->button(1)->toolTip(), com2_device) << "only the last refusal is told";

    // A link made while the dialog is open shows at the next tooltip; a port that opens
    // leaves no reason behind.
    other.ClosePort();
    ASSERT_TRUE(QFile::remove(link2));
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM2"), QFileInfo(link1).symLinkTarget()));
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), group->button(1)->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(group->button(1), &hover);
    EXPECT_EQ(
        group->button(1)->toolTip(),
        QStringLiteral("COM2 = %1 (through %2)").arg(QFileInfo(link1).symLinkTarget(), link2));
    click(group, 0);
    EXPECT_EQ(group->itemIndex(), 0);
    EXPECT_EQ(group->button(0)->toolTip(), com1_device);
}

TEST_F(DialogTest, LptItemsRefusedPortTestAndClose) {
    lpt.addresses = {0x378, 0x278, 0};
    start("LPT_POURSAT=3\r\nLPT_FODTRACK=2\r\n");
    EXPECT_EQ(desktop.beeps, 1); // LPT3 has no address
    EXPECT_EQ(state().PourSatLpt, -1);
    EXPECT_EQ(init()->RadioGroupHNVLPT->itemIndex(), -1);
    EXPECT_EQ(state().FodTrackLpt, 1);
    for (RadioGroup* group : {init()->RadioGroupHNVLPT, init()->RadioGroupFODLPT}) {
        EXPECT_EQ(group->itemText(0), QStringLiteral("LPT1 [378h]"));
        EXPECT_EQ(group->itemText(1), QStringLiteral("LPT2 [278h]"));
        EXPECT_EQ(group->itemText(2), QStringLiteral("LPT3 [000h]"));
    }

    click(init()->RadioGroupRotor, 0); // PourSat
    click(init()->RadioGroupHNVLPT, 0);
    EXPECT_EQ(state().PourSatLpt, 0);
    click(init()->BitBtnTestHNV); // access to the port is opened, then the byte goes out
    ASSERT_EQ(lpt.enables.size(), 1u);
    EXPECT_EQ(lpt.enables[0].first, 0x378);
    EXPECT_EQ(lpt.writes.size(), 8u);
    click(init()->BitBtntestFOD); // not the interface in use
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(lpt.writes.size(), 8u);

    init()->close(); // access closed for the port of each LPT tab
    ASSERT_EQ(lpt.disables.size(), 2u);
    EXPECT_EQ(lpt.disables[0].first, 0x378);
    EXPECT_EQ(lpt.disables[1].first, 0x278);
}

TEST_F(DialogTest, CalibrationAndZeroEditsUnderBothSeparators) {
    struct Row {
        char separator;
        const char* factor;          // 0.51389012345 shown with 7 significant digits
        const char* other_separator; // typed after 12: not a number here
    };
    for (const Row& r : {Row{'.', "0.5138901", ",5"}, Row{',', "0,5138901", ".5"}}) {
        window.reset();
        set_decimal_separator(QLatin1Char(r.separator));
        desktop.beeps = 0;
        start("CALAZ_POURSAT=0.51389012345\r\nZERO_FODTRACK=100\r\n");
        EXPECT_EQ(init()->EditHNVCalAz->text(), QLatin1String(r.factor));
        EXPECT_DOUBLE_EQ(state().PourSatCalAz, 0.5138901);
        // The stored zero of 100 is shown, refused with a beep and emptied.
        EXPECT_EQ(desktop.beeps, 1);
        EXPECT_TRUE(init()->EditFODZero->text().isEmpty());

        erase(init()->EditHNVZero);
        type(init()->EditHNVZero, QStringLiteral("12"));
        EXPECT_EQ(state().PourSatZero, 12);
        QTest::keyClicks(init()->EditHNVZero, QLatin1String(r.other_separator));
        EXPECT_EQ(state().PourSatZero, 0) << r.separator; // 0, silently
        EXPECT_EQ(desktop.beeps, 1);

        erase(init()->EditHNVZero);
        type(init()->EditHNVZero, QStringLiteral("-9"));
        EXPECT_EQ(state().PourSatZero, -9);
        QTest::keyClick(init()->EditHNVZero, Qt::Key_5); // -95: beep, 0, emptied
        EXPECT_EQ(desktop.beeps, 2);
        EXPECT_EQ(state().PourSatZero, 0);
        EXPECT_TRUE(init()->EditHNVZero->text().isEmpty());

        erase(init()->EditFODCalAz); // a factor that is not a number is 0, silently
        type(init()->EditFODCalAz, QStringLiteral("x"));
        EXPECT_EQ(state().FodTrackCalAz, 0);
        EXPECT_EQ(desktop.beeps, 2);
    }
}

TEST_F(DialogTest, TestsAndParkingOnlyOnTheChosenInterface) {
    start_with_gs232_on_com1();
    EXPECT_EQ(init()->PageControlAntenne->currentWidget(), init()->TabSheetGS232);
    // The main window's status line follows the interface at once.
    EXPECT_EQ(ui().LabelEtatInterface->text(), QStringLiteral(" Ant = GS232 / no COM"));

    click(init()->BitBtnTestEA);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_TRUE(window_messages.posts.empty());
    click(init()->CheckBoxParkFOD);
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_FALSE(init()->CheckBoxParkFOD->isChecked());
    EXPECT_FALSE(state().ParkingInterface);

    // Two tests with the same azimuth are both sent, whatever the minimum step.
    set_test_azimuth(init()->SpinEditAzTestGS, QStringLiteral("90"));
    click(init()->BitBtnTestGS);
    click(init()->BitBtnTestGS);
    EXPECT_EQ(com1->read(), QByteArray("W090\rW090\r"));

    // Beyond the dial the test is refused, and a new bearing afterwards is not sent.
    set_test_azimuth(init()->SpinEditAzTestGS, QStringLiteral("400"));
    click(init()->BitBtnTestGS);
    EXPECT_EQ(desktop.beeps, 3);
    focus(ui().ComboBoxListDX);
    QTest::keyClicks(ui().ComboBoxListDX, QStringLiteral("F")); // a country from the list
    EXPECT_NE(ui().EditAzimut->text(), QStringLiteral("400"));
    EXPECT_FALSE(ui().EditAzimut->text().isEmpty());
    EXPECT_EQ(com1->read(200), QByteArray());

    // Parking: ticked sets it, unticked ends it; one box at most is ticked.
    click(init()->CheckBoxParkGS);
    EXPECT_EQ(state().ParkingInterface, RotorInterface::Gs232);
    EXPECT_EQ(state().ParkingAzimuth, 400);
    click(init()->CheckBoxParkGS);
    EXPECT_FALSE(state().ParkingInterface);
    click(init()->RadioGroupRotor, 2); // EA4TX
    click(init()->CheckBoxParkEA);
    click(init()->RadioGroupRotor, 3);
    click(init()->CheckBoxParkGS);
    EXPECT_FALSE(init()->CheckBoxParkEA->isChecked());
    click(init()->CheckBoxParkGS);
    init()->close();
    EXPECT_FALSE(state().ParkingInterface);
    EXPECT_EQ(desktop.beeps, 3);
}

// A first start, no rate ever chosen: both serial interfaces run at the driver's own 9600,
// which the dialog's lists and the status line show, and the settings rows stay empty.
TEST_F(DialogTest, NoRateChosenRunsAtTheDriversOwnAndLeavesTheRowsEmpty) {
    PtyPair gs232, easycomm;
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM1"), gs232.slaveName));
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM2"), easycomm.slaveName));
    start();
    set_local(QStringLiteral("JN18EU"));
    click(init()->RadioGroupPortGS, 0);
    click(init()->RadioGroupPortEasy, 1);
    const struct {
        int item;
        PtyPair* line;
        const char* status;
    } rows[] = {{3, &gs232, " Ant = GS232 / COM1 / 9600"},
                {4, &easycomm, " Ant = EasyComm / COM2 / 9600"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.status);
        if (!init()->isVisible())
            window->MenuInitClick();
        click(init()->RadioGroupRotor, r.item);
        EXPECT_EQ(init()->ComboBoxBaudGS->currentText(), QStringLiteral("9600"));
        EXPECT_EQ(init()->ComboBoxBaudEasy->currentText(), QStringLiteral("9600"));
        init()->close();
        focus(ui().EditAzimut);
        EXPECT_EQ(ui().LabelEtatInterface->text(), QString::fromLatin1(r.status));
        ui().EditAzimut->selectAll();
        QTest::keyClicks(ui().EditAzimut, QStringLiteral("90"));
        ui().ButtonTrack->click();
        EXPECT_FALSE(r.line->readMaster(1).isEmpty()) << "the command went out";
        EXPECT_EQ(serial_output_bit_rate(r.line->slave), 9600);
    }
    EXPECT_TRUE(state().Gs232BaudText.isEmpty() && state().EasyCommBaudText.isEmpty());
    window->close();
    QFile file(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray settings = file.readAll();
    EXPECT_TRUE(settings.contains("\r\nBAUD_GS232=\r\n"));
    EXPECT_TRUE(settings.contains("\r\nBAUD_EASYCOMM=\r\n"));
    EXPECT_EQ(desktop.beeps, 0);
}

// The operator sets up GS232 in the dialog, tests, closes, turns the antenna from the main
// window and quits with parking; a second start shows the same choices.
TEST_F(DialogTest, WholeSessionThroughBothWindows) {
    start_with_gs232_on_com1();
    // The list shows 9600, the rate the port runs at until one is chosen; 4800 is chosen.
    focus(init()->ComboBoxBaudGS);
    QTest::keyClicks(init()->ComboBoxBaudGS, QStringLiteral("4"));
    EXPECT_EQ(state().Gs232BaudText, QStringLiteral("4800"));
    EXPECT_EQ(state().Gs232BaudIndex, br4800);
    set_test_azimuth(init()->SpinEditAzTestGS, QStringLiteral("90"));
    click(init()->BitBtnTestGS);
    EXPECT_EQ(com1->read(), QByteArray("W090\r"));
    EXPECT_FALSE(ui().CommPortDriverGS->IsOpen());
    click(init()->CheckBoxParkGS);
    init()->close();

    focus(ui().EditAzimut); // activating the main window takes the port and speed over
    EXPECT_EQ(ui().CommPortDriverGS->ComPortSpeed(), br4800);
    EXPECT_EQ(ui().LabelEtatInterface->text(),
              QStringLiteral(" Ant = GS232 / COM1 / 4800 / Parking=90°"));
    ui().EditAzimut->selectAll();
    QTest::keyClicks(ui().EditAzimut, QStringLiteral("180"));
    ui().ButtonTrack->click();
    EXPECT_EQ(com1->read(), QByteArray("W180\r"));
    window->close();
    EXPECT_EQ(com1->read(), QByteArray("S\rW090\r"));
    EXPECT_EQ(desktop.beeps, 0);

    QFile file(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray settings = file.readAll();
    file.close();
    for (const char* line : {"QRA_LOCATOR=JN18EU\r\n", "ANT=GS232\r\n", "PORT_GS232=1\r\n",
                             "BAUD_GS232=4800\r\n", "AZIMUT_PARKING=90\r\n", "PARKING=GS232\r\n"})
        EXPECT_TRUE(settings.contains(line)) << line;

    window.reset();
    ASSERT_TRUE(file.remove());
    start(settings);
    EXPECT_FALSE(init()->isVisible()); // the local station is known
    window->MenuInitClick();
    focus(init()->EditLocalLocator);
    EXPECT_EQ(init()->EditLocalLocator->text(), QStringLiteral("JN18EU"));
    EXPECT_EQ(init()->RadioGroupRotor->itemIndex(), 3);
    EXPECT_EQ(init()->PageControlAntenne->currentWidget(), init()->TabSheetGS232);
    EXPECT_EQ(init()->RadioGroupPortGS->itemIndex(), 0);
    EXPECT_EQ(init()->ComboBoxBaudGS->currentText(), QStringLiteral("4800"));
    EXPECT_EQ(init()->SpinEditAzTestGS->value(), 90);
    EXPECT_TRUE(init()->CheckBoxParkGS->isChecked());
    EXPECT_EQ(desktop.beeps, 0);
}

// Each control sits on its tab or in its group, inside its parent, over no sibling, with
// room for its caption; the dialog has its design size at a scale of 1.
TEST_F(DialogTest, LayoutAtAScaleOfOne) {
    start();
    focus(init()->EditLocalLocator);
    EXPECT_EQ(init()->size(), QSize(420, 329));
    EXPECT_EQ(init()->windowTitle(), QStringLiteral("Kestrav - Initialisation"));

    QTabWidget* tabs = init()->PageControlAntenne;
    QStringList captions, items;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
        items << init()->RadioGroupRotor->itemText(i);
    }
    EXPECT_EQ(captions.join(u' '),
              QStringLiteral("PourSat FODTrack EA4TX GS-232 EasyComm Network"));
    EXPECT_EQ(items.join(u' '), QStringLiteral("PourSat FODTrack EA4TX GS232 EasyComm Network"));
    EXPECT_LE(tabs->tabBar()->tabRect(tabs->count() - 1).right(), tabs->tabBar()->width());

    const QRect local = init()->GroupBoxLocal->geometry();
    const QRect rotor = init()->RadioGroupRotor->geometry();
    EXPECT_GE(rotor.top(), local.bottom());
    EXPECT_GE(tabs->geometry().top(), local.bottom());
    EXPECT_GE(tabs->geometry().left(), rotor.right());

    // control:parent, a tab page named by its caption
    const QString parents = QStringLiteral(
        "RadioGroupHNVLPT:PourSat RadioGroupHNVButee:PourSat SpinEditStepPourSat:PourSat "
        "GroupBoxHNVCal:PourSat EditHNVCalAz:GroupBoxHNVCal EditHNVZero:GroupBoxHNVCal "
        "SpinEditAzTestHNV:GroupBoxTestHNV BitBtnTestHNV:GroupBoxTestHNV "
        "CheckBoxParkHNV:GroupBoxTestHNV RadioGroupFODLPT:FODTrack EditFODCalAz:GroupBoxFODCal "
        "BitBtntestFOD:GroupBoxTestFOD RadioGroupEAbutee:EA4TX StaticTextEA4TX:EA4TX "
        "SpinEditStepEA:EA4TX CheckBoxParkEA:GroupBoxTestEA RadioGroupPortGS:GS-232 "
        "ComboBoxBaudGS:GS-232 LabelBaudGS:GS-232 SpinEditAzTestGS:GroupBoxTestGS "
        "RadioGroupPortEasy:EasyComm ComboBoxBaudEasy:EasyComm SpinEditStepEasy:EasyComm "
        "BitBtnTestEasy:GroupBoxTestEasy");
    for (const QString& row : parents.split(u' ')) {
        const QStringList pair = row.split(u':');
        auto* w = init()->findChild<QWidget*>(pair[0]);
        ASSERT_NE(w, nullptr) << qPrintable(row);
        const int page = captions.indexOf(pair[1]);
        EXPECT_EQ(w->parentWidget(),
                  page >= 0 ? tabs->widget(page) : init()->findChild<QWidget*>(pair[1]))
            << qPrintable(row);
    }

    // Every visible control of the dialog: inside its parent, over no sibling, its caption
    // whole. Qt's own parts are left out, and so is the local station's group, laid out as
    // it was before.
    const auto ours = [this](QWidget* w) {
        return w->isVisible() && !w->objectName().isEmpty() &&
               !w->objectName().startsWith(QLatin1String("qt_")) &&
               !qobject_cast<QTabBar*>(w->parentWidget()) &&
               !init()->GroupBoxLocal->isAncestorOf(w);
    };
    for (int page = 0; page < 5; ++page) {
        tabs->setCurrentIndex(page);
        const QList<QWidget*> all = init()->findChildren<QWidget*>();
        for (QWidget* w : all) {
            if (!ours(w))
                continue;
            const QString name = w->objectName();
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << qPrintable(name);
            for (QWidget* s : all) {
                if (s != w && s->parentWidget() == w->parentWidget() && ours(s)) {
                    EXPECT_FALSE(w->geometry().intersects(s->geometry()))
                        << qPrintable(name) << " over " << qPrintable(s->objectName());
                }
            }
            if (auto* b = qobject_cast<QPushButton*>(w)) {
                EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width());
            } else if (auto* c = qobject_cast<QAbstractButton*>(w)) {
                EXPECT_LE(c->sizeHint().width(), c->width()) << qPrintable(name);
            }
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) {
                EXPECT_LE(l->sizeHint().width(), l->width()) << qPrintable(name);
            }
            if (auto* g = qobject_cast<QGroupBox*>(w)) {
                EXPECT_LE(g->minimumSizeHint().width(), g->width()) << qPrintable(name);
            }
        }
    }
}

TEST_F(DialogTest, TabLeadsThroughTheVisibleTab) {
    start();
    click(init()->RadioGroupRotor, 1); // FODTrack
    const QStringList order =
        QStringLiteral(
            "CheckBoxLattitudeNord EditLocalLattitude CheckBoxLattitudeSud CheckBoxLongitudeOuest "
            "EditLocalLongitude CheckBoxLongitudeEst RadioGroupRotor/item1 "
            "PageControlAntenne/qt_tabwidget_tabbar RadioGroupFODLPT/item0 "
            "RadioGroupFODButee/StopSideNorth "
            "SpinEditStepFODtrack EditFODCalAz EditFODZero SpinEditAzTestFOD BitBtntestFOD "
            "CheckBoxParkFOD EditLocalLocator")
            .split(u' ');
    focus(init()->EditLocalLocator);
    for (const QString& expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = QApplication::focusWidget();
        ASSERT_NE(f, nullptr);
        QString name = f->objectName();
        if (qobject_cast<RadioGroup*>(f->parentWidget()) ||
            qobject_cast<QTabWidget*>(f->parentWidget()))
            name = f->parentWidget()->objectName() + u'/' + name;
        EXPECT_EQ(name, expected);
    }
}

TEST_F(DialogTest, DialogOpensWhollyOnTheScreenBesideTheMainWindow) {
    struct Row {
        const char* name;
        QRect anchor;
        QSize size;
        QRect available;
        QPoint expected;
    };
    const QRect screen(0, 0, 1280, 1024);
    const Row rows[] = {
        {"room on the right", {100, 100, 500, 400}, {430, 360}, screen, {608, 100}},
        {"room on the left only", {800, 100, 470, 400}, {430, 360}, screen, {362, 100}},
        {"room below only", {300, 100, 700, 400}, {430, 360}, screen, {300, 508}},
        {"room above only", {300, 560, 700, 400}, {430, 360}, screen, {300, 192}},
        {"1024 x 768: the corner that covers least",
         {196, 100, 484, 380},
         {428, 358},
         {0, 0, 1024, 768},
         {596, 410}},
        {"main window low on the screen", {100, 900, 500, 400}, {430, 360}, screen, {608, 664}},
        {"main window partly off the left", {-200, 100, 500, 400}, {430, 360}, screen, {308, 100}},
        {"second screen", {1300, 50, 500, 400}, {430, 360}, {1280, 0, 1920, 1080}, {1808, 50}},
        {"larger than the screen", {100, 100, 500, 400}, {2000, 1200}, screen, {0, 0}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(place_beside(r.anchor, r.size, r.available), r.expected) << r.name;

    start();
    init()->hide();
    const QRect available = window->screen()->availableGeometry();
    window->move(available.right() - window->frameGeometry().width() + 1, available.top());
    window->MenuInitClick();
    EXPECT_TRUE(available.contains(init()->frameGeometry()));
}

// The network tab: showing it changes nothing stored; the operator's host, port, step and
// parking are kept and written, and its test GO goes to rotctld like any test.
TEST_F(DialogTest, NetworkTabSetsUpTheNetworkInterface) {
    start();
    ASSERT_TRUE(init()->isVisible());
    EXPECT_EQ(init()->EditNetHost->text(), QStringLiteral("localhost"));
    EXPECT_EQ(init()->SpinEditNetPort->value(), 4533);
    EXPECT_FALSE(state().NetworkConfigured) << "a showing alone sets nothing up";

    set_local(QStringLiteral("JN18EU"));
    click(init()->RadioGroupRotor, 5);
    EXPECT_EQ(state().SelectedInterface, RotorInterface::Network);
    EXPECT_EQ(init()->PageControlAntenne->currentWidget(), init()->TabSheetNetwork);
    focus(init()->EditNetHost);
    init()->EditNetHost->selectAll();
    QTest::keyClicks(init()->EditNetHost, QStringLiteral("127.0.0.1"));
    set_test_azimuth(init()->SpinEditNetPort, QStringLiteral("1"));
    set_test_azimuth(init()->SpinEditAzTestNet, QStringLiteral("90"));
    click(init()->CheckBoxParkNet);
    EXPECT_EQ(state().ParkingInterface, RotorInterface::Network);

    // Nobody listens on port 1: the test GO is refused after the fact.
    click(init()->BitBtnTestNet);
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.beeps == 1; }, 5000));
    EXPECT_TRUE(
        ui().LabelEtatInterface->text().startsWith(QStringLiteral(" Ant = Network / 127.0.0.1:1")));

    init()->close();
    window->close();
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray saved = ini.readAll();
    EXPECT_TRUE(saved.contains("ANT=NETWORK\r\n"));
    EXPECT_TRUE(saved.contains("PARKING=NETWORK\r\n"));
    EXPECT_TRUE(saved.contains("HOST_NETWORK=127.0.0.1\r\nPORT_NETWORK=1\r\n"));
}

// While Kestrav serves rotctld on 127.0.0.1:4533, the network tab refuses that address with a
// beep and a box, the field or the port keeping what it held; another computer, another port
// or the server off are taken.
TEST_F(DialogTest, NetworkTabRefusesTheOwnServer) {
    start();
    state().ServeRotctld = ServeSetting{true, QStringLiteral("127.0.0.1"), 4533};
    const QString box = language_texts(UiLanguage::English).own_server_network;
    focus(init()->EditNetHost);
    init()->EditNetHost->selectAll();
    QTest::keyClicks(init()->EditNetHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(init()->EditNetHost->text(), QStringLiteral("127.0.0."));
    EXPECT_EQ(state().NetworkHost, QStringLiteral("127.0.0."));
    EXPECT_EQ(desktop.beeps, 1);
    ASSERT_EQ(desktop.boxes.size(), 1U);
    EXPECT_EQ(desktop.boxes.back().text, box.arg(QStringLiteral("127.0.0.1")).arg(4533));

    init()->EditNetHost->selectAll();
    QTest::keyClicks(init()->EditNetHost, QStringLiteral("192.0.2.10"));
    EXPECT_EQ(state().NetworkHost, QStringLiteral("192.0.2.10")) << "another computer";
    set_test_azimuth(init()->SpinEditNetPort, QStringLiteral("4534"));
    init()->EditNetHost->selectAll();
    QTest::keyClicks(init()->EditNetHost, QStringLiteral("localhost"));
    EXPECT_EQ(state().NetworkHost, QStringLiteral("localhost")) << "another port";
    focus(init()->SpinEditNetPort);
    QTest::keyClick(init()->SpinEditNetPort, Qt::Key_Down);
    EXPECT_EQ(init()->SpinEditNetPort->value(), 4534);
    EXPECT_EQ(state().NetworkPort, 4534);
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(desktop.boxes.back().text, box.arg(QStringLiteral("localhost")).arg(4533));

    state().ServeRotctld.on = false;
    QTest::keyClick(init()->SpinEditNetPort, Qt::Key_Down);
    EXPECT_EQ(state().NetworkPort, 4533) << "the server off";
    EXPECT_EQ(desktop.beeps, 2);
}

// Each tab's "Min Delta°" and "Stop" set its own interface's entries and no other.
TEST_F(DialogTest, EachTabsStepAndStopSetItsOwnInterface) {
    start();
    const std::pair<QSpinBox*, RadioGroup*> tabs[kAllRotorInterfaceCount] = {
        {init()->SpinEditStepPourSat, init()->RadioGroupHNVButee},
        {init()->SpinEditStepFODtrack, init()->RadioGroupFODButee},
        {init()->SpinEditStepEA, init()->RadioGroupEAbutee},
        {init()->SpinEditStepGS, init()->RadioGroupGSbutee},
        {init()->SpinEditStepEasy, init()->RadioGroupEasyButee},
        {init()->SpinEditStepNet, init()->RadioGroupNetButee},
    };
    for (int changed = 0; changed < kAllRotorInterfaceCount; ++changed) {
        show_page_of(tabs[changed].first);
        focus(tabs[changed].first);
        QTest::keyClick(tabs[changed].first, Qt::Key_Up);
        click(tabs[changed].second, 1);
        for (int i = 0; i < kAllRotorInterfaceCount; ++i) {
            const auto which = static_cast<RotorInterface>(i);
            EXPECT_EQ(state().min_step(which), i <= changed ? 2 : 1) << changed << " " << i;
            EXPECT_EQ(state().stop_side(which), i <= changed ? StopSide::S : StopSide::N)
                << changed << " " << i;
        }
    }
}

// The range of the GS-232, EasyComm and network rotators; a serial rotator's south stop and
// 450 are refused together, whichever comes second, with a beep. rotctld's range goes with
// either stop.
TEST_F(DialogTest, RangeChoiceAndItsStopSide) {
    start();
    // As the operator's choice of an entry does: the entry, then activated.
    const auto choose = [this](QComboBox* box, int index) {
        show_page_of(box);
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    choose(init()->ComboBoxRangeGS, 1);
    EXPECT_EQ(state().Gs232Range, RangeChoice::Turn450);
    click(init()->RadioGroupGSbutee, 1);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(state().stop_side(RotorInterface::Gs232), StopSide::N);
    EXPECT_EQ(init()->RadioGroupGSbutee->itemIndex(), 0);

    click(init()->RadioGroupEasyButee, 1);
    choose(init()->ComboBoxRangeEasy, 1);
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(state().EasyCommRange, RangeChoice::Turn360);
    EXPECT_EQ(init()->ComboBoxRangeEasy->currentIndex(), 0);

    click(init()->RadioGroupNetButee, 1);
    choose(init()->ComboBoxRangeNet, 2);
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_EQ(state().NetworkRange, RangeChoice::Reported);
    EXPECT_TRUE(state().NetworkConfigured);
}

// A first start: the dialog takes the keyboard for the local locator, at a fixed size that
// offers no maximise; Alt+I with the dialog behind the main window brings it forward again.
TEST_F(DialogTest, ShowingTheDialogGivesItTheKeyboard) {
    start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(init()));
    EXPECT_TRUE(init()->EditLocalLocator->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("jn18eu"));
    EXPECT_EQ(state().LocalLocator, QStringLiteral("JN18EU"));
    EXPECT_TRUE(ui().EditDXLocator->text().isEmpty());

    EXPECT_EQ(init()->minimumSize(), init()->maximumSize());
    EXPECT_FALSE(init()->windowFlags() & Qt::WindowMaximizeButtonHint);

    focus(ui().EditDXLocator);
    QTest::keyClick(ui().EditDXLocator, Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitForWindowActive(init()));
}

// Enter on the focused test GO sends the test azimuth, as a click does.
TEST_F(DialogTest, EnterOnTheTestGoSendsTheTestAzimuth) {
    start_with_gs232_on_com1();
    set_test_azimuth(init()->SpinEditAzTestGS, QStringLiteral("45"));
    focus(init()->BitBtnTestGS);
    QTest::keyClick(init()->BitBtnTestGS, Qt::Key_Return);
    EXPECT_EQ(com1->read(), QByteArray("W045\r"));
}

// The interface changed while the dialog is open, then the program quits: no parking turn
// through the new interface, and no parking kept for an interface that is not in use.
TEST_F(DialogTest, QuittingAfterAnotherInterfaceWasChosenDoesNotPark) {
    start_with_gs232_on_com1();
    set_test_azimuth(init()->SpinEditAzTestGS, QStringLiteral("180"));
    click(init()->CheckBoxParkGS);
    ASSERT_EQ(state().ParkingInterface, RotorInterface::Gs232);
    init()->close();
    window->MenuInitClick();
    click(init()->RadioGroupRotor, 4); // EasyComm, on COM1 too
    click(init()->RadioGroupPortEasy, 0);
    window->close();
    EXPECT_EQ(com1->read(200), QByteArray()) << "nothing sent on quitting";
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray saved = ini.readAll();
    EXPECT_TRUE(saved.contains("ANT=EASYCOMM\r\n"));
    EXPECT_FALSE(saved.contains("PARKING=GS232")) << saved.constData();
}

} // namespace
} // namespace kestrav::test
