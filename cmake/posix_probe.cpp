// Compiled for Windows by the Windows check, which expects it to fail: the terminal interface
// exists on POSIX systems only.
#include <termios.h>

int probe(int fd)
{
    termios settings{};
    return tcgetattr(fd, &settings);
}
