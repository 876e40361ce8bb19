// The rotator controller emulator as a separate process on its pseudo-terminal: commands,
// position replies, turning speed, stop, the raw log, reopening by the port component, and
// its link's life.

#include "rotor/comm_port_driver.h"
#include "rotor/rotor_protocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <optional>

using namespace kestrav;

namespace {

// A plain client of the emulated controller: raw line, one reply per query.
class RawClient {
public:
    explicit RawClient(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~RawClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    void send(const QByteArray& bytes) {
        if (::write(fd_, bytes.constData(), size_t(bytes.size())) != bytes.size())
            ADD_FAILURE() << "short write";
    }
    // Bytes up to and including the next line end (CR LF).
    QByteArray reply(int timeoutMs = 2000) {
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (!out.endsWith('\n') && timer.elapsed() < timeoutMs) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char c;
            if (::read(fd_, &c, 1) == 1)
                out += c;
        }
        return out;
    }
    QByteArray query(const QByteArray& command) {
        send(command);
        return reply();
    }
    // The GS-232 position, or nothing when the reply is not "+0nnn".
    std::optional<int> position() {
        const QByteArray r = query("C\r");
        if (r.size() != 7 || !r.startsWith("+0"))
            return std::nullopt;
        bool ok = false;
        const int n = r.mid(2, 3).toInt(&ok);
        return ok ? std::optional<int>(n) : std::nullopt;
    }

private:
    int fd_ = -1;
};

class SimProcess : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void TearDown() override {
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(3000))
                proc.kill();
            proc.waitForFinished(1000);
        }
    }

    QString link() const { return dir.path() + "/ports/COM1"; }
    QString logPath() const { return dir.path() + "/raw.log"; }

    // Starts the emulator and waits for its ready line; returns the terminal's name.
    QString start(const QStringList& extra) {
        proc.setProgram(QStringLiteral(KESTRAV_ROTATOR_SIM));
        proc.setArguments(QStringList{"--link", link(), "--log", logPath(), "--exit-after", "60"} +
                          extra);
        proc.setProcessChannelMode(QProcess::SeparateChannels);
        proc.start();
        if (!proc.waitForStarted(5000))
            return {};
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (!proc.canReadLine() && !proc.waitForReadyRead(200)) {
                if (proc.state() == QProcess::NotRunning)
                    break;
                continue;
            }
            const QByteArray line = proc.readLine();
            output += line;
            if (line.startsWith("ready ")) {
                const int at = line.indexOf("pty=") + 4;
                return QString::fromLocal8Bit(line.mid(at, line.indexOf(' ', at) - at));
            }
        }
        return {};
    }

    // The emulator's report of the last command received as `command` (without its line
    // end): what it did with it, the position and the target it then had.
    QByteArray report(const QByteArray& command) {
        QByteArray found;
        (void)QTest::qWaitFor(
            [&] {
                output += proc.readAllStandardOutput();
                const qsizetype at = output.lastIndexOf(" rx " + command + ' ');
                const qsizetype end = at < 0 ? -1 : output.indexOf('\n', at);
                if (end >= 0)
                    found = output.mid(at, end - at);
                return end >= 0;
            },
            5000);
        return found;
    }

    QByteArray allOutput() {
        proc.waitForReadyRead(100);
        output += proc.readAll();
        return output;
    }

    QTemporaryDir dir;
    QProcess proc;
    QByteArray output;
};

TEST_F(SimProcess, TurnsAtTheConfiguredSpeed) {
    ASSERT_FALSE(start({"--speed", "300"}).isEmpty());
    RawClient client(link());
    ASSERT_TRUE(client.ok());
    ASSERT_EQ(client.position(), 0);
    QElapsedTimer timer;
    timer.start();
    client.send("W180\r");
    bool sawIntermediate = false;
    qint64 arrivedAfter = -1;
    while (timer.elapsed() < 5000) {
        const std::optional<int> p = client.position();
        const qint64 elapsed = timer.elapsed();
        ASSERT_TRUE(p.has_value());
        EXPECT_LE(*p, 300.0 * elapsed / 1000 + 1) << "faster than 300 deg/s at " << elapsed;
        if (*p > 0 && *p < 180)
            sawIntermediate = true;
        if (*p == 180) {
            arrivedAfter = elapsed;
            break;
        }
        const int last = *p;
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.position() != last; }, 5000))
            << "the antenna stopped at " << last;
    }
    EXPECT_TRUE(sawIntermediate) << "the antenna turns, it does not jump";
    EXPECT_GE(arrivedAfter, 590);
    EXPECT_LT(arrivedAfter, 3000) << "much slower than 300 deg/s";
    EXPECT_EQ(client.query("C2\r"), QByteArray("+0180+0000\r\n"));
}

TEST_F(SimProcess, EasyCommTurnAndPositionQuery) {
    ASSERT_FALSE(start({"--speed", "300", "--protocol", "easycomm"}).isEmpty());
    RawClient client(link());
    ASSERT_TRUE(client.ok());
    client.send("AZ045.0\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.query("AZ\r") == "AZ045.0\r\n"; }, 3000));
    EXPECT_TRUE(allOutput().contains("rx AZ045.0 easycomm"));
}

struct StopRow {
    const char* name;
    QByteArray turn;
    QByteArray stop;
};

class SimStop : public SimProcess, public ::testing::WithParamInterface<StopRow> {};

TEST_P(SimStop, StopHoldsThePosition) {
    // Slow, and stopped once it is seen turning: however late a loaded machine runs the
    // test, the antenna is stopped on its way.
    ASSERT_FALSE(start({"--speed", "30"}).isEmpty());
    RawClient client(link());
    ASSERT_TRUE(client.ok());
    client.send(GetParam().turn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.position().value_or(0) > 0; }, 5000));
    client.send(GetParam().stop);
    const std::optional<int> stopped = client.position();
    ASSERT_TRUE(stopped);
    EXPECT_GT(*stopped, 0);
    EXPECT_LT(*stopped, 350);
    // The emulator's own report of the stop: the target is where the antenna stands, so it
    // turns no further.
    const QByteArray told = report(GetParam().stop.trimmed());
    const QRegularExpressionMatch m =
        QRegularExpression(R"(pos=(\S+) target=(\S+))").match(QString::fromLatin1(told));
    ASSERT_TRUE(m.hasMatch()) << told.toStdString();
    EXPECT_EQ(m.captured(2), m.captured(1)) << told.toStdString();
    EXPECT_EQ(client.position(), stopped);
}

INSTANTIATE_TEST_SUITE_P(Stops, SimStop,
                         ::testing::Values(StopRow{"gs232", "W350\r", "S\r"},
                                           StopRow{"easycomm", "AZ350.0\r", "SA\r"},
                                           StopRow{"easycomm_shutdown", "AZ350.0\r", "SA SE\r"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimProcess, PortComponentReopensAndTheLogHoldsTheRawBytes) {
    ASSERT_FALSE(start({}).isEmpty());
    TCommPortDriver driver;
    driver.setPortDirectory(dir.path());
    driver.setComPort(pnCOM1);
    driver.setComPortSpeed(br4800);
    ASSERT_TRUE(driver.OpenPort());
    EXPECT_TRUE(driver.WriteText(gs232_turn_command(45)));
    driver.ClosePort();
    ASSERT_TRUE(driver.OpenPort()) << "the terminal stays usable after a client closed it";
    EXPECT_TRUE(driver.WriteText(easycomm_turn_command(90)));
    EXPECT_TRUE(driver.WriteText(easycomm_shutdown_command()));
    driver.ClosePort();
    const QByteArray expected = "W045\rAZ090.0\rSA SE\r";
    QByteArray logged;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            QFile log(logPath());
            logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            return logged.size() >= expected.size();
        },
        3000));
    EXPECT_EQ(logged, expected);
    const QByteArray out = allOutput();
    EXPECT_TRUE(out.contains("rx W045 gs232")) << out.constData();
    EXPECT_TRUE(out.contains("rx AZ090.0 easycomm")) << out.constData();
}

// The elevation's options: refused without --elevation or beyond the axis' range; taken,
// the axis starts where it is told and answers on its own scale.
TEST_F(SimProcess, ElevationOptions) {
    const QStringList refused[] = {{"--elevation-speed", "5"},
                                   {"--elevation-range", "180"},
                                   {"--start-elevation", "10"},
                                   {"--elevation", "--elevation-range", "120"},
                                   {"--elevation", "--start-elevation", "95"},
                                   {"--elevation", "--elevation-speed", "0"}};
    for (const QStringList& args : refused) {
        QProcess p;
        p.start(QStringLiteral(KESTRAV_ROTATOR_SIM), args + QStringList{"--exit-after", "5"});
        EXPECT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
    }
    ASSERT_FALSE(start({"--elevation", "--elevation-range", "180", "--start-elevation", "170",
                        "--protocol", "gs232b"})
                     .isEmpty());
    RawClient client(link());
    ASSERT_TRUE(client.ok());
    EXPECT_EQ(client.query("B\r"), QByteArray("EL=170\r\n"));
    EXPECT_EQ(client.query("W000 181\r"), QByteArray("?>\r\n"));
    EXPECT_EQ(client.query("C2\r"), QByteArray("AZ=000  EL=170\r\n"));
}

TEST_F(SimProcess, ReplacesAStaleLinkAndRemovesItOnTerminate) {
    QDir(dir.path()).mkpath("ports");
    ASSERT_TRUE(QFile::link(dir.path() + "/gone", link()));
    const QString pty = start({});
    ASSERT_FALSE(pty.isEmpty());
    EXPECT_EQ(QFileInfo(link()).symLinkTarget(), pty);
    proc.terminate();
    ASSERT_TRUE(proc.waitForFinished(3000));
    EXPECT_EQ(proc.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(proc.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link()).isSymLink());
}

TEST_F(SimProcess, LeavesAFileInThePlaceOfTheLinkAlone) {
    QDir(dir.path()).mkpath("ports");
    QFile file(link());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    EXPECT_TRUE(start({}).isEmpty());
    proc.waitForFinished(3000);
    EXPECT_EQ(proc.state(), QProcess::NotRunning);
    EXPECT_NE(proc.exitCode(), 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep"));
}

} // namespace

namespace {

// Hamlib's own command-line client driving the emulator as it drives real controllers: a
// turn, the position read back, and a stop, for each controller model the emulator stands in
// for. Hamlib waits for the LF of each answer, so this fails if the answers lose it.
struct HamlibRow {
    const char* name;
    const char* model;    // Hamlib's model number
    const char* protocol; // the emulator's
    const char* turn;     // what the emulator receives for "P 45 0"
};

class SimWithHamlib : public SimProcess, public ::testing::WithParamInterface<HamlibRow> {};

TEST_P(SimWithHamlib, TurnPositionAndStop) {
    const HamlibRow& row = GetParam();
    ASSERT_FALSE(start({"--protocol", row.protocol, "--speed", "30"}).isEmpty());
    const auto rotctl = [&](const QStringList& command) {
        QProcess p;
        p.start(QStringLiteral("rotctl"), QStringList{"-m", row.model, "-r", link()} + command);
        EXPECT_TRUE(p.waitForFinished(10000)) << row.name;
        EXPECT_EQ(p.exitCode(), 0) << row.name << ": " << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    };
    rotctl({"P", "45", "0"});
    // Asked until the antenna is seen on its way.
    QByteArray answer;
    bool ok = false;
    double azimuth = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            answer = rotctl({"p"}).split('\n').value(0);
            azimuth = answer.toDouble(&ok);
            return !ok || azimuth > 0;
        },
        10000))
        << row.name << ": the antenna has started to turn";
    EXPECT_TRUE(ok) << row.name << ": " << answer.toStdString();
    EXPECT_GT(azimuth, 0) << row.name;
    EXPECT_LE(azimuth, 45) << row.name;
    rotctl({"S"});
    QFile log(logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().startsWith(row.turn)) << row.name;
}

INSTANTIATE_TEST_SUITE_P(Models, SimWithHamlib,
                         ::testing::Values(HamlibRow{"gs232a", "601", "gs232", "W045 000"},
                                           HamlibRow{"gs232b", "603", "gs232b", "W045 000"},
                                           HamlibRow{"easycomm2", "202", "easycomm",
                                                     "AZ45.0 EL0.0"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// A TCP port on 127.0.0.1 that was free a moment ago, or 0.
int free_local_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size) == 0)
        port = ntohs(addr.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool accepts_connections(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// The rotator daemon of the system's Hamlib in front of the emulator as an azimuth-elevation
// rotator, driven through the network by Hamlib's client: a turn to 123, 45 and the position
// asked until both axes are there. Fails if the daemon cannot read the emulator's answers.
struct DaemonRow {
    const char* name;
    const char* model;    // Hamlib's model number
    const char* protocol; // the emulator's
    QByteArray turn;      // what the emulator receives for "P 123 45"
};

class SimWithHamlibDaemon : public SimProcess, public ::testing::WithParamInterface<DaemonRow> {
protected:
    void TearDown() override {
        if (daemon.state() != QProcess::NotRunning) {
            daemon.terminate();
            if (!daemon.waitForFinished(3000))
                daemon.kill();
            daemon.waitForFinished(1000);
        }
        SimProcess::TearDown();
    }

    QProcess daemon;
};

TEST_P(SimWithHamlibDaemon, TurnsBothAxesAndReadsThemBack) {
    const DaemonRow& row = GetParam();
    if (QStandardPaths::findExecutable("rotctld").isEmpty() ||
        QStandardPaths::findExecutable("rotctl").isEmpty())
        GTEST_SKIP() << "Hamlib's rotctld and rotctl are not installed";
    ASSERT_FALSE(start({"--protocol", row.protocol, "--elevation", "--speed", "100",
                        "--elevation-speed", "50"})
                     .isEmpty());
    const int port = free_local_port();
    ASSERT_NE(port, 0);
    daemon.start(QStringLiteral("rotctld"),
                 {"-m", row.model, "-r", link(), "-T", "127.0.0.1", "-t", QString::number(port)});
    ASSERT_TRUE(daemon.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepts_connections(port); }, 5000))
        << row.name << ": rotctld does not listen";
    const QString address = "127.0.0.1:" + QString::number(port);
    const auto rotctl = [&](const QStringList& command) {
        QProcess p;
        p.start(QStringLiteral("rotctl"), QStringList{"-m", "2", "-r", address} + command);
        EXPECT_TRUE(p.waitForFinished(10000)) << row.name;
        return p.readAllStandardOutput();
    };
    rotctl({"P", "123", "45"});
    QList<QByteArray> position;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            position = rotctl({"p"}).split('\n');
            return position.size() >= 2 && position[0].toDouble() == 123 &&
                   position[1].toDouble() == 45;
        },
        10000))
        << row.name << ": " << position.join(' ').toStdString();
    QFile log(logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(row.turn)) << row.name;
    EXPECT_TRUE(allOutput().contains("el=45.0 el_target=45.0")) << row.name;
}

INSTANTIATE_TEST_SUITE_P(Models, SimWithHamlibDaemon,
                         ::testing::Values(DaemonRow{"gs232b", "603", "gs232b", "W123 045\r\r"},
                                           DaemonRow{"gs232a", "601", "gs232", "W123 045\r"},
                                           DaemonRow{"easycomm2", "202", "easycomm",
                                                     "AZ123.0 EL45.0\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
