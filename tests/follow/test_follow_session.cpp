// Following WSJT-X in the real main window: Status datagrams over the loopback and to a
// multicast group, the DX fields and azimuth they set, the commands the rotator controller
// emulator receives on ports/COM1 with AUTO down and up; the address dialog, the chosen
// country file and a port that cannot be had.

#include "app/follow_wsjtx.h"
#include "follow/country_source.h"
#include "follow/wsjtx_listener.h"
#include "follow/wsjtx_message.h"
#include "follow_fixture.h"
#include "geodesy/bearing.h"
#include "geodesy/locator.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "settings/settings_writer.h"
#include "support/wait_past.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QNetworkInterface>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QToolButton>
#include <QUdpSocket>

#include <algorithm>
#include <cmath>

namespace kestrav::test {
namespace {

class FollowSession : public FollowOnEmulator {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(start_following());
    }

    void status(const QString& call, const QString& grid, const QString& id = "WSJT-X") {
        sender.writeDatagram(build_wsjtx_status(id, call, grid), QHostAddress::LocalHost,
                             window->state().WsjtxFollowing.port);
    }

    QByteArray received(qsizetype size) { return received_at_least(log, size); }

    QUdpSocket sender;
};

TEST_F(FollowSession, GridAtOnceCallOnceSettledWithAutoDown) {
    // The listener's clock stands still until the test steps it, then runs on from there.
    WsjtxListener* listener = window->findChild<FollowWsjtx*>()->listener();
    qint64 now = 0;
    QElapsedTimer running;
    listener->setClock([&] { return running.isValid() ? now + running.elapsed() : now; });
    const auto own_clock_again = qScopeGuard([listener] { listener->setClock({}); });
    ui().SpeedButtonAuto->setChecked(true);
    status("VK2ABC", "QF56");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "QF56MM"; }));
    const QByteArray first = command_to(-33.5, 151);
    EXPECT_EQ(received(first.size()), first);
    EXPECT_EQ(window->state().DxLabel, "VK2ABC  QF56");

    // A call typed letter by letter, the way WSJT-X reports each keystroke: only the whole
    // call, once left alone for the settling time on the listener's clock, moves the antenna,
    // to its country. That clock stands still while the keystrokes are taken in, so the whole
    // call is as old as every partial one, however slowly a loaded machine runs the test.
    QSignalSpy stations(listener, &WsjtxListener::dxStation);
    for (const char* keys : {"E", "EA", "EA4", "EA4X", "EA4XY"})
        status(keys, "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener->settleTimer().isActive(); }));
    now = kCallSettleMs - 1;
    QSignalSpy looked(&listener->settleTimer(), &QTimer::timeout);
    ASSERT_TRUE(looked.wait(10000));
    EXPECT_EQ(stations.size(), 0) << "nothing before the call has settled";
    now = kCallSettleMs;
    const Country spain = *window->findChild<FollowWsjtx*>()->countries().lookup(u"EA4XY");
    const QByteArray both = first + command_to(spain.latitude, spain.longitude);
    EXPECT_EQ(received(both.size()), both);
    EXPECT_EQ(stations.size(), 1);
    EXPECT_EQ(window->state().DxLabel, "EA4XY  " + spain.name);
    running.start();

    // A second instance sets its own station; the first one's unchanged repeat does not
    // take it back, and a Close or a foreign datagram changes nothing.
    status("JA1XYZ", "PM95", "WSJT-X - rig2");
    status("EA4XY", "", "WSJT-X");
    sender.writeDatagram(QByteArray("not WSJT-X"), QHostAddress::LocalHost,
                         window->state().WsjtxFollowing.port);
    const QByteArray third = both + command_to(35.5, 139);
    EXPECT_EQ(received(third.size()), third);
    ASSERT_TRUE(wait_past(kCallSettleMs + 200)); // past any call the repeat could have left
    EXPECT_EQ(log_now(), third);
    EXPECT_EQ(ui().EditDXLocator->text(), "PM95MM");
}

// A station from WSJT-X while the caret is in the azimuth field is no typing of the
// operator's: the DX fields keep it and, with AUTO down, GO goes once (the minimum step of 0
// would let a second one out).
TEST_F(FollowSession, StationArrivingWithTheCaretInTheAzimuthField) {
    window->state().min_step(RotorInterface::Gs232) = 0;
    ui().SpeedButtonAuto->setChecked(true);
    focus(ui().EditAzimut);
    QSignalSpy handed_over(&window->controller(), &RotorController::commandHandedOver);
    status("VK2ABC", "QF56");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->state().DxLabel == "VK2ABC  QF56"; }));
    EXPECT_TRUE(ui().EditAzimut->hasFocus());
    EXPECT_EQ(ui().EditDXLocator->text(), "QF56MM");
    EXPECT_FALSE(ui().EditDXLattitude->text().isEmpty());
    EXPECT_FALSE(ui().EditDXLongitude->text().isEmpty());
    EXPECT_FALSE(ui().EditDistance->text().isEmpty());
    EXPECT_EQ(handed_over.count(), 1);
    const QByteArray once = command_to(-33.5, 151);
    EXPECT_EQ(received(once.size()), once);
}

TEST_F(FollowSession, AutoUpSendsNothingAndTheRowIsWritten) {
    ui().SpeedButtonAuto->setChecked(false);
    status("VK2ABC", "QF56");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "QF56MM"; }));
    EXPECT_FALSE(ui().EditAzimut->text().isEmpty());
    // AUTO down again, a later grid turns the antenna: its turn is the first to arrive.
    ui().SpeedButtonAuto->setChecked(true);
    status("JA1XYZ", "PM95");
    const QByteArray later = command_to(35.5, 139);
    EXPECT_EQ(received(later.size()), later);

    FollowWsjtx* follow = window->findChild<FollowWsjtx*>();
    QStringList heard;
    QObject::connect(follow->listener(), &WsjtxListener::dxStation,
                     [&](const DxTarget& target) { heard << target.label; });
    follow->action()->trigger(); // off: nothing followed any more
    status("JA2XYZ", "PM96");
    const QStringList lines = settings_lines(window->state(), false, false);
    EXPECT_EQ(lines.back(),
              QStringLiteral("WSJTX=OFF,127.0.0.1,%1").arg(window->state().WsjtxFollowing.port));
    // On again, a later grid is heard: the one sent while off never was.
    follow->action()->trigger();
    status("JA3XYZ", "PM97");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "PM97MM"; }));
    EXPECT_EQ(heard, QStringList{"JA3XYZ  PM97"});
}

TEST_F(FollowSession, MapCallFieldAndFrenchItem) {
    ui().MenuMap->trigger();
    MapWindow* map = ui().FormMap;
    QTest::keyClicks(map->callField(), "ja1xyz");
    QTest::keyClick(map->callField(), Qt::Key_Return);
    const Country japan = *window->findChild<FollowWsjtx*>()->countries().lookup(u"JA1XYZ");
    EXPECT_TRUE(window->state().DxLabel.startsWith("JA1XYZ  "));
    EXPECT_EQ(ui().EditDXLocator->text(),
              position_to_locator(std::fabs(japan.latitude), japan.latitude >= 0,
                                  std::fabs(japan.longitude), japan.longitude >= 0));
    map->callField()->setText("QQ"); // no country: a beep, the station stays
    QTest::keyClick(map->callField(), Qt::Key_Return);
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_TRUE(window->state().DxLabel.startsWith("JA1XYZ  "));
    EXPECT_EQ(map->callField()->text(), "QQ") << "what is typed stays while the DX does";

    // The field never shows a call of another station: WSJT-X's call replaces it, a grid
    // without call, a click on the map and a typed locator empty it.
    const auto field_becomes = [&](const QString& text) {
        return QTest::qWaitFor([&] { return map->callField()->text() == text; });
    };
    status("VK6ABC", "OF78");
    EXPECT_TRUE(field_becomes("VK6ABC")) << map->callField()->text().toStdString();
    status("", "FN31");
    EXPECT_TRUE(field_becomes("")) << map->callField()->text().toStdString();
    status("VK6ABC", "OF78");
    ASSERT_TRUE(field_becomes("VK6ABC"));
    QTest::mouseClick(map->view(), Qt::LeftButton, {},
                      map->view()->toWidget({-33.92, 18.42}).toPoint());
    EXPECT_TRUE(field_becomes("")) << map->callField()->text().toStdString();
    map->callField()->setText("ja1xyz");
    QTest::keyClick(map->callField(), Qt::Key_Return);
    ui().EditDXLocator->setText(QStringLiteral("FN31PR"));
    EXPECT_TRUE(field_becomes("")) << map->callField()->text().toStdString();

    ui().MenuFrancais->trigger();
    EXPECT_EQ(window->findChild<FollowWsjtx*>()->action()->text(), "Suivre &WSJT-X");
    // Its accelerator is the only W of its menu.
    for (QAction* other : ui().MenuListe->actions()) {
        if (other != window->findChild<FollowWsjtx*>()->action()) {
            EXPECT_FALSE(other->text().contains("&W", Qt::CaseInsensitive));
        }
    }
}

} // namespace
} // namespace kestrav::test

namespace kestrav::test {
namespace {

// A port nobody holds: taken and let go again.
quint16 free_port() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// The letter after "&" of each item of a menu, in order.
QString accelerators(const QMenu* menu) {
    QString letters;
    for (const QAction* item : menu->actions()) {
        const qsizetype at = item->text().indexOf(u'&');
        if (at >= 0 && at + 1 < item->text().size())
            letters += item->text().at(at + 1).toUpper();
    }
    return letters;
}

TEST_F(FollowSession, AddressDialogRefusesThenRebindsAndATakenPortIsTold) {
    window->findChild<FollowWsjtx*>()->addressAction()->trigger();
    FollowAddressDialog* dialog = window->findChild<FollowWsjtx*>()->addressDialog();
    ASSERT_TRUE(dialog != nullptr && dialog->isVisible());
    EXPECT_EQ(dialog->addressField()->text(), "127.0.0.1");
    const LanguageTexts& en = language_texts(UiLanguage::English);
    const struct {
        const char* address;
        const char* port;
        QString message;
    } refused[] = {
        {"localhost", "2237", en.follow_bad_address},
        {"127.0.0.1.5", "2237", en.follow_bad_address},
        {"fe80::1%eth0", "2237", en.follow_bad_address},
        {"127.0.0.1", "0", en.follow_bad_port},
        {"127.0.0.1", "65536", en.follow_bad_port},
        {"::1", "22x", en.follow_bad_port},
    };
    for (const auto& r : refused) {
        dialog->addressField()->setText(r.address);
        dialog->portField()->setText(r.port);
        dialog->accept();
        ASSERT_FALSE(desktop.boxes.empty());
        EXPECT_EQ(desktop.boxes.back().text, r.message) << r.address << " " << r.port;
        EXPECT_TRUE(dialog->isVisible());
    }
    const std::size_t boxes = desktop.boxes.size();

    const quint16 moved = free_port();
    dialog->addressField()->setText(" 127.0.0.1 ");
    dialog->portField()->setText(QString::number(moved));
    dialog->accept();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(desktop.boxes.size(), boxes);
    EXPECT_EQ(window->findChild<FollowWsjtx*>()->listener()->localPort(), moved);
    sender.writeDatagram(build_wsjtx_status("WSJT-X", "VK2ABC", "QF56"), QHostAddress::LocalHost,
                         moved);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "QF56MM"; }));

    // A port held by a program that does not share it: told, unchecked, nothing waits.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
    window->findChild<FollowWsjtx*>()->addressAction()->trigger();
    dialog->portField()->setText(QString::number(holder.localPort()));
    dialog->accept();
    EXPECT_FALSE(window->findChild<FollowWsjtx*>()->action()->isChecked());
    EXPECT_FALSE(window->findChild<FollowWsjtx*>()->listener()->isListening());
    const QString prefix =
        QStringLiteral("Cannot listen for WSJT-X on 127.0.0.1 port %1: ").arg(holder.localPort());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return desktop.boxes.size() > boxes && desktop.boxes.back().text.startsWith(prefix);
    }));
    EXPECT_FALSE(window->state().WsjtxFollowing.on);
}

TEST_F(FollowSession, CountryFileChosenRefusedAndKept) {
    const QString garbage = dir.path() + "/notes.dat";
    const QString missing = dir.path() + "/missing.dat";
    const QString chosen = dir.path() + "/my,cty.dat";
    for (const auto& [path, text] :
         {std::pair{garbage, "Just notes: nothing here is a country\n"},
          std::pair{chosen,
                    "Testland:  14:  28:  EU:  10.00:  -20.00:  -1.0:  ZZ9:\n    ZZ9;\n"}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    desktop.file_answers = {garbage, missing, chosen};
    QAction* item = window->findChild<FollowWsjtx*>()->countryFileAction();
    item->trigger();
    EXPECT_EQ(desktop.boxes.back().text, garbage + " is not a country file (cty.dat format)");
    item->trigger();
    EXPECT_EQ(desktop.boxes.back().text, "Can't read the country file " + missing);
    EXPECT_TRUE(window->findChild<FollowWsjtx*>()->countries().lookup(u"JA1XYZ")); // the table kept
    const std::size_t boxes = desktop.boxes.size();
    item->trigger();
    EXPECT_EQ(desktop.boxes.size(), boxes);
    EXPECT_FALSE(window->findChild<FollowWsjtx*>()->countries().lookup(u"JA1XYZ"));

    // The listener that already ran looks calls up in the new table.
    status("ZZ9ABC", "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->state().DxLabel == "ZZ9ABC  Testland"; },
                                kCallSettleMs + 3000));
    EXPECT_EQ(ui().EditDXLocator->text(), position_to_locator(10, true, 20, true));

    EXPECT_EQ(settings_lines(window->state(), false, false).back(),
              QStringLiteral("WSJTX=ON,127.0.0.1,%1,%2")
                  .arg(window->state().WsjtxFollowing.port)
                  .arg(chosen));
    EXPECT_EQ(desktop.file_filters.size(), 3);

    // The dialog opens at the file in use: the system's (or the home folder without it),
    // then the one chosen, and its folder once it has gone.
    const QString system = QString::fromUtf16(kSystemCountryFile);
    EXPECT_EQ(desktop.file_starts.value(0), QFileInfo(system).isFile() ? system : QDir::homePath());
    item->trigger();
    EXPECT_EQ(desktop.file_starts.back(), chosen);
    ASSERT_TRUE(QFile::remove(chosen));
    item->trigger();
    EXPECT_EQ(desktop.file_starts.back(), QFileInfo(chosen).absolutePath());

    // Both languages: the items' accelerators differ from each other.
    for (QAction* language : {ui().MenuFrancais, ui().MenuEnglish}) {
        language->trigger();
        const QString letters = accelerators(ui().MenuListe);
        EXPECT_EQ(QSet<QChar>(letters.begin(), letters.end()).size(), letters.size())
            << letters.toStdString();
        EXPECT_GE(letters.size(), 3);
    }
}

// WSJT-X sending to a multicast group, the datagram looped back to this host.
TEST_F(FollowSession, MulticastGroup) {
    window->findChild<FollowWsjtx*>()->addressAction()->trigger();
    FollowAddressDialog* dialog = window->findChild<FollowWsjtx*>()->addressDialog();
    const quint16 port = free_port();
    dialog->addressField()->setText("239.255.77.1");
    dialog->portField()->setText(QString::number(port));
    dialog->accept();
    ASSERT_TRUE(window->findChild<FollowWsjtx*>()->listener()->isListening())
        << desktop.boxes.size();
    sender.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 1);
    ASSERT_GT(sender.writeDatagram(build_wsjtx_status("WSJT-X", "JA1XYZ", "PM95"),
                                   QHostAddress("239.255.77.1"), port),
              0)
        << sender.errorString().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui().EditDXLocator->text() == "PM95MM"; }));
}

// The first IPv4 address of one of this machine's interfaces other than the loopback, or
// a null address.
QHostAddress network_address() {
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a;
    return {};
}

// Who is heard: by default this computer only, never a datagram to its network address; the
// network address itself when chosen; both on every interface, which the dialog warns of.
// What must not be heard is sent before what must, so the later one's arrival shows the
// earlier one would have been there first.
TEST_F(FollowSession, HearsOnlyTheChosenAddress) {
    const QHostAddress network = network_address();
    if (network.isNull())
        GTEST_SKIP() << "this machine has no network address besides the loopback";
    FollowWsjtx* follow = window->findChild<FollowWsjtx*>();
    QStringList heard;
    QObject::connect(follow->listener(), &WsjtxListener::dxStation,
                     [&](const DxTarget& target) { heard << target.label; });
    const quint16 port = window->state().WsjtxFollowing.port;
    const struct {
        QString chosen; // empty: the default the fixture started with
        bool network_heard, loopback_heard;
    } rows[] = {
        {QString(), false, true},
        {QStringLiteral("0.0.0.0"), true, true},
        {network.toString(), true, false},
        {QStringLiteral("127.0.0.1"), false, true},
    };
    const char* const grids[] = {"FN31", "IO91", "PM95", "QF56", "KP20", "EM10", "DM04", "JN18"};
    int sent = 0;
    QStringList expected;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.chosen.isEmpty() ? std::string("default") : r.chosen.toStdString());
        if (!r.chosen.isEmpty()) {
            follow->addressAction()->trigger();
            FollowAddressDialog* dialog = follow->addressDialog();
            if (r.chosen == "0.0.0.0")
                dialog->allInterfacesBox()->click();
            else
                dialog->addressField()->setText(r.chosen);
            EXPECT_EQ(dialog->addressField()->text(), r.chosen);
            const bool everywhere = r.network_heard && r.loopback_heard;
            EXPECT_EQ(dialog->allInterfacesBox()->isChecked(), everywhere);
            EXPECT_EQ(dialog->warningLabel()->isVisible(), everywhere);
            dialog->accept();
            EXPECT_EQ(settings_lines(window->state(), false, false).back(),
                      QStringLiteral("WSJTX=ON,%1,%2").arg(r.chosen).arg(port));
        }
        ASSERT_TRUE(follow->listener()->isListening())
            << follow->listener()->errorText().toStdString();
        std::vector<std::pair<QHostAddress, bool>> sends = {
            {network, r.network_heard}, {QHostAddress(QHostAddress::LocalHost), r.loopback_heard}};
        std::stable_sort(sends.begin(), sends.end(),
                         [](const auto& a, const auto& b) { return !a.second && b.second; });
        for (const auto& [to, must_hear] : sends) {
            const QString call = QStringLiteral("K%1ABC").arg(sent);
            const QString grid = QString::fromLatin1(grids[sent++]);
            ASSERT_GT(sender.writeDatagram(build_wsjtx_status("WSJT-X", call, grid), to, port), 0);
            if (must_hear)
                expected << call + QStringLiteral("  ") + grid;
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return heard.size() >= expected.size(); }));
        EXPECT_EQ(heard, expected);
    }

    // An address this computer does not have cannot be listened on: told, unchecked.
    follow->addressAction()->trigger();
    follow->addressDialog()->addressField()->setText("203.0.113.7");
    follow->addressDialog()->accept();
    EXPECT_FALSE(follow->action()->isChecked());
    const QString told =
        QStringLiteral("Cannot listen for WSJT-X on 203.0.113.7 port %1: ").arg(port);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !desktop.boxes.empty() && desktop.boxes.back().text.startsWith(told); }));
}

} // namespace

// A port taken when following starts with the program: told once the window is up.
TEST_F(WindowTest, FollowingPortTakenAtStart) {
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
    start(QStringLiteral("QRA_LOCATOR=JN18EU\r\nWSJTX=ON,127.0.0.1,%1\r\n")
              .arg(holder.localPort())
              .toLatin1());
    const QString prefix =
        QStringLiteral("Cannot listen for WSJT-X on 127.0.0.1 port %1: ").arg(holder.localPort());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !desktop.boxes.empty() && desktop.boxes.back().text.startsWith(prefix); }));
    EXPECT_FALSE(window->findChild<FollowWsjtx*>()->action()->isChecked());
}

} // namespace kestrav::test
