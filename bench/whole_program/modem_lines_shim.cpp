// Preloaded into the peer terminal only. A pseudo-terminal has no modem lines, and the peer
// closes its port when asking for them fails; a USB adapter answers them. The shim answers the
// modem-line requests that a pseudo-terminal refuses as such an adapter would (DTR, RTS, CTS and
// DSR up; setting them succeeds) and passes every other request through untouched.
#include <dlfcn.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdarg>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    using Ioctl = int (*)(int, unsigned long, ...);
    static const Ioctl real = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    const int result = real(fd, request, arg);
    const bool modemLines = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (result != -1 || errno != ENOTTY || !modemLines)
        return result;
    if (request == TIOCMGET)
        *static_cast<int*>(arg) = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR;
    return 0;
}
