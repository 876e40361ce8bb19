// The connection to a DX cluster node, against a node scripted on the loopback: the login
// prompt answered with the call, spots told, negotiation and garbage ignored, a dropped
// connection tried again after a pause, and a flood read without holding the event loop.

#include "dx_cluster/dx_cluster_client.h"
#include "dx_cluster/recent_spots.h"
#include "support/longest_turn.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace kestrav {
namespace {

class ScriptedNode : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(node.listen(QHostAddress::LocalHost));
        client.setFirstPause(50);
        QObject::connect(&client, &DxClusterClient::spotReceived,
                         [this](const Spot& s) { spots.push_back(s); });
    }
    // The node's side of the next connection.
    QTcpSocket* accept() {
        if (!node.hasPendingConnections())
            (void)QTest::qWaitFor([&] { return node.hasPendingConnections(); }, 5000);
        return node.nextPendingConnection();
    }
    static QByteArray read_line(QTcpSocket* s) {
        (void)QTest::qWaitFor([&] { return s->canReadLine(); }, 5000);
        return s->readLine();
    }

    QTcpServer node;
    DxClusterClient client;
    std::vector<Spot> spots;
};

TEST_F(ScriptedNode, LogsInReadsSpotsAndComesBackAfterADrop) {
    client.start(QStringLiteral("127.0.0.1"), node.serverPort(), QStringLiteral("f4abc"));
    QTcpSocket* s = accept();
    ASSERT_NE(s, nullptr);
    // Telnet negotiation (IAC WILL ECHO, a subnegotiation) and a prompt without a line end.
    s->write("\xff\xfb\x01\xff\xfa\x18\x01\xff\xf0Welcome to GB7DJK\r\nlogin: ");
    EXPECT_EQ(read_line(s), "F4ABC\r\n");
    s->write("Hello F4ABC\r\n"
             "DX de EA4XY:     14025.0  JA1ABC       CW 599                         1234Z\r\n"
             "WWV de W0MU <18>:   SFI=72, A=4, K=1\r\n" +
             QByteArray(5000, 'x') +
             "\r\n" // garbage past the line bound
             "DX de K1TTT:     3525.5  VP2V/W1AW    up 2                          0001Z\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return spots.size() == 2; }, 5000));
    EXPECT_EQ(spots[0].call, QStringLiteral("JA1ABC"));
    EXPECT_EQ(spots[1].call, QStringLiteral("VP2V/W1AW"));
    EXPECT_EQ(client.state(), DxClusterClient::State::Connected);

    // The node drops the connection: told, then tried again, the pause growing each time.
    QSignalSpy states(&client, &DxClusterClient::stateChanged);
    s->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.state() == DxClusterClient::State::Waiting; }));
    EXPECT_EQ(client.drop(), DxClusterClient::Drop::Closed);
    EXPECT_EQ(client.pauseMs(), 100) << "the next pause doubles";
    QTcpSocket* again = accept();
    ASSERT_NE(again, nullptr);
    again->write("Please enter your call: ");
    EXPECT_EQ(read_line(again), "F4ABC\r\n");
    again->write("DX de OH2BH:  50313.0  JA1XYZ  FT8  1805Z\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return spots.size() == 3; }, 5000));

    // A refused connection waits and tries again; stopping ends it all.
    node.close();
    again->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.state() == DxClusterClient::State::Waiting; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.drop() == DxClusterClient::Drop::Refused; }));
    client.stop();
    EXPECT_EQ(client.state(), DxClusterClient::State::Off);
}

// 10,000 spots a second for a second: the event loop keeps turning (no turn longer than a few
// ms of reading) and the recent spots stay bounded.
TEST_F(ScriptedNode, AFloodNeverHoldsTheLoop) {
    RecentSpots recent;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&client, &DxClusterClient::spotReceived,
                     [&](const Spot& s) { recent.add(s, clock.elapsed()); });
    client.start(QStringLiteral("127.0.0.1"), node.serverPort(), QStringLiteral("F4ABC"));
    QTcpSocket* s = accept();
    ASSERT_NE(s, nullptr);
    s->write("login: ");
    EXPECT_EQ(read_line(s), "F4ABC\r\n");
    QByteArray burst;
    for (int i = 0; i < 1000; ++i)
        burst += QStringLiteral("DX de EA4XY:  %1.0  K%2ABC  CW  1234Z\r\n")
                     .arg(14000 + i % 300)
                     .arg(i % 10)
                     .toLatin1();
    test::LongestTurn watch;
    for (int i = 0; i < 10; ++i) {
        s->write(burst);
        QTest::qWait(100); // 1,000 spots every 100 ms
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return spots.size() == 10000; }, 10000)) << spots.size();
    const qint64 longest = watch.stop();
    EXPECT_LE(recent.spots().size(), static_cast<std::size_t>(kRecentSpotCapacity));
    EXPECT_LT(longest, 250) << "ms";
}

} // namespace
} // namespace kestrav
