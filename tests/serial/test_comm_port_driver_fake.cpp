// The serial port component over the fake device: time-outs on the line's own clock, faults
// in the middle of a write, and how each property reaches the line settings.

#include "rotor/comm_port_driver.h"
#include "support/serial_device_fake.h"
#include "support/wait_past.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace kestrav;
using kestrav::test::wait_past;

namespace {

class FakePort : public ::testing::Test {
protected:
    void SetUp() override {
        line->presentPaths << QStringLiteral("/dev/ttyS0");
        driver = std::make_unique<TCommPortDriver>(std::make_unique<FakeSerialDevice>(line),
                                                   fake_serial_clock(line));
        driver->setComPort(pnCOM1);
    }

    std::int32_t write(const QByteArray& bytes) {
        return driver->WriteBytes(bytes.constData(), std::int32_t(bytes.size()));
    }

    std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>();
    std::unique_ptr<TCommPortDriver> driver;
};

TEST_F(FakePort, OpenAppliesDefaultsAndPurgesTheInput) {
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(line->openedPath, QStringLiteral("/dev/ttyS0"));
    ASSERT_EQ(line->applied.size(), 1u);
    EXPECT_EQ(line->applied[0], SerialLineSettings{}) << "9600 8N1, DTR on, no handshake";
    EXPECT_EQ(line->inputPurges, 1);
    EXPECT_EQ(line->outputPurges, 0);
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(line->opens, 1);
    EXPECT_EQ(line->applied.size(), 1u);
}

TEST_F(FakePort, BusyDeviceDoesNotOpen) {
    line->faults.busy = true;
    EXPECT_FALSE(driver->OpenPort());
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_TRUE(line->applied.empty());
}

TEST_F(FakePort, EachPropertyReachesTheLineWhileOpen) {
    ASSERT_TRUE(driver->OpenPort());
    struct Row {
        const char* name;
        std::function<void()> change;
        std::function<bool(const SerialLineSettings&)> check;
    };
    using S = SerialLineSettings;
    const Row rows[] = {
        {"speed 56000", [&] { driver->setComPortSpeed(br56000); },
         [](const S& s) { return s.bitRate == 56000; }},
        {"five data bits", [&] { driver->setComPortDataBits(db5BITS); },
         [](const S& s) { return s.dataBits == 5; }},
        {"one and a half stop bits", [&] { driver->setComPortStopBits(sb1HALFBITS); },
         [](const S& s) { return s.stopBits == S::StopBits::OneAndHalf; }},
        {"even parity", [&] { driver->setComPortParity(ptEVEN); },
         [](const S& s) { return s.parity == S::Parity::Even; }},
        {"space parity", [&] { driver->setComPortParity(ptSPACE); },
         [](const S& s) { return s.parity == S::Parity::Space; }},
        {"RTS/CTS", [&] { driver->setComPortHwHandshaking(hhRTSCTS); },
         [](const S& s) { return s.rtsCts; }},
        {"XON/XOFF", [&] { driver->setComPortSwHandshaking(shXONXOFF); },
         [](const S& s) { return s.xonXoff; }},
    };
    for (const Row& row : rows) {
        const size_t before = line->applied.size();
        const int inputPurges = line->inputPurges;
        const int outputPurges = line->outputPurges;
        row.change();
        ASSERT_EQ(line->applied.size(), before + 1) << row.name;
        EXPECT_TRUE(row.check(line->applied.back())) << row.name;
        EXPECT_EQ(line->inputPurges, inputPurges + 1) << row.name;
        EXPECT_EQ(line->outputPurges, outputPurges + 1) << row.name;
    }
    // Earlier changes are kept by later applications.
    const S& last = line->applied.back();
    EXPECT_EQ(last.bitRate, 56000);
    EXPECT_EQ(last.dataBits, 5);
    EXPECT_TRUE(last.rtsCts);
}

TEST_F(FakePort, SettingsWhileClosedWaitForTheOpen) {
    driver->setComPortSpeed(br14400);
    driver->setEnableDTROnOpen(false);
    driver->setComPortSpeed(-1); // not a rate: ignored
    driver->setComPortSpeed(13);
    EXPECT_TRUE(line->applied.empty());
    EXPECT_EQ(driver->ComPortSpeed(), br14400);
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_EQ(line->applied.size(), 1u);
    EXPECT_EQ(line->applied[0].bitRate, 14400);
    EXPECT_FALSE(line->applied[0].dtrOn);
}

TEST_F(FakePort, StalledLineTimesOutAfterOutputTimeout) {
    driver->setOutputTimeout(200);
    line->faults.stallAfterBytes = 3;
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(write("AZ045.0\r"), -3);
    EXPECT_EQ(line->written, QByteArray("AZ0"));
    EXPECT_GT(line->nowMs, 200) << "more than the time-out must pass";
    EXPECT_LE(line->nowMs, 202);
    EXPECT_LE(line->waits, 3) << "waits, does not spin";
    EXPECT_TRUE(driver->IsOpen());
}

TEST_F(FakePort, NothingTakenTimesOutAtZero) {
    driver->setOutputTimeout(100);
    line->faults.stallAfterBytes = 0;
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(write("W045\r"), 0);
    EXPECT_FALSE(driver->WriteText("W045\r"));
}

struct DrainRow {
    const char* name;
    int drainAfterMs;
    std::int32_t expected;
};

class FakeDrain : public FakePort, public ::testing::WithParamInterface<DrainRow> {};

TEST_P(FakeDrain, ProgressWithinTheTimeOutCompletesTheWrite) {
    driver->setOutputTimeout(200);
    line->faults.stallAfterBytes = 3;
    line->faults.drainAfterMs = GetParam().drainAfterMs;
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(write("AZ045.0\r"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Drains, FakeDrain,
                         ::testing::Values(DrainRow{"well_within", 50, 8},
                                           DrainRow{"at_the_limit", 200, 8},
                                           DrainRow{"too_late", 250, -3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakePort, PartialWritesAreContinuedInOrder) {
    line->faults.chunk = 2;
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_TRUE(driver->WriteText("SA SE\r"));
    EXPECT_EQ(line->written, QByteArray("SA SE\r"));
}

TEST_F(FakePort, DeviceGoneMidWriteClosesAndReportsWhatWentOut) {
    line->faults.goneAfterBytes = 4;
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(write("W045\r"), -4);
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_EQ(line->closes, 1);
    EXPECT_EQ(write("S\r"), 0) << "closed now";
}

TEST_F(FakePort, DeviceGoneOnReadClosesThePort) {
    line->faults.goneOnRead = true;
    ASSERT_TRUE(driver->OpenPort());
    driver->PollInput();
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_EQ(line->closes, 1);
}

TEST_F(FakePort, OutputFreeSpaceInSixteenBits) {
    ASSERT_TRUE(driver->OpenPort());
    line->outputQueue = 48;
    EXPECT_EQ(driver->OutputFreeSpace(), 2000);
    line->outputQueue = 2048;
    EXPECT_EQ(driver->OutputFreeSpace(), 0);
    line->outputQueue = 2049;
    EXPECT_EQ(driver->OutputFreeSpace(), 65535);
}

TEST_F(FakePort, ReceiveBufferSizeFixedWhileOpen) {
    driver->setComPortInBufSize(16);
    std::vector<int> sizes;
    driver->setOnReceiveData(
        [&](TCommPortDriver*, const char*, std::int32_t n) { sizes.push_back(n); });
    driver->setComPortPollingDelay(60000);
    ASSERT_TRUE(driver->OpenPort());
    driver->setComPortInBufSize(4);
    driver->setComPortOutBufSize(100);
    EXPECT_EQ(driver->ComPortInBufSize(), 16);
    EXPECT_EQ(driver->ComPortOutBufSize(), 2048);
    line->incoming = QByteArray(40, 'a');
    driver->PollInput();
    driver->PollInput();
    driver->PollInput();
    driver->PollInput();
    EXPECT_EQ(sizes, (std::vector<int>{16, 16, 8})) << "no call for an empty read";
}

TEST_F(FakePort, ReceiveBufferHasTheDefaultSizeUntilChanged) {
    std::vector<int> sizes;
    driver->setOnReceiveData(
        [&](TCommPortDriver*, const char*, std::int32_t n) { sizes.push_back(n); });
    driver->setComPortPollingDelay(60000);
    ASSERT_TRUE(driver->OpenPort());
    line->incoming = QByteArray(3000, 'a');
    driver->PollInput();
    driver->PollInput();
    EXPECT_EQ(sizes, (std::vector<int>{2048, 952}));
}

// The poll timer is a real one: each check waits for events (reads, or a timer of the
// test's due after any poll that could come), and a bound on time is one that a loaded
// machine, which only delays timers, cannot break.
TEST_F(FakePort, PollTimerRunsOnlyWhileOpenAndAtItsPeriod) {
    driver->setComPortPollingDelay(20);
    ASSERT_TRUE(wait_past(100));
    EXPECT_EQ(line->reads, 0);
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->reads >= 3; }, 2000));
    // Three reads at the new period take three of its periods, less a coarse timer's 5%: a
    // timer of the test's own, started before the change and due 250 ms later, is due by the
    // third read, however late a loaded machine runs either.
    QTimer pace;
    pace.setSingleShot(true);
    pace.setTimerType(Qt::PreciseTimer);
    pace.start(250);
    driver->setComPortPollingDelay(100);
    std::vector<int> left;                      // ms still to run on `pace` at each read
    line->incoming = QByteArray(4 * 2048, 'a'); // each read hands some over
    driver->setOnReceiveData([&](TCommPortDriver*, const char*, std::int32_t) {
        left.push_back(pace.isActive() ? pace.remainingTime() : 0);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return left.size() >= 3; }, 10000));
    EXPECT_EQ(left[2], 0) << "the third read came " << left[2] << " ms early: no slower";
    driver->ClosePort();
    const int closedAt = line->reads;
    ASSERT_TRUE(wait_past(300));
    EXPECT_EQ(line->reads, closedAt);
}

TEST_F(FakePort, ZeroPollingDelayDoesNotSpin) {
    driver->setComPortPollingDelay(0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(driver->OpenPort());
    ASSERT_TRUE(wait_past(100));
    const int reads = line->reads;
    const qint64 elapsed = clock.elapsed();
    // At most one read a millisecond, however long the wait really took; a timer of 0 would
    // read at every pass of the event loop.
    EXPECT_GE(reads, 1);
    EXPECT_LE(reads, elapsed + 2) << "reads in " << elapsed << " ms";
}

TEST_F(FakePort, DestructionClosesThePort) {
    ASSERT_TRUE(driver->OpenPort());
    driver.reset();
    EXPECT_FALSE(line->open);
    EXPECT_EQ(line->closes, 1);
}

} // namespace
