#include "rotor/parallel_port_ppdev.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kestrav {

namespace {

// The kernel numbers at most this many parallel ports.
constexpr int kMaxPorts = 16;

std::string lpt_name(int index) {
    return "LPT" + std::to_string(index + 1);
}

std::string hex_address(unsigned address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", address);
    return text;
}

} // namespace

PpdevParallelPort::PpdevParallelPort(std::string proc_root, std::string dev_root)
    : proc_root_(std::move(proc_root)), dev_root_(std::move(dev_root)) {}

PpdevParallelPort::~PpdevParallelPort() {
    for (const ClaimedPort& port : claimed_)
        release(port);
}

std::uint16_t PpdevParallelPort::base_of(int index) const {
    std::ifstream file(proc_root_ + "/parport" + std::to_string(index) + "/base-addr");
    std::string first;
    if (!(file >> first) || first.empty() ||
        !std::all_of(first.begin(), first.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const unsigned long value = std::strtoul(first.c_str(), nullptr, 10);
    return value > 0xFFFF ? 0 : static_cast<std::uint16_t>(value);
}

int PpdevParallelPort::index_of(std::uint16_t base) const {
    if (base == 0)
        return -1;
    for (int index = 0; index < kMaxPorts; ++index)
        if (base_of(index) == base)
            return index;
    return -1;
}

std::uint16_t PpdevParallelPort::GetLPTPortAddress(int port) {
    return port >= 1 && port <= kMaxPorts ? base_of(port - 1) : 0;
}

bool PpdevParallelPort::IsWinNT() {
    return true;
}

PpdevParallelPort::ClaimedPort* PpdevParallelPort::claimed(std::uint16_t base) {
    const auto it = std::find_if(claimed_.begin(), claimed_.end(),
                                 [base](const ClaimedPort& p) { return p.base == base; });
    return it == claimed_.end() ? nullptr : &*it;
}

// Opens and claims the port at `base` unless that is done already; nullptr (and a failure
// recorded) when there is no such port or it cannot be claimed. PPCLAIM waits while another
// driver holds the port.
PpdevParallelPort::ClaimedPort* PpdevParallelPort::claim(std::uint16_t base) {
    if (ClaimedPort* port = claimed(base))
        return port;
    const int index = index_of(base);
    if (index < 0) {
        fail("no parallel port at " + hex_address(base));
        return nullptr;
    }
    const std::string path = dev_root_ + "/parport" + std::to_string(index);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        fail(lpt_name(index) + ": open " + path + " failed: " + std::strerror(errno));
        return nullptr;
    }
    if (::ioctl(fd, PPCLAIM) != 0) {
        fail(lpt_name(index) + ": claim failed: " + std::strerror(errno));
        ::close(fd);
        return nullptr;
    }
    claimed_.push_back({index, base, fd});
    return &claimed_.back();
}

void PpdevParallelPort::release(const ClaimedPort& port) {
    ::ioctl(port.fd, PPRELEASE);
    ::close(port.fd);
}

void PpdevParallelPort::EnablePorts(std::uint16_t first, std::uint16_t /*last*/) {
    claim(first);
}

void PpdevParallelPort::DisablePorts(std::uint16_t first, std::uint16_t /*last*/) {
    if (const ClaimedPort* port = claimed(first)) {
        release(*port);
        claimed_.erase(claimed_.begin() + (port - claimed_.data()));
    }
}

// The port and register an address names. Claimed ports are looked at first, so that a write
// sequence reads /proc only once.
bool PpdevParallelPort::locate(std::uint16_t address, std::uint16_t& base, bool& control) const {
    for (const ClaimedPort& port : claimed_) {
        if (address == port.base || address == port.base + 2) {
            base = port.base;
            control = address != port.base;
            return true;
        }
    }
    if (index_of(address) >= 0) {
        base = address;
        control = false;
        return true;
    }
    if (address >= 2 && index_of(static_cast<std::uint16_t>(address - 2)) >= 0) {
        base = static_cast<std::uint16_t>(address - 2);
        control = true;
        return true;
    }
    return false;
}

void PpdevParallelPort::Outport(std::uint16_t address, int value) {
    std::uint16_t base = 0;
    bool control = false;
    if (!locate(address, base, control)) {
        fail("no parallel port register at " + hex_address(address));
        return;
    }
    ClaimedPort* port = claim(base);
    if (!port)
        return;
    auto byte = static_cast<unsigned char>(value & 0xFF);
    if (::ioctl(port->fd, control ? PPWCONTROL : PPWDATA, &byte) != 0)
        fail(lpt_name(port->index) + ": write failed: " + std::strerror(errno));
}

void PpdevParallelPort::GetLastState(char* buffer) {
    const std::string text = failure_.empty() ? std::string("success") : failure_;
    const std::size_t n = std::min(text.size(), kLastStateBufferSize - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    failure_.clear();
}

void PpdevParallelPort::fail(const std::string& text) {
    if (failure_.empty())
        failure_ = text;
}

} // namespace kestrav
