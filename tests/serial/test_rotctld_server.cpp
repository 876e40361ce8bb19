// Kestrav's rotctld server on 127.0.0.1 against real sockets: sixteen idle clients and a
// seventeenth, idle clients closed, a flood of commands from a client that reads, one that
// half-closes and one that never reads, oversized lines, the line-length limit, garbage and
// "q"; which addresses reach it, and its dialog refusing the Network interface's port.

#include "rotor/rotctld_server.h"
#include "setup/languages.h"
#include "setup/serve_dialog.h"
#include "station/station_state.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QHostInfo>
#include <QLabel>
#include <QNetworkInterface>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <vector>

namespace kestrav::test {
namespace {

class StandingRotator final : public RotorService {
public:
    // A GO that runs the event loop for a while, as a message box of the window does.
    Outcome go_to(double) override {
        if (++gos == 1 && during_first_go)
            during_first_go();
        if (nested_loop_ms > 0) {
            QEventLoop loop;
            QTimer::singleShot(nested_loop_ms, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return Outcome::Done;
    }
    int nested_loop_ms = 0;
    std::function<void()> during_first_go;
    int gos = 0;
    void stop() override {}
    Outcome park() override { return Outcome::Done; }
    // 45, or with `counting` the number of the question (1, 2, ...), each question noted
    // with the tick of the event loop it was answered in.
    double position() override {
        ticks.push_back(tick);
        return counting ? static_cast<double>(ticks.size()) : 45;
    }
    bool counting = false;
    int tick = 0;
    std::vector<int> ticks;
    Range range() const override { return {}; }
    QString info() const override { return QStringLiteral("Kestrav"); }
};

class RotctldServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

    std::unique_ptr<QTcpSocket> connect_client() {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, server.serverPort());
        EXPECT_TRUE(QTest::qWaitFor([&] { return s->state() == QAbstractSocket::ConnectedState; }));
        return s;
    }

    // What `s` receives until it holds `size` bytes or the server has closed it. The event
    // loop runs freely meanwhile, as the window's does (not one pass per 10 ms).
    static QByteArray read(QTcpSocket& s, qsizetype size) {
        QByteArray got = s.readAll();
        if (got.size() < size && s.state() == QAbstractSocket::ConnectedState) {
            QEventLoop loop;
            QObject::connect(&s, &QTcpSocket::readyRead, &loop, [&] {
                got += s.readAll();
                if (got.size() >= size)
                    loop.quit();
            });
            QObject::connect(&s, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return got + s.readAll();
    }

    static bool closed(QTcpSocket& s) {
        return QTest::qWaitFor([&] { return s.state() == QAbstractSocket::UnconnectedState; });
    }

    StandingRotator rotator;
    RotctldServer server{rotator};
};

// When all places are taken, a newcomer is served and the client that has been silent longest
// goes: sixteen idle clients cannot lock everyone else out.
TEST_F(RotctldServerTest, SixteenIdleClientsAndASeventeenthServed) {
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < RotctldServer::kMaxClients; ++i)
        clients.push_back(connect_client());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 16; }));
    // Every client but the fourth asks once, so that the fourth is the longest silent.
    for (int i = 0; i < RotctldServer::kMaxClients; ++i) {
        if (i == 3)
            continue;
        clients[i]->write("p\n");
        ASSERT_EQ(read(*clients[i], 11), "45.00\n0.00\n") << i;
    }
    auto newcomer = connect_client();
    newcomer->write("p\n");
    EXPECT_EQ(read(*newcomer, 11), "45.00\n0.00\n");
    EXPECT_TRUE(closed(*clients[3]));
    EXPECT_EQ(server.clientCount(), 16);
    for (int i = 0; i < RotctldServer::kMaxClients; ++i) {
        if (i == 3)
            continue;
        clients[i]->write("p\n");
        EXPECT_EQ(read(*clients[i], 11), "45.00\n0.00\n") << i;
    }
    // A place that frees is taken again, and nobody goes for it.
    clients.front()->write("q\n");
    EXPECT_TRUE(closed(*clients.front()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 15; }));
    auto next = connect_client();
    next->write("p\n");
    EXPECT_EQ(read(*next, 11), "45.00\n0.00\n");
    for (int i = 1; i < RotctldServer::kMaxClients; ++i)
        EXPECT_EQ(clients[i]->state(),
                  i == 3 ? QAbstractSocket::UnconnectedState : QAbstractSocket::ConnectedState)
            << i;
}

// A client silent for the idle limit is closed, not before; one that keeps asking stays,
// however long.
TEST_F(RotctldServerTest, SilentClientClosedPollingClientKept) {
    const auto limit = std::chrono::milliseconds(600);
    server.setIdleLimit(limit);
    // Timers of the test's own, on the clock the server measures silence with.
    const auto timer = [](QTimer& t) {
        t.setSingleShot(true);
        t.setTimerType(Qt::PreciseTimer);
    };
    QTimer first_limit; // started before either client is heard from
    timer(first_limit);
    first_limit.start(limit);
    auto silent = connect_client();
    auto polling = connect_client();
    QSignalSpy silent_closed(silent.get(), &QAbstractSocket::disconnected);
    // The polling client asks every 20 ms or so and takes each answer as it comes.
    QByteArray answers;
    int asked = 0;
    QObject::connect(polling.get(), &QTcpSocket::readyRead, [&] { answers += polling->readAll(); });
    QTimer ask;
    ask.setInterval(20);
    QObject::connect(&ask, &QTimer::timeout, [&] {
        polling->write("p\n");
        ++asked;
    });
    ask.start();

    ASSERT_TRUE(silent_closed.wait(10000)) << "the silent client was never closed";
    EXPECT_TRUE(!first_limit.isActive() || first_limit.remainingTime() == 0)
        << "closed " << first_limit.remainingTime() << " ms before the limit";
    // One more limit of asking, and every question is answered on the same connection.
    QTimer second_limit;
    timer(second_limit);
    QSignalSpy second_passed(&second_limit, &QTimer::timeout);
    second_limit.start(limit);
    ASSERT_TRUE(second_passed.wait(10000));
    ask.stop();
    EXPECT_GT(asked, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return answers.size() >= asked * 11; }, 5000));
    EXPECT_EQ(answers, QByteArray("45.00\n0.00\n").repeated(asked));
    EXPECT_EQ(polling->state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(server.clientCount(), 1);
}

// 20,000 questions in one write from a client that reads: every answer comes, in order, in
// rounds between which the event loop turns, and the client stays.
TEST_F(RotctldServerTest, FloodFromAClientThatReads) {
    constexpr int kLines = 20000;
    rotator.counting = true;
    QTimer ticker; // turns once per pass of the event loop
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++rotator.tick; });
    ticker.start();
    auto c = connect_client();
    c->write(QByteArray("p\n").repeated(kLines));
    QByteArray expected;
    for (int i = 1; i <= kLines; ++i)
        expected += QByteArray::number(i) + ".00\n0.00\n";
    const QByteArray got = read(*c, expected.size());
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the answers are not those asked, in order";
    EXPECT_EQ(c->state(), QAbstractSocket::ConnectedState);
    ASSERT_EQ(rotator.ticks.size(), static_cast<std::size_t>(kLines));
    int most_in_one_tick = 0;
    for (std::size_t i = 0, run = 0; i < rotator.ticks.size(); ++i) {
        run = i > 0 && rotator.ticks[i] == rotator.ticks[i - 1] ? run + 1 : 1;
        most_in_one_tick = std::max(most_in_one_tick, static_cast<int>(run));
    }
    EXPECT_LE(most_in_one_tick, RotctldServer::kRoundLines);
    rotator.counting = false;
    c->write("p\n");
    EXPECT_EQ(read(*c, 11), "45.00\n0.00\n");
}

// A client that sends its commands and then shuts its own side down reads all its answers,
// the last line answered even without its end, and the server then closes.
TEST_F(RotctldServerTest, HalfClosedClientReadsItsAnswers) {
    auto c = connect_client();
    c->write(QByteArray("P 10 0\np\n").repeated(2000) + "_");
    ASSERT_TRUE(QTest::qWaitFor([&] { return c->bytesToWrite() == 0; }));
    ASSERT_EQ(::shutdown(static_cast<int>(c->socketDescriptor()), SHUT_WR), 0);
    const QByteArray expected = QByteArray("RPRT 0\n45.00\n0.00\n").repeated(2000) + "Kestrav\n";
    EXPECT_EQ(read(*c, expected.size() + 1), expected);
    EXPECT_TRUE(closed(*c));
    EXPECT_EQ(rotator.gos, 2000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 0; }));
}

TEST_F(RotctldServerTest, OversizedLinesAndGarbage) {
    auto c = connect_client();
    // A line over the limit is refused once, ended or not, and the next one answered.
    c->write(QByteArray(300, 'p') + "\np\n" + QByteArray(1000, ' ') + "P 1 2\np\n");
    EXPECT_EQ(read(*c, 38), "RPRT -1\n45.00\n0.00\nRPRT -1\n45.00\n0.00\n");
    // Lines of garbage in a row: answered until the limit, then the client goes.
    c->write(QByteArray("Z\n").repeated(3) + "p\n" + QByteArray("Z\n").repeated(20));
    const QByteArray answers = read(*c, 1000);
    EXPECT_EQ(answers, QByteArray("RPRT -1\n").repeated(3) + "45.00\n0.00\n" +
                           QByteArray("RPRT -1\n").repeated(RotctldServer::kGarbageLineLimit + 1));
    EXPECT_TRUE(closed(*c));
}

// The limit counts the line end: a "p" padded with blanks to the limit with its end is
// answered, one byte more is refused, whether the end comes with the line or after it.
TEST_F(RotctldServerTest, LineLengthLimit) {
    const struct {
        const char* name;
        int bytes; // the line without its end
        QByteArray end;
        bool split; // the end written after the line has gone
        bool taken;
    } rows[] = {
        {"255 and LF", kRotctldLineLimit - 1, "\n", false, true},
        {"256 and LF", kRotctldLineLimit, "\n", false, false},
        {"254 and CR LF", kRotctldLineLimit - 2, "\r\n", false, true},
        {"255 and CR LF", kRotctldLineLimit - 1, "\r\n", false, false},
        {"255, then LF", kRotctldLineLimit - 1, "\n", true, true},
        {"256, then LF", kRotctldLineLimit, "\n", true, false},
    };
    auto c = connect_client();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray line = "p" + QByteArray(row.bytes - 1, ' ');
        if (row.split) {
            c->write(line);
            ASSERT_TRUE(c->waitForBytesWritten(5000));
            c->write(row.end);
        } else {
            c->write(line + row.end);
        }
        const QByteArray expected = row.taken ? "45.00\n0.00\n" : "RPRT -1\n";
        EXPECT_EQ(read(*c, expected.size()), expected);
    }
}

// While a GO runs a nested event loop, other clients wait their turn and a client whose
// connection is reset meanwhile is no harm.
TEST_F(RotctldServerTest, CommandsThatRunTheEventLoop) {
    auto leaving = connect_client();
    auto waiting = connect_client();
    rotator.nested_loop_ms = 300;
    rotator.during_first_go = [&] {
        waiting->write("P 3 0\np\n");
        waiting->flush();
        // Closed with a reset: the client has gone, not merely finished sending.
        const linger reset{1, 0};
        ::setsockopt(static_cast<int>(leaving->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                     sizeof reset);
        leaving->abort();
    };
    leaving->write("P 1 0\nP 2 0\n");
    EXPECT_EQ(read(*waiting, 18), "RPRT 0\n45.00\n0.00\n");
    EXPECT_EQ(rotator.gos, 2) << "the leaving client's second line is not answered";
    EXPECT_EQ(server.clientCount(), 1);
}

// A client that asks and never reads is dropped once its answers wait untaken, the others
// served meanwhile.
TEST_F(RotctldServerTest, ClientThatNeverReadsIsDropped) {
    server.setUntakenLimit(std::chrono::milliseconds(300));
    auto reader = connect_client();
    QTcpSocket silent;
    silent.setReadBufferSize(1); // Qt stops taking its answers off the socket
    silent.connectToHost(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.state() == QAbstractSocket::ConnectedState; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 2; }));
    // Each line asks for a hundred capability dumps, some 30 KiB of answers.
    QByteArray line = QByteArray("1 ").repeated(100) + '\n';
    for (int i = 0; i < 2000 && server.clientCount() == 2; ++i) {
        silent.write(line);
        QTest::qWait(0);
        if (i % 50 == 0) {
            reader->write("p\n");
            ASSERT_EQ(read(*reader, 11), "45.00\n0.00\n");
        }
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 1; }));
}

// Which addresses and ports reach this program's own server, listening on this computer only
// or on every interface; other names are left to the link.
TEST(OwnServer, AddressesThatReachIt) {
    const ServeSetting local{true, QLatin1String(kServeLocalAddress), 4533};
    const ServeSetting everywhere{true, QLatin1String(kServeAnyAddress), 4533};
    const ServeSetting off{false, QLatin1String(kServeLocalAddress), 4533};
    const struct {
        QString host;
        int port;
        const ServeSetting& serve;
        bool reached;
    } rows[] = {
        {QStringLiteral("localhost"), 4533, local, true},
        {QStringLiteral(" LocalHost "), 4533, local, true},
        {QStringLiteral("127.0.0.1"), 4533, local, true},
        {QStringLiteral("::ffff:127.0.0.1"), 4533, local, true},
        {QStringLiteral("0.0.0.0"), 4533, local, true},
        {QStringLiteral("127.0.0.2"), 4533, local, false},
        {QStringLiteral("127.0.0.2"), 4533, everywhere, true},
        {QStringLiteral("localhost"), 4534, local, false},
        {QStringLiteral("localhost"), 4533, off, false},
        {QStringLiteral("192.0.2.10"), 4533, everywhere, false}, // another computer
        {QStringLiteral("rotator.example.org"), 4533, everywhere, false},
        {QString(), 4533, everywhere, false},
        {QHostInfo::localHostName(), 4533, everywhere, !QHostInfo::localHostName().isEmpty()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.host.toStdString() + ":" + std::to_string(row.port));
        EXPECT_EQ(reaches_own_server(row.host, row.port, row.serve), row.reached);
    }
    // An address of one of this computer's interfaces, when it has one besides loopback.
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.isLoopback() || a.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        EXPECT_TRUE(reaches_own_server(a.toString(), 4533, everywhere))
            << a.toString().toStdString();
        EXPECT_FALSE(reaches_own_server(a.toString(), 4533, local)) << a.toString().toStdString();
    }
}

// The serve dialog refuses a port the Network interface sends to on this computer before
// trying it, once that interface is in use or set up; another port, or an interface never set
// up, is tried as before.
TEST(OwnServer, ServeDialogRefusesTheNetworkInterfacesPort) {
    StationState station;
    station.NetworkHost = QStringLiteral("localhost");
    station.NetworkPort = 4533;
    int tried = 0;
    const auto open = [&](const StationState* s) {
        auto dialog = std::make_unique<ServeDialog>(
            language_texts(UiLanguage::French), ServeSetting{},
            [&tried](const ServeSetting&) {
                ++tried;
                return QString();
            },
            nullptr, s);
        dialog->findChild<QCheckBox*>(QStringLiteral("CheckServe"))->setChecked(true);
        return dialog;
    };
    auto dialog = open(&station);
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << "the Network interface is not set up";
    EXPECT_EQ(tried, 1);

    station.NetworkConfigured = true;
    dialog = open(&station);
    dialog->accept();
    EXPECT_EQ(tried, 1);
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("LabelError"))->text(),
              language_texts(UiLanguage::French).own_server_serve.arg(4533));
    dialog->findChild<QSpinBox*>(QStringLiteral("SpinPort"))->setValue(4534);
    dialog->accept();
    EXPECT_EQ(tried, 2);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    station.NetworkConfigured = false;
    station.SelectedInterface = RotorInterface::Network;
    dialog = open(&station);
    dialog->accept();
    EXPECT_EQ(tried, 2) << "the interface in use";
    dialog = open(nullptr);
    dialog->accept();
    EXPECT_EQ(tried, 3) << "without the station, as the dialog always was";
}

} // namespace
} // namespace kestrav::test
