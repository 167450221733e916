#include "files/drive_detect.h"

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

QString DriveDetector::tick(const QStringList& current)
{
    if (KnownDrives.isEmpty())
        KnownDrives = current;
    // A longer list keeps KnownDrives as it was, so a key found once is found again when the
    // window is reopened with the key still in.
    if (current.size() > KnownDrives.size()) {
        for (const QString& root : current) {
            if (!KnownDrives.contains(root))
                return root;
        }
        return {};
    }
    KnownDrives = current;
    return {};
}

}  // namespace tq
