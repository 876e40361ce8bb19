// The real program told to stop by a signal: SIGTERM, SIGINT and SIGHUP each run the normal
// shut-down, parking included, even while a client holds a publication conversation.

#include "support/pty_pair.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// Opens a conversation on the publication socket once the program answers on it. The socket
// file exists a moment before the program listens on it, and a connection in that moment is
// refused: each attempt that fails is made again until the program answers or 10 s pass.
bool open_conversation(QLocalSocket& client, const QString& socket) {
    bool asked = false;
    return QTest::qWaitFor(
        [&] {
            if (client.state() == QLocalSocket::UnconnectedState) {
                client.connectToServer(socket);
                asked = false;
            }
            if (client.state() == QLocalSocket::ConnectedState && !asked)
                asked = client.write("CONNECT Data\n") > 0;
            return client.bytesAvailable() >= 3;
        },
        10000);
}

// A copy of the program in `dir`, started offscreen with `settings` as its settings file and
// its publication socket in `dir`.
void start_kestrav(const QTemporaryDir& dir, const char* settings, QProcess& program) {
    const QString exe = dir.filePath(QStringLiteral("kestrav"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTRAV_EXECUTABLE), exe));
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(settings);
    ini.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    program.setProcessEnvironment(env);
    program.start(exe, {});
    ASSERT_TRUE(program.waitForStarted(5000));
}

class SignalShutdown : public ::testing::TestWithParam<int> {};

TEST_P(SignalShutdown, ParksSavesAndEnds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PtyPair pty;
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM1"), pty.slaveName));
    QProcess program;
    ASSERT_NO_FATAL_FAILURE(
        start_kestrav(dir,
                      "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n"
                      "ANT=GS232\r\nPORT_GS232=1\r\nBAUD_GS232=9600\r\nPARKING=GS232\r\n"
                      "AZIMUT_PARKING=180\r\n",
                      program));
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));

    // A client holds a conversation open: a signal is no question, it does not wait.
    const QString socket = dir.filePath(QStringLiteral("dde/kestrav"));
    QLocalSocket client;
    ASSERT_TRUE(open_conversation(client, socket));

    ::kill(static_cast<pid_t>(program.processId()), GetParam());
    EXPECT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pty.readMaster(5), QByteArray("W180\r")) << "parked, no closing string";
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray saved = ini.readAll();
    EXPECT_TRUE(saved.contains("\r\nLANGUAGE=ENGLISH\r\n"));
    EXPECT_TRUE(saved.contains("PARKING=GS232\r\n"));
    EXPECT_FALSE(QFile::exists(socket)) << "the publication socket is removed";
}

INSTANTIATE_TEST_SUITE_P(
    EachSignal, SignalShutdown, ::testing::Values(SIGTERM, SIGINT, SIGHUP), [](const auto& info) {
        return std::string(info.param == SIGTERM ? "Term" : info.param == SIGINT ? "Int" : "Hup");
    });

// Parking through the outside rotator program, which is not running: the warning it would
// give has nobody to close it, so the shut-down goes on without a box and saves.
TEST(SignalShutdownUnattended, ParkingThroughAnAbsentOutsideProgramStillSaves) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess program; // offscreen: no X11, so no outside rotator program either
    ASSERT_NO_FATAL_FAILURE(
        start_kestrav(dir,
                      "QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\n"
                      "ANT=EA4TX\r\nPARKING=EA4TX\r\nAZIMUT_PARKING=90\r\n",
                      program));
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    // The socket is set up after the signal handlers.
    const bool up = QTest::qWaitFor(
        [&] { return QFile::exists(dir.filePath(QStringLiteral("dde/kestrav"))); }, 10000);
    if (up)
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    const bool ended = up && program.waitForFinished(10000);
    if (!ended) {
        program.kill();
        program.waitForFinished(5000);
    }
    ASSERT_TRUE(ended) << "held by a box";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nPARKING=EA4TX\r\n"));
}

} // namespace
