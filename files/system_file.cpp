#include "files/system_file.h"

#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tq {

namespace {

#if defined(Q_OS_UNIX)
// Windows names are UTF-16 and need neither of these.
constexpr char32_t kKeptByte = 0xDC00;

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when there is none.
int utf8Sequence(const QByteArray& s, qsizetype at, char32_t& code)
{
    const auto byte = [&s](qsizetype i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    int length = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are no valid UTF-8.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("\u00E8 una cartella");
    if (S_ISFIFO(mode))
        return QStringLiteral("\u00E8 una FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("\u00E8 un dispositivo");
    return QStringLiteral("non \u00E8 un file");
}
#endif

}  // namespace

QString pathFromSystem(const QByteArray& name)
{
#if defined(Q_OS_UNIX)
    QString path;
    path.reserve(name.size());
    for (qsizetype at = 0; at < name.size();) {
        char32_t code = 0;
        const int length = utf8Sequence(name, at, code);
        if (length == 0)
            code = kKeptByte + static_cast<unsigned char>(name[at]);
        if (QChar::requiresSurrogates(code)) {
            path += QChar(QChar::highSurrogate(code));
            path += QChar(QChar::lowSurrogate(code));
        } else {
            path += QChar(static_cast<char16_t>(code));
        }
        at += length == 0 ? 1 : length;
    }
    return path;
#else
    return QString::fromUtf8(name);
#endif
}

QByteArray systemName(const QString& path)
{
#if defined(Q_OS_UNIX)
    QByteArray name;
    name.reserve(path.size());
    qsizetype from = 0;  // the start of the text not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        const bool kept = unit >= kKeptByte + 0x80 && unit <= kKeptByte + 0xFF;
        if (kept && !(i > 0 && path[i - 1].isHighSurrogate())) {
            name += QStringView(path).mid(from, i - from).toUtf8();
            name += static_cast<char>(unit - kKeptByte);
            from = i + 1;
        }
    }
    name += QStringView(path).mid(from).toUtf8();
    return name;
#else
    return path.toUtf8();
#endif
}

QString whyNotAFile(const QString& path)
{
#if defined(Q_OS_UNIX)
    struct stat status;
    if (::stat(systemName(path).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    return kindOf(status.st_mode);
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return info.isDir() ? QStringLiteral("\u00E8 una cartella") : QStringLiteral("non \u00E8 un file");
#endif
}

bool openRegularFile(QFile& file, const QString& path, QString* reason)
{
    const auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
#if defined(Q_OS_UNIX)
    const QByteArray name = systemName(path);
    // Looked at before it is opened: opening a device can act on it.
    struct stat status;
    if (::stat(name.constData(), &status) != 0)
        return refuse(qt_error_string(errno));
    if (!S_ISREG(status.st_mode))
        return refuse(kindOf(status.st_mode));
    // Without waiting, should it have become a FIFO in between; then looked at again.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(qt_error_string(errno));
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refuse(kindOf(status.st_mode));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(file.errorString());
    }
    return true;
#else
    if (const QString why = whyNotAFile(path); !why.isEmpty())
        return refuse(why);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    return true;
#endif
}

}  // namespace tq
