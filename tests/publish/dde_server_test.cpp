// The publication server over a real socket: setting the service up, transactions byte for
// byte, many subscribers, clients that misbehave, another user, and the command-line client.

#include "publish/dde_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrav {
namespace {

// A client on the event loop of the test: everything it receives is collected.
class Client {
public:
    explicit Client(const QString& path) {
        socket_.setReadBufferSize(0);
        QObject::connect(&socket_, &QLocalSocket::readyRead,
                         [this] { received += socket_.readAll(); });
        socket_.connectToServer(path);
    }
    void send(const QByteArray& bytes) { socket_.write(bytes); }
    // Waits until `bytes` more have arrived, then takes them.
    QByteArray take(qsizetype bytes) {
        (void)QTest::qWaitFor([&] { return received.size() >= bytes; }, 3000);
        const QByteArray head = received.first(std::min(bytes, received.size()));
        received.remove(0, head.size());
        return head;
    }
    QByteArray talk(const QByteArray& request, qsizetype answer) {
        send(request);
        return take(answer);
    }
    bool closed() {
        return QTest::qWaitFor([&] { return socket_.state() == QLocalSocket::UnconnectedState; },
                               3000);
    }
    void close() { socket_.disconnectFromServer(); }
    QByteArray received;

private:
    QLocalSocket socket_;
};

template <std::size_t N> QByteArray B(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

class DdeServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(runtime.isValid()); }
    QString path() const { return runtime.path() + QStringLiteral("/dde/kestrav"); }
    QByteArray native() const { return QFile::encodeName(path()); }
    // A server listening on the test's socket, counting its open conversations.
    std::unique_ptr<DdeServer> serve() {
        auto server = std::make_unique<DdeServer>(path());
        EXPECT_EQ(server->listen(), 0);
        QObject::connect(server.get(), &DdeServer::conversationOpened, [this] { ++open; });
        QObject::connect(server.get(), &DdeServer::conversationClosed, [this] { --open; });
        return server;
    }
    QTemporaryDir runtime;
    int open = 0;
};

TEST_F(DdeServerTest, SetsUpItsSocketAndLeavesOthersAlone) {
    {
        auto first = serve();
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(runtime.path() + "/dde").constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        // A live instance is not stolen from, and keeps answering.
        DdeServer second(path());
        EXPECT_EQ(second.listen(), EADDRINUSE);
        Client client(path());
        EXPECT_EQ(client.talk("CONNECT Data\n", 3), "OK\n");
    }
    EXPECT_FALSE(QFile::exists(path())) << "removed at exit";

    // A socket left by an instance that was killed is replaced.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, native().constData());
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    serve(); // expects the socket set up

    // A directory that is not the user's own and closed is refused rather than used.
    const QByteArray dir = QFile::encodeName(runtime.path() + "/dde");
    ::chmod(dir.constData(), 0755);
    EXPECT_EQ(DdeServer(path()).listen(), EACCES);
    ::rmdir(dir.constData());
    ASSERT_TRUE(QFile::link(runtime.path(), runtime.path() + "/dde"));
    EXPECT_EQ(DdeServer(path()).listen(), ENOTDIR);
}

TEST_F(DdeServerTest, TransactionsOverTheSocket) {
    auto server = serve();
    Client hot(path()), warm(path()), poker(path());
    EXPECT_EQ(hot.talk("CONNECT data\nREQUEST Azimuth TEXT\n", 11), B("OK\nDATA 1\n\0"));
    EXPECT_EQ(hot.talk("ADVISE Azimuth TEXT HOT\n", 3), "OK\n");
    EXPECT_EQ(warm.talk("CONNECT Data\nADVISE Azimuth TEXT WARM\n", 6), "OK\nOK\n");
    EXPECT_EQ(open, 2);

    server->publish(QStringLiteral("123"));
    EXPECT_EQ(hot.take(21), B("DATA Azimuth 6\n123\r\n\0"));
    EXPECT_EQ(warm.take(16), "CHANGED Azimuth\n");
    EXPECT_EQ(warm.talk("REQUEST Azimuth TEXT\n", 13), B("DATA 6\n123\r\n\0"));

    // A poke replaces the item and goes out to the subscribers after its own answer.
    EXPECT_EQ(poker.talk(B("CONNECT Data\nPOKE Azimuth TEXT 4\n45\r\n"), 6), "OK\nOK\n");
    EXPECT_EQ(hot.take(20), B("DATA Azimuth 5\n45\r\n\0"));
    EXPECT_EQ(poker.talk("EXECUTE 2\nabREQUEST azimuth TEXT\n", 16), "OK\nNOTPROCESSED\n");
    EXPECT_EQ(open, 3);
    EXPECT_EQ(poker.talk("DISCONNECT\n", 3), "OK\n");
    EXPECT_TRUE(poker.closed());
    EXPECT_EQ(open, 2);
    hot.close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return open == 1; }, 3000)) << "closing is a disconnect";
}

TEST_F(DdeServerTest, SixtyFourSubscribersGetEveryPublicationInOrder) {
    auto server = serve();
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < kDdeMostConversations; ++i) {
        clients.push_back(std::make_unique<Client>(path()));
        ASSERT_EQ(clients.back()->talk("CONNECT Data\nADVISE Azimuth TEXT HOT\n", 6), "OK\nOK\n");
    }
    Client refused(path());
    EXPECT_EQ(refused.take(3), "NO\n");
    EXPECT_TRUE(refused.closed());

    QByteArray expected;
    for (int i = 0; i < 1000; ++i) {
        const QByteArray value = QByteArray::number(i % 361) + "\r\n" + '\0';
        expected += "DATA Azimuth " + QByteArray::number(value.size()) + '\n' + value;
        server->publish(QString::number(i % 361));
    }
    for (auto& client : clients)
        EXPECT_EQ(client->take(expected.size()), expected);
}

TEST_F(DdeServerTest, MisbehavingClientsAreCutOffAlone) {
    auto server = serve();
    Client good(path());
    ASSERT_EQ(good.talk("CONNECT Data\n", 3), "OK\n");

    // A client that asks and never reads: once 1 MiB waits for it, it is dropped.
    const int greedy = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, native().constData());
    ASSERT_EQ(::connect(greedy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QByteArray asks = "CONNECT Data\nPOKE Azimuth TEXT 60000\n" + QByteArray(60000, '7');
    asks += QByteArray("REQUEST Azimuth TEXT\n").repeated(60);
    ASSERT_EQ(::write(greedy, asks.constData(), asks.size()), asks.size());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return open == 1 && server->conversationCount() == 1; }, 5000));
    // The window's own timers keep their time meanwhile.
    QElapsedTimer clock;
    clock.start();
    bool ticked = false;
    QTimer::singleShot(20, [&] { ticked = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticked; }, 1000));
    EXPECT_LT(clock.elapsed(), 500);
    ::close(greedy);

    // Lines and payloads over their limits close only their own conversation.
    Client long_line(path()), big_payload(path());
    long_line.send(QByteArray(kDdeLongestLine + 1, 'x'));
    big_payload.send("CONNECT Data\nPOKE Azimuth TEXT 65537\n");
    EXPECT_TRUE(long_line.closed());
    EXPECT_TRUE(big_payload.closed());
    EXPECT_EQ(good.talk("REQUEST Azimuth TEXT\n", 7).left(7), "DATA 60");
    EXPECT_EQ(open, 1);
}

TEST_F(DdeServerTest, CommandLineClient) {
    auto server = serve();
    server->publish(QStringLiteral("270"));
    auto run = [&](const QStringList& arguments, QByteArray* out = nullptr,
                   const QString& program = QStringLiteral(KESTRAV_DDE_CLIENT)) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 5000));
        if (out)
            *out = process.readAllStandardOutput();
        return process.exitCode();
    };
    QByteArray out;
    EXPECT_EQ(run({"request"}, &out), 0);
    EXPECT_EQ(out, "270\n");
    EXPECT_EQ(run({"poke", "Azimuth", "90"}), 0);
    EXPECT_EQ(run({"request", "Azimuth"}, &out), 0);
    EXPECT_EQ(out, "90\n");
    EXPECT_EQ(run({"request", "azimuth"}), 4);
    EXPECT_EQ(run({"--service", "other", "request"}), 2);
    EXPECT_EQ(run({"frobnicate"}), 1);

    QProcess watch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    watch.setProcessEnvironment(env);
    watch.start(QStringLiteral(KESTRAV_DDE_CLIENT), {QStringLiteral("watch")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return open == 1; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.bytesAvailable() >= 3; }, 3000));
    server->publish(QStringLiteral("1"));
    server->publish(QStringLiteral("2"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.bytesAvailable() >= 7; }, 3000));
    EXPECT_EQ(watch.readAllStandardOutput(), "90\n1\n2\n");
    server.reset();
    EXPECT_TRUE(watch.waitForFinished(3000));
    EXPECT_EQ(watch.exitCode(), 5) << "the program ended";

    // Only the same user reaches the socket (the tests run as root in CI).
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the client as another user";
    server = serve();
    ::chmod(QFile::encodeName(runtime.path()).constData(),
            0755); // only the server's own modes stop it
    EXPECT_EQ(
        run({"--reuid=65534", "--regid=65534", "--clear-groups", KESTRAV_DDE_CLIENT, "request"},
            nullptr, QStringLiteral("setpriv")),
        2);
    EXPECT_EQ(run({"--reuid=0", KESTRAV_DDE_CLIENT, "request"}, nullptr, QStringLiteral("setpriv")),
              0)
        << "the same call as the owner connects";
}

} // namespace
} // namespace kestrav
