// The publication server over a real socket: setting the service up, transactions byte for
// byte, many subscribers, clients that misbehave, another user, and the command-line client.

#include "publish/dde_forward.h"
#include "publish/dde_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
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

// A client outside the event loop, on a plain non-blocking socket, that reads only when told.
int connect_raw(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.constData());
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

// The window's view of a stretch of work: a timer ticking on the event loop notes the
// processor time this thread spent between two ticks (time a loaded machine takes the
// processor away does not count), and the peak resident size of the process from the
// probe's start on (the kernel's high-water mark, reset at the start, so that a peak between
// two ticks counts too).
class EventLoopProbe {
public:
    EventLoopProbe() {
        if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            peak_reset_ = std::fputs("5", clear) >= 0;
            peak_reset_ = std::fclose(clear) == 0 && peak_reset_;
        }
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        tick();
        timer_.start(5);
    }
    qint64 longestMs() const { return longest_ns_ / 1000000; }
    qint64 largestResidentMb() const { return largest_resident_kb_ / 1024; }
    void tick() {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        const qint64 ns = now.tv_sec * 1000000000LL + now.tv_nsec;
        if (last_ns_ > 0)
            longest_ns_ = std::max(longest_ns_, ns - last_ns_);
        last_ns_ = ns;
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith(peak_reset_ ? "VmHWM:" : "VmRSS:"))
                largest_resident_kb_ = std::max(
                    largest_resident_kb_, line.sliced(6).trimmed().split(' ')[0].toLongLong());
        }
    }

private:
    QTimer timer_;
    bool peak_reset_ = false;
    qint64 last_ns_ = 0;
    qint64 longest_ns_ = 0;
    qint64 largest_resident_kb_ = 0;
};

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

    // A directory open to anyone but the user is refused rather than used.
    const QByteArray dir = QFile::encodeName(runtime.path() + "/dde");
    for (const mode_t mode : {0750, 0705, 0720, 0702, 0755}) {
        ::chmod(dir.constData(), mode);
        EXPECT_EQ(DdeServer(path()).listen(), EACCES) << std::oct << mode;
    }
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

    // A poke replaces the item and goes out to the subscribers after its own answer, before
    // the next transaction of the same read is answered.
    const QByteArray answers = B("OK\nOK\nOK\nDATA Azimuth 5\n45\r\n\0DATA 5\n45\r\n\0");
    EXPECT_EQ(poker.talk(B("CONNECT Data\nADVISE Azimuth TEXT HOT\nPOKE Azimuth TEXT 4\n45\r\n"
                           "REQUEST Azimuth TEXT\n"),
                         answers.size()),
              answers);
    EXPECT_EQ(hot.take(20), B("DATA Azimuth 5\n45\r\n\0"));
    EXPECT_EQ(poker.talk("UNADVISE Azimuth TEXT\n", 3), "OK\n");
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
    ASSERT_EQ(good.talk("CONNECT Data\nADVISE Azimuth TEXT HOT\n", 6), "OK\nOK\n");

    // A hot subscriber that stops reading: publications wait for it until more than 1 MiB
    // would, then it is dropped; the subscriber that reads gets every one.
    const int stalled = connect_raw(native());
    const QByteArray hello = "CONNECT Data\nADVISE Azimuth TEXT HOT\n";
    ASSERT_EQ(::write(stalled, hello.constData(), hello.size()), hello.size());
    ASSERT_TRUE(QTest::qWaitFor([&] { return open == 2; }, 3000)) << "it has subscribed";
    const QString value(60000, u'7');
    const qsizetype sent = QByteArray("DATA Azimuth 60003\n").size() + 60003;
    int publications = 0;
    while (server->conversationCount() == 2 && publications < 100) {
        server->publish(value);
        ++publications;
        ASSERT_EQ(good.take(sent).size(), sent);
    }
    EXPECT_EQ(server->conversationCount(), 1);
    EXPECT_EQ(open, 1);
    EXPECT_GT(publications * sent, kDdeMostPendingOutput) << "not dropped before the limit";
    ::close(stalled);

    // Lines and payloads over their limits close only their own conversation.
    Client long_line(path()), big_payload(path());
    long_line.send(QByteArray(kDdeLongestLine + 1, 'x'));
    big_payload.send("CONNECT Data\nPOKE Azimuth TEXT 65537\n");
    EXPECT_TRUE(long_line.closed());
    EXPECT_TRUE(big_payload.closed());
    EXPECT_EQ(good.talk("REQUEST Azimuth TEXT\n", 7).left(7), "DATA 60");
    EXPECT_EQ(open, 1);
}

// One client pokes a value of 64 KiB line ends (131 KB as sent) and asks for it 3,000 times in
// one write, never reading: it is answered only as fast as it reads, so the window stays
// free and small, and it is served again, in order, once it reads.
TEST_F(DdeServerTest, AFloodOfRequestsNeitherHoldsNorSwellsTheWindow) {
    auto server = serve();
    Client good(path());
    ASSERT_EQ(good.talk("CONNECT Data\nADVISE Azimuth TEXT HOT\n", 6), "OK\nOK\n");
    EventLoopProbe probe;

    const int flood = connect_raw(native());
    const QByteArray requests = QByteArray("REQUEST Azimuth TEXT\n").repeated(3000);
    const QByteArray asks = "CONNECT Data\nPOKE Azimuth TEXT 65536\n" + QByteArray(65536, '\n');
    qsizetype written = 0;
    auto write_some = [&](const QByteArray& bytes) {
        const ssize_t n = ::write(flood, bytes.constData() + written, bytes.size() - written);
        written += std::max<ssize_t>(n, 0);
        return written == bytes.size();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return write_some(asks); }, 5000));
    written = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return write_some(requests); }, 5000));

    // The poke reached the subscriber that reads; the window publishes on meanwhile.
    const QByteArray value = QByteArray("\r\n").repeated(65536) + '\0';
    EXPECT_EQ(good.take(20 + value.size()), "DATA Azimuth 131073\n" + value);
    server->publish(QStringLiteral("77"));
    EXPECT_EQ(good.take(20), B("DATA Azimuth 5\n77\r\n\0"));
    EXPECT_EQ(server->conversationCount(), 2) << "a client that asks is not dropped";

    // Now it reads: every request is answered, in order, with the poked value until the
    // publication and the published one after it.
    QByteArray answers;
    int big = 0, small = 0;
    const bool all_answered = QTest::qWaitFor(
        [&] {
            char chunk[65536];
            for (ssize_t n; (n = ::read(flood, chunk, sizeof chunk)) > 0;)
                answers.append(chunk, n);
            qsizetype at = 0; // what is parsed goes at the end: one move per read
            for (qsizetype end; (end = answers.indexOf('\n', at)) >= 0;) {
                const QByteArray line = answers.sliced(at, end - at);
                if (line == "OK") {
                    at = end + 1;
                    continue;
                }
                const qsizetype size = line.startsWith("DATA ") ? line.sliced(5).toLongLong() : 0;
                if (answers.size() < end + 1 + size)
                    break;
                const QByteArray answer = answers.sliced(end + 1, size);
                at = end + 1 + size;
                if (answer == value && small == 0)
                    ++big;
                else if (answer == B("77\r\n\0"))
                    ++small;
                else
                    return true; // out of order: seen below
            }
            answers.remove(0, at);
            return big + small >= 3000;
        },
        10000);
    ::close(flood);
    EXPECT_TRUE(all_answered);
    EXPECT_GT(big, 0);
    EXPECT_EQ(big + small, 3000);

    probe.tick();
    EXPECT_LT(probe.longestMs(), 50) << "ms of the window held at once";
    EXPECT_LT(probe.largestResidentMb(), 150) << "MB resident";
}

// A second start finds this server live: it asks it to come forward and ends at once.
TEST_F(DdeServerTest, ASecondStartHandsOverToTheRunningOne) {
    auto server = serve();
    int asked = 0;
    QObject::connect(server.get(), &DdeServer::activationRequested, [&] { ++asked; });
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(KESTRAV_EXECUTABLE));
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(open, 0) << "no conversation was left open";

    // A live socket that does not answer is no hand-over (the start then stops as before).
    server.reset();
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, native().constData());
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    EXPECT_FALSE(dde_ask_to_come_forward(path(), 100));
    ::close(silent);
    EXPECT_FALSE(dde_ask_to_come_forward(path(), 100)) << "nobody listens";
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
    // Every value a poke can make comes through whole, the largest made of line ends.
    for (const qsizetype length : {65534, 65535}) {
        const QByteArray text(length, 'v');
        EXPECT_EQ(run({"poke", "Azimuth", QString::fromLatin1(text)}), 0) << length;
        EXPECT_EQ(run({"request"}, &out), 0) << length;
        EXPECT_EQ(out, text + '\n') << length;
    }
    EXPECT_EQ(run({"poke", "Azimuth", QString(65536, u'v')}), 1) << "more than a poke takes";
    const QByteArray line_ends = QByteArray(kDdeLargestPayload - 1, '\n') + 'a';
    Client poker(path());
    EXPECT_EQ(poker.talk("CONNECT Data\nPOKE Azimuth TEXT 65536\n" + line_ends, 6), "OK\nOK\n");
    EXPECT_EQ(run({"request"}, &out), 0);
    EXPECT_EQ(out, line_ends + '\n');
    poker.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return open == 0; }, 3000));

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
