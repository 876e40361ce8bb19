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
        return QStringList{window->MenuQuitter->text(),   window->MenuListe->title(),
                           window->MenuUnit->title(),     window->MenuLangue->title(),
                           window->LabelAzimut->text(),   window->MenuAPropos->text(),
                           window->MenuAide->text(),      window->MenuInit->text(),
                           window->LabelDistance->text(), window->MenuKm->text()};
    };
    EXPECT_EQ(captions().mid(5, 2),
              (QStringList{QStringLiteral("About Kestrav"), QStringLiteral("Help")}));
    window->MenuFrancais->trigger();
    EXPECT_EQ(captions(), (QStringList{"&Quitter", "&Mes Listes", QStringLiteral("&Unité"),
                                       "&Langue", "Azimut = (deg)", "A &propos de Kestrav", "&Aide",
                                       "&Init", "QRB = (km)", "&Km"}));
    EXPECT_TRUE(window->MenuFrancais->isChecked());
    EXPECT_FALSE(window->MenuEnglish->isChecked());
    EXPECT_EQ(window->state().Messages.arswin_not_running,
              QStringLiteral("ARSWIN doit s'exécuter !"));
    window->MenuEnglish->trigger();
    EXPECT_EQ(captions(),
              (QStringList{"&Quit", "&My Lists", "&Unit", "&Language", "Azimuth = (deg)",
                           "&About Kestrav", "&Help", "&Init", "QRB = (km)", "&Km"}));
    // The dialog keeps its English texts.
    EXPECT_EQ(window->formInit()->windowTitle(), QStringLiteral("Kestrav - Initialisation"));
}

TEST_F(LanguageWindowTest, TheMapTheHeadingAndTheNetworkFollowTheLanguage) {
    start();
    // The heading item is a check item of its own after the unit choice, the rotctld server's
    // item last.
    const QList<QAction*> units = window->MenuUnit->actions();
    ASSERT_EQ(units.size(), 5);
    EXPECT_EQ(units[0], window->MenuKm);
    EXPECT_EQ(units[1], window->MenuMile);
    EXPECT_TRUE(units[2]->isSeparator());
    EXPECT_EQ(units[3], window->MenuHeading);
    EXPECT_EQ(units[4], window->MenuServeRotctld);
    EXPECT_TRUE(window->MenuHeading->isCheckable());
    EXPECT_EQ(window->MenuHeading->actionGroup(), nullptr);

    window->state().SelectedInterface = RotorInterface::Network;
    emit window->NetworkLink->failed(QStringLiteral("Connection refused"));
    window->FormMap->open();
    window->MenuHeading->trigger(); // asked for, nothing read yet
    const auto texts = [this] {
        return QStringList{window->MenuMap->text(),
                           window->MenuHeading->text(),
                           window->FormMap->windowTitle(),
                           window->FormMap->view()->scene().no_centre_label,
                           window->LabelEtatInterface->text().section(QStringLiteral(" / "), -1),
                           window->Image1->toolTip(),
                           window->MenuServeRotctld->text()};
    };
    const QStringList english{"M&ap",
                              "Show antenna heading",
                              "Kestrav map",
                              "No local station",
                              "Connection refused",
                              "no reading",
                              "Serve rotctld..."};
    EXPECT_EQ(texts(), english);
    window->MenuFrancais->trigger();
    EXPECT_EQ(texts(), (QStringList{"C&arte", QStringLiteral("Afficher l'orientation de l'antenne"),
                                    "Carte Kestrav", "Pas de station locale",
                                    QStringLiteral("Connexion refusée"), "pas de lecture",
                                    "Servir rotctld..."}));
    window->MenuEnglish->trigger();
    EXPECT_EQ(texts(), english);
}

TEST_F(LanguageWindowTest, AStoredFrenchReachesTheItemsBuiltAfterTheSettingsAreRead) {
    start("LANGUAGE=FRENCH\r\n");
    EXPECT_EQ(window->MenuHeading->text(), QStringLiteral("Afficher l'orientation de l'antenne"));
    EXPECT_EQ(window->MenuMap->text(), QStringLiteral("C&arte"));
    EXPECT_EQ(window->FormMap->windowTitle(), QStringLiteral("Carte Kestrav"));
    EXPECT_EQ(window->MenuServeRotctld->text(), QStringLiteral("Servir rotctld..."));
}

TEST_F(LanguageWindowTest, F1OpensTheHelpOfTheCurrentLanguage) {
    start();
    focus(window->EditDXLocator);
    QTest::keyClick(window.get(), Qt::Key_F1);
    window->MenuFrancais->trigger();
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(desktop.help_requests,
              (QStringList{QStringLiteral("Kestrav_EN.HLP"), QStringLiteral("Kestrav_Fr.hlp")}));
}

TEST_F(LanguageWindowTest, AboutBoxSpeaksTheCurrentLanguage) {
    start();
    window->MenuAPropos->trigger();
    window->MenuFrancais->trigger();
    window->MenuAPropos->trigger();
    ASSERT_EQ(desktop.boxes.size(), 2u);
    EXPECT_EQ(desktop.boxes[0].icon, BoxIcon::Information);
    EXPECT_NE(desktop.boxes[0].text, desktop.boxes[1].text);
    EXPECT_TRUE(desktop.boxes[1].text.contains(QStringLiteral("gratuit"), Qt::CaseInsensitive) ||
                desktop.boxes[1].text.contains(QStringLiteral("libre"), Qt::CaseInsensitive));
}

} // namespace
} // namespace kestrav::test
