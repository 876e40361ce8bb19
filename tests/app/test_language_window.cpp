// English and French in the main window, help and About.

#include "app/widgets.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "rotor/rotctld_link.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace kestrav::test {
namespace {

using LanguageWindowTest = WindowTest;

TEST_F(LanguageWindowTest, SwitchingChangesExactlyTheTabledTexts) {
    start();
    auto captions = [this] {
        return QStringList{ui().MenuQuitter->text(),   ui().MenuListe->title(),
                           ui().MenuUnit->title(),     ui().MenuLangue->title(),
                           ui().LabelAzimut->text(),   ui().MenuAPropos->text(),
                           ui().MenuAide->text(),      ui().MenuInit->text(),
                           ui().LabelDistance->text(), ui().MenuKm->text()};
    };
    EXPECT_EQ(captions().mid(5, 2),
              (QStringList{QStringLiteral("About Kestrav"), QStringLiteral("Help")}));
    ui().MenuFrancais->trigger();
    EXPECT_EQ(captions(), (QStringList{"&Quitter", "&Mes Listes", QStringLiteral("&Unité"),
                                       "&Langue", "Azimut = (deg)", "A &propos de Kestrav", "&Aide",
                                       "&Init", "QRB = (km)", "&Km"}));
    EXPECT_TRUE(ui().MenuFrancais->isChecked());
    EXPECT_FALSE(ui().MenuEnglish->isChecked());
    EXPECT_EQ(window->state().Messages.arswin_not_running,
              QStringLiteral("ARSWIN doit s'exécuter !"));
    ui().MenuEnglish->trigger();
    EXPECT_EQ(captions(),
              (QStringList{"&Quit", "&My Lists", "&Unit", "&Language", "Azimuth = (deg)",
                           "&About Kestrav", "&Help", "&Init", "QRB = (km)", "&Km"}));
    // The dialog keeps its English texts.
    EXPECT_EQ(window->formInit()->windowTitle(), QStringLiteral("Kestrav - Initialisation"));
}

TEST_F(LanguageWindowTest, TheMapTheHeadingAndTheNetworkFollowTheLanguage) {
    start();
    // The heading item is a check item of its own after the unit choice, the rotctld server's
    // item after it, the UDP rotor protocols' last.
    const QList<QAction*> units = ui().MenuUnit->actions();
    ASSERT_EQ(units.size(), 7);
    EXPECT_EQ(units[0], ui().MenuKm);
    EXPECT_EQ(units[1], ui().MenuMile);
    EXPECT_TRUE(units[2]->isSeparator());
    EXPECT_EQ(units[3], ui().MenuHeading);
    EXPECT_EQ(units[4], ui().MenuServeRotctld);
    EXPECT_EQ(units[6]->objectName(), QStringLiteral("MenuN1mm"));
    EXPECT_TRUE(ui().MenuHeading->isCheckable());
    EXPECT_EQ(ui().MenuHeading->actionGroup(), nullptr);

    window->state().SelectedInterface = RotorInterface::Network;
    emit ui().NetworkLink->failed(QStringLiteral("Connection refused"));
    ui().FormMap->open();
    ui().MenuHeading->trigger(); // asked for, nothing read yet
    const auto texts = [this, &units] {
        return QStringList{ui().MenuMap->text(),
                           ui().MenuHeading->text(),
                           ui().FormMap->windowTitle(),
                           ui().FormMap->view()->scene().no_centre_label,
                           ui().LabelEtatInterface->text().section(QStringLiteral(" / "), -1),
                           ui().Image1->toolTip(),
                           ui().MenuServeRotctld->text(),
                           units[6]->text()};
    };
    const QStringList english{"M&ap",
                              "Show antenna heading",
                              "Kestrav map",
                              "No local station",
                              "Connection refused",
                              "no reading",
                              "Serve rotctld...",
                              "N1MM rotor UDP..."};
    EXPECT_EQ(texts(), english);
    ui().MenuFrancais->trigger();
    EXPECT_EQ(texts(), (QStringList{"C&arte", QStringLiteral("Afficher l'orientation de l'antenne"),
                                    "Carte Kestrav", "Pas de station locale",
                                    QStringLiteral("Connexion refusée"), "pas de lecture",
                                    "Servir rotctld...", "Rotor N1MM UDP..."}));
    ui().MenuEnglish->trigger();
    EXPECT_EQ(texts(), english);
}

TEST_F(LanguageWindowTest, AStoredFrenchReachesTheItemsBuiltAfterTheSettingsAreRead) {
    start("LANGUAGE=FRENCH\r\n");
    EXPECT_EQ(ui().MenuHeading->text(), QStringLiteral("Afficher l'orientation de l'antenne"));
    EXPECT_EQ(ui().MenuMap->text(), QStringLiteral("C&arte"));
    EXPECT_EQ(ui().FormMap->windowTitle(), QStringLiteral("Carte Kestrav"));
    EXPECT_EQ(ui().MenuServeRotctld->text(), QStringLiteral("Servir rotctld..."));
}

TEST_F(LanguageWindowTest, F1OpensTheHelpOfTheCurrentLanguage) {
    start();
    focus(ui().EditDXLocator);
    QTest::keyClick(window.get(), Qt::Key_F1);
    ui().MenuFrancais->trigger();
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(desktop.help_requests,
              (QStringList{QStringLiteral("Kestrav_EN.HLP"), QStringLiteral("Kestrav_Fr.hlp")}));
}

TEST_F(LanguageWindowTest, AboutBoxSpeaksTheCurrentLanguage) {
    start();
    ui().MenuAPropos->trigger();
    ui().MenuFrancais->trigger();
    ui().MenuAPropos->trigger();
    ASSERT_EQ(desktop.boxes.size(), 2u);
    EXPECT_EQ(desktop.boxes[0].icon, BoxIcon::Information);
    EXPECT_NE(desktop.boxes[0].text, desktop.boxes[1].text);
    EXPECT_TRUE(desktop.boxes[1].text.contains(QStringLiteral("gratuit"), Qt::CaseInsensitive) ||
                desktop.boxes[1].text.contains(QStringLiteral("libre"), Qt::CaseInsensitive));
}

} // namespace
} // namespace kestrav::test
