// The initialisation dialog's azimuth-elevation controls: hidden until such a rotator is
// chosen, each change written to the state and so to the settings rows.

#include "azel_fixture.h"

#include "settings/settings_writer.h"

#include <QGroupBox>

namespace kestrav::test {
namespace {

using AzElDialog = AzElWindowTest;

// Every visible control of the page and of its groups: inside its parent, over no sibling, its
// caption whole.
void expect_laid_out(QWidget* page) {
    QList<QWidget*> parents{page};
    for (QGroupBox* group : page->findChildren<QGroupBox*>())
        parents << group;
    for (QWidget* parent : parents) {
        const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* w : children) {
            if (!w->isVisibleTo(page) || w->objectName().isEmpty())
                continue;
            const std::string name = w->objectName().toStdString();
            EXPECT_TRUE(parent->rect().contains(w->geometry())) << name;
            for (QWidget* s : children) {
                if (s != w && s->isVisibleTo(page) && !s->objectName().isEmpty()) {
                    EXPECT_FALSE(w->geometry().intersects(s->geometry()))
                        << name << " over " << s->objectName().toStdString();
                }
            }
            if (auto* b = qobject_cast<QAbstractButton*>(w); b && !qobject_cast<QPushButton*>(w)) {
                EXPECT_LE(b->sizeHint().width(), b->width()) << name;
            }
            if (auto* l = qobject_cast<QLabel*>(w)) {
                EXPECT_LE(l->sizeHint().width(), l->width()) << name;
            }
        }
    }
}

QStringList rows_of(const StationState& state, const char* key) {
    return settings_lines(state, false, false).filter(QLatin1String(key));
}

// Until an az/el rotator is chosen the tabs show only the new check box; choosing one shows its
// highest elevation, the elevation's step and the parking elevation, on its own tab only.
TEST_F(AzElDialog, ControlsShownOnlyWhereAnAzElRotatorIs) {
    const auto shown = [&](const char* name) {
        return in_dialog<QWidget>(QLatin1String(name))->isVisibleTo(dialog());
    };
    dialog()->PageControlAntenne->setCurrentWidget(dialog()->TabSheetGS232);
    EXPECT_TRUE(shown("CheckBoxAzElGS"));
    for (const char* name : {"ComboBoxMaxElGS", "SpinEditElStepGS", "SpinEditParkElGS"})
        EXPECT_FALSE(shown(name)) << name;
    const int parking_width = dialog()->CheckBoxParkGS->width();

    in_dialog<QCheckBox>(QStringLiteral("CheckBoxAzElGS"))->click();
    for (const char* name : {"ComboBoxMaxElGS", "SpinEditElStepGS", "SpinEditParkElGS"})
        EXPECT_TRUE(shown(name)) << name;
    EXPECT_FALSE(in_dialog<QWidget>(QStringLiteral("SpinEditElStepEasy"))
                     ->isVisibleTo(dialog()->TabSheetEasyComm));
    expect_laid_out(dialog()->TabSheetGS232);
    ui().MenuFrancais->trigger();
    expect_laid_out(dialog()->TabSheetGS232);

    in_dialog<QCheckBox>(QStringLiteral("CheckBoxAzElGS"))->click();
    EXPECT_FALSE(shown("SpinEditParkElGS"));
    EXPECT_EQ(dialog()->CheckBoxParkGS->width(), parking_width);
}

TEST_F(AzElDialog, ChoicesWriteTheSettingsRows) {
    struct Row {
        RotorInterface which;
        const char* tab;
        const char* key;
    };
    const Row rows[] = {
        {RotorInterface::Gs232, "GS", "AZEL_GS232="},
        {RotorInterface::EasyComm, "Easy", "AZEL_EASYCOMM="},
    };
    StationState& state = window->state();
    for (const Row& r : rows) {
        const QString tab = QLatin1String(r.tab);
        EXPECT_TRUE(rows_of(state, r.key).isEmpty()) << r.key;
        choose(r.which, 90);
        EXPECT_EQ(rows_of(state, r.key), QStringList{QLatin1String(r.key) + QStringLiteral("ON")});
        choose(r.which, 180);
        EXPECT_EQ(rows_of(state, r.key),
                  QStringList{QLatin1String(r.key) + QStringLiteral("ON,180")});
        in_dialog<QSpinBox>(QStringLiteral("SpinEditElStep") + tab)->setValue(3);
        in_dialog<QSpinBox>(QStringLiteral("SpinEditParkEl") + tab)->setValue(120);
        EXPECT_EQ(rows_of(state, "STEP_ELEVATION="),
                  QStringList{QStringLiteral("STEP_ELEVATION=3")});
        // One step for every such rotator, shown on each tab.
        EXPECT_EQ(in_dialog<QSpinBox>(QStringLiteral("SpinEditElStepNet"))->value(), 3);
        EXPECT_EQ(rows_of(state, "PARKING_ELEVATION="),
                  QStringList{QStringLiteral("PARKING_ELEVATION=120")});
        // Back to 90: the parking elevation comes down within reach.
        choose(r.which, 90);
        EXPECT_EQ(state.ParkingElevation, 90);
        choose(r.which, std::nullopt);
        EXPECT_TRUE(rows_of(state, r.key).isEmpty()) << r.key;
        in_dialog<QSpinBox>(QStringLiteral("SpinEditElStep") + tab)->setValue(1);
        in_dialog<QSpinBox>(QStringLiteral("SpinEditParkEl") + tab)->setValue(0);
    }
}

// The settings file's rows come back as the dialog's controls, and the window shows the
// elevation for the interface in use at once.
TEST_F(AzElDialog, SettingsRowsComeBackAsTheControls) {
    window.reset();
    start("ANT=EASYCOMM\r\nAZEL_EASYCOMM=ON,180\r\nSTEP_ELEVATION=4\r\n"
          "PARKING_ELEVATION=150\r\n");
    ASSERT_EQ(window->state().SelectedInterface, RotorInterface::EasyComm);
    EXPECT_TRUE(window->findChild<QLineEdit*>(QStringLiteral("EditElevation"))->isVisible());
    EXPECT_TRUE(in_dialog<QCheckBox>(QStringLiteral("CheckBoxAzElEasy"))->isChecked());
    EXPECT_FALSE(in_dialog<QCheckBox>(QStringLiteral("CheckBoxAzElGS"))->isChecked());
    EXPECT_EQ(in_dialog<QComboBox>(QStringLiteral("ComboBoxMaxElEasy"))->currentText(),
              QStringLiteral("180"));
    EXPECT_EQ(in_dialog<QSpinBox>(QStringLiteral("SpinEditElStepEasy"))->value(), 4);
    EXPECT_EQ(in_dialog<QSpinBox>(QStringLiteral("SpinEditParkElEasy"))->value(), 150);
    // The GS-232 reaches 90 only: its box shows no more, and the state keeps the row.
    EXPECT_EQ(in_dialog<QSpinBox>(QStringLiteral("SpinEditParkElGS"))->value(), 90);
    EXPECT_EQ(window->state().ParkingElevation, 150);
}

// Typed beyond its range, a spin box keeps a value within it, as the dialog's other numbers do.
TEST_F(AzElDialog, OutOfRangeValuesAreRefused) {
    choose(RotorInterface::Gs232, 90);
    auto* parking = in_dialog<QSpinBox>(QStringLiteral("SpinEditParkElGS"));
    dialog()->PageControlAntenne->setCurrentWidget(dialog()->TabSheetGS232);
    focus(parking);
    parking->selectAll();
    QTest::keyClicks(parking, QStringLiteral("150"));
    QTest::keyClick(parking, Qt::Key_Enter);
    EXPECT_LE(window->state().ParkingElevation, 90);
    EXPECT_LE(parking->value(), 90);
    auto* step = in_dialog<QSpinBox>(QStringLiteral("SpinEditElStepGS"));
    focus(step);
    step->selectAll();
    QTest::keyClicks(step, QStringLiteral("-4"));
    QTest::keyClick(step, Qt::Key_Enter);
    EXPECT_GE(window->state().ElevationStep, 0);
}

// Parking at exit sends the parking elevation with the parking azimuth.
TEST_F(AzElDialog, ExitParksInBothAxes) {
    choose(RotorInterface::Gs232, 90);
    TFormInit* init = dialog();
    init->SpinEditAzTestGS->setValue(180);
    in_dialog<QSpinBox>(QStringLiteral("SpinEditParkElGS"))->setValue(10);
    init->CheckBoxParkGS->click();
    init->close();
    type_elevation(QStringLiteral("60"));
    window->close();
    EXPECT_EQ(port->read(), QByteArray("W180 010\r"));
}

} // namespace
} // namespace kestrav::test
