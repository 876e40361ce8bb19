#pragma once
// A second start of the program: the instance already serving the publication socket is
// asked to bring its main window forward (the ACTIVATE transaction of dde_protocol.h).

#include <QString>

namespace kestrav {

// Connects to the socket at `socket_path`, sends ACTIVATE and waits at most `timeout_ms` for
// the answer. True when the running instance answered OK; false when nobody answers, the
// instance refuses (one that does not know the transaction) or the time runs out. Blocks: it
// is meant for the start, before any window exists.
bool dde_ask_to_come_forward(const QString& socket_path, int timeout_ms);

} // namespace kestrav
