#pragma once
// Writes a whole file through a temporary file beside it that replaces the old one only once it
// is complete, so a failed save never destroys the file that was there. The target is named as
// the system names it (files/system_file.h).
//
// A target that exists and is not a regular file (a device, a FIFO, a folder) is refused and
// left as it is: the rename would replace /dev/full with a file. A symbolic link to a file keeps
// being a link; the file it points to is replaced.

#include <QString>

#include <string>

namespace tq {

enum class SaveStatus { Saved, OpenFailed, WriteFailed };

// Who may read the file: as the umask and an older file's mode allow, or only its owner (0600,
// whatever the umask), for copies of a controller's set-up.
enum class FileAccess { AsUsual, OwnerOnly };

// *reason, when given, says why a save failed, in the system's words or ours.
SaveStatus saveBytes(const QString& path, const std::string& bytes, QString* reason = nullptr,
                     FileAccess access = FileAccess::AsUsual);

}  // namespace tq
