// What a screen reader gets from the windows, read through Qt's accessibility interface: the
// controls' names in both languages, their roles, the azimuth's value, and the events raised
// when the program computes a bearing or refuses something.

#include "setup/dialog_controls.h"
#include "setup/follow_dialog.h"
#include "setup/languages.h"
#include "setup/serve_dialog.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QRadioButton>
#include <QSpinBox>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <algorithm>
#include <vector>

namespace kestrav::test {
namespace {

struct Seen {
    QAccessible::Event type;
    QObject* object;
    QString description; // the object's description when the event came
    QVariant value;      // a value change's new value
};
std::vector<Seen> g_seen;

void record(QAccessibleEvent* event) {
    QAccessibleInterface* iface = event->accessibleInterface();
    QVariant value;
    if (event->type() == QAccessible::ValueChanged)
        value = static_cast<QAccessibleValueChangeEvent*>(event)->value();
    g_seen.push_back({event->type(), event->object(),
                      iface != nullptr ? iface->text(QAccessible::Description) : QString(), value});
}

QAccessibleInterface* iface(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}
QString name_of(QObject* o) {
    return iface(o)->text(QAccessible::Name);
}

class AccessibilityTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // As when a screen reader listens: Qt raises its events only then.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(record);
        g_seen.clear();
    }
    void TearDown() override {
        QAccessible::installUpdateHandler(nullptr);
        WindowTest::TearDown();
    }
    void start_with_local() {
        start();
        set_local(QStringLiteral("JN18EU"));
        g_seen.clear();
    }
    bool seen(QAccessible::Event type, QObject* object, const QString& in_description = {},
              const QVariant& value = {}) {
        return std::any_of(g_seen.begin(), g_seen.end(), [&](const Seen& s) {
            return s.type == type && s.object == object && s.description.contains(in_description) &&
                   (value.isNull() || s.value == value);
        });
    }
    // Every control Tab reaches in the windows.
    std::vector<QWidget*> focusable(const std::vector<QWidget*>& windows) {
        std::vector<QWidget*> found;
        for (QWidget* top : windows)
            for (QWidget* w : top->findChildren<QWidget*>())
                // A spin box's line edit hands its focus to the spin box; a list's popup is a
                // window of its own.
                if ((w->focusPolicy() & Qt::TabFocus) && w->window() == top &&
                    w->focusProxy() == nullptr)
                    found.push_back(w);
        return found;
    }
};

TEST_F(AccessibilityTest, EveryFocusableControlIsNamedInBothLanguagesAndTheNamesFollowTheLanguage) {
    start_with_local();
    window->formInit()->show();
    ui().MenuMap->trigger();
    // The rotctld server's dialog is made anew each time, in the language of the moment.
    const auto serve_dialog = [](UiLanguage language) {
        return std::make_unique<ServeDialog>(
            language_texts(language), ServeSetting{true},
            [](const ServeSetting&) { return QString(); }, nullptr);
    };
    std::unique_ptr<ServeDialog> serve = serve_dialog(UiLanguage::English);
    FollowAddressDialog follow([this]() -> Desktop& { return desktop; },
                               [](const QString&, quint16) {}, nullptr);
    TFormInit* init = window->formInit();
    struct Row {
        QWidget* control;
        const char* english;
        const char* french;
    };
    const Row rows[] = {
        {ui().EditDXLocator, "DX locator", "Locator DX"},
        {ui().EditAzimut, "Azimuth, degrees", "Azimut, degrés"},
        {ui().EditDistance, "QRB distance, km", "Distance QRB, km"},
        {ui().CheckBoxLongitudeOuestDX, "DX longitude west", "Longitude DX ouest"},
        {init->RadioGroupGSbutee, "Stop side", "Côté de la butée"},
        {init->RadioGroupEasyButee->button(1), "Stop at south", "Butée au sud"},
        {init->BitBtntestFOD, "Test GO", "GO de test"},
        {init->SpinEditAzTestNet, "Test azimuth, degrees", "Azimut de test, degrés"},
        {ui().FormMap->findChild<QWidget*>(QStringLiteral("EditDXCall")), "DX call",
         "Indicatif DX"},
    };
    for (const bool french : {false, true}) {
        if (french) {
            ui().MenuFrancais->trigger();
            serve = serve_dialog(UiLanguage::French);
            follow.setTexts(language_texts(UiLanguage::French));
        }
        const std::vector<QWidget*> controls =
            focusable({window.get(), init, ui().FormMap, serve.get(), &follow});
        ASSERT_GT(controls.size(), 60u);
        for (QWidget* w : controls)
            EXPECT_FALSE(name_of(w).trimmed().isEmpty())
                << w->window()->objectName().toStdString() << "/" << w->objectName().toStdString()
                << " (" << w->metaObject()->className() << ") in "
                << (french ? "French" : "English");
        for (const Row& row : rows)
            EXPECT_EQ(name_of(row.control), QString::fromUtf8(french ? row.french : row.english))
                << row.control->objectName().toStdString();
        // A list reads as its chosen entry; its name is its label's, as AT-SPI relates them.
        const std::pair<QWidget*, const char*> lists[] = {
            {ui().ComboBoxListDX, french ? "Pays DXCC" : "DXCC country"},
            {ui().ComboBoxPerso2, "LIST 2"},
            {init->ComboBoxRangeGS, french ? "Course du rotor, degrés" : "Rotator range, degrees"},
            {init->ComboBoxBaudEasy, french ? "Débit en bauds" : "Baud rate"},
        };
        for (const auto& [list, label] : lists) {
            QStringList names; // the label, and the group the list stands in
            for (const auto& [related, relation] : iface(list)->relations(QAccessible::Label))
                names << related->text(QAccessible::Name);
            EXPECT_TRUE(names.contains(QString::fromUtf8(label)))
                << list->objectName().toStdString() << ": " << names.join(u'|').toStdString();
        }
    }
    ui().MenuMile->trigger();
    EXPECT_EQ(name_of(ui().EditDistance), QStringLiteral("Distance QRB, milles"));
    ui().FormMap->close();
}

TEST_F(AccessibilityTest, RolesAreThoseOfTheControlsAndDecorationsStayOutOfTheWay) {
    start_with_local();
    TFormInit* init = window->formInit();
    const std::pair<QObject*, QAccessible::Role> roles[] = {
        {ui().ButtonTrack, QAccessible::Button},
        {ui().CheckBoxLattitudeNordDX, QAccessible::CheckBox},
        {init->RadioGroupRotor->button(3), QAccessible::RadioButton},
        {ui().ComboBoxListDX, QAccessible::ComboBox},
        {ui().EditAzimut, QAccessible::EditableText},
        {init->SpinEditAzTestGS, QAccessible::SpinBox},
        {ui().UpDownAzimut, QAccessible::SpinBox},
    };
    for (const auto& [object, role] : roles)
        EXPECT_EQ(iface(object)->role(), role) << object->objectName().toStdString();
    for (QLabel* picture : {ui().ImageTitre, ui().Image2}) {
        EXPECT_TRUE(iface(picture)->state().invisible) << picture->objectName().toStdString();
        EXPECT_TRUE(name_of(picture).isEmpty());
        EXPECT_EQ(picture->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_FALSE(iface(ui().Image1)->state().invisible) << "the dial is read";
    EXPECT_EQ(name_of(ui().Image1), QStringLiteral("Azimuth dial"));
}

TEST_F(AccessibilityTest, ABearingAndAHeadingAreReadAndAnnounced) {
    start_with_local();
    type(ui().EditDXLocator, QStringLiteral("KP20le"));
    const QString azimuth = ui().EditAzimut->text();
    ASSERT_FALSE(azimuth.isEmpty());
    EXPECT_EQ(iface(ui().EditAzimut)->text(QAccessible::Value), azimuth);
    EXPECT_EQ(iface(ui().EditDistance)->text(QAccessible::Value), ui().EditDistance->text());
    const QString said = QStringLiteral("Azimuth %1 degrees").arg(azimuth.trimmed());
    EXPECT_TRUE(seen(QAccessible::DescriptionChanged, ui().Image1, said)) << said.toStdString();
    const auto whole = static_cast<int>(round_half_even(window->state().RequestedAzimuth));
    EXPECT_TRUE(seen(QAccessible::ValueChanged, ui().UpDownAzimut, {}, whole))
        << "the up-down arrows' value follows the bearing";

    // A screen reader may set the arrows' value: the azimuth follows as when they are stepped.
    iface(ui().UpDownAzimut)->valueInterface()->setCurrentValue(123);
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("123.0"));

    g_seen.clear();
    window->state().SelectedInterface = RotorInterface::Gs232;
    window->state().Gs232Range = RangeChoice::Turn450;
    window->state().ShowHeading = true;
    window->controller().headingReceived(371.5);
    EXPECT_TRUE(
        seen(QAccessible::DescriptionChanged, ui().Image1, "antenna heading 371.5 degrees"));
}

TEST_F(AccessibilityTest, EachRefusalThatBeepsIsToldOnItsControl) {
    start_with_local();
    // No interface is chosen: GO is refused.
    ui().ButtonTrack->click();
    ASSERT_EQ(desktop.beeps, 1);
    EXPECT_TRUE(seen(QAccessible::Alert, ui().ButtonTrack));
    EXPECT_TRUE(seen(QAccessible::DescriptionChanged, ui().ButtonTrack, "GO refused"));

    ui().MenuFrancais->trigger();
    g_seen.clear();
    type(ui().EditDXLattitude, QStringLiteral("x"));
    ASSERT_EQ(desktop.beeps, 2);
    EXPECT_TRUE(seen(QAccessible::Alert, ui().EditDXLattitude));
    EXPECT_EQ(iface(ui().EditDXLattitude)->text(QAccessible::Description),
              refusal_text(Refusal::Keystroke, UiLanguage::French));

    // A refusal in the dialog, in the dialog's control.
    TFormInit* init = window->formInit();
    init->show();
    init->BitBtnTestGS->click();
    EXPECT_TRUE(seen(QAccessible::Alert, init->BitBtnTestGS));

    // An azimuth accepted: the field's usual description is back.
    type(ui().EditAzimut, QStringLiteral("q"));
    EXPECT_FALSE(iface(ui().EditAzimut)->text(QAccessible::Description).isEmpty());
    erase(ui().EditAzimut);
    type(ui().EditAzimut, QStringLiteral("12"));
    EXPECT_TRUE(iface(ui().EditAzimut)->text(QAccessible::Description).isEmpty());
}

} // namespace
} // namespace kestrav::test
