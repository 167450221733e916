#include "files/save_bytes.h"

#include "files/system_file.h"

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace tq {

namespace {

SaveStatus failed(SaveStatus status, QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return status;
}

#if defined(Q_OS_UNIX)
// The mode a new file takes: rw for all, less the umask (which can only be read by setting it).
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}
#endif

}  // namespace

SaveStatus saveBytes(const QString& path, const std::string& bytes, QString* reason, FileAccess access)
{
    if (const QString why = whyNotAFile(path); !why.isEmpty())
        return failed(SaveStatus::OpenFailed, reason, why);
#if defined(Q_OS_UNIX)
    QByteArray target = systemName(path);
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (char* real = ::realpath(target.constData(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failed(SaveStatus::OpenFailed, reason, qt_error_string(errno));
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : exists ? old.st_mode & 07777 : newFileMode();
    // fsync before the rename: a file that replaces another is complete on the disk.
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temporary.constData());
        return failed(SaveStatus::WriteFailed, reason, qt_error_string(written ? errno : error));
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.constData());
        return failed(SaveStatus::WriteFailed, reason, qt_error_string(renameError));
    }
    return SaveStatus::Saved;
#else
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(SaveStatus::OpenFailed, reason, file.errorString());
    if (access == FileAccess::OwnerOnly)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Without a commit the destructor discards the temporary file. Unbuffered, so that a short
    // write (the disk filling up) shows in what write() returns.
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
        return failed(SaveStatus::WriteFailed, reason, file.errorString());
    return SaveStatus::Saved;
#endif
}

}  // namespace tq
