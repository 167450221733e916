#include "sim/pseudo_terminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace tq::sim {

bool PseudoTerminal::open(std::string* error)
{
    close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    const char* step = "posix_openpt";
    if (m_master >= 0 && grantpt(m_master) != 0)
        step = "grantpt";
    else if (m_master >= 0 && unlockpt(m_master) != 0)
        step = "unlockpt";
    else if (m_master >= 0) {
        const char* name = ptsname(m_master);
        if (name) {
            m_slavePath = name;
            m_slave = ::open(name, O_RDWR | O_NOCTTY);
        }
        step = "open slave";
    }
    termios raw{};
    if (m_slave >= 0 && tcgetattr(m_slave, &raw) == 0) {
        cfmakeraw(&raw);
        cfsetispeed(&raw, B9600);
        cfsetospeed(&raw, B9600);
        if (tcsetattr(m_slave, TCSANOW, &raw) == 0)
            return true;
        step = "tcsetattr";
    }
    *error = std::string(step) + ": " + std::strerror(errno);
    close();
    return false;
}

void PseudoTerminal::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_slavePath.clear();
}

}  // namespace tq::sim
