// The commands of a serial line paced to what it carries: a flood of requests from another
// program leaves one command waiting, the latest; the operator's commands all go, in their
// order; STOP goes ahead of anything waiting; a line that takes nothing gives up in time.

#include "rotor/comm_port_driver.h"
#include "rotor/serial_pacer.h"
#include "support/serial_device_fake.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace kestrav {
namespace {

class PacerTest : public ::testing::Test {
protected:
    void SetUp() override {
        line->presentPaths << QStringLiteral("/dev/ttyS0");
        driver.setComPort(pnCOM1);
        driver.setComPortSpeed(br9600); // 10 bits a byte: about 1 ms each
        ASSERT_TRUE(driver.OpenPort());
    }
    // Lets the line carry what it was given, then lets the pacer's timer run.
    void line_frees(int milliseconds = 100) {
        line->nowMs += milliseconds;
        const QByteArray before = line->written;
        EXPECT_TRUE(QTest::qWaitFor([&] { return pacer.idle() || line->written != before; }, 1000));
    }

    std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>();
    TCommPortDriver driver{std::make_unique<FakeSerialDevice>(line), fake_serial_clock(line)};
    SerialPacer pacer{driver, fake_serial_clock(line)};
};

TEST_F(PacerTest, FloodOfRequestsLeavesOneWaitingTheLatest) {
    using S = SerialPacer::Sent;
    EXPECT_EQ(pacer.send("W001\r", true), S::Now);
    for (int i = 2; i <= 10000; ++i)
        EXPECT_EQ(pacer.send("W" + QByteArray::number(i % 1000).rightJustified(3, '0') + "\r", true),
                  S::Waiting);
    EXPECT_EQ(pacer.waiting(), 1);
    EXPECT_EQ(line->written, "W001\r") << "nothing more while the line is busy";
    line_frees();
    EXPECT_EQ(line->written, "W001\rW000\r") << "then the latest only";
    EXPECT_TRUE(pacer.idle());
}

TEST_F(PacerTest, DeskCommandsAllGoInOrderAndOutdateARequest) {
    using S = SerialPacer::Sent;
    EXPECT_EQ(pacer.send("W010\r", true), S::Now);
    EXPECT_EQ(pacer.send("W020\r", true), S::Waiting);
    // The operator's commands go at once, as they always have, and the waiting request is out
    // of date.
    EXPECT_EQ(pacer.send("W030\r", false), S::Now);
    EXPECT_EQ(pacer.send("W040\r", false), S::Now);
    line_frees();
    EXPECT_EQ(line->written, "W010\rW030\rW040\r");
}

TEST_F(PacerTest, StopGoesAheadOfEverythingWaiting) {
    pacer.send("W010\r", true);
    pacer.send("W020\r", true);
    pacer.ask("C\r");
    pacer.stop("S\r");
    EXPECT_EQ(line->written, "W010\rS\r") << "at once";
    line_frees();
    EXPECT_EQ(line->written, "W010\rS\r") << "and nothing waiting goes after it";
}

TEST_F(PacerTest, LineThatTakesNothing) {
    using S = SerialPacer::Sent;
    line->faults.stallAfterBytes = 0;
    // Another program's request is refused at once, and not kept.
    EXPECT_EQ(pacer.send("W010\r", true), S::Refused);
    EXPECT_TRUE(pacer.idle());
    // The operator's command waits for the line, as long as the port's time-out.
    EXPECT_EQ(pacer.send("W020\r", false), S::Refused);
    EXPECT_FALSE(pacer.idle());
    line->faults.stallAfterBytes = -1;
    line_frees(10);
    EXPECT_EQ(line->written, "W020\r") << "goes once the line takes it";

    line->faults.stallAfterBytes = 5;
    pacer.send("W030\r", false);
    QSignalSpy dropped(&pacer, &SerialPacer::dropped);
    line->nowMs += driver.OutputTimeout() + 1;
    ASSERT_TRUE(dropped.wait(1000));
    EXPECT_TRUE(pacer.idle());
    EXPECT_EQ(line->written, "W020\r");
}

} // namespace
} // namespace kestrav
