// The ppdev library against /proc and /dev folders of the test's own. No parallel port
// exists here, so what can be checked is the addresses, the register mapping and every
// failure on the way to the device; a claimed port needs the hardware.

#include "rotor/parallel_port_ppdev.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include <cerrno>

namespace kestrav {
namespace {

class PpdevTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(proc.isValid() && dev.isValid());
        // The kernel writes the base and the extended-register address, TAB between.
        base_addr(0, "888\t1912\n");
        base_addr(1, "632\t1656\n");
        base_addr(3, "not a number\n");
        base_addr(4, "70000\t0\n");
    }

    void base_addr(int k, const QByteArray& text) {
        const QString folder = proc.path() + QStringLiteral("/parport%1").arg(k);
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile f(folder + QStringLiteral("/base-addr"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    std::string state() {
        std::array<char, kLastStateBufferSize> buffer{};
        port.GetLastState(buffer.data());
        return buffer.data();
    }

    static bool succeeded(const std::string& text) {
        return text.find("succes") != std::string::npos;
    }

    QTemporaryDir proc;
    QTemporaryDir dev;
    PpdevParallelPort port{proc.path().toStdString(), dev.path().toStdString()};
};

TEST_F(PpdevTest, AddressesAreTheFirstNumberOfBaseAddr) {
    const std::pair<int, int> rows[] = {{1, 888},
                                        {2, 632},
                                        {3, 0} /* absent */,
                                        {4, 0} /* unreadable */,
                                        {5, 0} /* beyond 16 bits */,
                                        {0, 0},
                                        {-1, 0}};
    for (const auto& [n, address] : rows)
        EXPECT_EQ(port.GetLPTPortAddress(n), address) << "LPT" << n;
    EXPECT_TRUE(port.IsWinNT());
}

TEST_F(PpdevTest, WritesReportWhyTheyFailedThenTheStateStartsAfresh) {
    const std::string missing = std::strerror(ENOENT);
    struct Row {
        std::uint16_t address;
        std::string reason;
    };
    const Row rows[] = {
        {888, "LPT1: open " + dev.path().toStdString() + "/parport0 failed: " + missing},
        {890, "LPT1: open " + dev.path().toStdString() + "/parport0 failed: " + missing},
        {634, "LPT2: open " + dev.path().toStdString() + "/parport1 failed: " + missing},
        // Never a device for addresses that name no register of a port, 0 and 2 included.
        {0, "no parallel port register at 0x0"},
        {2, "no parallel port register at 0x2"},
        {889, "no parallel port register at 0x379"},
    };
    for (const Row& r : rows) {
        port.Outport(r.address, 1);
        port.Outport(r.address, 2);
        EXPECT_EQ(state(), r.reason) << r.address;
        EXPECT_TRUE(succeeded(state())) << "nothing accessed since the last call";
    }
}

TEST_F(PpdevTest, ADeviceThatCannotBeClaimedIsNotWritten) {
    // A plain file opens but refuses the parallel-port requests.
    QFile node(dev.path() + QStringLiteral("/parport0"));
    ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    node.close();
    const std::string claim = "LPT1: claim failed: " + std::string(std::strerror(ENOTTY));
    port.EnablePorts(888, 888);
    EXPECT_EQ(state(), claim);
    port.Outport(890, 3);
    EXPECT_EQ(state(), claim);
    EXPECT_EQ(node.size(), 0);
    // Closing access that was never opened is no failure.
    port.DisablePorts(888, 888);
    port.DisablePorts(0, 0);
    EXPECT_TRUE(succeeded(state()));
}

} // namespace
} // namespace kestrav
