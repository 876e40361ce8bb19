#include "app/window_frame.h"

#include "app/main_window.h"
#include "setup/languages.h"
#include "setup/window_placement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenuBar>
#include <QScreen>

namespace kestrav {

namespace {
// Where the window's frame stands at start when the screen has room for it there.
constexpr QPoint kDesignPosition(196, 100);
} // namespace

void place_on_screen(QWidget& window) {
    QScreen* screen = QGuiApplication::screenAt(kDesignPosition);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // Before the window is shown its frame is not known yet: the client area stands for it.
    const QRect frame = window.frameGeometry();
    const QPoint corner =
        place_inside(QRect(kDesignPosition, frame.size()), screen->availableGeometry());
    if (!window.isVisible() || frame.topLeft() != corner)
        window.move(corner);
}

void build_menu_bar(TForm1& window, MainWindowUi& ui, const std::function<void()>& add_map) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Menus are drawn in the desktop's menu font, not in the window's.
    bar->setFont(QApplication::font(bar));

    ui.MenuQuitter = bar->addAction(QStringLiteral("&Quit"));
    ui.MenuQuitter->setObjectName(QStringLiteral("MenuQuitter"));
    ui.MenuQuitter->setShortcut(QKeySequence(Qt::Key_F4));
    QObject::connect(ui.MenuQuitter, &QAction::triggered, &window, &TForm1::MenuQuitterClick);

    ui.MenuInit = bar->addAction(QStringLiteral("&Init"));
    ui.MenuInit->setObjectName(QStringLiteral("MenuInit"));
    QObject::connect(ui.MenuInit, &QAction::triggered, &window, &TForm1::MenuInitClick);

    ui.MenuListe = bar->addMenu(QStringLiteral("&My Lists"));
    ui.MenuListe->setObjectName(QStringLiteral("MenuListe"));
    ui.MenuListe1 = ui.MenuListe->addAction(QStringLiteral("List 1"));
    ui.MenuListe1->setObjectName(QStringLiteral("MenuListe1"));
    ui.Menuliste2 = ui.MenuListe->addAction(QStringLiteral("List 2"));
    ui.Menuliste2->setObjectName(QStringLiteral("Menuliste2"));
    ui.MenuListe3 = ui.MenuListe->addAction(QStringLiteral("List 3"));
    ui.MenuListe3->setObjectName(QStringLiteral("MenuListe3"));
    QObject::connect(ui.MenuListe1, &QAction::triggered, &window, &TForm1::MenuListe1Click);
    QObject::connect(ui.Menuliste2, &QAction::triggered, &window, &TForm1::Menuliste2Click);
    QObject::connect(ui.MenuListe3, &QAction::triggered, &window, &TForm1::MenuListe3Click);

    ui.MenuUnit = bar->addMenu(QStringLiteral("&Unit"));
    ui.MenuUnit->setObjectName(QStringLiteral("MenuUnit"));
    ui.MenuKm = ui.MenuUnit->addAction(QStringLiteral("&Km"));
    ui.MenuKm->setObjectName(QStringLiteral("MenuKm"));
    ui.MenuMile = ui.MenuUnit->addAction(QStringLiteral("&Mile"));
    ui.MenuMile->setObjectName(QStringLiteral("MenuMile"));
    auto* units = new QActionGroup(&window);
    for (QAction* a : {ui.MenuKm, ui.MenuMile}) {
        a->setCheckable(true);
        units->addAction(a);
    }
    ui.MenuKm->setChecked(true);
    QObject::connect(ui.MenuKm, &QAction::triggered, &window, &TForm1::MenuKmClick);
    QObject::connect(ui.MenuMile, &QAction::triggered, &window, &TForm1::MenuMileClick);
    add_map();

    ui.MenuLangue = bar->addMenu(QStringLiteral("&Language"));
    ui.MenuLangue->setObjectName(QStringLiteral("MenuLangue"));
    ui.MenuEnglish = ui.MenuLangue->addAction(QStringLiteral("&English"));
    ui.MenuEnglish->setObjectName(QStringLiteral("MenuEnglish"));
    ui.MenuFrancais = ui.MenuLangue->addAction(QStringLiteral("&Français"));
    ui.MenuFrancais->setObjectName(QStringLiteral("MenuFrancais"));
    auto* languages = new QActionGroup(&window);
    for (QAction* a : {ui.MenuEnglish, ui.MenuFrancais}) {
        a->setCheckable(true);
        languages->addAction(a);
    }
    ui.MenuEnglish->setChecked(true);
    QObject::connect(ui.MenuEnglish, &QAction::triggered, &window, &TForm1::MenuEnglishClick);
    QObject::connect(ui.MenuFrancais, &QAction::triggered, &window, &TForm1::MenuFrancaisClick);

    ui.MenuHelp = bar->addMenu(QStringLiteral("?"));
    ui.MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    ui.MenuAide = ui.MenuHelp->addAction(QLatin1String(kStartupHelpCaption));
    ui.MenuAide->setObjectName(QStringLiteral("MenuAide"));
    ui.MenuAide->setShortcut(QKeySequence(Qt::Key_F1));
    ui.MenuAPropos = ui.MenuHelp->addAction(QLatin1String(kStartupAboutCaption));
    ui.MenuAPropos->setObjectName(QStringLiteral("MenuAPropos"));
    QObject::connect(ui.MenuAide, &QAction::triggered, &window, &TForm1::MenuAideClick);
    QObject::connect(ui.MenuAPropos, &QAction::triggered, &window, &TForm1::MenuAProposClick);

    // Shortcuts work while the main window is active, whether or not a menu is open.
    window.addAction(ui.MenuQuitter);
    window.addAction(ui.MenuAide);
}

void set_box_messages(StationState& state, const LanguageTexts& t) {
    state.Messages.help_file = t.help_file;
    state.Messages.cannot_create_settings = t.cannot_create_settings;
    state.Messages.cannot_open_file = t.cannot_open_file;
    state.Messages.arswin_not_running = t.arswin_not_running;
    state.Messages.dde_conversation_open = t.dde_conversation_open;
    state.Messages.settings_cut = t.settings_cut;
    state.Messages.list_cut = t.list_cut;
}

} // namespace kestrav
