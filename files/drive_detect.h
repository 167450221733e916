#pragma once
// Finds a newly inserted USB key by comparing the roots of the mounted volumes from tick to
// tick. A key already present when the lists were first taken is part of KnownDrives and is
// never found: it has to be removed and inserted again.

#include <QString>
#include <QStringList>

#include <functional>

namespace tq {

// The roots of the volumes mounted now, in the system's order.
using DriveSource = std::function<QStringList()>;

// Mounted volumes that are ready and valid.
QStringList mountedRoots();

struct DriveDetector {
    QStringList KnownDrives;  // the roots seen at an earlier tick

    // One tick: the root of the new drive, or an empty string when none appeared.
    QString tick(const QStringList& current);
};

}  // namespace tq
