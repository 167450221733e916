#include "files/save_bytes.h"

#include <QSaveFile>

namespace tq {

SaveStatus saveBytes(const QString& path, const std::string& bytes)
{
    QSaveFile file(path);
    // Unbuffered, so a short write (the disk filling up) shows in what write() returns: a
    // buffered flush would take the short write for success and commit a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveStatus::OpenFailed;
    // Without a commit the destructor discards the temporary file.
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return SaveStatus::WriteFailed;
    return file.commit() ? SaveStatus::Saved : SaveStatus::WriteFailed;
}

}  // namespace tq
