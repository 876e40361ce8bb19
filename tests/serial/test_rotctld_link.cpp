// The link to rotctld against a scripted rotctld on 127.0.0.1: a close while connecting, an
// answer that never comes, the range asked of peers good and bad, and a link destroyed while
// connected.

#include "rotor/rotctld_link.h"
#include "serial/scripted_rotctld.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

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

    ScriptedRotctld rotctld;
    std::unique_ptr<RotctldLink> link = std::make_unique<RotctldLink>();
};

// GO then STOP within the connection's first moments: the commands of the connection closed
// while it was being made must not take the answers of the next one. The position read sends
// its elevation back with the next turn.
TEST_F(RotctldLinkTest, CloseWhileConnectingLeavesNothingBehind) {
    QSignalSpy failed(link.get(), &RotctldLink::failed);
    QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
    link->turn(1000);
    link->stop();
    ASSERT_TRUE(link->isOpen());
    link->close();
    EXPECT_FALSE(link->isOpen());

    link->turn(2000);
    ASSERT_TRUE(received("P 200.0 0"));
    link->askHeading();
    ASSERT_TRUE(heading.wait(5000));
    EXPECT_EQ(heading.first().first().toDouble(), 123.0);
    link->turn(2100);
    ASSERT_TRUE(received("P 210.0 45.0"));
    EXPECT_FALSE(rotctld.commands.contains("P 100.0 0"));
    EXPECT_EQ(failed.size(), 0) << failed.value(0).value(0).toString().toStdString();
}

// A rotctld that takes the connection and never answers: the command fails, the connection is
// dropped so that a late answer cannot be misread, and the next command starts afresh. A
// position nobody answers is not told.
TEST_F(RotctldLinkTest, AnAnswerThatNeverComesFails) {
    link->setAnswerTimeout(200);
    QSignalSpy failed(link.get(), &RotctldLink::failed);
    rotctld.answer = [](const QByteArray& command) {
        return command == "p" ? QByteArray() : QByteArray("RPRT 0\n");
    };
    link->turn(100);
    ASSERT_TRUE(received("P 10.0 0"));
    link->askHeading();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link->isOpen(); }, 5000));
    EXPECT_EQ(failed.size(), 0) << "a position that cannot be had is not told";

    rotctld.answer = [](const QByteArray&) { return QByteArray(); };
    link->turn(200);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.first().first().toString(), QStringLiteral("No answer from rotctld"));
    EXPECT_FALSE(link->isOpen());
    EXPECT_EQ(rotctld.connections, 2);

    rotctld.answer = ScriptedRotctld::well_behaved;
    QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
    link->turn(300);
    ASSERT_TRUE(received("P 30.0 0"));
    link->askHeading();
    EXPECT_TRUE(heading.wait(5000));
    EXPECT_EQ(rotctld.connections, 3);
    EXPECT_EQ(failed.size(), 1);
}

// The range question answered by rotctld's state, by garbage without end, by numbers no
// rotator has, or not at all: a range, 0 to 360, or the failure the waiting turn is told by.
TEST_F(RotctldLinkTest, RangeFromWellAndBadlyBehavedPeers) {
    link->setAnswerTimeout(300);
    struct Row {
        QByteArray state; // the answer to \dump_state; empty: none
        std::optional<RotatorRange> range;
    };
    const Row rows[] = {
        {"1\n601\nmin_az=-180.000000\nmax_az=450.000000\nrot_type=AzEl\ndone\n",
         RotatorRange{-180, 450}},
        {QByteArray("x\n").repeated(500), RotatorRange{0, 360}},
        {"min_az=-99999999999\nmax_az=1e308\ndone\n", RotatorRange{0, 360}},
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
            link->turn(100); // later answers are read as theirs
            ASSERT_TRUE(received("P 10.0 0"));
            QTest::qWait(100);
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
    rotctld.answer = [](const QByteArray& command) {
        return command == "p" ? QByteArray("123.000000\n4") : QByteArray("RPRT 0\n");
    };
    QSignalSpy heading(link.get(), &RotctldLink::headingReceived);
    link->turn(100);
    ASSERT_TRUE(received("P 10.0 0"));
    link->askHeading();
    ASSERT_TRUE(heading.wait(5000));
    link.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rotctld.peerConnected(); }, 5000));
}

} // namespace
} // namespace kestrav::test
