// Why a real serial line did not open, as the user is told. The system gives one error for a
// port in use and for a port the user may not open; the second needs another remedy (the group
// dialout), so the two must not be confused; and joining a group is no remedy for a device of
// root's group, or for a member of dialout whom the mode keeps out. The port is a real
// pseudo-terminal, and the open is tried by a real unprivileged process (nobody, in no group or
// in the device's), so the kernel itself refuses it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/qt_serial_port.h"

namespace {

// Opens the location in a child process that runs as the user nobody, in no group or in `group`;
// what the child was told.
QString openAsNobody(const QString& location, const ::group* group)
{
    const passwd* nobody = getpwnam("nobody");
    if (!nobody)
        return QStringLiteral("no user nobody");
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (setgroups(group ? 1 : 0, group ? &group->gr_gid : nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            _exit(3);
        tq::QtSerialPort port;
        port.setSystemLocation(location);
        QString error;
        const QByteArray said = port.open(&error) ? QByteArray("opened") : error.toUtf8();
        const bool written = ::write(pipeFds[1], said.constData(), size_t(said.size())) == said.size();
        _exit(written ? 0 : 4);
    }
    ::close(pipeFds[1]);
    QByteArray said;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("child failed with status %1").arg(status);
    return QString::fromUtf8(said);
}

}  // namespace

TEST(PortOpenErrors, PermissionAndBusyAreToldApartWithTheirRemedy)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to give the device to a group and open it as another user";
    const QString busy = QString::fromUtf8("la porta è occupata da un altro programma o non è accessibile");
    const struct { const char* group; mode_t mode; bool heldByAnother, memberOfGroup; QString said; } cases[] = {
        {"dialout", 0660, false, false,
         QString::fromUtf8("permesso negato: la porta appartiene al gruppo dialout, di cui l'utente non fa "
                           "parte (sudo usermod -aG dialout $USER, poi uscire e rientrare nella sessione)")},
        {"root", 0600, false, false, QString::fromUtf8("permesso negato: proprietario root, gruppo root, permessi 0600")},
        // A member of dialout kept out by the mode.
        {"dialout", 0604, false, true, QString::fromUtf8("permesso negato: proprietario root, gruppo dialout, permessi 0604")},
        {"dialout", 0666, true, false, busy},  // in use by another program
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said.toStdString());
        // The test holds the master side of the pseudo-terminal; the slave is the port.
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        const ::group* owner = getgrnam(c.group);
        ASSERT_TRUE(owner);
        ASSERT_EQ(chown(ptsname(master), 0, owner->gr_gid), 0);
        ASSERT_EQ(chmod(ptsname(master), c.mode), 0);

        tq::QtSerialPort other;
        other.setSystemLocation(slave);
        QString error;
        ASSERT_TRUE(!c.heldByAnother || other.open(&error));

        EXPECT_EQ(openAsNobody(slave, c.memberOfGroup ? owner : nullptr), c.said);
        other.close();
        ::close(master);
    }
}
