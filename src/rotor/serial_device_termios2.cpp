// Only the kernel's terminal definitions here: <termios.h> must not be included in this file.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "rotor/serial_device_termios2.h"

namespace kestrav {

bool serial_set_any_bit_rate(int fd, int bitRate) {
    if (bitRate <= 0)
        return false;
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(bitRate);
    t.c_ospeed = static_cast<speed_t>(bitRate);
    return ioctl(fd, TCSETS2, &t) == 0;
}

int serial_output_bit_rate(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return -1;
    return static_cast<int>(t.c_ospeed);
}

} // namespace kestrav
