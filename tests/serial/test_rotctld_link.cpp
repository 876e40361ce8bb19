// The link to rotctld against a scripted rotctld on 127.0.0.1: a close while connecting, an
// answer that never comes, the range asked of peers good, bad and older, the elevation the
// first turn waits for, a rotctld that is this very program, and a link destroyed while
// connected; and Debian's rotctld itself.

#include "rotor/rotctld_link.h"
#include "rotor/rotctld_server.h"
#include "serial/scripted_rotctld.h"
#include "support/child_process.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace kestrav::test {
namespace {

class RotctldLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rotctld.listening);
        link->setAddress(QStringLiteral("127.0.0.1"), rotctld.port());
    }
    bool received(const QByteArray& command) {
        return QTest::qWaitFor([&] { return rotctld.commands.contains(command); }, 5000);
    }
    bool sent_turn_to(const QByteArray& azimuth) const {
        return std::any_of(rotctld.commands.begin(), rotctld.commands.end(),
                           [&](const QByteArray& c) { return c.startsWith("P " + azimuth + ' '); });
    }

    ScriptedRotctld rotctld;
    std::unique_ptr<RotctldLink> link = std::make_unique<RotctldLink>();
};

// GO then STOP within the connection's first moments: the commands of the connection closed
// while it was being made must not take the answers of the next one. The first turn of the
// next one waits for the position and goes with its elevation.
TEST_F(RotctldLinkTest, CloseWhileConnectingLeavesNothingBehind) {
    QSignalSpy failed(link.get(), &RotctldLink::failed);
    QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
    link->turn(1000);
    link->stop();
    ASSERT_TRUE(link->isOpen());
    link->close();
    EXPECT_FALSE(link->isOpen());

    link->turn(2000);
    ASSERT_TRUE(received("P 200.0 45.0"));
    EXPECT_EQ(rotctld.commands.mid(rotctld.commands.indexOf("_")),
              (QList<QByteArray>{"_", "p", "P 200.0 45.0"}));
    ASSERT_EQ(heading.size(), 1) << "the position the turn waited for";
    EXPECT_EQ(heading.first().first().toDouble(), 123.0);
    link->turn(2100);
    ASSERT_TRUE(received("P 210.0 45.0"));
    EXPECT_FALSE(sent_turn_to("100.0"));
    EXPECT_EQ(failed.size(), 0) << failed.value(0).value(0).toString().toStdString();
}

// A rotctld that takes the connection and never answers: the command fails, the connection is
// dropped so that a late answer cannot be misread, and the next command starts afresh. A
// position nobody answers is not told, unless a turn waits for it.
TEST_F(RotctldLinkTest, AnAnswerThatNeverComesFails) {
    link->setAnswerTimeout(200);
    QSignalSpy failed(link.get(), &RotctldLink::failed);
    int positions = 0;
    rotctld.answer = [&positions](const QByteArray& command) {
        if (command == "p" && ++positions > 1)
            return QByteArray();
        return ScriptedRotctld::well_behaved(command);
    };
    link->turn(100);
    ASSERT_TRUE(received("P 10.0 45.0"));
    link->askHeading();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->isOpen(); }, 5000));
    EXPECT_EQ(failed.size(), 0) << "a position that cannot be had is not told";

    link->turn(200); // the position it waits for never comes
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.last().first().toString(), QStringLiteral("No answer from rotctld"));
    EXPECT_FALSE(link->isOpen());
    EXPECT_FALSE(sent_turn_to("20.0"));

    rotctld.answer = [](const QByteArray&) { return QByteArray(); };
    link->turn(200);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.last().first().toString(), QStringLiteral("No answer from rotctld"));
    EXPECT_FALSE(link->isOpen());
    EXPECT_EQ(rotctld.connections, 3);

    rotctld.answer = ScriptedRotctld::well_behaved;
    QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
    link->turn(300);
    ASSERT_TRUE(received("P 30.0 45.0"));
    link->askHeading();
    EXPECT_TRUE(QTest::qWaitFor([&] { return heading.size() == 2; }, 5000));
    EXPECT_EQ(rotctld.connections, 4);
    EXPECT_EQ(failed.size(), 2);
}

// The first turn of a connection goes with the elevation the position gives: "0" for a
// rotator that tells no position, none at all when the position is refused otherwise or
// cannot be read.
TEST_F(RotctldLinkTest, FirstTurnKeepsTheElevation) {
    const struct {
        const char* name;
        QByteArray position; // the answer to "p"
        QByteArray turn;     // what goes out, empty: nothing
        const char* failure;
    } rows[] = {
        {"elevation", "123.00\n45.00\n", "P 10.0 45.0", nullptr},
        {"below the horizon", "123.00\n-5.25\n", "P 10.0 -5.2", nullptr},
        {"over the zenith", "123.00\n180.00\n", "P 10.0 180.0", nullptr},
        {"no position: not implemented", "RPRT -4\n", "P 10.0 0", nullptr},
        {"no position: not available", "RPRT -11\n", "P 10.0 0", nullptr},
        {"timed out", "RPRT -5\n", {}, "Communication timed out"},
        {"unreadable elevation", "123.00\nabc\n", {}, "Unreadable answer from rotctld"},
        {"impossible elevation", "123.00\n181.00\n", {}, "Unreadable answer from rotctld"},
        {"report without code", "RPRT x\n", {}, "Unreadable answer from rotctld"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        rotctld.commands.clear();
        rotctld.answer = [&row](const QByteArray& command) {
            return command == "p" ? row.position : ScriptedRotctld::well_behaved(command);
        };
        QSignalSpy failed(link.get(), &RotctldLink::failed);
        link->turn(100);
        if (row.failure) {
            ASSERT_TRUE(failed.wait(5000));
            EXPECT_EQ(failed.first().first().toString(), QLatin1String(row.failure));
            // The next turn asks again rather than guess.
            rotctld.answer = ScriptedRotctld::well_behaved;
            link->turn(200);
            ASSERT_TRUE(received("P 20.0 45.0"));
            EXPECT_FALSE(sent_turn_to("10.0"));
            EXPECT_EQ(rotctld.commands.count("p"), 2);
        } else {
            ASSERT_TRUE(received(row.turn));
            link->turn(200); // the elevation is kept for the connection
            ASSERT_TRUE(QTest::qWaitFor([&] { return sent_turn_to("20.0"); }, 5000));
            EXPECT_EQ(rotctld.commands.count("p"), 1);
            EXPECT_EQ(failed.size(), 0);
        }
        link->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
    }
}

// A turn waiting for the position is replaced by the next turn and dropped by the stop; the
// answers of both still come in step. Here rotctld answers only when the test says.
TEST_F(RotctldLinkTest, WaitingTurnIsReplacedOrDropped) {
    QSignalSpy failed(link.get(), &RotctldLink::failed);
    rotctld.answer = [](const QByteArray& command) {
        return command == "_" ? ScriptedRotctld::well_behaved(command) : QByteArray();
    };
    link->turn(100);
    link->turn(200);
    ASSERT_TRUE(received("p"));
    rotctld.answer = ScriptedRotctld::well_behaved;
    rotctld.peer->write("123.00\n30.00\n");
    ASSERT_TRUE(received("P 20.0 30.0"));
    EXPECT_FALSE(sent_turn_to("10.0"));
    EXPECT_EQ(rotctld.commands.count("p"), 1) << "the second turn waits on the same question";

    link->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
    rotctld.answer = [](const QByteArray& command) {
        return command == "_" ? ScriptedRotctld::well_behaved(command) : QByteArray();
    };
    link->turn(300);
    ASSERT_TRUE(received("p"));
    link->stop();
    ASSERT_TRUE(received("S"));
    rotctld.answer = ScriptedRotctld::well_behaved;
    rotctld.peer->write("123.00\n30.00\nRPRT 0\n");
    link->turn(400); // with that position's elevation
    ASSERT_TRUE(received("P 40.0 30.0"));
    EXPECT_FALSE(sent_turn_to("30.0"));
    EXPECT_EQ(failed.size(), 0) << failed.value(0).value(0).toString().toStdString();
}

// A rotctld on this computer that names itself as this very program: the command fails with
// the reason and nothing but the question goes out; another Kestrav is a rotctld like any.
TEST_F(RotctldLinkTest, RefusesThisVeryProgram) {
    const struct {
        const char* name;
        QByteArray info;
        bool refused;
    } rows[] = {
        {"this program", rotctld_own_info().toUtf8() + '\n', true},
        {"another Kestrav", "Kestrav 0123456789abcdef\n", false},
        {"Hamlib's dummy", "Dummy rotator\n", false},
        {"no such command", "RPRT -1\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        rotctld.commands.clear();
        rotctld.answer = [&row](const QByteArray& command) {
            return command == "_" ? row.info : ScriptedRotctld::well_behaved(command);
        };
        QSignalSpy failed(link.get(), &RotctldLink::failed);
        link->turn(100);
        if (row.refused) {
            ASSERT_TRUE(failed.wait(5000));
            EXPECT_EQ(failed.first().first().toString(),
                      QStringLiteral("The rotctld at this address is this Kestrav itself"));
            EXPECT_EQ(rotctld.commands, QList<QByteArray>{"_"});
            EXPECT_FALSE(link->isOpen());
        } else {
            ASSERT_TRUE(received("P 10.0 45.0"));
            EXPECT_EQ(failed.size(), 0);
            link->close();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
    }
}

// The same with this program's own server answering: its GO is never pressed.
TEST_F(RotctldLinkTest, RefusesItsOwnServer) {
    class Rotator final : public RotorService {
    public:
        Outcome go_to(double) override {
            ++gos;
            return Outcome::Done;
        }
        void stop() override {}
        Outcome park() override { return Outcome::Done; }
        double position() override { return 0; }
        Range range() const override { return {}; }
        QString info() const override { return rotctld_own_info(); }
        int gos = 0;
    } rotator;
    RotctldServer server(rotator);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    link->setAddress(QStringLiteral("127.0.0.1"), server.serverPort());
    QSignalSpy failed(link.get(), &RotctldLink::failed);
    link->turn(100);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(failed.first().first().toString().endsWith(QLatin1String("this Kestrav itself")));
    EXPECT_EQ(rotator.gos, 0);
}

// Another address is another rotctld: the connection to the first is dropped, and the turn
// reaches the second with the second's elevation.
TEST_F(RotctldLinkTest, AnotherAddressIsAnotherConnection) {
    link->turn(100);
    ASSERT_TRUE(received("P 10.0 45.0"));
    ScriptedRotctld other;
    ASSERT_TRUE(other.listening);
    other.answer = [](const QByteArray& command) {
        return command == "p" ? QByteArray("0.00\n12.00\n")
                              : ScriptedRotctld::well_behaved(command);
    };
    link->setAddress(QStringLiteral("127.0.0.1"), other.port());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
    link->turn(200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return other.commands.contains("P 20.0 12.0"); }, 5000));
    EXPECT_FALSE(sent_turn_to("20.0"));
}

// The range question answered by rotctld's state, by garbage without end, by numbers no
// rotator has, or not at all: a range, 0 to 360, or the failure the waiting turn is told by.
TEST_F(RotctldLinkTest, RangeFromWellAndBadlyBehavedPeers) {
    link->setAnswerTimeout(300);
    struct Row {
        QByteArray state; // the answer to \dump_state; empty: none
        std::optional<RotorRange> range;
    };
    const Row rows[] = {
        {"1\n601\nmin_az=-180.000000\nmax_az=450.000000\nmin_el=0.000000\nmax_el=90.000000\n"
         "south_zero=0\nrot_type=AzEl\ndone\n",
         RotorRange{-180, 450}},
        // Older releases: the version "0", the model and four bare numbers, nothing after.
        {"0\n601\n-180.000000\n450.000000\n0.000000\n90.000000\n", RotorRange{-180, 450}},
        {"0\n1\n0.000000\n360.000000\n0.000000\n90.000000\n", RotorRange{0, 360}},
        {"0\n601\n450.000000\n-180.000000\n0.000000\n90.000000\n", RotorRange{0, 360}},
        {"RPRT -4\n", RotorRange{0, 360}},
        {QByteArray("x\n").repeated(500), RotorRange{0, 360}},
        {"min_az=-99999999999\nmax_az=1e308\ndone\n", RotorRange{0, 360}},
        {{}, std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.state.left(40).toStdString());
        rotctld.answer = [&r](const QByteArray& command) {
            return command == "\\dump_state" ? r.state : ScriptedRotctld::well_behaved(command);
        };
        QSignalSpy received_range(link.get(), &RotctldLink::rangeReceived);
        QSignalSpy failed(link.get(), &RotctldLink::failed);
        link->askRange();
        if (r.range) {
            ASSERT_TRUE(received_range.wait(5000));
            ASSERT_TRUE(link->reportedRange());
            EXPECT_EQ(link->reportedRange()->min, r.range->min);
            EXPECT_EQ(link->reportedRange()->max, r.range->max);
            rotctld.commands.clear();
            link->turn(100); // later answers are read as theirs
            ASSERT_TRUE(received("P 10.0 45.0"));
            // The turn's answer comes before the position asked after it: once that is read,
            // the turn's has been too.
            QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
            link->askHeading();
            ASSERT_TRUE(heading.wait(5000));
            EXPECT_EQ(failed.size(), 0);
        } else {
            ASSERT_TRUE(failed.wait(5000)) << "a turn waits on this answer";
            EXPECT_EQ(failed.first().first().toString(), QStringLiteral("No answer from rotctld"));
            EXPECT_FALSE(link->reportedRange());
        }
        link->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
        EXPECT_FALSE(link->reportedRange()) << "forgotten with the connection";
    }
}

// Destroyed in the middle of an answer (a partial line held): nothing of the link is touched
// once it is gone, and the connection closes.
TEST_F(RotctldLinkTest, DestroyedWhileConnected) {
    int positions = 0;
    rotctld.answer = [&positions](const QByteArray& command) {
        if (command != "p")
            return ScriptedRotctld::well_behaved(command);
        return ++positions == 1 ? QByteArray("123.00\n45.00\n") : QByteArray("123.00\n4");
    };
    QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
    link->turn(100);
    ASSERT_TRUE(received("P 10.0 45.0"));
    link->askHeading();
    ASSERT_TRUE(QTest::qWaitFor([&] { return heading.size() == 2; }, 5000));
    link.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
}

// Debian's own rotctld with Hamlib's dummy rotator, whose state reads -180 to 450: the range
// from its state, and a first turn that keeps the elevation it stands at, sent at exit with
// no event loop running (the parking turn's way).
class RealRotctldTest : public ::testing::Test {
protected:
    void SetUp() override {
        QTcpServer probe; // a free port for rotctld
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
        probe.close();
        rotctld.start(QStringLiteral("rotctld"),
                      {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-T"),
                       QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
        ASSERT_TRUE(rotctld.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return position().has_value(); }, 5000));
        link.setAddress(QStringLiteral("127.0.0.1"), port);
    }
    // The dummy's position as "p" reads it on a connection of its own.
    std::optional<QByteArray> position() {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (!s.waitForConnected(200))
            return std::nullopt;
        s.write("p\n");
        QByteArray answer;
        while (answer.count('\n') < 2 && s.waitForReadyRead(1000))
            answer += s.readAll();
        return answer;
    }

    ChildProcess rotctld;
    quint16 port = 0;
    RotctldLink link;
};

TEST_F(RealRotctldTest, RangeAndElevationFromHamlib) {
    QSignalSpy range(&link, &RotctldLink::rangeReceived);
    link.askRange();
    ASSERT_TRUE(range.wait(5000));
    ASSERT_TRUE(link.reportedRange());
    EXPECT_EQ(link.reportedRange()->min, -180);
    EXPECT_EQ(link.reportedRange()->max, 450);
    link.close();

    {
        QTcpSocket raise; // the antenna up to 10 degrees
        raise.connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(raise.waitForConnected(5000));
        raise.write("P 0 10\n");
        ASSERT_TRUE(raise.waitForBytesWritten(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return position() == "0.00\n10.00\n"; }, 10000));
    }
    QSignalSpy failed(&link, &RotctldLink::failed);
    link.turn(50);
    link.finish(2000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return position() == "5.00\n10.00\n"; }, 10000))
        << position().value_or("none").toStdString();
    EXPECT_EQ(failed.size(), 0);
}

} // namespace
} // namespace kestrav::test
