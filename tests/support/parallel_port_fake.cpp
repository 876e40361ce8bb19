#include "support/parallel_port_fake.h"

#include <algorithm>
#include <cstring>

namespace kestrav {

std::uint16_t FakeParallelPort::GetLPTPortAddress(int port) {
    address_queries.push_back(port);
    if (fault == LptFault::NoSuchPort || port < 1 || port > static_cast<int>(addresses.size()))
        return 0;
    return addresses[static_cast<std::size_t>(port - 1)];
}

bool FakeParallelPort::IsWinNT() {
    ++is_win_nt_queries;
    return win_nt;
}

void FakeParallelPort::EnablePorts(std::uint16_t first, std::uint16_t last) {
    enables.push_back({first, last});
    if (fault == LptFault::ClaimRefused)
        fail("claim failed: Permission denied");
}

void FakeParallelPort::DisablePorts(std::uint16_t first, std::uint16_t last) {
    disables.push_back({first, last});
}

bool FakeParallelPort::is_register(std::uint16_t address) const {
    if (fault == LptFault::NoSuchPort)
        return false;
    return std::any_of(addresses.begin(), addresses.end(), [address](std::uint16_t base) {
        return base != 0 && (address == base || address == base + 2);
    });
}

void FakeParallelPort::Outport(std::uint16_t address, int value) {
    if (!is_register(address))
        return fail("no parallel port register at this address");
    if (fault == LptFault::ClaimRefused)
        return fail("claim failed: Permission denied");
    if (fault == LptFault::WriteFails)
        return fail("write failed: Input/output error");
    writes.push_back(
        {address, static_cast<std::uint8_t>(value & 0xFF), std::chrono::steady_clock::now()});
}

void FakeParallelPort::GetLastState(char* buffer) {
    ++state_queries;
    std::string text = failure_.empty() ? "LPT access success" : "LPT1: " + failure_;
    if (failure_.empty() && fault == LptFault::StateWithoutSucces)
        text = "LPT access done";
    text.resize(std::min(text.size(), kLastStateBufferSize - 1));
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    failure_.clear();
}

void FakeParallelPort::fail(const std::string& text) {
    if (failure_.empty())
        failure_ = text;
}

} // namespace kestrav
