// Loggers turning the antenna over UDP: PstRotator's and N1MM's datagrams sent over the loopback
// to the running window, which drives the rotator controller emulator (GS-232) on a
// pseudo-terminal. What the emulator receives, what the senders are answered, what the window
// shows.

#include "geodesy/locator.h"
#include "support/rotator_sim_process.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QUdpSocket>

#include <chrono>
#include <thread>
#include <utility>

namespace kestrav::test {
namespace {

// A UDP socket bound to a free loopback port.
bool bind_free(QUdpSocket& socket) {
    return socket.bind(QHostAddress::LocalHost, 0, QUdpSocket::DontShareAddress);
}

// A free port whose next port is free too, that one bound by `next` (PstRotator answers there).
quint16 free_pair(QUdpSocket& next) {
    for (int i = 0; i < 50; ++i) {
        QUdpSocket probe;
        if (!bind_free(probe) || probe.localPort() == 65535)
            continue;
        const quint16 port = probe.localPort();
        probe.close();
        if (next.bind(QHostAddress::LocalHost, port + 1, QUdpSocket::DontShareAddress))
            return port;
    }
    return 0;
}

class UdpHub : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        log = dir.path() + QStringLiteral("/received.log");
        ASSERT_TRUE(start_rotator_sim(emulator, dir.path(), log, sim_arguments));
        pst_port = free_pair(answers);
        ASSERT_NE(pst_port, 0);
        QUdpSocket probe;
        ASSERT_TRUE(bind_free(probe));
        n1mm_port = probe.localPort();
        probe.close();
        ASSERT_TRUE(bind_free(reports));
    }

    void start_hub(const QString& pst_address = QStringLiteral("127.0.0.1"),
                   const QString& n1mm_address = QStringLiteral("127.0.0.1")) {
        start(QStringLiteral("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n"
                             "PSTROTATOR=%1,%2\r\nN1MM=%3,%4,Kestrav,127.0.0.1,%5\r\n")
                  .arg(pst_address)
                  .arg(pst_port)
                  .arg(n1mm_address)
                  .arg(n1mm_port)
                  .arg(reports.localPort())
                  .toLatin1());
        window->formInit()->hide();
        StationState& s = window->state();
        s.SelectedInterface = RotorInterface::Gs232;
        s.Gs232Com = 0;
    }

    void pst(const QByteArray& datagram) { send(datagram, pst_port); }
    void n1mm(const QByteArray& datagram) { send(datagram, n1mm_port); }
    void send(const QByteArray& datagram, quint16 port) {
        ASSERT_EQ(sender.writeDatagram(datagram, QHostAddress::LocalHost, port), datagram.size());
    }
    static QByteArray n1mm_turn(const char* rotor, const char* goazi, int both = 0) {
        return QByteArray("<N1MMRotor><rotor>") + rotor + "</rotor><goazi>" + goazi +
               "</goazi><offset>0.0</offset><bidirectional>" + QByteArray::number(both) +
               "</bidirectional><freqband>14</freqband></N1MMRotor>";
    }

    QByteArray received_until(const QByteArray& tail) { return test::received_until(log, tail); }
    // The next datagram `socket` receives (empty after 5 s).
    static QByteArray next_datagram(QUdpSocket& socket) {
        if (!socket.hasPendingDatagrams())
            (void)QTest::qWaitFor([&] { return socket.hasPendingDatagrams(); }, 5000);
        return socket.receiveDatagram().data();
    }
    QString status() const { return ui().LabelEtatInterface->text(); }

    ChildProcess emulator;
    QString log;
    QStringList sim_arguments{QStringLiteral("--speed"), QStringLiteral("360")};
    QUdpSocket sender;
    QUdpSocket answers; // PstRotator's answers, at its port + 1
    QUdpSocket reports; // N1MM's heading reports
    quint16 pst_port = 0;
    quint16 n1mm_port = 0;
};

TEST_F(UdpHub, PstRotatorTurnsStopsParksSetsTheDxStationAndIsAnswered) {
    start_hub();
    pst("<PST><AZIMUTH>123</AZIMUTH></PST>");
    EXPECT_EQ(received_until("W123\r"), "W123\r");
    EXPECT_EQ(ui().EditAzimut->text(), QStringLiteral("123"));
    EXPECT_TRUE(status().endsWith(QStringLiteral(" / Turned by PstRotator: 123")))
        << status().toStdString();

    pst("<PST>AZ?</PST>");
    EXPECT_EQ(next_datagram(answers), "AZ:123.0\r");

    pst("<PST><STOP>1</STOP></PST>");
    EXPECT_EQ(received_until("S\r"), "W123\rS\r");
    pst("<PST><PARK>1</PARK></PST>");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status().contains(QStringLiteral("no parking")); }));
    window->state().ParkingInterface = RotorInterface::Gs232;
    window->state().ParkingAzimuth = 200;
    pst("<PST><PARK>1</PARK></PST>");
    EXPECT_EQ(received_until("W200\r"), "W123\rS\rW200\r");
    pst("<PST><AZIMUTH>10</AZIMUTH></PST><PST><STOP>1</STOP></PST>");
    EXPECT_EQ(received_until("W200\rS\r"), "W123\rS\rW200\rS\r") << "the stop drops the turn";

    // The DX station by its locator, as if typed: with AUTO down the antenna turns to it.
    ui().SpeedButtonAuto->setChecked(true);
    pst("<PST><QRA>KN34BJ</QRA></PST>");
    const SignedPosition dx = locator_to_position(u"KN34BJ");
    const QByteArray turn = gs232_turn_toward(48.854, 2.375, dx.latitude, dx.longitude);
    EXPECT_EQ(received_until(turn), "W123\rS\rW200\rS\r" + turn);
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("KN34BJ"));
    // A square of 4 characters goes to its middle, not to 0 N 0 E.
    pst("<PST><QRA>PM95</QRA></PST>");
    const SignedPosition square = locator_to_position(u"PM95LL");
    const QByteArray to_square =
        gs232_turn_toward(48.854, 2.375, square.latitude, square.longitude);
    EXPECT_EQ(received_until(to_square), "W123\rS\rW200\rS\r" + turn + to_square);
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("PM95LL"));
    EXPECT_TRUE(status().contains(QStringLiteral("Turned by PstRotator: ")))
        << status().toStdString();
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_TRUE(desktop.boxes.empty());
}

class SlowUdpHub : public UdpHub {
protected:
    SlowUdpHub() { sim_arguments = {QStringLiteral("--speed"), QStringLiteral("60")}; }
};

TEST_F(SlowUdpHub, N1mmTurnsItsOwnRotorBothWaysStopsAndHearsTheHeading) {
    start_hub();
    ui().MenuHeading->trigger(); // the emulator's heading read while it turns
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->controller().heading().has_value(); }));
    EXPECT_EQ(next_datagram(reports), "Kestrav @ 0") << "told at once, before any turn";

    n1mm(n1mm_turn("Other rotor", "300.0"));
    n1mm(n1mm_turn("Kestrav", "90.0"));
    EXPECT_EQ(received_until("W090\r"), "W090\r") << "another rotor's turn is not ours";
    // Reported as it turns, on each change of the heading, until it is there.
    QList<QByteArray> heard;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            while (reports.hasPendingDatagrams())
                heard << reports.receiveDatagram().data();
            return !heard.isEmpty() && heard.last() == "Kestrav @ 900";
        },
        10000))
        << heard.join(' ').toStdString();
    EXPECT_TRUE(std::any_of(heard.begin(), heard.end(), [](const QByteArray& r) {
        const int tenths = r.mid(10).toInt();
        return tenths > 0 && tenths < 900;
    })) << heard.join(' ').toStdString();
    EXPECT_TRUE(status().endsWith(QStringLiteral(" / Turned by N1MM: 90")))
        << status().toStdString();

    // Both ways from 90: 70 is nearer than 250.
    n1mm(n1mm_turn("*", "250.0", 1));
    EXPECT_EQ(received_until("W070\r"), "W090\rW070\r");
    n1mm("<N1MMRotor><stop><rotor>Kestrav</rotor><freqband>14.0</freqband></stop></N1MMRotor>");
    EXPECT_EQ(received_until("S\r"), "W090\rW070\rS\r");
    n1mm("<N1MMRotor><stop>Kestrav</stop></N1MMRotor>"); // the port is closed already
    n1mm(n1mm_turn("Kestrav", "10.0"));
    EXPECT_EQ(received_until("W010\r"), "W090\rW070\rS\rW010\r");

    ui().MenuFrancais->trigger();
    n1mm(n1mm_turn("Kestrav", "20.0"));
    EXPECT_EQ(received_until("W020\r"), "W090\rW070\rS\rW010\rW020\r");
    EXPECT_TRUE(status().endsWith(QString::fromUtf8(" / Tourné par N1MM : 20")))
        << status().toStdString();
    EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(UdpHub, HostileDatagramsChangeNothing) {
    start_hub();
    pst("<PST><AZIMUTH>0</AZIMUTH></PST>");
    EXPECT_EQ(received_until("W000\r"), "W000\r");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 37);
    const QByteArray big = "<PST><AZIMUTH>90</AZIMUTH></PST>" + QByteArray(65000, 'x');
    for (const QByteArray& d :
         {big, binary, QByteArray("<PST><AZIMUTH>45"), QByteArray("<PST><AZIMUTH>45</PST>"),
          QByteArray("<PST><AZIMUTH>1e309</AZIMUTH></PST>"),
          QByteArray("<PST><AZIMUTH>nan</AZIMUTH></PST>"),
          QByteArray("<PST><AZIMUTH>-0</AZIMUTH></PST>"),
          QByteArray("<PST><AZIMUTH>360</AZIMUTH></PST>"), QByteArray("<PST><STOP>0</STOP></PST>"),
          QByteArray("<PST><QRA>JN1</QRA></PST>")})
        pst(d);
    for (const char* goazi : {"1e309", "nan", "-0", "360", "-720"})
        n1mm(n1mm_turn("Kestrav", goazi));
    for (const QByteArray& d : {big, binary, n1mm_turn("Kestrav", "45").chopped(5),
                                n1mm_turn(QByteArray(100, 'K').constData(), "45")})
        n1mm(d);
    pst("<PST><AZIMUTH>720</AZIMUTH></PST>");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status().contains(QStringLiteral("720")); }));
    pst("<PST><AZIMUTH>45</AZIMUTH></PST>");
    EXPECT_EQ(received_until("W045\r"), "W000\rW045\r");
    n1mm(n1mm_turn("Kestrav", "50")); // read after every hostile one on its port
    EXPECT_EQ(received_until("W050\r"), "W000\rW045\rW050\r");
    EXPECT_EQ(ui().EditDXLocator->text(), QString());
    EXPECT_EQ(desktop.beeps, 0);
    EXPECT_TRUE(desktop.boxes.empty());
}

// A logger's burst, 100 datagrams a millisecond from another thread while the window serves,
// leaves both ports listening: the turn sent after it, alone, reaches the rotator.
TEST_F(UdpHub, BurstsLeaveThePortsListening) {
    start_hub();
    for (const auto& [port, turn] :
         {std::pair{pst_port, QByteArray("<PST><AZIMUTH>%1</AZIMUTH></PST>")},
          std::pair{n1mm_port, n1mm_turn("Kestrav", "%1.0")}}) {
        QEventLoop loop;
        std::thread burst([&, port = port, turn = turn] {
            QUdpSocket socket;
            for (int ms = 0; ms < 30; ++ms) {
                for (int i = 0; i < 100; ++i) {
                    const QByteArray d = QByteArray(turn).replace("%1", QByteArray::number(10 + i));
                    socket.writeDatagram(d, QHostAddress::LocalHost, port);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        burst.join();
        // Sent again until it comes: the kernel may drop it while the burst still fills the
        // socket's queue, and a deaf port never reads it.
        const QByteArray last = QByteArray(turn).replace("%1", "321");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                sender.writeDatagram(last, QHostAddress::LocalHost, port);
                return received_so_far(log).replace("C\r", "").endsWith("W321\r");
            },
            10000))
            << last.toStdString();
        window->stop_all();
    }
}

// A port another program holds is told and leaves its item unchecked; listening beyond this
// computer is told at start. The dialog shows the same and listens where it is told.
TEST_F(UdpHub, TakenPortsAndWideListeningAreTold) {
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, pst_port, QUdpSocket::DontShareAddress));
    start_hub(QStringLiteral("127.0.0.1"), QStringLiteral("0.0.0.0"));
    QAction* pst_item = window->findChild<QAction*>(QStringLiteral("MenuPstRotator"));
    QAction* n1mm_item = window->findChild<QAction*>(QStringLiteral("MenuN1mm"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.boxes.size() == 2; }));
    EXPECT_EQ(desktop.boxes[0].text,
              QStringLiteral("Port %1 is already in use by another program: Kestrav does not "
                             "listen for PstRotator there.")
                  .arg(pst_port));
    EXPECT_TRUE(desktop.boxes[1].text.startsWith(
        QStringLiteral("Kestrav listens for N1MM at 0.0.0.0 port %1, where other computers")
            .arg(n1mm_port)));
    EXPECT_FALSE(pst_item->isChecked());
    EXPECT_TRUE(n1mm_item->isChecked());

    pst_item->trigger();
    EXPECT_FALSE(pst_item->isChecked()) << "checked by its port, not by the click";
    auto* dialog = window->findChild<QDialog*>(QStringLiteral("PstRotatorDialog"));
    ASSERT_NE(dialog, nullptr);
    auto* warning = dialog->findChild<QLabel*>(QStringLiteral("LabelWarning"));
    EXPECT_FALSE(warning->isVisible());
    dialog->findChild<QRadioButton*>(QStringLiteral("RadioAll"))->setChecked(true);
    EXPECT_TRUE(warning->isVisible());
    dialog->findChild<QRadioButton*>(QStringLiteral("RadioLocal"))->setChecked(true);
    dialog->accept();
    auto* error = dialog->findChild<QLabel*>(QStringLiteral("LabelError"));
    EXPECT_TRUE(error->isVisible());
    EXPECT_TRUE(error->text().contains(QStringLiteral("already in use")));
    holder.close();
    // An address the settings row could not read back is refused rather than saved and lost.
    dialog->findChild<QRadioButton*>(QStringLiteral("RadioAddress"))->setChecked(true);
    dialog->findChild<QLineEdit*>(QStringLiteral("EditAddress"))->setText(QStringLiteral("127.1"));
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(error->text().contains(QStringLiteral("127.1"))) << error->text().toStdString();
    dialog->findChild<QRadioButton*>(QStringLiteral("RadioLocal"))->setChecked(true);
    dialog->accept();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(pst_item->isChecked());
    EXPECT_EQ(window->state().PstRotator.port, pst_port);
    pst("<PST><AZIMUTH>33</AZIMUTH></PST>");
    EXPECT_EQ(received_until("W033\r"), "W033\r");
}

} // namespace
} // namespace kestrav::test
