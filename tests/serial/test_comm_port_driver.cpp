// The serial port component on real pseudo-terminals: the controller's side is the master,
// the component opens the slave through a ports/COMn link in a temporary directory.

#include "rotor/comm_port_driver.h"
#include "rotor/rotor_protocol.h"
#include "rotor/serial_device_posix.h"
#include "rotor/serial_device_termios2.h"
#include "support/pty_pair.h"
#include "support/wait_past.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace kestrav;

namespace {

class PtyPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_FALSE(pty.slaveName.isEmpty());
        ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM1"), pty.slaveName));
    }

    std::unique_ptr<TCommPortDriver> makeDriver(int ordinal = pnCOM1) {
        auto driver = std::make_unique<TCommPortDriver>();
        driver->setPortDirectory(dir.path());
        driver->setComPort(ordinal);
        return driver;
    }

    QString linkPath(const char* name) const { return dir.path() + "/ports/" + name; }

    QTemporaryDir dir;
    PtyPair pty;
};

TEST_F(PtyPort, CommandsArriveByteForByte) {
    auto driver = makeDriver();
    ASSERT_TRUE(driver->OpenPort());
    const QByteArray texts[] = {gs232_turn_command(45), easycomm_turn_command(45),
                                gs232_stop_command(), easycomm_shutdown_command()};
    for (const QByteArray& text : texts) {
        EXPECT_TRUE(driver->WriteText(text));
        EXPECT_EQ(pty.readMaster(static_cast<int>(text.size())), text);
    }
    const QByteArray w = gs232_turn_command(7);
    EXPECT_EQ(driver->WriteBytes(w.constData(), 5), 5);
    EXPECT_EQ(pty.readMaster(5), QByteArray("W007\r"));
    EXPECT_EQ(pty.readMaster(1, 100), QByteArray()) << "nothing beyond the command";
}

// The line starts from settings another program left behind (hardware flow control, parity,
// canonical mode): opening sets every one of them.
TEST_F(PtyPort, LineIsRaw8N1AtTheChosenRate) {
    termios dirty{};
    ASSERT_EQ(tcgetattr(pty.slave, &dirty), 0);
    dirty.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    dirty.c_lflag |= ICANON | ECHO | ISIG;
    dirty.c_iflag |= IXON | ICRNL;
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &dirty), 0);
    ASSERT_EQ(tcgetattr(pty.slave, &dirty), 0);
    ASSERT_NE(dirty.c_cflag & CRTSCTS, 0u) << "the pseudo-terminal keeps the flag";
    auto driver = makeDriver();
    driver->setComPortSpeed(br4800);
    ASSERT_TRUE(driver->OpenPort());
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800));
}

TEST_F(PtyPort, FramingPropertiesReachTheLine) {
    auto driver = makeDriver();
    ASSERT_TRUE(driver->OpenPort());
    driver->setComPortDataBits(db7BITS);
    driver->setComPortParity(ptMARK);
    driver->setComPortStopBits(sb2BITS);
    driver->setComPortSwHandshaking(shXONXOFF);
    // A pseudo-terminal forces 8 bits without parity enable; the rest of the framing stays.
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB),
              static_cast<tcflag_t>(PARODD | CMSPAR | CSTOPB));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

struct RateRow {
    const char* name;
    TComPortBaudRate index;
    int bitRate;
};

class PtyRate : public PtyPort, public ::testing::WithParamInterface<RateRow> {};

TEST_P(PtyRate, AppliedAtOnceWhileOpenAndQueuesPurged) {
    auto driver = makeDriver();
    driver->setComPortSpeed(br9600);
    driver->setComPortPollingDelay(60000); // keep the input for the purge check
    ASSERT_TRUE(driver->OpenPort());
    pty.writeMaster("+0123\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pty.slaveInputQueued() == 6; }, 1000));
    driver->setComPortSpeed(GetParam().index);
    EXPECT_EQ(serial_output_bit_rate(pty.slave), GetParam().bitRate);
    EXPECT_EQ(pty.slaveInputQueued(), 0) << "input queue purged by the new setting";
}

INSTANTIATE_TEST_SUITE_P(Rates, PtyRate,
                         ::testing::Values(RateRow{"lowest", br110, 110},
                                           RateRow{"outside_classic_14400", br14400, 14400},
                                           RateRow{"above_dialog_list_38400", br38400, 38400},
                                           RateRow{"outside_classic_56000", br56000, 56000},
                                           RateRow{"highest", br115200, 115200}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PtyPort, RateSetWhileClosedWaitsForTheOpen) {
    auto driver = makeDriver();
    driver->setComPortSpeed(br2400);
    EXPECT_EQ(serial_output_bit_rate(pty.slave), 38400) << "openpty's rate, untouched";
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(serial_output_bit_rate(pty.slave), 2400);
}

TEST_F(PtyPort, OpenOnOpenPortNeitherReopensNorReapplies) {
    auto driver = makeDriver();
    driver->setComPortPollingDelay(60000);
    ASSERT_TRUE(driver->OpenPort());
    pty.writeMaster("xyz");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pty.slaveInputQueued() == 3; }, 1000));
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_EQ(pty.slaveInputQueued(), 3) << "a second apply would have purged the input";
}

TEST_F(PtyPort, BusyPortRefusesASecondOpenAndStaysExclusive) {
    auto first = makeDriver();
    auto second = makeDriver();
    ASSERT_TRUE(first->OpenPort());
    EXPECT_FALSE(second->OpenPort());
    EXPECT_FALSE(second->IsOpen());
    EXPECT_EQ(second->openFailure(),
              linkPath("COM1") + QStringLiteral(": in use by another program"));
    // The refused attempt must not have loosened the holder's exclusive use.
    EXPECT_FALSE(second->OpenPort());
    EXPECT_FALSE(port_lock_free(pty.slaveName));
    EXPECT_TRUE(first->WriteText("S\r"));
    first->ClosePort();
    EXPECT_TRUE(second->OpenPort());
    EXPECT_TRUE(second->openFailure().isEmpty()) << "the reason goes with the refusal";
}

TEST_F(PtyPort, PortHeldByAnotherProcessDoesNotOpen) {
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const QByteArray path = QFile::encodeName(pty.slaveName);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(release[1]); // so that the parent's close ends the wait below
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
        if (::write(ready[1], &ok, 1) < 0)
            _exit(2);
        char byte;
        if (::read(release[0], &byte, 1) < 0)
            _exit(2);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    auto driver = makeDriver();
    EXPECT_FALSE(driver->OpenPort());
    ::close(release[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(driver->OpenPort()) << "free again once the other process ended";
    for (int fd : {ready[0], ready[1], release[0]})
        ::close(fd);
}

TEST_F(PtyPort, DeviceNamesAndPaths) {
    EXPECT_EQ(TCommPortDriver::deviceName(0), QStringLiteral("COM1"));
    EXPECT_EQ(TCommPortDriver::deviceName(3), QStringLiteral("COM4"));
    EXPECT_EQ(TCommPortDriver::deviceName(8), QStringLiteral("COM9"));
    EXPECT_EQ(TCommPortDriver::deviceName(255), QStringLiteral("COM0"));
    auto driver = makeDriver();
    EXPECT_EQ(driver->devicePath(), linkPath("COM1"));
    driver->setComPort(pnCOM3);
    EXPECT_EQ(driver->devicePath(), QStringLiteral("/dev/ttyS2")) << "no ports/COM3 link";
    driver->setComPort(8);
    EXPECT_EQ(driver->devicePath(), QStringLiteral("/dev/ttyS8"));
    driver->setComPort(-1);
    EXPECT_EQ(driver->ComPort(), 255);
    EXPECT_TRUE(driver->devicePath().isEmpty());
    driver->setComPort(9);
    EXPECT_TRUE(driver->devicePath().isEmpty());
}

TEST_F(PtyPort, MissingOrUnusableDevicesDoNotOpen) {
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM2"), dir.path() + "/absent"));
    QFile plain(dir.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM3"), plain.fileName()));
    const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
    const struct {
        const char* name;
        int ordinal;
        QString reason; // why, as the dialog's tooltip tells it
    } rows[] = {{"dangling link, no fall-back to /dev/ttyS1", 1, linkPath("COM2") + ": " + missing},
                {"link to a plain file", 2, linkPath("COM3") + ": not a serial port"},
                {"unset port 255 (COM0)", 255, "COM256: no such port (COM1 to COM9 only)"},
                {"beyond COM9", 9, "COM10: no such port (COM1 to COM9 only)"}};
    for (const auto& row : rows) {
        auto driver = makeDriver(row.ordinal);
        EXPECT_FALSE(driver->OpenPort()) << row.name;
        EXPECT_FALSE(driver->IsOpen()) << row.name;
        EXPECT_EQ(driver->openFailure(), row.reason) << row.name;
    }
    // A refused permission says how to get it (tests run as root, which no mode refuses).
    const QString denied = serial_open_failure_text(QStringLiteral("/dev/ttyS1"), EACCES);
    EXPECT_TRUE(denied.startsWith(QStringLiteral("/dev/ttyS1: ") +
                                  QString::fromLocal8Bit(std::strerror(EACCES))));
    EXPECT_TRUE(denied.contains(QStringLiteral("adduser $USER dialout")));
    EXPECT_EQ(serial_open_failure_text(QStringLiteral("/dev/ttyS1"), ENOENT),
              QStringLiteral("/dev/ttyS1: ") + missing);
}

TEST_F(PtyPort, ComPortChangedWhileOpenTakesEffectAtTheNextOpen) {
    PtyPair other;
    ASSERT_TRUE(link_port(dir.path(), QStringLiteral("COM2"), other.slaveName));
    auto driver = makeDriver(pnCOM1);
    ASSERT_TRUE(driver->OpenPort());
    driver->setComPort(pnCOM2);
    EXPECT_TRUE(driver->WriteText("W010\r"));
    EXPECT_EQ(pty.readMaster(5), QByteArray("W010\r"));
    EXPECT_EQ(other.readMaster(1, 100), QByteArray());
    driver->ClosePort();
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_TRUE(driver->WriteText("W020\r"));
    EXPECT_EQ(other.readMaster(5), QByteArray("W020\r"));
    EXPECT_EQ(pty.readMaster(1, 100), QByteArray());
}

TEST_F(PtyPort, ClosedPortWritesNothing) {
    auto driver = makeDriver();
    EXPECT_FALSE(driver->WriteText("S\r"));
    EXPECT_TRUE(driver->WriteText(QByteArray()));
    EXPECT_EQ(driver->WriteBytes("S\r", 2), 0);
    EXPECT_EQ(driver->OutputFreeSpace(), 65535);
    ASSERT_TRUE(driver->OpenPort());
    EXPECT_TRUE(driver->WriteText(QByteArray()));
    EXPECT_EQ(driver->OutputFreeSpace(), 2048) << "a pseudo-terminal reports an empty queue";
    EXPECT_EQ(pty.readMaster(1, 100), QByteArray());
}

TEST_F(PtyPort, WriteToAPeerThatNeverReadsTimesOut) {
    auto driver = makeDriver();
    driver->setOutputTimeout(200);
    ASSERT_TRUE(driver->OpenPort());
    const QByteArray big(1 << 20, 'x');
    QElapsedTimer timer;
    timer.start();
    const std::int32_t result = driver->WriteBytes(big.constData(), std::int32_t(big.size()));
    const qint64 elapsed = timer.elapsed();
    EXPECT_LT(result, 0);
    EXPECT_GT(-result, 0) << "the kernel took part of it before stalling";
    EXPECT_LT(-result, big.size());
    EXPECT_GE(elapsed, 200);
    EXPECT_LT(elapsed, 3000);
    EXPECT_TRUE(driver->IsOpen()) << "a time-out does not lose the port";
}

TEST_F(PtyPort, ClosePortTwice) {
    auto driver = makeDriver();
    ASSERT_TRUE(driver->OpenPort());
    driver->ClosePort();
    EXPECT_FALSE(driver->IsOpen());
    driver->ClosePort();
    EXPECT_FALSE(driver->IsOpen());
    EXPECT_TRUE(port_lock_free(pty.slaveName));
    auto other = makeDriver();
    EXPECT_TRUE(other->OpenPort());
}

// The real device, keeping how each wait for output room it was asked for ended.
class WaitRecordingDevice final : public SerialDevice {
public:
    explicit WaitRecordingDevice(std::vector<SerialWaitResult>& waits) : waits_(waits) {}
    bool open(const QString& path) override { return real_.open(path); }
    void close() override { real_.close(); }
    bool isOpen() const override { return real_.isOpen(); }
    int openError() const override { return real_.openError(); }
    void applyLineSettings(const SerialLineSettings& settings) override {
        real_.applyLineSettings(settings);
    }
    void purge(bool input, bool output) override { real_.purge(input, output); }
    int outputQueued() override { return real_.outputQueued(); }
    SerialIoResult write(const char* data, int count) override { return real_.write(data, count); }
    SerialWaitResult waitWritable(int timeoutMs) override {
        waits_.push_back(real_.waitWritable(timeoutMs));
        return waits_.back();
    }
    SerialIoResult read(char* buffer, int size) override { return real_.read(buffer, size); }

private:
    PosixSerialDevice real_;
    std::vector<SerialWaitResult>& waits_;
};

// No wait for a device that is gone: the write fails on the loss, and no wait for output room
// runs out meanwhile.
TEST_F(PtyPort, DeviceVanishingDuringWriteClosesThePort) {
    std::vector<SerialWaitResult> waits;
    TCommPortDriver driver(std::make_unique<WaitRecordingDevice>(waits), steady_milliseconds);
    driver.setPortDirectory(dir.path());
    driver.setComPort(pnCOM1);
    ASSERT_TRUE(driver.OpenPort());
    pty.closeMaster();
    EXPECT_FALSE(driver.WriteText(gs232_turn_command(90)));
    EXPECT_EQ(std::count(waits.begin(), waits.end(), SerialWaitResult::TimedOut), 0);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(driver.WriteText("S\r"));
    driver.ClosePort();
}

TEST_F(PtyPort, DeviceVanishingIsNoticedByThePollTimer) {
    auto driver = makeDriver();
    driver->setComPortPollingDelay(10);
    ASSERT_TRUE(driver->OpenPort());
    pty.closeMaster();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !driver->IsOpen(); }, 2000));
}

TEST_F(PtyPort, DestructionWhileOpenReleasesThePort) {
    {
        auto driver = makeDriver();
        ASSERT_TRUE(driver->OpenPort());
        EXPECT_FALSE(port_lock_free(pty.slaveName));
    }
    EXPECT_TRUE(port_lock_free(pty.slaveName));
    auto next = makeDriver();
    EXPECT_TRUE(next->OpenPort());
}

TEST_F(PtyPort, PollTimerReadsWhatTheControllerSends) {
    auto driver = makeDriver();
    QByteArray received;
    driver->setOnReceiveData([&](TCommPortDriver* sender, const char* data, std::int32_t size) {
        EXPECT_EQ(sender, driver.get());
        received.append(data, size);
    });
    ASSERT_TRUE(driver->OpenPort());
    pty.writeMaster("+0045\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return received == "+0045\r"; }, 2000));
    EXPECT_EQ(pty.slaveInputQueued(), 0);
    driver->ClosePort();
    pty.writeMaster("+0046\r");
    ASSERT_TRUE(kestrav::test::wait_past(150)); // three periods: past any poll still due
    EXPECT_EQ(received, QByteArray("+0045\r")) << "no polling while closed";
}

} // namespace
