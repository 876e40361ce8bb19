#pragma once
// Bit rates outside the classic termios table (14400, 56000) go through the Linux termios2
// interface with BOTHER. Its kernel header clashes with <termios.h>, so it lives in a file
// of its own behind these two plain functions.

namespace kestrav {

// Sets input and output rate of the open terminal fd to any bit rate; false if refused.
bool serial_set_any_bit_rate(int fd, int bitRate);

// The output bit rate the terminal fd is set to (as the kernel holds it), or -1.
int serial_output_bit_rate(int fd);

} // namespace kestrav
