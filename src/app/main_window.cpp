// The main window: its construction, the parts of its view and the hosts of what it opens.

#include "app/main_window.h"

#include "app/azimuth_panel.h"
#include "app/design_sizes.h"
#include "app/dx_entry_view.h"
#include "app/follow_wsjtx.h"
#include "app/init_dialog_beside.h"
#include "app/main_window_hosts.h"
#include "app/pictures.h"
#include "app/widgets.h"
#include "app/window_frame.h"
#include "azel/elevation_panel.h"
#include "dx_cluster/spots_window.h"
#include "follow/wsjtx_listener.h"
#include "map/map_window.h"
#include "rotor/comm_port_driver.h"
#include "rotor/rotctld_link.h"
#include "setup/languages.h"
#include "udp_rotor/udp_rotor_menu.h"
#include "ui/accessible_names.h"
#include "ui/desktop.h"
#include "ui/fonts.h"
#include "ui/widget_factory.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace kestrav {

namespace {

// The seams of the rotor interfaces: the two serial drivers keep their port links beside the
// settings, rotctld is reached over the network, and the parallel port and the messages to the
// outside rotator program are the window's.
RotorSeams rotor_seams(const MainWindowContext& context, const QString& app_directory) {
    RotorSeams seams;
    seams.gs232 = new TCommPortDriver;
    seams.gs232->setObjectName(QStringLiteral("CommPortDriverGS"));
    seams.easycomm = new TCommPortDriver;
    seams.easycomm->setObjectName(QStringLiteral("CommPortDriverEasy"));
    for (TCommPortDriver* driver : {seams.gs232, seams.easycomm})
        driver->setPortDirectory(app_directory);
    auto* link = new RotctldLink;
    link->setObjectName(QStringLiteral("NetworkLink"));
    seams.network = link;
    seams.parallel_port = context.parallel_port;
    seams.window_messages = context.window_messages;
    return seams;
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
    : QMainWindow(parent), session_(new StationSession(this)), desktop_(context.desktop) {
    setObjectName(QStringLiteral("Form1"));
    hosts_ = std::make_unique<Hosts>(*this, context.parallel_port);
    MainWindowUi& ui = *this;
    azimuth_ = std::make_unique<AzimuthPanel>(*this, ui, *session_, context.dde_server);
    dx_ = std::make_unique<DxEntryView>(*this, ui, state(), *azimuth_);
    dialog_ =
        std::make_unique<InitDialogBeside>(*this, *hosts_, [this] { place_on_screen(*this); });
    connect(session_, &StationSession::dxStationPlaced, this,
            [this](const DxPlacement& placed, const std::optional<QString>& label) {
                dx_->showPlaced(placed, label);
            });
    connect(session_, &StationSession::dxLocatorPlaced, this,
            [this](const QString& locator) { dx_->showPlacedLocator(locator); });
    state().ExeDirectory = context.exe_directory;
    state().AppDirectory = context.app_directory;
    state().SettingsFileExists = context.settings_file_exists;
    set_box_messages(state(), language_texts(UiLanguage::English));
    state().Messages.help_file = QLatin1String(kStartupHelpFile);
    build_window(context);
    FormCreate();
    // The initialisation dialog is created once, hidden, the first time it is needed: when it
    // opens at a first start or from the menu. Until then nothing reads it; the main window
    // comes up without waiting for its pages.
    hosts_->installPublication(context.dde_server);
    azimuth_->buildHeadingMenu();
    hosts_->follow = new FollowWsjtx(
        state().WsjtxFollowing, *session_, [this]() -> Desktop& { return desktop(); }, MenuListe,
        this);
    // WSJT-X steers no more once the exit has begun; the following stays on for the next run.
    connect(this, &TForm1::shuttingDown, hosts_->follow, [follow = hosts_->follow] {
        if (follow->listener() != nullptr)
            follow->listener()->stop();
    });
    hosts_->installRotctldServer();
    hosts_->installSpots();
    hosts_->udp_rotor = new UdpRotorMenu(
        *session_, [this]() -> Desktop& { return desktop(); }, MenuUnit, this);
    connect(this, &TForm1::shuttingDown, hosts_->udp_rotor,
            [udp = hosts_->udp_rotor] { udp->stop(); });
    hosts_->installRotatorMenu();
    hosts_->installElevation();
    dialog_->followKeyboard();
    qApp->installEventFilter(new EnterPressesButtons(this));
    hosts_->applyTexts(language_texts(french_ ? UiLanguage::French : UiLanguage::English));
}

void TForm1::Hosts::installSpots() {
    TForm1& w = w_;
    spots_item = new QAction(&w);
    spots_item->setObjectName(QStringLiteral("MenuSpots"));
    spots_item->setShortcut(QKeySequence(Qt::Key_F9));
    w.MenuListe->addAction(spots_item);
    QObject::connect(spots_item, &QAction::triggered, &w, [this] {
        SpotsWindow& window = spots();
        window.show();
        window.raise();
        window.activateWindow();
    });
    if (w.state().DxCluster.on)
        spots().startFromSettings();
}

SpotsWindow& TForm1::Hosts::spots() {
    if (spots_window == nullptr) {
        TForm1& w = w_;
        spots_window = new SpotsWindow(
            *w.session_,
            [this](const QString& call) -> std::optional<Country> {
                return follow != nullptr ? follow->countries().lookup(call) : std::nullopt;
            },
            [&w]() -> Desktop& { return w.desktop(); }, &w);
        spots_window->setTexts(
            language_texts(w.french_ ? UiLanguage::French : UiLanguage::English));
        // The map shows the spots of the band chosen.
        QObject::connect(spots_window, &SpotsWindow::spotsChanged, &w, [this, &w] {
            if (w.FormMap != nullptr)
                w.FormMap->setSpots(spots_window->mapSpots());
        });
        // Bearings and distances follow the own station, the long path and the unit.
        followMapChanges(spots_window,
                         [window = spots_window] { window->placingMayHaveChanged(); });
        // Nobody is read from once the exit has begun.
        QObject::connect(&w, &TForm1::shuttingDown, spots_window,
                         [window = spots_window] { window->client().stop(); });
    }
    return *spots_window;
}

void TForm1::Hosts::installElevation() {
    TForm1& w = w_;
    elevation = new ElevationPanel(
        {w.GroupBoxBeam, w.LabelAzimut, w.EditAzimut, w.UpDownAzimut, w.ButtonTrack,
         w.TimerAzimutPause},
        *w.session_, [&w]() -> Desktop& { return w.desktop(); },
        [&w] { w.azimuth_->updateDialTooltip(); }, &w);
    w.azimuth_->setElevationPanel(elevation);
    elevation->refresh();
}

void TForm1::Hosts::interfaceChanged() {
    w_.update_status_lines();
    if (elevation != nullptr)
        elevation->refresh();
}

TForm1::~TForm1() {
    dialog_->destroyDialog();
}

TFormInit* TForm1::formInit() {
    return dialog_->dialog(french_ ? UiLanguage::French : UiLanguage::English);
}

bool TForm1::longPath() const {
    return session_->longPath();
}

bool TForm1::mile() const {
    return session_->miles();
}

const QString& TForm1::publishedAzimuth() const {
    return azimuth_->published();
}

bool TForm1::testCommandPending() const {
    return azimuth_->testCommandPending();
}

void TForm1::build_window(const MainWindowContext& context) {
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

    dx_->buildDxGroup(client);

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

    azimuth_->buildBeamGroup(client);
    azimuth_->buildCommandPanel(client);

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

    build_menu_bar(*this, *this, [this] { hosts_->installMap(); });

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

    azimuth_->showRotor(session_->buildRotor(rotor_seams(context, state().AppDirectory)));

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

} // namespace kestrav
