// DX cluster spots at the desk: a node scripted on the loopback feeds the running window, whose
// spots window shows them with their countries and bearings, and whose Enter (or a click on the
// map's mark) turns the rotator controller emulator (GS-232) on a pseudo-terminal.

#include "dx_cluster/spots_window.h"
#include "follow/country_source.h"
#include "map/map_view.h"
#include "map/map_window.h"
#include "support/longest_turn.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>

namespace kestrav::test {
namespace {

constexpr double kLatitude = 48.854;
constexpr double kLongitude = 2.375;

class SpotsDesk : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(emulator, dir.path(), log,
                                      {QStringLiteral("--speed"), QStringLiteral("360")}));
        ASSERT_TRUE(node.listen(QHostAddress::LocalHost));
    }

    // The window with the own station near Paris on GS-232, `more` rows added to its settings.
    void start_desk(const QString& more = {}) {
        start((QStringLiteral("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n") +
               more)
                  .toLatin1());
        window->formInit()->hide();
        window->state().SelectedInterface = RotorInterface::Gs232;
        window->state().Gs232Com = 0;
    }

    // Opens the spots window with its shortcut, as the operator does.
    SpotsWindow* open_spots() {
        focus(ui().ComboBoxListDX);
        QTest::keyClick(window.get(), Qt::Key_F9);
        auto* spots = window->findChild<SpotsWindow*>(QStringLiteral("FormSpots"));
        if (spots != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(spots));
            table = spots->findChild<QTableWidget*>(QStringLiteral("TableSpots"));
            state = spots->findChild<QLabel*>(QStringLiteral("LabelClusterState"));
        }
        return spots;
    }

    // The node's side of the next connection, the login prompt answered with `call`.
    QTcpSocket* log_in(const QByteArray& prompt, const QByteArray& call) {
        if (!node.hasPendingConnections())
            (void)QTest::qWaitFor([&] { return node.hasPendingConnections(); }, 10000);
        QTcpSocket* s = node.nextPendingConnection();
        if (s == nullptr)
            return nullptr;
        s->write(prompt);
        (void)QTest::qWaitFor([&] { return s->canReadLine(); }, 5000);
        EXPECT_EQ(s->readLine(), call + "\r\n");
        return s;
    }

    int row_of(const QString& call) const {
        for (int r = 0; r < table->rowCount(); ++r) {
            if (table->item(r, 2)->text() == call)
                return r;
        }
        return -1;
    }

    // The window's Alt keys: each label's and button's, none twice.
    static void expect_distinct_mnemonics(const QWidget* spots) {
        QSet<QChar> keys;
        for (const QWidget* w : spots->findChildren<QWidget*>()) {
            QString text;
            if (const auto* label = qobject_cast<const QLabel*>(w))
                text = label->text();
            else if (const auto* button = qobject_cast<const QPushButton*>(w))
                text = button->text();
            const qsizetype amp = text.indexOf(u'&');
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar key = text[amp + 1].toLower();
            EXPECT_FALSE(keys.contains(key)) << text.toStdString();
            keys.insert(key);
        }
        EXPECT_EQ(keys.size(), 5);
    }

    QString log;
    ChildProcess emulator;
    QTcpServer node;
    QTableWidget* table = nullptr;
    QLabel* state = nullptr;
};

TEST_F(SpotsDesk, SpotsShowTheirBearingsAndTurnTheAntennaFromTheTableAndTheMap) {
    start_desk(QStringLiteral("DXCLUSTER=127.0.0.1,%1,F4ABC\r\n").arg(node.serverPort()));
    SpotsWindow* spots = open_spots();
    ASSERT_NE(spots, nullptr);
    QTcpSocket* s = log_in("Welcome\r\nlogin: ", "F4ABC");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return state->text().startsWith("Connected to 127.0.0.1:"); }));
    // DX Spider, AR-Cluster and CC Cluster lines, a grid added, announcements and talk between.
    s->write("DX de EA4XY:     14025.0  JA1ABC       CW 599                         1234Z\r\n"
             "To ALL de G4ABC: anyone for a sked on 6m?\r\n"
             "DX de W3LPL-#:   1296100.0 EA8/DL1ABC  EME                            2359Z FN20\r\n"
             "WWV de W0MU <18>:   SFI=72, A=4, K=1, No Storms\r\n"
             "DX de K1TTT:      3525.5  VP2V/W1AW    up 2                          0001Z\r\n"
             "DX de OH2BH:      7010.0  K1ABC        CQ NA                         1805Z JN18\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 4; }, 5000)) << table->rowCount();

    // Each call's country and bearing, against the country file's own coordinates.
    const CountryTable countries = load_countries(QString::fromUtf16(kSystemCountryFile));
    for (const char* call : {"JA1ABC", "EA8/DL1ABC", "VP2V/W1AW", "K1ABC"}) {
        const int row = row_of(QLatin1String(call));
        ASSERT_GE(row, 0) << call;
        const std::optional<Country> c = countries.lookup(QString::fromLatin1(call));
        ASSERT_TRUE(c) << call;
        const Bearing b = great_circle_bearing(kLatitude, kLongitude, c->latitude, c->longitude);
        EXPECT_EQ(table->item(row, 3)->text(), c->name) << call;
        EXPECT_EQ(table->item(row, 4)->text(), format_fixed(b.azimuth, 0)) << call;
        EXPECT_EQ(table->item(row, 5)->text(), format_fixed(b.distance_km, 0)) << call;
    }
    EXPECT_EQ(table->item(row_of("EA8/DL1ABC"), 1)->text(), QStringLiteral("1296100.0"));

    // The band filter narrows the table and the map's marks alike.
    MapView* view = ui().FormMap->findChild<MapView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->spots().size(), 4u);
    auto* band = spots->findChild<QComboBox*>(QStringLiteral("ComboBand"));
    band->setCurrentIndex(band->findData(QStringLiteral("40m")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->spots().size() == 1; }));
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("K1ABC"));
    band->setCurrentIndex(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->spots().size() == 4; }));

    // With AUTO down, Enter on a spot turns the antenna to its country, as a list entry does.
    ui().SpeedButtonAuto->setChecked(true);
    focus(table);
    table->setCurrentCell(row_of("JA1ABC"), 2);
    QTest::keyClick(table, Qt::Key_Return);
    const Country japan = *countries.lookup(u"JA1ABC");
    const QByteArray to_japan =
        gs232_turn_toward(kLatitude, kLongitude, japan.latitude, japan.longitude);
    EXPECT_EQ(received_until(log, to_japan), to_japan);
    EXPECT_EQ(
        ui().EditAzimut->text(),
        format_fixed(
            great_circle_bearing(kLatitude, kLongitude, japan.latitude, japan.longitude).azimuth, 1,
            5));

    // The map's mark of a spot, clicked, sets the DX station there under the spot's name.
    ui().FormMap->open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui().FormMap));
    const Country bvi = *countries.lookup(u"VP2V/W1AW");
    QTest::mouseClick(view, Qt::LeftButton, {},
                      view->toWidget({bvi.latitude, bvi.longitude}).toPoint());
    const QByteArray to_bvi = gs232_turn_toward(kLatitude, kLongitude, bvi.latitude, bvi.longitude);
    EXPECT_EQ(received_until(log, to_bvi), to_japan + to_bvi);
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->scene().dx_label.startsWith(QStringLiteral("VP2V/W1AW")))
        << view->scene().dx_label.toStdString();
    // The marks are on the map, and the marks and bearings follow a new own station.
    const auto mark_at = [&](const Country& c) {
        return view->grab().toImage().pixelColor(
            view->toWidget({c.latitude, c.longitude}).toPoint());
    };
    const QColor mark(120, 0, 160);
    EXPECT_EQ(mark_at(japan), mark);
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_TRUE(desktop.boxes.empty());
    set_local(QStringLiteral("QF56OD")); // Sydney
    const StationState& st = window->state();
    const Bearing from_sydney = great_circle_bearing(
        signed_degrees(st.LocalLatitude, st.LocalNorth),
        signed_degrees(st.LocalLongitude, st.LocalEast), japan.latitude, japan.longitude);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return table->item(row_of("JA1ABC"), 4)->text() == format_fixed(from_sydney.azimuth, 0);
    }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return mark_at(japan) == mark && mark_at(bvi) == mark; }));
    // With LP on, the long path's bearing and distance.
    ui().SpeedButtonLP->click();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return table->item(row_of("JA1ABC"), 4)->text() ==
               format_fixed(long_path(from_sydney).azimuth, 0);
    }));
    EXPECT_EQ(table->item(row_of("JA1ABC"), 5)->text(),
              format_fixed(long_path(from_sydney).distance_km, 0));

    // Sorted by bearing as numbers, not as texts.
    table->sortByColumn(4, Qt::AscendingOrder);
    for (int r = 1; r < table->rowCount(); ++r)
        EXPECT_LE(table->item(r - 1, 4)->text().toDouble(), table->item(r, 4)->text().toDouble());
}

// Set up in the window itself: the node's state told as it changes (in French here), a drop
// followed by a new connection, and the row written at exit once the node has been used.
TEST_F(SpotsDesk, ADropIsToldAndTheNodeTriedAgain) {
    start_desk();
    ui().MenuFrancais->trigger();
    SpotsWindow* spots = open_spots();
    ASSERT_NE(spots, nullptr);
    EXPECT_EQ(state->text(), QStringLiteral("Non connecté"));
    // Read as a screen reader reads them: the fields by their labels, the table by its title.
    auto* host = spots->findChild<QLineEdit*>(QStringLiteral("EditClusterHost"));
    const auto name = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(host), QStringLiteral("Nœud :"));
    EXPECT_EQ(name(table), QStringLiteral("Spots du DX cluster Kestrav"));
    expect_distinct_mnemonics(spots);
    // Keyboard only: the node's fields, the button, the band and the table in that order.
    focus(host);
    const char* const order[] = {"SpinClusterPort", "EditClusterCall", "ButtonClusterConnect",
                                 "ComboBand", "TableSpots"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }

    auto* port = spots->findChild<QSpinBox*>(QStringLiteral("SpinClusterPort"));
    port->setValue(node.serverPort());
    type(spots->findChild<QLineEdit*>(QStringLiteral("EditClusterCall")), QStringLiteral("f4abc"));
    auto* connect = spots->findChild<QPushButton*>(QStringLiteral("ButtonClusterConnect"));
    type(host, QStringLiteral("no host!"));
    connect->click();
    EXPECT_EQ(state->text(), QStringLiteral("« no host! » n'est ni un nom d'hôte ni une adresse."));
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_TRUE(host->hasFocus());
    erase(host);
    type(host, QStringLiteral("127.0.0.1"));
    spots->client().setFirstPause(100);
    connect->click();
    QTcpSocket* s = log_in("login: ", "F4ABC");
    ASSERT_NE(s, nullptr);
    s->disconnectFromHost();
    const QString node_text = QStringLiteral("127.0.0.1:%1").arg(node.serverPort());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return state->text().startsWith(
            QStringLiteral("Connexion à %1 terminée (fermée par le nœud) : nouvel essai dans ")
                .arg(node_text));
    })) << state->text().toStdString();
    ASSERT_NE(log_in("Please enter your call: ", "F4ABC"), nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return state->text() == QStringLiteral("Connecté à %1").arg(node_text); }));

    window->close();
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains(
        QStringLiteral("\r\nDXCLUSTER=127.0.0.1,%1,F4ABC\r\n").arg(node.serverPort()).toLatin1()));
}

// 10,000 spots a second for two seconds, every one a new call, with the table and the map shown:
// the event loop keeps turning, and the spots kept, the table and the marks stay bounded.
TEST_F(SpotsDesk, AFloodKeepsTheWindowResponsiveAndBounded) {
    start_desk(QStringLiteral("DXCLUSTER=127.0.0.1,%1,F4ABC\r\n").arg(node.serverPort()));
    SpotsWindow* spots = open_spots();
    ASSERT_NE(spots, nullptr);
    ui().FormMap->open();
    QTcpSocket* s = log_in("login: ", "F4ABC");
    ASSERT_NE(s, nullptr);
    int heard = 0;
    QObject::connect(&spots->client(), &DxClusterClient::spotReceived, [&] { ++heard; });

    LongestTurn watch;
    constexpr int kBursts = 20;
    constexpr int kPerBurst = 1000; // every 100 ms
    for (int b = 0; b < kBursts; ++b) {
        QByteArray burst;
        for (int i = 0; i < kPerBurst; ++i) {
            const int n = b * kPerBurst + i;
            burst += QStringLiteral("DX de EA4XY:  %1.0  %2%3%4%5  CW  1234Z\r\n")
                         .arg(7000 + n % 7 * 3500)
                         .arg(QLatin1String(n % 2 ? "JA" : "W"))
                         .arg(n % 10)
                         .arg(QChar(u'A' + n / 10 % 26))
                         .arg(QChar(u'A' + n / 260 % 26))
                         .toLatin1();
        }
        s->write(burst);
        QTest::qWait(100);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard == kBursts * kPerBurst; }, 20000)) << heard;
    const qint64 longest = watch.stop();
    EXPECT_LT(longest, 250) << "ms";
    EXPECT_EQ(spots->recent().spots().size(), static_cast<std::size_t>(kRecentSpotCapacity));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == kRecentSpotCapacity; }));
    EXPECT_EQ(ui().FormMap->findChild<MapView*>()->spots().size(),
              static_cast<std::size_t>(kRecentSpotCapacity));
    EXPECT_TRUE(state->text().startsWith("Connected to "));
}

} // namespace
} // namespace kestrav::test
