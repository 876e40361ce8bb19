// The program without a mouse: the rotator's command keys and their menu, the dialog's pages
// and buttons, the map's call field and DX marker, and a whole session typed on the keyboard
// against the rotator controller emulator.

#include "geodesy/number_text.h"
#include "map/map_view.h"
#include "rotor/rotor_protocol.h"
#include "setup/dialog_controls.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

namespace kestrav::test {
namespace {

const QByteArray kLocalStation = "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n";

// Keys a field or a list takes for itself, which no command may take from it.
bool typing_key(const QKeySequence& key) {
    const QKeyCombination k = key[0];
    const Qt::KeyboardModifiers mods = k.keyboardModifiers() & ~Qt::ShiftModifier;
    const bool printable = k.key() >= Qt::Key_Space && k.key() <= Qt::Key_AsciiTilde;
    if (printable && mods == Qt::NoModifier)
        return true;
    for (QKeySequence::StandardKey edit :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut,
          QKeySequence::Undo, QKeySequence::Redo})
        if (QKeySequence::keyBindings(edit).contains(key))
            return true;
    return false;
}

// The letter after "&" of each item, in order.
QString letters_of(const QList<QAction*>& items) {
    QString letters;
    for (const QAction* item : items) {
        const qsizetype at = item->text().indexOf(u'&');
        if (at >= 0 && at + 1 < item->text().size())
            letters += item->text().at(at + 1).toUpper();
    }
    return letters;
}

class KeyboardTest : public WindowTest {
protected:
    void press(const QKeySequence& key) {
        const QKeyCombination k = key[0];
        QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
    }

    // Tab until the keyboard is on `target`, at most `limit` times.
    static bool tab_to(const QWidget* target, int limit = 40) {
        for (int i = 0; i < limit && QApplication::focusWidget() != target; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget() == target;
    }

    static bool wait_active(QWidget* w) {
        return QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }, 5000);
    }
};

// Each key presses its button wherever the keyboard is, and the typing goes on unchanged.
TEST_F(KeyboardTest, CommandKeysPressTheButtonsAndLeaveTheFieldsAlone) {
    start(kLocalStation);
    window->formInit()->hide();
    type(ui().EditDXLocator, QStringLiteral("pm95"));
    const struct {
        QAction* item;
        QAbstractButton* button;
    } rows[] = {{ui().MenuGo, ui().ButtonTrack},
                {ui().MenuAuto, ui().SpeedButtonAuto},
                {ui().MenuStop, ui().BitBtnStop},
                {ui().MenuLongPath, ui().SpeedButtonLP}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item->objectName().toStdString());
        QSignalSpy clicks(row.button, &QAbstractButton::clicked);
        const bool was_down = row.button->isChecked();
        for (QWidget* at : {static_cast<QWidget*>(ui().EditDXLocator),
                            static_cast<QWidget*>(ui().ComboBoxListDX)}) {
            focus(at);
            press(row.item->shortcut());
            EXPECT_TRUE(at->hasFocus());
        }
        EXPECT_EQ(clicks.size(), 2);
        // A latching button is down after one press and up after the next, its item with it,
        // also when the button itself is clicked.
        if (row.button->isCheckable()) {
            press(row.item->shortcut());
            EXPECT_NE(row.button->isChecked(), was_down);
            EXPECT_EQ(row.item->isChecked(), row.button->isChecked());
            row.button->click();
            EXPECT_EQ(row.item->isChecked(), row.button->isChecked());
        }
    }
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("PM95"));
}

TEST_F(KeyboardTest, MenusKeepDistinctLettersAndKeysInBothLanguages) {
    start(kLocalStation);
    for (QAction* language : {ui().MenuFrancais, ui().MenuEnglish}) {
        language->trigger();
        SCOPED_TRACE(language->objectName().toStdString());
        QList<QList<QAction*>> menus{window->menuBar()->actions()};
        for (const QAction* top : window->menuBar()->actions())
            if (top->menu() != nullptr)
                menus.append(top->menu()->actions());
        for (const QList<QAction*>& items : menus) {
            const QString letters = letters_of(items);
            EXPECT_EQ(QSet<QChar>(letters.begin(), letters.end()).size(), letters.size())
                << letters.toStdString();
        }
        // One line of menus, as the window's fixed size was drawn for.
        QSet<int> rows;
        for (QAction* top : window->menuBar()->actions())
            rows.insert(window->menuBar()->actionGeometry(top).top());
        EXPECT_EQ(rows.size(), 1);
    }
    QSet<QKeySequence> keys;
    for (const QAction* item : window->findChildren<QAction*>()) {
        if (item->shortcut().isEmpty())
            continue;
        SCOPED_TRACE(item->objectName().toStdString());
        EXPECT_FALSE(keys.contains(item->shortcut())) << item->shortcut().toString().toStdString();
        EXPECT_FALSE(typing_key(item->shortcut()));
        keys.insert(item->shortcut());
    }
    EXPECT_GE(keys.size(), 8);
}

TEST_F(KeyboardTest, DialogPagesTurnFromAnywhereAndTabReachesEveryTest) {
    start(kLocalStation);
    TFormInit* init = window->formInit();
    init->show();
    QTabWidget* pages = init->PageControlAntenne;
    const int n = pages->count();
    // Forward and back from outside the pages, wrapping around.
    const std::pair<QKeySequence, int> turns[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    focus(init->EditLocalLocator);
    for (const auto& [key, by] : turns) {
        for (int i = 0; i <= n; ++i) {
            const int before = pages->currentIndex();
            press(key);
            ASSERT_EQ(pages->currentIndex(), (before + by + n) % n) << key.toString().toStdString();
        }
    }
    // Tab comes to each page's test button; Ctrl+PgDn turns the page even from a spin box,
    // which takes PgDn for itself.
    const QPushButton* tests[] = {init->BitBtnTestHNV, init->BitBtntestFOD,  init->BitBtnTestEA,
                                  init->BitBtnTestGS,  init->BitBtnTestEasy, init->BitBtnTestNet};
    for (int page = 0; page < n; ++page) {
        const int shown = pages->currentIndex();
        ASSERT_TRUE(tab_to(tests[shown])) << shown;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        auto* azimuth = qobject_cast<QSpinBox*>(QApplication::focusWidget());
        ASSERT_NE(azimuth, nullptr) << shown;
        const int value = azimuth->value();
        press(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
        EXPECT_EQ(azimuth->value(), value);
        EXPECT_EQ(pages->currentIndex(), (shown + 1) % n);
    }
    // The Network tab begins with rotctld's host, at its top.
    pages->setCurrentWidget(init->TabSheetNetwork);
    focus(pages->tabBar());
    QTest::keyClick(pages->tabBar(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), init->EditNetHost);
    // Escape closes the dialog as its close box does.
    focus(init->EditLocalLocator);
    press(QKeySequence(Qt::Key_Escape));
    EXPECT_FALSE(init->isVisible());
}

class KeyboardSession : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(emulator, dir.path(), log));
        start(kLocalStation);
        window->state().Gs232Com = -1; // no port: COM1 is chosen in the dialog
        window->state().EasyCommCom = -1;
    }
    void TearDown() override {
        KeyboardTest::TearDown();
        emulator.terminate();
        emulator.waitForFinished(5000);
    }

    // What GO sends for the azimuth shown, on the GS-232 controller's scale.
    QByteArray turn_command() const {
        StationState& s = window->state();
        return gs232_turn_command(static_cast<int>(round_half_even(
            map_stop_side(s.RequestedAzimuth, s.stop_side(RotorInterface::Gs232)))));
    }

    // Arrow keys within a radio group until the keyboard is on item `index`, then Space.
    static void choose(RadioGroup* group, int index) {
        for (int i = 0; i < 40 && QApplication::focusWidget()->parentWidget() != group; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        for (int i = 0; i < group->count() && !group->button(index)->hasFocus(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }

    ChildProcess emulator;
    QString log;
};

TEST_F(KeyboardSession, InterfaceCountryGoStopAutoAndTheMap) {
    // The dialog from its menu letter: the GS232 interface, then its COM1.
    focus(ui().ComboBoxListDX);
    press(QKeySequence(Qt::ALT | Qt::Key_I));
    TFormInit* init = window->formInit();
    ASSERT_TRUE(wait_active(init));
    choose(init->RadioGroupRotor, static_cast<int>(RotorInterface::Gs232));
    ASSERT_EQ(window->state().SelectedInterface, RotorInterface::Gs232);
    EXPECT_EQ(init->PageControlAntenne->currentWidget(), init->TabSheetGS232);
    choose(init->RadioGroupPortGS, 0);
    ASSERT_EQ(window->state().Gs232Com, 0); // COM1
    press(QKeySequence(Qt::Key_Escape));
    ASSERT_FALSE(init->isVisible());

    // A country typed into the prefix list, GO and STOP.
    window->activateWindow();
    ASSERT_TRUE(wait_active(window.get()));
    ASSERT_TRUE(tab_to(ui().ComboBoxListDX));
    QTest::keyClicks(ui().ComboBoxListDX, QStringLiteral("PY"));
    ASSERT_TRUE(ui().ComboBoxListDX->currentText().startsWith(QStringLiteral("PY\tBrasil")));
    QByteArray expected = turn_command();
    press(ui().MenuGo->shortcut());
    expected += gs232_stop_command();
    press(ui().MenuStop->shortcut());
    EXPECT_EQ(received_at_least(log, expected.size()), expected);

    // AUTO down: a call entered in the map's field turns the antenna to its country.
    press(ui().MenuAuto->shortcut());
    ASSERT_TRUE(ui().SpeedButtonAuto->isChecked());
    // The map shown with F3 leaves the keyboard in the main window (made active again here,
    // as the offscreen platform activates every window it shows); Shift+F3 takes it there.
    press(ui().MenuMap->shortcut());
    MapWindow* map = ui().FormMap;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(map));
    map->resize(560, 560); // as on a screen with room beside the main window
    (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == map; }, 500);
    window->activateWindow();
    ASSERT_TRUE(wait_active(window.get()));
    press(ui().MenuMapCall->shortcut());
    ASSERT_TRUE(wait_active(map));
    ASSERT_TRUE(map->callField()->hasFocus());
    QTest::keyClicks(map->callField(), QStringLiteral("ja1xyz"));
    QTest::keyClick(map->callField(), Qt::Key_Return);
    ASSERT_TRUE(window->state().DxLabel.startsWith(QStringLiteral("JA1XYZ  ")));
    expected += turn_command();
    EXPECT_EQ(received_at_least(log, expected.size()), expected);

    // Tab to the map itself: the marker starts on the DX station, moves with the arrows, and
    // Enter makes its place the DX station.
    QTest::keyClick(map->callField(), Qt::Key_Tab);
    MapView* view = map->view();
    ASSERT_TRUE(view->hasFocus());
    const QPointF dx = view->toWidget(view->scene().dx);
    ASSERT_LT(QLineF(*view->marker(), dx).length(), 1.0);
    // A screen reader reads where the marker stands: the readout, as the map's description.
    const auto told = [view] {
        return QAccessible::queryAccessibleInterface(view)->text(QAccessible::Description);
    };
    const QString at_dx = told();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Left);
    ASSERT_GT(QLineF(*view->marker(), dx).length(), 20.0);
    EXPECT_TRUE(told() != at_dx && told().contains(QStringLiteral("\u00b0 ")) &&
                told().endsWith(QStringLiteral(" km")))
        << at_dx.toStdString() << " / " << told().toStdString();
    const GeoPoint chosen = *view->toGeo(*view->marker());
    QTest::keyClick(view, Qt::Key_Return);
    const StationState& s = window->state();
    EXPECT_NEAR(ui().CheckBoxLattitudeNordDX->isChecked() ? s.DxLatitude : -s.DxLatitude,
                chosen.latitude, 0.001);
    EXPECT_NEAR(ui().CheckBoxLongitudeEstDX->isChecked() ? s.DxLongitude : -s.DxLongitude,
                chosen.longitude, 0.001);
    expected += turn_command();
    EXPECT_EQ(received_at_least(log, expected.size()), expected);

    // The Menu key opens the map's own menu; its first item hides day and night.
    QTimer::singleShot(0, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
            if (QApplication::activePopupWidget() == menu)
                menu->close(); // never left open to hold the test
        }
    });
    QTest::keyClick(view, Qt::Key_Menu);
    EXPECT_FALSE(view->shadingShown());

    // Escape gives the keyboard back to the main window.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(wait_active(window.get()));
    EXPECT_EQ(desktop.beeps, 0);
}

} // namespace
} // namespace kestrav::test
