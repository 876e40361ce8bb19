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

class SignalShutdown : public ::testing::TestWithParam<int> {};

TEST_P(SignalShutdown, ParksSavesAndEnds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString exe = dir.filePath(QStringLiteral("kestrav"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTRAV_EXECUTABLE), exe));
    PtyPair pty;
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM1"), pty.slaveName));
    QFile ini(dir.filePath(QStringLiteral("Kestrav.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("QRA_LOCATOR=JN18EU\r\nLATTITUDE=N48.854\r\nLONGITUDE=E2.375\r\nANT=GS232\r\n"
              "PORT_GS232=1\r\nBAUD_GS232=9600\r\nPARKING=GS232\r\nAZIMUT_PARKING=180\r\n");
    ini.close();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    program.setProcessEnvironment(env);
    program.start(exe, {});
    ASSERT_TRUE(program.waitForStarted(5000));

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

INSTANTIATE_TEST_SUITE_P(EachSignal, SignalShutdown, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGINT ? "Int"
                                                                       : "Hup");
                         });

} // namespace
