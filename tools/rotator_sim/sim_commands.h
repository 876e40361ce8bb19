#pragma once
// Command handling of the rotator controller emulator: the byte stream is cut into lines at
// CR or LF, and each line is carried out as a GS-232 or EasyComm command on the simulated
// antenna. Replies follow the controllers' formats: GS-232 "+0nnn" for C and "+0nnn+0eee"
// for C2, "?>" for a command it does not know; EasyComm "AZnnn.n" for a bare AZ. Every reply
// ends in CR LF, as the controllers' own do (clients such as Hamlib wait for the LF).
// An antenna with an elevation axis also takes the elevation commands: GS-232 "Waaa eee",
// "Maaa", A, E, U, D and B ("+0eee", or "EL=eee" in B format); EasyComm "ELeee.e" (or
// "EL eee.e"), SE, and a bare EL answered "ELeee.e". Without one, an elevation in a turn has
// no effect and C2 tells 0.

#include "sim_rotator.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrav::sim {

// Gs232B is GS-232 with the B controller's position answers ("AZ=aaa" and "AZ=aaa  EL=eee").
enum class SimProtocol { Auto, Gs232, Gs232B, EasyComm };

// Lines of the received bytes, split at CR or LF; empty lines are dropped. A line cut by the
// end of one read is completed by the next. A run of bytes without an end beyond 256 bytes
// is dropped up to the next end, so garbage cannot grow the buffer.
class CommandSplitter {
public:
    std::vector<std::string> feed(std::string_view bytes);

private:
    std::string pending_;
    bool discarding_ = false;
};

// EasyComm when the first word starts with one of its keywords (AZ, EL, SA, SE, ...),
// otherwise GS-232.
SimProtocol detect_protocol(std::string_view line);

struct SimOutcome {
    SimProtocol protocol = SimProtocol::Gs232; // the protocol the line was read in
    std::string reply;                         // bytes to send back; empty for none
    bool understood = true;
};

// Carries out one line (without its end) in the given protocol, or the detected one for Auto.
SimOutcome handle_command(std::string_view line, SimProtocol mode, SimRotator& rotator);

std::string gs232_position_reply(const SimRotator& rotator, bool withElevation,
                                 bool bFormat = false);
std::string easycomm_position_reply(const SimRotator& rotator);
// "ELeee.e", the elevation to the tenth.
std::string easycomm_elevation_reply(const SimElevation& elevation);

// Printable form of raw bytes: CR as <CR>, LF as <LF>, other control bytes as <hh>.
std::string escape_bytes(std::string_view bytes);

const char* protocol_name(SimProtocol protocol);

} // namespace kestrav::sim
