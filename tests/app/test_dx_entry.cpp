// Typing into the DX fields of the main window: locators, coordinates, hemispheres.

#include "support/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>

namespace kestrav::test {
namespace {

class DxEntryTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        set_local(QStringLiteral("JN18EU"));
    }
    QLineEdit* locator() { return ui().EditDXLocator; }
};

TEST_F(DxEntryTest, LowerCaseLocatorIsUpperCasedAndFillsTheCoordinates) {
    type(locator(), QStringLiteral("jn18eu"));
    EXPECT_EQ(locator()->text(), QStringLiteral("JN18EU"));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("48.854"));
    EXPECT_EQ(ui().EditDXLongitude->text(), QStringLiteral("2.375"));
    EXPECT_TRUE(ui().CheckBoxLattitudeNordDX->isChecked());
    EXPECT_FALSE(ui().CheckBoxLattitudeSudDX->isChecked());
    EXPECT_TRUE(ui().CheckBoxLongitudeEstDX->isChecked());
    EXPECT_FALSE(ui().CheckBoxLongitudeOuestDX->isChecked());
    // Same locator as the local station: no formulas, zero azimuth and distance.
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("0.0"));
    EXPECT_EQ(ui().EditDistance->text(), QStringLiteral("0.0"));
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(DxEntryTest, TypingInsideACompleteLocatorOverwrites) {
    type(locator(), QStringLiteral("JN18EU"));
    locator()->setCursorPosition(1);
    QTest::keyClicks(locator(), QStringLiteral("K"));
    EXPECT_EQ(locator()->text(), QStringLiteral("JK18EU"));
    EXPECT_EQ(locator()->cursorPosition(), 2);
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("18.854"));
    EXPECT_FALSE(ui().EditAzimut->text().isEmpty());
}

TEST_F(DxEntryTest, SeventhCharacterIsDroppedAndTheLocatorKept) {
    type(locator(), QStringLiteral("JM75GTA"));
    EXPECT_EQ(locator()->text(), QStringLiteral("JM75GT"));
    EXPECT_EQ(locator()->cursorPosition(), 6);
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("35.813"));
}

TEST_F(DxEntryTest, CharactersOutsideTheirClassAreRemovedWithoutBeep) {
    struct Row {
        const char* name;
        const char* typed;
        const char* expected;
    };
    const Row rows[] = {
        {"S as the first character", "S", ""},      {"Y as the fifth", "JN18Y", "JN18"},
        {"a letter as the third", "JNA", "JN"},     {"a digit as the first", "1", ""},
        {"X fits the subsquare", "JN18X", "JN18X"},
    };
    for (const Row& r : rows) {
        erase(locator());
        type(locator(), QString::fromLatin1(r.typed));
        EXPECT_EQ(locator()->text(), QString::fromLatin1(r.expected)) << r.name;
        EXPECT_EQ(locator()->cursorPosition(), locator()->text().size()) << r.name;
    }
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(DxEntryTest, RefusedCharacterInTheMiddleLeavesTheCaretWhereItWas) {
    type(locator(), QStringLiteral("JN18E"));
    locator()->setCursorPosition(2);
    QTest::keyClicks(locator(), QStringLiteral("Z"));
    EXPECT_EQ(locator()->text(), QStringLiteral("JN18E"));
    EXPECT_EQ(locator()->cursorPosition(), 2);
}

TEST_F(DxEntryTest, EmptyingTheLocatorEmptiesCoordinatesAndBearing) {
    type(locator(), QStringLiteral("FN31PR"));
    ASSERT_FALSE(ui().EditAzimut->text().isEmpty());
    erase(locator());
    EXPECT_TRUE(ui().EditDXLattitude->text().isEmpty());
    EXPECT_TRUE(ui().EditDXLongitude->text().isEmpty());
    EXPECT_EQ(window->state().DxLatitude, 0);
    EXPECT_EQ(window->state().DxLongitude, 0);
    EXPECT_TRUE(ui().EditAzimut->text().isEmpty());
    EXPECT_TRUE(ui().EditDistance->text().isEmpty());
}

TEST_F(DxEntryTest, IncompleteLocatorEmptiesTheCoordinatesButKeepsTheValues) {
    type(locator(), QStringLiteral("FN31PR"));
    const double latitude = window->state().DxLatitude;
    QTest::keyClick(locator(), Qt::Key_Backspace);
    EXPECT_TRUE(ui().EditDXLattitude->text().isEmpty());
    EXPECT_TRUE(ui().EditAzimut->text().isEmpty());
    EXPECT_EQ(window->state().DxLatitude, latitude);
}

TEST_F(DxEntryTest, PastedLocatorWithCharactersOutOfClassIsNotConverted) {
    QApplication::clipboard()->setText(QStringLiteral("zz99xx"));
    focus(locator());
    locator()->paste();
    EXPECT_EQ(locator()->text(), QStringLiteral("ZZ99XX"));
    EXPECT_TRUE(ui().EditDXLattitude->text().isEmpty());
    EXPECT_TRUE(ui().EditAzimut->text().isEmpty());
}

TEST_F(DxEntryTest, CoordinatesGiveTheLocatorUnderBothSeparators) {
    for (const QChar sep : {QLatin1Char('.'), QLatin1Char(',')}) {
        set_decimal_separator(sep);
        erase(ui().EditDXLattitude);
        erase(ui().EditDXLongitude);
        focus(ui().CheckBoxLongitudeEstDX);
        ui().CheckBoxLongitudeEstDX->setChecked(true);
        type(ui().EditDXLattitude, QStringLiteral("35.83"));
        type(ui().EditDXLongitude, QStringLiteral("14,58"));
        EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("35") + sep + QStringLiteral("83"));
        EXPECT_EQ(ui().EditDXLongitude->text(), QStringLiteral("14") + sep + QStringLiteral("58"));
        EXPECT_EQ(locator()->text(), QStringLiteral("JM75GT"));
        EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("141") + sep + QStringLiteral("0"));
    }
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(DxEntryTest, ASecondSeparatorAndLettersAreRefusedWithABeep) {
    set_decimal_separator(QLatin1Char(','));
    type(ui().EditDXLattitude, QStringLiteral("45.5"));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("45,5"));
    EXPECT_EQ(desktop.beeps, 0);
    QTest::keyClicks(ui().EditDXLattitude, QStringLiteral(","));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("45,5"));
    EXPECT_EQ(desktop.beeps, 1);
    ui().EditDXLattitude->setCursorPosition(1);
    QTest::keyClicks(ui().EditDXLattitude, QStringLiteral("x"));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("45,5"));
    EXPECT_EQ(ui().EditDXLattitude->cursorPosition(), 1);
    EXPECT_EQ(desktop.beeps, 2);
    EXPECT_DOUBLE_EQ(window->state().DxLatitude, 45.5);
}

TEST_F(DxEntryTest, PastedNegativeNumberIsReadButGivesNoLocator) {
    type(ui().EditDXLongitude, QStringLiteral("20"));
    QApplication::clipboard()->setText(QStringLiteral("-45"));
    focus(ui().EditDXLattitude);
    ui().EditDXLattitude->paste();
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("-45"));
    EXPECT_DOUBLE_EQ(window->state().DxLatitude, -45);
    EXPECT_TRUE(locator()->text().isEmpty());
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(DxEntryTest, LatitudeLimitAndLongitude180) {
    type(ui().EditDXLongitude, QStringLiteral("10"));
    type(ui().EditDXLattitude, QStringLiteral("89.99"));
    EXPECT_EQ(locator()->text().size(), 6);
    QTest::keyClicks(ui().EditDXLattitude, QStringLiteral("5"));
    EXPECT_TRUE(locator()->text().isEmpty());
    erase(ui().EditDXLattitude);
    type(ui().EditDXLattitude, QStringLiteral("10"));
    erase(ui().EditDXLongitude);
    type(ui().EditDXLongitude, QStringLiteral("180")); // west: accepted
    EXPECT_TRUE(locator()->text().startsWith(QLatin1Char('A')));
    focus(ui().CheckBoxLongitudeEstDX);
    QTest::keyClick(ui().CheckBoxLongitudeEstDX, Qt::Key_Space); // east: refused
    EXPECT_TRUE(ui().CheckBoxLongitudeEstDX->isChecked());
    EXPECT_FALSE(ui().CheckBoxLongitudeOuestDX->isChecked());
    EXPECT_TRUE(locator()->text().isEmpty());
}

TEST_F(DxEntryTest, ClickingACheckedBoxSwitchesThePairAndRecomputes) {
    type(locator(), QStringLiteral("JM75GT"));
    const QString azimuth = ui().EditAzimut->text();
    ui().ComboBoxListDX->addItem(QStringLiteral("x"));
    ui().ComboBoxListDX->setCurrentIndex(0);
    focus(ui().CheckBoxLattitudeNordDX);
    QTest::keyClick(ui().CheckBoxLattitudeNordDX, Qt::Key_Space);
    EXPECT_FALSE(ui().CheckBoxLattitudeNordDX->isChecked());
    EXPECT_TRUE(ui().CheckBoxLattitudeSudDX->isChecked());
    EXPECT_EQ(locator()->text(), QStringLiteral("JF74GE"));
    EXPECT_NE(ui().EditAzimut->text(), azimuth);
    EXPECT_EQ(ui().ComboBoxListDX->currentIndex(), -1);
}

} // namespace
} // namespace kestrav::test
