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

// The rule of the drive-letter systems, where the roots come as one string ("C:\\D:\\F:\\"): the
// first character of `current` that occurs nowhere in `known`, or a null character.
QChar firstNewCharacter(const QString& known, const QString& current);

// On Windows the roots are compared as the system lists them, character by character, and the
// new drive is the letter found; elsewhere they are compared root by root.
struct DriveDetector {
    QStringList KnownDrives;  // the roots seen at an earlier tick

    // One tick: the root of the new drive, or an empty string when none appeared.
    QString tick(const QStringList& current);
};

}  // namespace tq
