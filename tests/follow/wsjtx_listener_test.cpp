// The listener under a flood of Status datagrams: one handling of the socket's readyRead
// reads one round, the rest is read a round per turn of the event loop, and a timer of the
// test fires between the rounds.

#include "follow/wsjtx_listener.h"
#include "follow/wsjtx_message.h"

#include "setup/qstring_printer.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

namespace kestrav::test {
namespace {

// A distinct grid square for each number below 32400, so every datagram moves the station.
QString grid_of(int n) {
    const auto letter = [](int i) { return QChar(u'A' + i); };
    const auto digit = [](int i) { return QChar(u'0' + i); };
    return QString(letter(n / 1800 % 18)) + letter(n / 100 % 18) + digit(n / 10 % 10) +
           digit(n % 10);
}

TEST(WsjtxListenerFlood, ReadInBoundedRoundsOnePerTurn) {
    const CountryTable countries;
    WsjtxListener listener(countries);
    ASSERT_TRUE(listener.start(QStringLiteral("127.0.0.1"), 0))
        << listener.errorText().toStdString();
    auto* socket = listener.findChild<QUdpSocket*>();
    ASSERT_NE(socket, nullptr);
    // Room for thousands of datagrams waiting, where the system allows it.
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 << 20);

    int turn = 0; // turns of the event loop, as a zero timer of the test sees them
    std::map<int, int> read_in_turn;
    QObject::connect(&listener, &WsjtxListener::dxStation,
                     [&](const DxTarget&) { ++read_in_turn[turn]; });
    QSignalSpy targets(&listener, &WsjtxListener::dxStation);

    QUdpSocket sender;
    constexpr int kSent = 3000;
    for (int i = 0; i < kSent; ++i)
        sender.writeDatagram(build_wsjtx_status("WSJT-X", "VK2ABC", grid_of(i)),
                             QHostAddress::LocalHost, listener.localPort());
    ASSERT_TRUE(socket->hasPendingDatagrams());

    // One handling reads one round and leaves the rest waiting.
    emit socket->readyRead();
    EXPECT_EQ(targets.size(), kWsjtxDatagramsPerRound);
    EXPECT_TRUE(socket->hasPendingDatagrams());

    // The loop runs until a turn finds nothing waiting and nothing new read.
    QEventLoop loop;
    QTimer ticks;
    ticks.setInterval(0);
    qsizetype last = -1;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        ++turn;
        if (!socket->hasPendingDatagrams() && targets.size() == last)
            loop.quit();
        last = targets.size();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    ticks.start();
    ++turn;
    loop.exec();
    EXPECT_FALSE(socket->hasPendingDatagrams());
    const auto received = static_cast<int>(targets.size());
    EXPECT_GT(received, 4 * kWsjtxDatagramsPerRound);
    // Every turn of the loop read one round at most, so the reading took many turns.
    for (const auto& [at, count] : read_in_turn)
        EXPECT_LE(count, kWsjtxDatagramsPerRound) << "turn " << at;
    EXPECT_GE(static_cast<int>(read_in_turn.size()),
              (received + kWsjtxDatagramsPerRound - 1) / kWsjtxDatagramsPerRound);
}

// Bursts of 100 datagrams a millisecond from another thread while the loop serves leave the
// socket heard: the datagram sent after them, alone, is read.
TEST(WsjtxListenerFlood, BurstsLeaveTheSocketHeard) {
    const CountryTable countries;
    WsjtxListener listener(countries);
    ASSERT_TRUE(listener.start(QStringLiteral("127.0.0.1"), 0))
        << listener.errorText().toStdString();
    const quint16 port = listener.localPort();
    QString last_label;
    QObject::connect(&listener, &WsjtxListener::dxStation,
                     [&](const DxTarget& target) { last_label = target.label; });

    QEventLoop loop;
    std::thread bursts([&] {
        QUdpSocket sender;
        for (int ms = 0; ms < 30; ++ms) {
            for (int i = 0; i < 100; ++i)
                sender.writeDatagram(build_wsjtx_status("WSJT-X", "VK2ABC", grid_of(ms * 100 + i)),
                                     QHostAddress::LocalHost, port);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    bursts.join();

    // Sent again until it is read: the kernel may drop it while the bursts still fill the
    // socket's queue, and a deaf socket never reads it.
    QUdpSocket sender;
    const QByteArray last = build_wsjtx_status("WSJT-X", "VK2ABC", "JJ00");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            sender.writeDatagram(last, QHostAddress::LocalHost, port);
            return last_label.contains(QStringLiteral("JJ00"));
        },
        5000))
        << last_label.toStdString();
}

} // namespace
} // namespace kestrav::test
