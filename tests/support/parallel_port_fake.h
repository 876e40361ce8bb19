#pragma once
// A parallel port library for tests: records every register write with its time, every
// EnablePorts and DisablePorts, and fails on demand through a named fault.

#include "rotor/parallel_port.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrav {

enum class LptFault {
    None,
    NoSuchPort,        // every port reads as absent (address 0); every write fails
    ClaimRefused,      // access cannot be claimed: EnablePorts and every write fail
    WriteFails,        // the port is claimed but no write reaches it
    StateWithoutSucces // the writes go out but the outcome text lacks "succes"
};

struct LptWriteRecord {
    std::uint16_t address;
    std::uint8_t value;
    std::chrono::steady_clock::time_point time;
};

struct LptAccessCall {
    std::uint16_t first;
    std::uint16_t last;
};

class FakeParallelPort final : public ParallelPortLibrary {
public:
    std::uint16_t GetLPTPortAddress(int port) override;
    bool IsWinNT() override;
    void EnablePorts(std::uint16_t first, std::uint16_t last) override;
    void DisablePorts(std::uint16_t first, std::uint16_t last) override;
    // Accepts the data and control registers of the configured ports only.
    void Outport(std::uint16_t address, int value) override;
    void GetLastState(char* buffer) override;

    // Settings of the fake. A PC with one port, LPT1 at its usual address.
    std::array<std::uint16_t, 3> addresses{0x378, 0, 0};
    bool win_nt = true;
    LptFault fault = LptFault::None;

    // What happened.
    std::vector<LptWriteRecord> writes;
    std::vector<LptAccessCall> enables;
    std::vector<LptAccessCall> disables;
    std::vector<int> address_queries; // port numbers asked for, in order
    int is_win_nt_queries = 0;
    int state_queries = 0;

private:
    bool is_register(std::uint16_t address) const;
    void fail(const std::string& text);

    std::string failure_; // first failure since the last GetLastState; empty: none
};

} // namespace kestrav
