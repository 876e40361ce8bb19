#pragma once
// The parallel port library on Linux, through the ppdev driver. LPTn is the kernel's
// parport<n-1>: its base address comes from /proc/sys/dev/parport/parport<n-1>/base-addr and
// its registers are written through /dev/parport<n-1>, which is opened and claimed on first
// use and released on DisablePorts or when the library goes away.

#include "rotor/parallel_port.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrav {

class PpdevParallelPort final : public ParallelPortLibrary {
public:
    // proc_root holds the parport<k> folders, dev_root the parport<k> device nodes; tests
    // point both at folders of their own.
    explicit PpdevParallelPort(std::string proc_root = "/proc/sys/dev/parport",
                               std::string dev_root = "/dev");
    ~PpdevParallelPort() override;
    PpdevParallelPort(const PpdevParallelPort&) = delete;
    PpdevParallelPort& operator=(const PpdevParallelPort&) = delete;

    // The first number of base-addr (decimal); 0 when the port is absent or the file cannot
    // be read.
    std::uint16_t GetLPTPortAddress(int port) override;
    // Always true: a port has to be claimed before it can be written.
    bool IsWinNT() override;
    void EnablePorts(std::uint16_t first, std::uint16_t last) override;
    void DisablePorts(std::uint16_t first, std::uint16_t last) override;
    // `address` must be the base (data register) or base + 2 (control register) of a port;
    // anything else, address 0 and 2 included, is a failure and touches nothing.
    void Outport(std::uint16_t address, int value) override;
    // "success" when every access since the previous call succeeded, otherwise the first
    // failure with the system's reason ("LPT1: claim failed: Permission denied").
    void GetLastState(char* buffer) override;

private:
    struct ClaimedPort {
        int index; // k of parport<k>
        std::uint16_t base;
        int fd;
    };

    std::uint16_t base_of(int index) const;
    int index_of(std::uint16_t base) const;
    bool locate(std::uint16_t address, std::uint16_t& base, bool& control) const;
    ClaimedPort* claimed(std::uint16_t base);
    ClaimedPort* claim(std::uint16_t base);
    static void release(const ClaimedPort& port);
    void fail(const std::string& text);

    std::string proc_root_;
    std::string dev_root_;
    std::vector<ClaimedPort> claimed_;
    std::string failure_; // first failure since the last GetLastState; empty: none
};

} // namespace kestrav
