#include "ui/accessible_names.h"
#include "app/design_sizes.h"
#include "app/main_window_hosts.h"

#include "ui/desktop.h"
#include "app/fonts.h"
#include "app/pictures.h"
#include "ui/widget_factory.h"
#include "app/widgets.h"
#include "setup/window_placement.h"
#include "follow/follow_wsjtx.h"
#include "follow/wsjtx_listener.h"
#include "rotor/comm_port_driver.h"
#include "setup/init_dialog.h"
#include "setup/languages.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace kestrav {

namespace {

// Where the window's frame stands at start when the screen has room for it there.
constexpr QPoint kDesignPosition(196, 100);
const QColor kPanelGrey(224, 224, 224);

QComboBox* make_list(QWidget* parent, const char* name, int x, int y, int w, int h, int points) {
    auto* list = make<StationListBox>(parent, name, x, y, w, h);
    list->setMaxVisibleItems(15);
    list->setFont(arial(points));
    return list;
}

// Enter, or the keypad's Enter, on a focused push button presses it, in every window of the
// program, as Space already does (Qt leaves Enter to a dialog's default button).
class EnterPressesButtons final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button == nullptr || !button->hasFocus() || !button->isEnabled() ||
            (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

TForm1::TForm1(const MainWindowContext& context, QWidget* parent)
    : QMainWindow(parent), session_(new StationSession(this)), state_(session_->state()),
      desktop_(context.desktop), parallel_port_(context.parallel_port),
      window_messages_(context.window_messages), dde_server_(context.dde_server) {
    setObjectName(QStringLiteral("Form1"));
    hosts_ = std::make_unique<Hosts>(*this);
    connect(session_, &StationSession::dxStationPlaced, this,
            [this](const DxPlacement& placed, const std::optional<QString>& label) {
                hosts_->showPlacedDx(placed, label);
            });
    state_.ExeDirectory = context.exe_directory;
    state_.AppDirectory = context.app_directory;
    state_.SettingsFileExists = context.settings_file_exists;
    set_messages(language_texts(UiLanguage::English));
    state_.Messages.help_file = QLatin1String(kStartupHelpFile);
    build_window();
    FormCreate();
    // The initialisation dialog is created once, hidden, the first time it is needed: when it
    // opens at a first start or from the menu. Until then nothing reads it; the main window
    // comes up without waiting for its pages.
    connect_publication();
    build_heading_menu();
    hosts_->follow = new FollowWsjtx(
        state_.WsjtxFollowing, *session_,
        [this]() -> Desktop& { return desktop(); }, MenuListe, this);
    // WSJT-X steers no more once the exit has begun; the following stays on for the next run.
    connect(this, &TForm1::shuttingDown, hosts_->follow, [follow = hosts_->follow] {
        if (follow->listener() != nullptr)
            follow->listener()->stop();
    });
    hosts_->installRotctldServer();
    hosts_->installRotatorMenu();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm1::window_focus_changed);
    qApp->installEventFilter(new EnterPressesButtons(this));
    apply_addition_texts(language_texts(french_ ? UiLanguage::French : UiLanguage::English));
}

TForm1::~TForm1() {
    delete FormInit;
    FormInit = nullptr;
}

TFormInit* TForm1::formInit() {
    // A window of its own, beside the main window, not a child of it.
    if (FormInit == nullptr) {
        FormInit = new TFormInit(*hosts_, nullptr);
        apply_accessible_names(FormInit, french_ ? UiLanguage::French : UiLanguage::English);
    }
    return FormInit;
}

bool TForm1::formInitVisible() const {
    return FormInit != nullptr && FormInit->isVisible();
}

void TForm1::build_window() {
    install_font_substitutes();
    setWindowTitle(QStringLiteral("Kestrav  V0.6b"));
    setWindowIcon(window_icon());
    // System menu, minimise and close only. A window manager also needs the fixed size below
    // before it stops offering maximise and resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(ms_sans_serif(8));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientDesignSize);
    set_background(client, QApplication::palette().color(QPalette::Button));
    setCentralWidget(client);
    // The window keeps its design size: it cannot be resized or maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    build_dx_group(client);

    PanelTitre = new Panel(client, kPanelGrey, Panel::Bevel::Lowered, Panel::Bevel::Lowered, 2);
    PanelTitre->setObjectName(QStringLiteral("PanelTitre"));
    PanelTitre->setGeometry(240, 8, 225, 44);
    ImageTitre = make<QLabel>(PanelTitre, "ImageTitre", 16, 6, 33, 35);
    ImageTitre->setPixmap(title_picture());
    mark_decorative(ImageTitre);
    LabelTitre = make<QLabel>(PanelTitre, "LabelTitre", 80, 4, 70, 36);
    LabelTitre->setText(QStringLiteral("Kestrav Morlin"));
    LabelTitre->setAlignment(Qt::AlignCenter);
    LabelTitre->setWordWrap(true);
    LabelTitre->setFont(times_new_roman(11, true, true));
    QPalette blue = LabelTitre->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    LabelTitre->setPalette(blue);

    build_beam_group(client);
    build_command_panel(client);

    PanelInterface = new Panel(client, kPanelGrey, Panel::Bevel::None, Panel::Bevel::Lowered, 1);
    PanelInterface->setObjectName(QStringLiteral("PanelInterface"));
    PanelInterface->setGeometry(240, 256, 225, 31);
    LabelEtatLocal = make<QLabel>(PanelInterface, "LabelEtatLocal", 0, 1, 225, 14);
    LabelEtatInterface = make<QLabel>(PanelInterface, "LabelEtatInterface", 0, 15, 225, 14);
    for (QLabel* l : {LabelEtatLocal, LabelEtatInterface}) {
        l->setFont(arial(8));
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    LabelEtatLocal->setText(QStringLiteral(" Local = none"));
    LabelEtatInterface->setText(QStringLiteral(" Interface = none"));

    build_menus();

    TimerBlink = new QTimer(this);
    TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
    TimerBlink->setInterval(300);
    // Precise timers: the coarse default may fire up to 5 % early or late.
    TimerBlink->setTimerType(Qt::PreciseTimer);
    TimerTrackOK = new QTimer(this);
    TimerTrackOK->setObjectName(QStringLiteral("TimerTrackOK"));
    TimerTrackOK->setInterval(3600);
    TimerTrackOK->setTimerType(Qt::PreciseTimer);
    connect(TimerBlink, &QTimer::timeout, this, &TForm1::TimerBlinkTimer);
    connect(TimerTrackOK, &QTimer::timeout, this, &TForm1::TimerTrackOKTimer);
    TimerTrackOK->start();
    TimerAzimutPause = new QTimer(this);
    TimerAzimutPause->setObjectName(QStringLiteral("TimerAzimutPause"));
    TimerAzimutPause->setInterval(500);
    TimerAzimutPause->setSingleShot(true);
    connect(TimerAzimutPause, &QTimer::timeout, this, &TForm1::TimerAzimutPauseTimer);

    build_rotor_controller();

    // Keyboard focus order of the DX group, then the BEAM group and the command panel.
    QWidget* order[] = {EditDXLocator,
                        CheckBoxLattitudeNordDX,
                        EditDXLattitude,
                        CheckBoxLattitudeSudDX,
                        CheckBoxLongitudeOuestDX,
                        EditDXLongitude,
                        CheckBoxLongitudeEstDX,
                        ComboBoxPerso1,
                        ComboBoxPerso2,
                        ComboBoxPerso3,
                        ComboBoxListDX,
                        EditDistance,
                        EditAzimut,
                        UpDownAzimut,
                        BitBtnStop,
                        ButtonTrack};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void TForm1::build_dx_group(QWidget* client) {
    GroupBoxDX = make<QGroupBox>(client, "GroupBoxDX", 10, 8, 225, 281);
    GroupBoxDX->setTitle(QStringLiteral("DX"));
    GroupBoxDX->setFont(arial(10));
    set_background(GroupBoxDX, QColor(224, 255, 255));
    QWidget* g = GroupBoxDX;
    const QFont label_font = arial(8);

    LabelDXLocator =
        make_label(g, "LabelDXLocator", 72, 8, 73, 14, QStringLiteral("Locator"), label_font);
    EditDXLocator = make<QLineEdit>(g, "EditDXLocator", 72, 22, 73, 24);
    LabelDXLattitude =
        make_label(g, "LabelDXLattitude", 72, 48, 73, 14, QStringLiteral("Latitude"), label_font);
    CheckBoxLattitudeNordDX =
        make_check(g, "CheckBoxLattitudeNordDX", 32, 64, 33, 17, QStringLiteral("N"), true, true);
    EditDXLattitude = make<QLineEdit>(g, "EditDXLattitude", 72, 62, 73, 24);
    CheckBoxLattitudeSudDX =
        make_check(g, "CheckBoxLattitudeSudDX", 152, 64, 30, 17, QStringLiteral("S"), false, false);
    LabelDXLongitude =
        make_label(g, "LabelDXLongitude", 80, 88, 56, 14, QStringLiteral("Longitude"), label_font);
    CheckBoxLongitudeOuestDX =
        make_check(g, "CheckBoxLongitudeOuestDX", 32, 104, 33, 17, QStringLiteral("W"), true, true);
    EditDXLongitude = make<QLineEdit>(g, "EditDXLongitude", 72, 102, 73, 24);
    CheckBoxLongitudeEstDX = make_check(g, "CheckBoxLongitudeEstDX", 152, 104, 30, 17,
                                        QStringLiteral("E"), false, false);
    for (QLineEdit* e : {EditDXLocator, EditDXLattitude, EditDXLongitude})
        e->setFont(arial(10));
    Label1 = make_label(g, "Label1", 72, 128, 73, 14, QStringLiteral("DXCC"), label_font);
    ComboBoxListDX = make_list(g, "ComboBoxListDX", 8, 142, 209, 23, 9);
    LabelPerso1 =
        make_label(g, "LabelPerso1", 8, 165, 201, 14, QStringLiteral("LIST 1"), label_font);
    ComboBoxPerso1 = make_list(g, "ComboBoxPerso1", 8, 178, 209, 22, 8);
    LabelPerso2 =
        make_label(g, "LabelPerso2", 8, 201, 201, 14, QStringLiteral("LIST 2"), label_font);
    ComboBoxPerso2 = make_list(g, "ComboBoxPerso2", 8, 214, 209, 22, 8);
    LabelPerso3 =
        make_label(g, "LabelPerso3", 8, 237, 201, 14, QStringLiteral("LIST 3"), label_font);
    ComboBoxPerso3 = make_list(g, "ComboBoxPerso3", 8, 250, 209, 22, 8);
    // A screen reader names a list after its label (a personal list's label shows its
    // title): the list itself reads as its chosen entry.
    Label1->setBuddy(ComboBoxListDX);
    LabelPerso1->setBuddy(ComboBoxPerso1);
    LabelPerso2->setBuddy(ComboBoxPerso2);
    LabelPerso3->setBuddy(ComboBoxPerso3);

    connect(EditDXLocator, &QLineEdit::textChanged, this, &TForm1::EditDXLocatorChange);
    connect(EditDXLattitude, &QLineEdit::textChanged, this, &TForm1::EditDXLattitudeChange);
    connect(EditDXLongitude, &QLineEdit::textChanged, this, &TForm1::EditDXLongitudeChange);
    connect(CheckBoxLattitudeNordDX, &QCheckBox::toggled, this,
            &TForm1::CheckBoxLattitudeNordDXClick);
    connect(CheckBoxLattitudeSudDX, &QCheckBox::toggled, this,
            &TForm1::CheckBoxLattitudeSudDXClick);
    connect(CheckBoxLongitudeOuestDX, &QCheckBox::toggled, this,
            &TForm1::CheckBoxLongitudeOuestDXClick);
    connect(CheckBoxLongitudeEstDX, &QCheckBox::toggled, this,
            &TForm1::CheckBoxLongitudeEstDXClick);
    // Only the operator's own choices select an entry; selections made by code do not.
    connect(ComboBoxListDX, &QComboBox::activated, this, &TForm1::ComboBoxListDXClick);
    connect(ComboBoxPerso1, &QComboBox::activated, this, &TForm1::ComboBoxPerso1Click);
    connect(ComboBoxPerso2, &QComboBox::activated, this, &TForm1::ComboBoxPerso2Click);
    connect(ComboBoxPerso3, &QComboBox::activated, this, &TForm1::ComboBoxPerso3Click);
}

void TForm1::build_beam_group(QWidget* client) {
    GroupBoxBeam = make<QGroupBox>(client, "GroupBoxBeam", 240, 60, 225, 133);
    GroupBoxBeam->setTitle(QStringLiteral("BEAM"));
    GroupBoxBeam->setFont(arial(10));
    set_background(GroupBoxBeam, QColor(224, 255, 224));
    QWidget* g = GroupBoxBeam;

    LabelAzimut = make<ClickableLabel>(g, "LabelAzimut", 98, 14, 100, 16);
    LabelAzimut->setText(QStringLiteral("Azimuth = (deg)"));
    LabelAzimut->setFont(arial(10));
    let_grow_with_text(LabelAzimut);
    EditAzimut = make<QLineEdit>(g, "EditAzimut", 104, 32, 73, 30);
    EditAzimut->setFont(arial(14));
    EditAzimut->setText(QStringLiteral("0"));
    UpDownAzimut = make<UpDown>(g, "UpDownAzimut", 176, 32, 17, 30);
    UpDownAzimut->setRange(0, 359);
    // Both dials start from the same background, drawn once and shared.
    const QPixmap dial = dial_background_picture();
    Image2 = make<QLabel>(g, "Image2", 16, 25, kDialSize, kDialSize);
    Image2->setPixmap(dial);
    Image2->hide();
    mark_decorative(Image2);
    Image1 = make<QLabel>(g, "Image1", 16, 25, kDialSize, kDialSize);
    Image1->setPixmap(dial);
    SpeedButtonLP = make<QToolButton>(g, "SpeedButtonLP", 40, 96, 25, 25);
    SpeedButtonLP->setText(QStringLiteral("LP"));
    SpeedButtonLP->setCheckable(true);
    SpeedButtonLP->setFocusPolicy(Qt::NoFocus);
    LabelDistance = make<QLabel>(g, "LabelDistance", 104, 70, 71, 16);
    LabelDistance->setText(QStringLiteral("QRB = (km)"));
    LabelDistance->setFont(arial(10));
    let_grow_with_text(LabelDistance);
    EditDistance = make<QLineEdit>(g, "EditDistance", 104, 88, 89, 30);
    EditDistance->setFont(arial(14));
    EditDistance->setReadOnly(true);
    EditDistance->setText(QStringLiteral("0"));

    // The button's own checked state is set by the handler, which owns the toggle.
    connect(SpeedButtonLP, &QToolButton::clicked, this, &TForm1::SpeedButtonLPClick);
    connect(EditAzimut, &QLineEdit::textChanged, this, &TForm1::EditAzimutChange);
    connect(EditAzimut, &QLineEdit::returnPressed, this, &TForm1::EditAzimutReturnPressed);
    connect(UpDownAzimut, &UpDown::clicked, this, &TForm1::UpDownAzimutClick);
    connect(LabelAzimut, &ClickableLabel::doubleClicked, this, &TForm1::LabelAzimutDblClick);
}

void TForm1::build_command_panel(QWidget* client) {
    PanelLampe = new Panel(client, kPanelGrey, Panel::Bevel::Lowered, Panel::Bevel::Lowered, 2);
    PanelLampe->setObjectName(QStringLiteral("PanelLampe"));
    PanelLampe->setGeometry(240, 202, 225, 45);
    QWidget* g = PanelLampe;
    ButtonTrack = make<QPushButton>(g, "ButtonTrack", 5, 5, 42, 36);
    ButtonTrack->setText(QStringLiteral("GO"));
    ButtonTrack->setFont(arial(18));
    SpeedButtonAuto = make<QToolButton>(g, "SpeedButtonAuto", 47, 5, 42, 36);
    SpeedButtonAuto->setText(QStringLiteral("AUTO"));
    SpeedButtonAuto->setFont(arial(10));
    SpeedButtonAuto->setCheckable(true); // AUTO latches; the handlers read its checked state
    SpeedButtonAuto->setFocusPolicy(Qt::NoFocus);
    BitBtnStop = new PictureButton(g, stop_picture());
    BitBtnStop->setObjectName(QStringLiteral("BitBtnStop"));
    BitBtnStop->setGeometry(89, 5, 42, 36);
    BitBtnStop->setText(QStringLiteral("STOP"));
    BitBtnStop->setFont(arial(10));
    ImageLEDOff = make<QLabel>(g, "ImageLEDOff", 186, 7, 31, 31);
    ImageLEDOff->setPixmap(led_picture(false));
    ImageLedOn = make<QLabel>(g, "ImageLedOn", 186, 7, 31, 31);
    ImageLedOn->setPixmap(led_picture(true));
    ImageLedOn->hide();
    connect(ButtonTrack, &QPushButton::clicked, this, &TForm1::ButtonTrackClick);
    connect(BitBtnStop, &QPushButton::clicked, this, &TForm1::BitBtnStopClick);
}

void TForm1::build_menus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Menus are drawn in the desktop's menu font, not in the window's.
    bar->setFont(QApplication::font(bar));

    MenuQuitter = bar->addAction(QStringLiteral("&Quit"));
    MenuQuitter->setObjectName(QStringLiteral("MenuQuitter"));
    MenuQuitter->setShortcut(QKeySequence(Qt::Key_F4));
    connect(MenuQuitter, &QAction::triggered, this, &TForm1::MenuQuitterClick);

    MenuInit = bar->addAction(QStringLiteral("&Init"));
    MenuInit->setObjectName(QStringLiteral("MenuInit"));
    connect(MenuInit, &QAction::triggered, this, &TForm1::MenuInitClick);

    MenuListe = bar->addMenu(QStringLiteral("&My Lists"));
    MenuListe->setObjectName(QStringLiteral("MenuListe"));
    MenuListe1 = MenuListe->addAction(QStringLiteral("List 1"));
    MenuListe1->setObjectName(QStringLiteral("MenuListe1"));
    Menuliste2 = MenuListe->addAction(QStringLiteral("List 2"));
    Menuliste2->setObjectName(QStringLiteral("Menuliste2"));
    MenuListe3 = MenuListe->addAction(QStringLiteral("List 3"));
    MenuListe3->setObjectName(QStringLiteral("MenuListe3"));
    connect(MenuListe1, &QAction::triggered, this, &TForm1::MenuListe1Click);
    connect(Menuliste2, &QAction::triggered, this, &TForm1::Menuliste2Click);
    connect(MenuListe3, &QAction::triggered, this, &TForm1::MenuListe3Click);

    MenuUnit = bar->addMenu(QStringLiteral("&Unit"));
    MenuUnit->setObjectName(QStringLiteral("MenuUnit"));
    MenuKm = MenuUnit->addAction(QStringLiteral("&Km"));
    MenuKm->setObjectName(QStringLiteral("MenuKm"));
    MenuMile = MenuUnit->addAction(QStringLiteral("&Mile"));
    MenuMile->setObjectName(QStringLiteral("MenuMile"));
    auto* units = new QActionGroup(this);
    for (QAction* a : {MenuKm, MenuMile}) {
        a->setCheckable(true);
        units->addAction(a);
    }
    MenuKm->setChecked(true);
    connect(MenuKm, &QAction::triggered, this, &TForm1::MenuKmClick);
    connect(MenuMile, &QAction::triggered, this, &TForm1::MenuMileClick);
    build_map_menu();

    MenuLangue = bar->addMenu(QStringLiteral("&Language"));
    MenuLangue->setObjectName(QStringLiteral("MenuLangue"));
    MenuEnglish = MenuLangue->addAction(QStringLiteral("&English"));
    MenuEnglish->setObjectName(QStringLiteral("MenuEnglish"));
    MenuFrancais = MenuLangue->addAction(QStringLiteral("&Français"));
    MenuFrancais->setObjectName(QStringLiteral("MenuFrancais"));
    auto* languages = new QActionGroup(this);
    for (QAction* a : {MenuEnglish, MenuFrancais}) {
        a->setCheckable(true);
        languages->addAction(a);
    }
    MenuEnglish->setChecked(true);
    connect(MenuEnglish, &QAction::triggered, this, &TForm1::MenuEnglishClick);
    connect(MenuFrancais, &QAction::triggered, this, &TForm1::MenuFrancaisClick);

    MenuHelp = bar->addMenu(QStringLiteral("?"));
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    MenuAide = MenuHelp->addAction(QLatin1String(kStartupHelpCaption));
    MenuAide->setObjectName(QStringLiteral("MenuAide"));
    MenuAide->setShortcut(QKeySequence(Qt::Key_F1));
    MenuAPropos = MenuHelp->addAction(QLatin1String(kStartupAboutCaption));
    MenuAPropos->setObjectName(QStringLiteral("MenuAPropos"));
    connect(MenuAide, &QAction::triggered, this, &TForm1::MenuAideClick);
    connect(MenuAPropos, &QAction::triggered, this, &TForm1::MenuAProposClick);

    // Shortcuts work while the main window is active, whether or not a menu is open.
    addAction(MenuQuitter);
    addAction(MenuAide);
}

void TForm1::place_on_screen() {
    QScreen* screen = QGuiApplication::screenAt(kDesignPosition);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // Before the window is shown its frame is not known yet: the client area stands for it.
    const QRect frame = frameGeometry();
    const QPoint corner =
        place_inside(QRect(kDesignPosition, frame.size()), screen->availableGeometry());
    if (!isVisible() || frame.topLeft() != corner)
        move(corner);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // The first exposure comes after the window manager has put its frame around the window:
    // only now is the frame's size known, and with it whether the window fits where it stands.
    if (watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        place_on_screen();
        // A window manager gives the keyboard to the window shown last: at a first start the
        // dialog, shown before the main window, asks for it back, and stands beside the
        // main window's real frame.
        if (formInitVisible() && state_.LocalLocator.isEmpty())
            FormInit->showBeside(this, true);
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kestrav
