#pragma once
// The parallel port access library: the six operations the PourSat and FODTrack outputs, the
// start-up and the initialisation dialog rely on. The real one drives Linux ppdev devices;
// tests use a recording fake.

#include <cstddef>
#include <cstdint>

namespace kestrav {

// Size of the buffer GetLastState writes its zero-terminated text into.
inline constexpr std::size_t kLastStateBufferSize = 255;

class ParallelPortLibrary {
public:
    virtual ~ParallelPortLibrary() = default;
    // I/O base address of LPT1 to LPT3 (port 1, 2 or 3); 0 when the port does not exist.
    virtual std::uint16_t GetLPTPortAddress(int port) = 0;
    // True when port access must be opened and closed around its use.
    virtual bool IsWinNT() = 0;
    // Opens and closes access to the port at the given base address; the program passes
    // the same address twice. DisablePorts may come without an EnablePorts before it.
    virtual void EnablePorts(std::uint16_t first, std::uint16_t last) = 0;
    virtual void DisablePorts(std::uint16_t first, std::uint16_t last) = 0;
    // Writes the low 8 bits of `value` to the register at `address` (base = data register,
    // base + 2 = control register), at once and in call order.
    virtual void Outport(std::uint16_t address, int value) = 0;
    // Writes a zero-terminated text of at most kLastStateBufferSize bytes, holding "succes"
    // when every access since the previous call succeeded.
    virtual void GetLastState(char* buffer) = 0;
};

} // namespace kestrav
