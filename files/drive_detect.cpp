#include "files/drive_detect.h"

#include <QDir>
#include <QStorageInfo>

namespace tq {

QStringList mountedRoots()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            roots << volume.rootPath();
    }
    return roots;
}

QChar firstNewCharacter(const QString& known, const QString& current)
{
    for (const QChar c : current) {
        if (!known.contains(c))
            return c;
    }
    return {};
}

QString DriveDetector::tick(const QStringList& current)
{
    if (KnownDrives.isEmpty())
        KnownDrives = current;
    // A longer list keeps KnownDrives as it was, so a key found once is found again when the
    // window is reopened with the key still in.
#ifdef Q_OS_WIN
    const QString known = QDir::toNativeSeparators(KnownDrives.join(QString()));
    const QString now = QDir::toNativeSeparators(current.join(QString()));
    if (now.size() > known.size()) {
        const QChar letter = firstNewCharacter(known, now);
        return letter.isNull() ? QString() : letter + QStringLiteral(":\\");
    }
#else
    if (current.size() > KnownDrives.size()) {
        for (const QString& root : current) {
            if (!KnownDrives.contains(root))
                return root;
        }
        return {};
    }
#endif
    KnownDrives = current;
    return {};
}

}  // namespace tq
